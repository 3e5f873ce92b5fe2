#include "host/PluginHost.h"

#include <cstring>

namespace marrowfold {

namespace {

constexpr size_t kTextBufferSize = 256;

// The entry point asks its first question before a record exists; the host being created
// answers it.
thread_local PluginHost* hostBeingCreated = nullptr;

}  // namespace

PluginHost::PluginHost(HostSettings settingsToUse) : hostSettings(std::move(settingsToUse)) {}

PluginHost::~PluginHost() {
    close();
}

bool PluginHost::create(const PluginModule& module) {
    if (!module.isOpen() || plugin != nullptr) return false;
    hostBeingCreated = this;
    plugin = module.entry()(&PluginHost::receive);
    hostBeingCreated = nullptr;
    if (plugin != nullptr) plugin->hostData = reinterpret_cast<intptr_t>(this);
    return plugin != nullptr;
}

intptr_t PluginHost::close() {
    if (plugin == nullptr) return 0;
    const intptr_t result = plugin->dispatchEntry(plugin, ReqClose, 0, 0, nullptr, 0.0f);
    plugin = nullptr;
    return result;
}

intptr_t PluginHost::receive(EffectRecord* record, int32_t opcode, int32_t index, intptr_t value,
                             void* ptr, float opt) {
    PluginHost* host = record ? reinterpret_cast<PluginHost*>(record->hostData) : hostBeingCreated;
    if (host == nullptr) return 0;
    return host->answer(HostCall{opcode, index, value, opt, record != nullptr}, ptr);
}

intptr_t PluginHost::answer(const HostCall& call, void* ptr) {
    {
        std::lock_guard<std::mutex> guard(callsLock);
        recordedCalls.push_back(call);
    }
    switch (call.opcode) {
        case HostVersion:
            return hostSettings.versionAnswer;
        case HostPinConnected: {
            const auto& unwired =
                call.value == 0 ? hostSettings.unwiredInputs : hostSettings.unwiredOutputs;
            return unwired.count(call.index) ? 1 : 0;
        }
        case HostProduct:
            if (ptr != nullptr)
                std::strcpy(static_cast<char*>(ptr), hostSettings.productName.c_str());
            return hostSettings.productName.empty() ? 0 : 1;
        default:
            return 0;
    }
}

intptr_t PluginHost::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return plugin ? plugin->dispatchEntry(plugin, opcode, index, value, ptr, opt) : 0;
}

void PluginHost::setParameter(int32_t index, float value) {
    if (plugin) plugin->setParameterEntry(plugin, index, value);
}

float PluginHost::getParameter(int32_t index) {
    return plugin ? plugin->getParameterEntry(plugin, index) : 0.0f;
}

void PluginHost::processReplace(float** inputs, float** outputs, int32_t frames) {
    if (plugin) plugin->processReplaceEntry(plugin, inputs, outputs, frames);
}

void PluginHost::processAdd(float** inputs, float** outputs, int32_t frames) {
    if (plugin) plugin->processAddEntry(plugin, inputs, outputs, frames);
}

void PluginHost::setSampleRate(float rate) {
    dispatch(ReqSetSampleRate, 0, 0, nullptr, rate);
}

void PluginHost::setBlockSize(int32_t frames) {
    dispatch(ReqSetBlockSize, 0, frames);
}

void PluginHost::setActive(bool active) {
    dispatch(ReqSetActive, 0, active ? 1 : 0);
}

void PluginHost::setProgram(int32_t program) {
    dispatch(ReqSetProgram, 0, program);
}

int32_t PluginHost::program() {
    return static_cast<int32_t>(dispatch(ReqGetProgram));
}

std::string PluginHost::askText(int32_t opcode, int32_t index) {
    char text[kTextBufferSize] = {};
    dispatch(opcode, index, 0, text);
    return text;
}

std::string PluginHost::programName() {
    return askText(ReqGetProgramName, 0);
}

void PluginHost::renameProgram(const std::string& name) {
    std::vector<char> text(name.begin(), name.end());
    text.push_back('\0');
    dispatch(ReqSetProgramName, 0, 0, text.data());
}

std::string PluginHost::parameterTitle(int32_t index) {
    return askText(ReqParamTitle, index);
}

std::string PluginHost::parameterUnit(int32_t index) {
    return askText(ReqParamUnit, index);
}

std::string PluginHost::parameterText(int32_t index) {
    return askText(ReqParamText, index);
}

std::string PluginHost::vendorName() {
    return askText(ReqVendorName, 0);
}

std::vector<uint8_t> PluginHost::saveChunk(bool isProgram) {
    void* data = nullptr;
    const intptr_t bytes = dispatch(ReqGetChunk, isProgram ? 1 : 0, 0, &data);
    if (data == nullptr || bytes <= 0) return {};
    const auto* begin = static_cast<const uint8_t*>(data);
    return std::vector<uint8_t>(begin, begin + bytes);
}

intptr_t PluginHost::restoreChunk(std::vector<uint8_t> chunk, bool isProgram) {
    return dispatch(ReqSetChunk, isProgram ? 1 : 0, static_cast<intptr_t>(chunk.size()),
                    chunk.data());
}

std::vector<HostCall> PluginHost::calls() const {
    std::lock_guard<std::mutex> guard(callsLock);
    return recordedCalls;
}

size_t PluginHost::countCalls(int32_t opcode) const {
    std::lock_guard<std::mutex> guard(callsLock);
    size_t count = 0;
    for (const HostCall& call : recordedCalls)
        count += call.opcode == opcode ? 1 : 0;
    return count;
}

void PluginHost::clearCalls() {
    std::lock_guard<std::mutex> guard(callsLock);
    recordedCalls.clear();
}

}  // namespace marrowfold
