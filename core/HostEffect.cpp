#include "core/HostEffect.h"

#include <cstring>

#include "core/HostEditor.h"
#include "core/Numeric.h"
#include "core/TextFormat.h"

namespace marrowfold {

namespace {

constexpr int32_t kDefaultPluginId = fourCharCode("NoEf");
constexpr float kDefaultSampleRate = 44100.0f;
constexpr int32_t kDefaultBlockSize = 1024;

// Nothing thrown inside the plug-in may reach the host: a failed request answers `fallback`.
template <typename Result, typename Body>
Result guarded(Result fallback, Body&& body) {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

intptr_t dispatchRequest(EffectRecord* effectRecord, int32_t opcode, int32_t index, intptr_t value,
                         void* ptr, float opt) {
    HostEffect* effect = HostEffect::fromRecord(effectRecord);
    if (effect == nullptr) return 0;
    const RequestArgs args{index, value, ptr, opt};
    const intptr_t result =
        guarded<intptr_t>(0, [&] { return effect->handleRequest(opcode, args); });
    if (opcode != ReqClose) return result;
    delete effect;
    return 1;
}

void processAddRequest(EffectRecord* effectRecord, float** inputs, float** outputs,
                       int32_t frames) {
    if (HostEffect* effect = HostEffect::fromRecord(effectRecord)) {
        guarded(0, [&] { return effect->processAdd(inputs, outputs, frames), 0; });
    }
}

void processReplaceRequest(EffectRecord* effectRecord, float** inputs, float** outputs,
                           int32_t frames) {
    if (HostEffect* effect = HostEffect::fromRecord(effectRecord)) {
        guarded(0, [&] { return effect->processReplace(inputs, outputs, frames), 0; });
    }
}

void setParameterRequest(EffectRecord* effectRecord, int32_t index, float value) {
    if (HostEffect* effect = HostEffect::fromRecord(effectRecord)) {
        guarded(0, [&] { return effect->writeParameter(index, value), 0; });
    }
}

float getParameterRequest(EffectRecord* effectRecord, int32_t index) {
    HostEffect* effect = HostEffect::fromRecord(effectRecord);
    if (effect == nullptr) return 0.0f;
    return guarded(0.0f, [&] { return effect->readParameter(index); });
}

void copyText(char* dst, const char* text) {
    if (dst != nullptr) std::strcpy(dst, text);
}

}  // namespace

HostEffect::HostEffect(HostCallback hostCallback, int32_t programs, int32_t parameters)
    : sampleRate(kDefaultSampleRate),
      editor(nullptr),
      callback(hostCallback),
      programCount(programs),
      parameterCount(parameters),
      currentProgram(0),
      blockSize(kDefaultBlockSize),
      record() {
    initialiseRecord();
}

HostEffect::~HostEffect() {
    delete editor;
}

void HostEffect::initialiseRecord() {
    // The host reads raw bytes: padding and spare bytes must be zero too, not just the fields.
    // cppcheck-suppress memsetClassFloat
    std::memset(&record, 0, sizeof record);
    record.magic = kRecordMagic;
    record.dispatchEntry = dispatchRequest;
    record.processAddEntry = processAddRequest;
    record.setParameterEntry = setParameterRequest;
    record.getParameterEntry = getParameterRequest;
    record.processReplaceEntry = processReplaceRequest;
    record.programCount = programCount;
    record.parameterCount = parameterCount;
    record.inputCount = 1;
    record.outputCount = 2;
    record.rateRatio = 1.0f;
    record.owner = this;
    record.pluginId = kDefaultPluginId;
    record.pluginVersion = 1;
}

HostEffect* HostEffect::fromRecord(EffectRecord* effectRecord) {
    return effectRecord == nullptr ? nullptr : static_cast<HostEffect*>(effectRecord->owner);
}

void HostEffect::registerEditor(HostEditor* newEditor) {
    editor = newEditor;
    setFlag(FlagEditor, newEditor != nullptr);
}

intptr_t HostEffect::handleRequest(int32_t opcode, const RequestArgs& args) {
    if (static_cast<uint32_t>(opcode) > static_cast<uint32_t>(kLastBaseRequest)) return 0;
    return requestHandlers[opcode](*this, args);
}

void HostEffect::writeParameter(int32_t, float) {}

float HostEffect::readParameter(int32_t) {
    return 0.0f;
}

int32_t HostEffect::writeParameterAutomated(int32_t index, float value) {
    writeParameter(index, value);
    if (callback == nullptr) return 0;
    return static_cast<int32_t>(callHost(HostAutomate, index, 0, nullptr, value));
}

void HostEffect::processReplace(float**, float**, int32_t) {}

void HostEffect::onOpen() {}

void HostEffect::onClose() {}

int32_t HostEffect::programIndex() {
    return currentProgram;
}

void HostEffect::selectProgram(int32_t program) {
    currentProgram = program;
}

void HostEffect::renameProgram(char* name) {
    copyText(name, "");
}

void HostEffect::copyProgramName(char* dst) {
    copyText(dst, "");
}

void HostEffect::copyParameterUnit(int32_t, char* dst) {
    copyText(dst, "");
}

void HostEffect::copyParameterText(int32_t, char* dst) {
    copyText(dst, "");
}

void HostEffect::copyParameterTitle(int32_t, char* dst) {
    copyText(dst, "");
}

float HostEffect::meterLevel() {
    return 0.0f;
}

int32_t HostEffect::saveState(void**, bool) {
    return 0;
}

int32_t HostEffect::restoreState(void*, int32_t, bool) {
    return 0;
}

void HostEffect::changeSampleRate(float rate) {
    sampleRate = rate;
}

void HostEffect::changeBlockSize(int32_t frames) {
    blockSize = frames;
}

void HostEffect::onDeactivate() {}

void HostEffect::onActivate() {}

void HostEffect::assignPluginId(int32_t id) {
    record.pluginId = id;
}

void HostEffect::assignInputCount(int32_t count) {
    record.inputCount = count;
}

void HostEffect::assignOutputCount(int32_t count) {
    record.outputCount = count;
}

void HostEffect::enableVuMeter(bool state) {
    setFlag(FlagVuMeter, state);
}

void HostEffect::enableClipMeter(bool state) {
    setFlag(FlagClipMeter, state);
}

void HostEffect::enableMono(bool state) {
    setFlag(FlagMonoCapable, state);
}

void HostEffect::enableReplacing(bool state) {
    setFlag(FlagReplacing, state);
}

void HostEffect::enableChunkState(bool state) {
    setFlag(FlagChunkState, state);
}

void HostEffect::assignRealtimeQualities(int32_t qualities) {
    record.realtimeQualities = qualities;
}

void HostEffect::assignOfflineQualities(int32_t qualities) {
    record.offlineQualities = qualities;
}

void HostEffect::assignLatency(int32_t samples) {
    record.latency = samples;
}

float HostEffect::currentSampleRate() {
    return sampleRate;
}

int32_t HostEffect::currentBlockSize() {
    return blockSize;
}

int32_t HostEffect::askHostVersion() {
    if (callback == nullptr) return 1;
    const intptr_t answer = callHost(HostVersion);
    return answer == 0 ? 1 : static_cast<int32_t>(answer);
}

int32_t HostEffect::askCurrentId() {
    return callback ? static_cast<int32_t>(callHost(HostCurrentId)) : 0;
}

void HostEffect::askHostIdle() {
    if (callback) callHost(HostIdle);
}

// A channel counts as wired when the host answers 0, or when there is no host to ask.
bool HostEffect::isInputWired(int32_t index) {
    return callback == nullptr || callHost(HostPinConnected, index, 0) == 0;
}

bool HostEffect::isOutputWired(int32_t index) {
    return callback == nullptr || callHost(HostPinConnected, index, 1) == 0;
}

void HostEffect::formatDecibels(float gain, char* dst) {
    formatDecibelText(gain, dst);
}

void HostEffect::formatHertz(float samples, char* dst) {
    formatFloatText(samples == 0.0f ? 0.0 : static_cast<double>(sampleRate) / samples, dst);
}

void HostEffect::formatMilliseconds(float samples, char* dst) {
    formatFloatText(static_cast<double>(samples) * 1000.0 / sampleRate, dst);
}

void HostEffect::formatFloat(float value, char* dst) {
    formatFloatText(value, dst);
}

void HostEffect::formatInteger(int32_t value, char* dst) {
    formatIntegerText(value, dst);
}

intptr_t HostEffect::callHost(int32_t opcode, int32_t index, intptr_t value, void* ptr, float opt) {
    return callback(&record, opcode, index, value, ptr, opt);
}

void HostEffect::setFlag(int32_t flag, bool state) {
    if (state) {
        record.flags |= flag;
    } else {
        record.flags &= ~flag;
    }
}

}  // namespace marrowfold
