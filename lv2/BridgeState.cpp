// The bridge's state: the module's bank chunk (all four programs), the current program, and the
// host's port values that the bank reflects, saved as typed values and restored through the
// module's chunk request.
#include <algorithm>
#include <cstring>
#include <vector>

#include "host/ChunkFormat.h"
#include "lv2/Bridge.h"

namespace marrowfold::lv2 {

namespace {

constexpr uint32_t kPortableValue = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;

struct StoredValue {
    const void* data = nullptr;
    size_t size = 0;
    uint32_t type = 0;
};

StoredValue retrieveValue(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
                          LV2_URID key) {
    StoredValue value;
    uint32_t flags = 0;
    value.data = retrieve(handle, key, &value.size, &value.type, &flags);
    return value;
}

}  // namespace

Bridge::SeenValueBytes Bridge::encodeSeenValues() const {
    SeenValueBytes bytes{};
    for (int32_t control = 0; control < HostControlCount; ++control)
        storeBigEndianFloat(seenValues[portOfControl(control)], bytes,
                            static_cast<size_t>(control) * kPortValueBytes);
    return bytes;
}

void Bridge::decodeSeenValues(std::span<const uint8_t> bytes) {
    const auto count = std::min(bytes.size() / kPortValueBytes, size_t{HostControlCount});
    for (size_t control = 0; control < count; ++control) {
        const auto key = static_cast<int32_t>(control);
        if (!hostControl(key).has(kOutput))
            seenValues[portOfControl(key)] = bigEndianFloat(bytes, control * kPortValueBytes);
    }
}

LV2_State_Status Bridge::save(LV2_State_Store_Function store, LV2_State_Handle handle) {
    if (urids.bankKey == 0) return LV2_STATE_ERR_NO_FEATURE;
    lockRequests();
    // A host may save before run() has seen the port values it wrote; the chunk saved must match
    // the port values the host saves beside it.
    takeControls();
    void* bank = nullptr;
    const intptr_t bytes = instance.dispatch(ReqGetChunk, 0, 0, &bank);
    const auto program = static_cast<int32_t>(instance.program());
    LV2_State_Status status = LV2_STATE_ERR_UNKNOWN;
    if (bank != nullptr && bytes == static_cast<intptr_t>(kBankChunkSize)) {
        status =
            store(handle, urids.bankKey, bank, kBankChunkSize, urids.chunkType, kPortableValue);
        if (status == LV2_STATE_SUCCESS)
            status = store(handle, urids.programKey, &program, sizeof program, urids.intType,
                           kPortableValue);
        const SeenValueBytes ports = encodeSeenValues();
        if (status == LV2_STATE_SUCCESS)
            status = store(handle, urids.portsKey, ports.data(), ports.size(), urids.chunkType,
                           kPortableValue);
    }
    unlockRequests();
    return status;
}

// Everything is checked before anything changes: a bank of another type or size, a program that
// is not an integer 0..3, or port values that are not whole words leave the instance as it was. A
// state without a bank (a host's start-up state) changes nothing.
//
// Hosts set the port values they saved beside the state, before the restore (Ardour) or after it
// (lilv), and these may be ahead of the bank: Ardour saves the values it has set, while the
// plug-in's ports see them only at the next run(), so a session saved right after a preset file
// was loaded holds the bank from before. The port values the bank reflects become the ones run()
// has seen, so that the next run() hands the module what the host changed since, as it would
// have; a state without them (saved by an earlier version) leaves the seen values as they are.
LV2_State_Status Bridge::restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle) {
    if (urids.bankKey == 0) return LV2_STATE_ERR_NO_FEATURE;
    const StoredValue bank = retrieveValue(retrieve, handle, urids.bankKey);
    if (bank.data == nullptr) return LV2_STATE_SUCCESS;
    if (bank.type != urids.chunkType) return LV2_STATE_ERR_BAD_TYPE;
    if (bank.size != kBankChunkSize) return LV2_STATE_ERR_UNKNOWN;
    const StoredValue program = retrieveValue(retrieve, handle, urids.programKey);
    int32_t programIndex = -1;
    if (program.data != nullptr) {
        if (program.type != urids.intType || program.size != sizeof programIndex)
            return LV2_STATE_ERR_BAD_TYPE;
        std::memcpy(&programIndex, program.data, sizeof programIndex);
        if (programIndex < 0 || programIndex >= kProgramCount) return LV2_STATE_ERR_UNKNOWN;
    }
    const StoredValue ports = retrieveValue(retrieve, handle, urids.portsKey);
    if (ports.data != nullptr &&
        (ports.type != urids.chunkType || ports.size % kPortValueBytes != 0))
        return LV2_STATE_ERR_BAD_TYPE;
    // The module may keep the pointer it is given only for the request; a copy it may write.
    std::vector<uint8_t> chunk(static_cast<const uint8_t*>(bank.data),
                               static_cast<const uint8_t*>(bank.data) + bank.size);
    lockRequests();
    // Selecting the program first makes the bank's own copy of it the one that is loaded.
    if (programIndex >= 0) instance.dispatch(ReqSetProgram, 0, programIndex);
    const intptr_t result =
        instance.dispatch(ReqSetChunk, 0, static_cast<intptr_t>(chunk.size()), chunk.data());
    if (result == 0 && ports.data != nullptr)
        decodeSeenValues({static_cast<const uint8_t*>(ports.data), ports.size});
    unlockRequests();
    return result == 0 ? LV2_STATE_SUCCESS : LV2_STATE_ERR_UNKNOWN;
}

}  // namespace marrowfold::lv2
