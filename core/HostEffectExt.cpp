#include "core/HostEffectExt.h"

#include "core/HostEditor.h"
#include "core/Numeric.h"

namespace marrowfold {

namespace {

constexpr int32_t kInterfaceVersion = 2200;
constexpr int32_t kInstrumentCategory = 2;
constexpr int32_t kNoCurrentMidiProgram = -1;
constexpr int32_t kLowByte = 0xFF;

void* asPointer(intptr_t value) {
    return reinterpret_cast<void*>(value);
}

}  // namespace

HostEffectExt::HostEffectExt(HostCallback hostCallback, int32_t programs, int32_t parameters)
    : HostEffect(hostCallback, programs, parameters) {}

intptr_t HostEffectExt::handleRequest(int32_t opcode, const RequestArgs& args) {
    if (opcode < kFirstExtRequest || opcode > kLastExtRequest) {
        return HostEffect::handleRequest(opcode, args);
    }
    return requestHandlers[opcode - kFirstExtRequest](*this, args);
}

// Only the low byte of the key code and of the truncated modifier value reach the editor.
intptr_t HostEffectExt::forwardKey(const RequestArgs& args, bool pressed) {
    if (editor == nullptr) return 0;
    KeyRecord key{args.index, static_cast<uint8_t>(args.value & kLowByte),
                  static_cast<uint8_t>(truncateToInt32(args.opt) & kLowByte)};
    return pressed ? editor->keyPressed(&key) : editor->keyReleased(&key);
}

intptr_t HostEffectExt::askHost(intptr_t fallback, int32_t opcode, int32_t index, intptr_t value,
                                void* ptr, float opt) {
    return callback ? callHost(opcode, index, value, ptr, opt) : fallback;
}

bool HostEffectExt::askHostBool(int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                float opt) {
    return askHost(0, opcode, index, value, ptr, opt) != 0;
}

void HostEffectExt::askWantEvents(int32_t filter) {
    askHost(0, HostWantEvents, 0, filter);
}

void* HostEffectExt::askTimeInfo(int32_t filter) {
    return asPointer(askHost(0, HostTimeInfo, 0, filter));
}

int32_t HostEffectExt::askTempoAt(int32_t samplePosition) {
    return static_cast<int32_t>(askHost(0, HostTempoAt, 0, samplePosition));
}

int32_t HostEffectExt::acceptEvents(void*) {
    return 0;
}

int32_t HostEffectExt::askAutomatableCount() {
    return static_cast<int32_t>(askHost(0, HostAutomatableCount));
}

int32_t HostEffectExt::askQuantization() {
    return static_cast<int32_t>(askHost(0, HostQuantization));
}

bool HostEffectExt::canAutomate(int32_t) {
    return true;
}

bool HostEffectExt::parameterFromText(int32_t, char*) {
    return false;
}

float HostEffectExt::channelParameter(int32_t, int32_t) {
    return 0.0f;
}

int32_t HostEffectExt::categoryCount() {
    return 1;
}

bool HostEffectExt::indexedProgramName(int32_t, int32_t, char*) {
    return false;
}

bool HostEffectExt::copyProgramTo(int32_t) {
    return false;
}

bool HostEffectExt::tellIoChanged() {
    return askHostBool(HostIoChanged);
}

bool HostEffectExt::tellNeedIdle() {
    return askHostBool(HostNeedIdle);
}

bool HostEffectExt::askResizeWindow(int32_t width, int32_t height) {
    return askHostBool(HostResizeWindow, width, height);
}

float HostEffectExt::refreshSampleRate() {
    askHost(0, HostSampleRate);
    return sampleRate;
}

int32_t HostEffectExt::refreshBlockSize() {
    askHost(0, HostBlockSize);
    return blockSize;
}

int32_t HostEffectExt::askInputLatency() {
    return static_cast<int32_t>(askHost(0, HostInputLatency));
}

int32_t HostEffectExt::askOutputLatency() {
    return static_cast<int32_t>(askHost(0, HostOutputLatency));
}

void* HostEffectExt::askPreviousPlug(int32_t) {
    return asPointer(askHost(0, HostPreviousPlug));
}

void* HostEffectExt::askNextPlug(int32_t) {
    return asPointer(askHost(0, HostNextPlug));
}

void HostEffectExt::inputWired(int32_t, bool) {}

void HostEffectExt::outputWired(int32_t, bool) {}

bool HostEffectExt::inputInfo(int32_t, void*) {
    return false;
}

bool HostEffectExt::outputInfo(int32_t, void*) {
    return false;
}

int32_t HostEffectExt::pluginCategory() {
    return hasFlag(FlagInstrument) ? kInstrumentCategory : 0;
}

int32_t HostEffectExt::askReplaceOrAccumulate() {
    return static_cast<int32_t>(askHost(0, HostReplaceOrAccumulate));
}

int32_t HostEffectExt::askProcessLevel() {
    return static_cast<int32_t>(askHost(0, HostProcessLevel));
}

int32_t HostEffectExt::askAutomationState() {
    return static_cast<int32_t>(askHost(0, HostAutomationState));
}

void HostEffectExt::enableAsync(bool state) {
    setFlag(FlagAsync, state);
}

void HostEffectExt::enableExternalBuffer(bool state) {
    setFlag(FlagExternalBuffer, state);
}

int32_t HostEffectExt::currentPosition() {
    return 0;
}

int32_t HostEffectExt::destinationBuffer() {
    return 0;
}

bool HostEffectExt::askOfflineRead(void* task, int32_t option, bool readSource) {
    return askHostBool(HostOfflineRead, readSource ? 1 : 0, option, task);
}

bool HostEffectExt::askOfflineWrite(void* task, int32_t option) {
    return askHostBool(HostOfflineWrite, 0, option, task);
}

bool HostEffectExt::askOfflineStart(void* files, int32_t count, int32_t newCount) {
    return askHostBool(HostOfflineStart, newCount, count, files);
}

bool HostEffectExt::askOfflinePass() {
    return askHostBool(HostOfflinePass);
}

bool HostEffectExt::askOfflineMetaPass() {
    return askHostBool(HostOfflineMetaPass);
}

bool HostEffectExt::offlineFilesChanged(void*, int32_t, bool) {
    return false;
}

bool HostEffectExt::offlineGetReady(void*, int32_t) {
    return false;
}

bool HostEffectExt::offlineProcess(void*, int32_t) {
    return false;
}

int32_t HostEffectExt::offlinePassCount() {
    return 0;
}

int32_t HostEffectExt::offlineMetaPassCount() {
    return 0;
}

void HostEffectExt::askSetOutputRate(float rate) {
    askHost(0, HostSetOutputRate, 0, 0, nullptr, rate);
}

bool HostEffectExt::askSpeakers(void* input, void* output) {
    return askHostBool(HostSpeakers, 0, reinterpret_cast<intptr_t>(input), output);
}

bool HostEffectExt::askHostVendor(char* text) {
    return askHostBool(HostVendor, 0, 0, text);
}

bool HostEffectExt::askHostProduct(char* text) {
    return askHostBool(HostProduct, 0, 0, text);
}

int32_t HostEffectExt::askHostVendorVersion() {
    return static_cast<int32_t>(askHost(0, HostVendorVersion));
}

int32_t HostEffectExt::askHostVendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) {
    return static_cast<int32_t>(askHost(0, HostVendorSpecific, index, value, ptr, opt));
}

