#include "lv2/ModuleInstance.h"

#include <cstring>

#include "core/VendorRequests.h"
#include "host/ParameterProtocol.h"
#include "lv2/PortLayout.h"

namespace marrowfold::lv2 {

namespace {

constexpr intptr_t kHostVersion = 2400;
constexpr intptr_t kBridgeVersion = 1;
constexpr char kProductText[] = "Marrowfold LV2 bridge";
constexpr char kVendorText[] = "Marrowfold";

// The module asks its first questions before the record carries the instance.
thread_local ModuleInstance* instanceBeingOpened = nullptr;

intptr_t copyText(void* destination, const char* text) {
    if (destination == nullptr) return 0;
    std::strcpy(static_cast<char*>(destination), text);
    return 1;
}

}  // namespace

ModuleInstance::~ModuleInstance() {
    if (record != nullptr) record->dispatchEntry(record, ReqClose, 0, 0, nullptr, 0.0f);
}

bool ModuleInstance::open(const std::string& path) {
    if (!module.open(path)) {
        lastError = module.error();
        return false;
    }
    instanceBeingOpened = this;
    record = module.entry()(&ModuleInstance::receive);
    instanceBeingOpened = nullptr;
    if (record == nullptr) {
        lastError = path + " refused to start";
        return false;
    }
    record->hostData = reinterpret_cast<intptr_t>(this);
    return checkRecord();
}

bool ModuleInstance::checkRecord() {
    if (record->magic != kRecordMagic || record->inputCount != kAudioChannels ||
        record->outputCount != kAudioChannels || record->parameterCount < kHostParameterCount ||
        record->programCount != kProgramCount) {
        lastError = "the module is not the stereo effect the ports describe";
        return false;
    }
    if (const std::optional<TitleMismatch> mismatch = findTitleMismatch(*record)) {
        lastError = mismatch->describe();
        return false;
    }
    return true;
}

void ModuleInstance::prepare(float sampleRate, int32_t maxBlockFrames) {
    rate = sampleRate;
    blockLimit = maxBlockFrames;
    dispatch(ReqSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(ReqSetBlockSize, 0, maxBlockFrames);
}

intptr_t ModuleInstance::dispatch(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                  float opt) {
    return record->dispatchEntry(record, opcode, index, value, ptr, opt);
}

bool ModuleInstance::vendorRequest(int32_t index, int32_t value, float argument) {
    return dispatch(ReqVendorSpecific, index, value, nullptr, argument) == 1;
}

bool ModuleInstance::setOversampling(int32_t factor) {
    if (!vendorRequest(kOversamplingRequestIndex, kOversamplingRequestValue,
                       static_cast<float>(factor)))
        return false;
    oversamplingFactor = factor;
    return true;
}

bool ModuleInstance::setMix(float percent) {
    if (!vendorRequest(kMixRequestIndex, kMixRequestValue, percent)) return false;
    mixPercent = percent;
    return true;
}

bool ModuleInstance::setEnabled(bool on) {
    if (!vendorRequest(kBypassRequestIndex, kBypassRequestValue, on ? 0.0f : 1.0f)) return false;
    processing = on;
    return true;
}

bool ModuleInstance::setAntialiasing(bool on) {
    if (!vendorRequest(kAntialiasingRequestIndex, kAntialiasingRequestValue, on ? 1.0f : 0.0f))
        return false;
    antialiased = on;
    return true;
}

bool ModuleInstance::setAutoGain(bool on) {
    if (!vendorRequest(kAutoGainRequestIndex, kAutoGainRequestValue, on ? 1.0f : 0.0f))
        return false;
    autoGainOn = on;
    return true;
}

float ModuleInstance::autoGainDecibels() {
    float decibels = 0.0f;
    dispatch(ReqVendorSpecific, kAutoGainReadingIndex, kAutoGainReadingValue, &decibels);
    return decibels;
}

bool ModuleInstance::setSmoothing(bool on) {
    return vendorRequest(kSmoothingRequestIndex, kSmoothingRequestValue, on ? 1.0f : 0.0f);
}

BandControls ModuleInstance::bands() {
    return readModuleBands(*record);
}

bool ModuleInstance::editBands(BandControls& wanted) {
    return editModuleBands(*record, wanted);
}

void ModuleInstance::detach(const EditorLink* link) {
    EditorLink* expected = const_cast<EditorLink*>(link);
    editorLink.compare_exchange_strong(expected, nullptr);
}

// A band editor handle taken or let go, named by its band control.
intptr_t ModuleInstance::tellBandGesture(EditorLink* link, intptr_t control, float taken) {
    if (link == nullptr || control < 0 || control >= HostControlCount ||
        !hostControl(static_cast<int32_t>(control)).isBandValue())
        return 0;
    link->touch(static_cast<int32_t>(control), taken != 0.0f);
    return 1;
}

intptr_t ModuleInstance::receive(EffectRecord* from, int32_t opcode, int32_t index, intptr_t value,
                                 void* ptr, float opt) {
    ModuleInstance* instance = from != nullptr && from->hostData != 0
                                   ? reinterpret_cast<ModuleInstance*>(from->hostData)
                                   : instanceBeingOpened;
    if (instance == nullptr) return opcode == HostVersion ? kHostVersion : 0;
    return instance->answer(opcode, index, value, ptr, opt);
}

intptr_t ModuleInstance::answer(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) {
    EditorLink* link = editorLink.load();
    switch (opcode) {
        case HostVersion:
            return kHostVersion;
        case HostSampleRate:
            return static_cast<intptr_t>(rate);
        case HostBlockSize:
            return blockLimit;
        case HostProduct:
            return copyText(ptr, kProductText);
        case HostVendor:
            return copyText(ptr, kVendorText);
        case HostVendorVersion:
            return kBridgeVersion;
        case HostIdle:
            return 1;
        case HostAutomate:
            if (link != nullptr) link->automate(index, opt);
            return 0;
        case HostBeginEdit:
        case HostEndEdit:
            if (link == nullptr) return 0;
            if (controlOfParameter(index) >= 0)
                link->touch(controlOfParameter(index), opcode == HostBeginEdit);
            return 1;
        case HostVendorSpecific:
            return index == kBandGestureIndex ? tellBandGesture(link, value, opt) : 0;
        case HostResizeWindow:
            return link != nullptr && link->resize(index, static_cast<int32_t>(value)) ? 1 : 0;
        default:
            // Among the rest: wiring questions, where 0 means connected.
            return 0;
    }
}

}  // namespace marrowfold::lv2
