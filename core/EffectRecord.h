#pragma once

#include <cstddef>
#include <cstdint>

namespace marrowfold {

struct EffectRecord;

// Integers that a host may use to carry an address are pointer-sized; on a 32-bit build they
// are plain int32 and the record is 144 bytes.
using HostCallback = intptr_t (*)(EffectRecord* record, int32_t opcode, int32_t index,
                                  intptr_t value, void* ptr, float opt);
using DispatchEntry = intptr_t (*)(EffectRecord* record, int32_t opcode, int32_t index,
                                   intptr_t value, void* ptr, float opt);
using ProcessEntry = void (*)(EffectRecord* record, float** inputs, float** outputs,
                              int32_t frames);
using SetParameterEntry = void (*)(EffectRecord* record, int32_t index, float value);
using GetParameterEntry = float (*)(EffectRecord* record, int32_t index);

// Four characters as one number, the first character in the most significant byte.
constexpr int32_t fourCharCode(const char (&code)[5]) {
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint8_t>(code[0])) << 24) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 16) |
                                (static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 8) |
                                static_cast<uint32_t>(static_cast<uint8_t>(code[3])));
}

inline constexpr int32_t kRecordMagic = fourCharCode("PlgP");
inline constexpr int32_t kSpareBytes = 60;

// The fixed-layout record through which the host talks to the plug-in.
struct EffectRecord {
    int32_t magic;
    DispatchEntry dispatchEntry;
    ProcessEntry processAddEntry;
    SetParameterEntry setParameterEntry;
    GetParameterEntry getParameterEntry;
    int32_t programCount;
    int32_t parameterCount;
    int32_t inputCount;
    int32_t outputCount;
    int32_t flags;
    intptr_t reserved1;
    intptr_t reserved2;
    int32_t latency;
    int32_t realtimeQualities;
    int32_t offlineQualities;
    float rateRatio;
    void* owner;
    intptr_t hostData;
    int32_t pluginId;
    int32_t pluginVersion;
    ProcessEntry processReplaceEntry;
    char spare[kSpareBytes];
};

// The layout is the host's binary interface. On a 32-bit build every field is four bytes and
// the record is 144 bytes; on a 64-bit build the address-carrying fields are eight bytes.
constexpr size_t recordOffset(size_t offset32, size_t offset64) {
    return sizeof(void*) == 4 ? offset32 : offset64;
}
static_assert(offsetof(EffectRecord, dispatchEntry) == recordOffset(4, 8));
static_assert(offsetof(EffectRecord, programCount) == recordOffset(20, 40));
static_assert(offsetof(EffectRecord, flags) == recordOffset(36, 56));
static_assert(offsetof(EffectRecord, reserved1) == recordOffset(40, 64));
static_assert(offsetof(EffectRecord, latency) == recordOffset(48, 80));
static_assert(offsetof(EffectRecord, rateRatio) == recordOffset(60, 92));
static_assert(offsetof(EffectRecord, owner) == recordOffset(64, 96));
static_assert(offsetof(EffectRecord, hostData) == recordOffset(68, 104));
static_assert(offsetof(EffectRecord, pluginId) == recordOffset(72, 112));
static_assert(offsetof(EffectRecord, processReplaceEntry) == recordOffset(80, 120));
static_assert(offsetof(EffectRecord, spare) == recordOffset(84, 128));
static_assert(sizeof(EffectRecord) == recordOffset(144, 192));

// Bits of EffectRecord::flags.
enum RecordFlag : int32_t {
    FlagEditor = 1,
    FlagClipMeter = 2,
    FlagVuMeter = 4,
    FlagMonoCapable = 8,
    FlagReplacing = 16,
    FlagChunkState = 32,
    FlagInstrument = 256,
    FlagNoTail = 512,
    FlagAsync = 1024,
    FlagExternalBuffer = 2048,
};