bool HostEffectExt::askHostCapability(char* text) {
    return askHostBool(HostCapability, 0, 0, text);
}

void HostEffectExt::enableInstrument(bool state) {
    setFlag(FlagInstrument, state);
}

void HostEffectExt::enableNoTail(bool state) {
    setFlag(FlagNoTail, state);
}

int32_t HostEffectExt::askHostLanguage() {
    return static_cast<int32_t>(askHost(0, HostLanguage));
}

void* HostEffectExt::askOpenWindow(void* description) {
    return asPointer(askHost(0, HostOpenWindow, 0, 0, description));
}

bool HostEffectExt::askCloseWindow(void* window) {
    return askHostBool(HostCloseWindow, 0, 0, window);
}

void* HostEffectExt::askDirectory() {
    return asPointer(askHost(0, HostDirectory));
}

bool HostEffectExt::tellUpdateDisplay() {
    return askHostBool(HostUpdateDisplay);
}

bool HostEffectExt::variableIo(void*) {
    return false;
}

bool HostEffectExt::setSpeakers(void*, void*) {
    return false;
}

void HostEffectExt::setBlockAndRate(int32_t frames, float rate) {
    blockSize = frames;
    sampleRate = rate;
}

bool HostEffectExt::switchBypass(bool) {
    return false;
}

bool HostEffectExt::effectName(char*) {
    return false;
}

bool HostEffectExt::errorText(char*) {
    return false;
}

bool HostEffectExt::vendorName(char*) {
    return false;
}

bool HostEffectExt::productName(char*) {
    return false;
}

int32_t HostEffectExt::vendorVersion() {
    return 0;
}

int32_t HostEffectExt::vendorSpecific(int32_t, intptr_t, void*, float) {
    return 0;
}

int32_t HostEffectExt::supportsCapability(char*) {
    return 0;
}

int32_t HostEffectExt::icon() {
    return 0;
}

bool HostEffectExt::moveView(int32_t, int32_t) {
    return false;
}

int32_t HostEffectExt::tailSize() {
    return 0;
}

int32_t HostEffectExt::idleRequest() {
    return 0;
}

bool HostEffectExt::parameterInfo(int32_t, void*) {
    return false;
}

bool HostEffectExt::keysNeeded() {
    return false;
}

int32_t HostEffectExt::interfaceVersion() {
    return kInterfaceVersion;
}

int32_t HostEffectExt::midiProgramName(int32_t, void*) {
    return 0;
}

int32_t HostEffectExt::midiCurrentProgram(int32_t, void*) {
    return kNoCurrentMidiProgram;
}

int32_t HostEffectExt::midiProgramCategory(int32_t, void*) {
    return 0;
}

bool HostEffectExt::midiProgramsChanged(int32_t) {
    return false;
}

bool HostEffectExt::midiKeyName(int32_t, void*) {
    return false;
}

bool HostEffectExt::beginProgramLoad() {
    return false;
}

bool HostEffectExt::endProgramLoad() {
    return false;
}

bool HostEffectExt::tellBeginEdit(int32_t index) {
    return askHostBool(HostBeginEdit, index);
}

bool HostEffectExt::tellEndEdit(int32_t index) {
    return askHostBool(HostEndEdit, index);
}

bool HostEffectExt::askFileSelector(void* selector) {
    return selector != nullptr && askHostBool(HostFileSelector, 0, 0, selector);
}

}  // namespace marrowfold