// Requests the host sends through dispatchEntry.
enum Request : int32_t {
    ReqOpen = 0,
    ReqClose = 1,
    ReqSetProgram = 2,
    ReqGetProgram = 3,
    ReqSetProgramName = 4,
    ReqGetProgramName = 5,
    ReqParamUnit = 6,
    ReqParamText = 7,
    ReqParamTitle = 8,
    ReqMeter = 9,
    ReqSetSampleRate = 10,
    ReqSetBlockSize = 11,
    ReqSetActive = 12,
    ReqEditorRect = 13,
    ReqEditorOpen = 14,
    ReqEditorClose = 15,
    ReqUnused16 = 16,  // 16, 17, 18, 20 and 21 are answered with 0 and do nothing
    ReqUnused17 = 17,
    ReqUnused18 = 18,
    ReqEditorIdle = 19,
    ReqUnused20 = 20,
    ReqUnused21 = 21,
    ReqIdentify = 22,
    ReqGetChunk = 23,
    ReqSetChunk = 24,
    ReqEvents = 25,
    ReqCanAutomate = 26,
    ReqParamFromText = 27,
    ReqCategoryCount = 28,
    ReqIndexedProgramName = 29,
    ReqCopyProgram = 30,
    ReqInputWired = 31,
    ReqOutputWired = 32,
    ReqInputInfo = 33,
    ReqOutputInfo = 34,
    ReqCategory = 35,
    ReqPosition = 36,
    ReqDestination = 37,
    ReqOfflineFiles = 38,
    ReqOfflineReady = 39,
    ReqOfflineProcess = 40,
    ReqVariableIo = 41,
    ReqSpeakers = 42,
    ReqBlockAndRate = 43,
    ReqBypass = 44,
    ReqEffectName = 45,
    ReqErrorText = 46,
    ReqVendorName = 47,
    ReqProductName = 48,
    ReqVendorVersion = 49,
    ReqVendorSpecific = 50,
    ReqCapability = 51,
    ReqTailSize = 52,
    ReqIdle = 53,
    ReqIcon = 54,
    ReqViewPosition = 55,
    ReqParamInfo = 56,
    ReqKeysNeeded = 57,
    ReqInterfaceVersion = 58,
    ReqKeyDown = 59,
    ReqKeyUp = 60,
    ReqKnobMode = 61,
    ReqMidiProgramName = 62,
    ReqMidiCurrentProgram = 63,
    ReqMidiProgramCategory = 64,
    ReqMidiProgramsChanged = 65,
    ReqMidiKeyName = 66,
    ReqBeginProgramLoad = 67,
    ReqEndProgramLoad = 68,
};

inline constexpr int32_t kLastBaseRequest = ReqSetChunk;
inline constexpr int32_t kFirstExtRequest = ReqEvents;
inline constexpr int32_t kLastExtRequest = ReqEndProgramLoad;

// Requests the plug-in sends to the host through its HostCallback.
enum HostOpcode : int32_t {
    HostAutomate = 0,
    HostVersion = 1,
    HostCurrentId = 2,
    HostIdle = 3,
    HostPinConnected = 4,
    HostWantEvents = 6,
    HostTimeInfo = 7,
    HostTempoAt = 10,
    HostAutomatableCount = 11,
    HostQuantization = 12,
    HostIoChanged = 13,
    HostNeedIdle = 14,
    HostResizeWindow = 15,
    HostSampleRate = 16,
    HostBlockSize = 17,
    HostInputLatency = 18,
    HostOutputLatency = 19,
    HostPreviousPlug = 20,
    HostNextPlug = 21,
    HostReplaceOrAccumulate = 22,
    HostProcessLevel = 23,
    HostAutomationState = 24,
    HostOfflineStart = 25,
    HostOfflineRead = 26,
    HostOfflineWrite = 27,
    HostOfflinePass = 28,
    HostOfflineMetaPass = 29,
    HostSetOutputRate = 30,
    HostSpeakers = 31,
    HostVendor = 32,
    HostProduct = 33,
    HostVendorVersion = 34,
    HostVendorSpecific = 35,
    HostCapability = 37,
    HostLanguage = 38,
    HostOpenWindow = 39,
    HostCloseWindow = 40,
    HostDirectory = 41,
    HostUpdateDisplay = 42,
    HostBeginEdit = 43,
    HostEndEdit = 44,
    HostFileSelector = 45,
};

}  // namespace marrowfold
