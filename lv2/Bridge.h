#pragma once

#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "lv2/ModuleInstance.h"
#include "lv2/PortLayout.h"
#include "params/ChunkLayout.h"

namespace marrowfold::lv2 {

// URIDs of the bridge's state: the bank chunk, the current program and the port values the bank
// reflects.
struct StateUrids {
    LV2_URID bankKey = 0;
    LV2_URID programKey = 0;
    LV2_URID portsKey = 0;
    LV2_URID chunkType = 0;
    LV2_URID intType = 0;
};

// One plug-in instance: the module behind the LV2 ports. run() hands each control port to the
// module only when the host changed it and the module does not already hold that value, splits
// blocks longer than the announced maximum, gives the module input buffers of its own, so a
// host may pass one buffer as both input and output, and writes the meters' readings of the
// block to their ports.
class Bridge {
  public:
    // Null when a required feature is missing or the module in the bundle cannot be started.
    static std::unique_ptr<Bridge> create(double sampleRate, const char* bundlePath,
                                          const LV2_Feature* const* features);
    Bridge(const Bridge&) = delete;
    Bridge& operator=(const Bridge&) = delete;

    void connect(uint32_t port, void* data);
    void activate();
    void deactivate();
    void run(uint32_t frames);

    LV2_State_Status save(LV2_State_Store_Function store, LV2_State_Handle handle);
    LV2_State_Status restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);

    ModuleInstance& module() { return instance; }

  private:
    Bridge(const StateUrids& urids, int32_t maxBlock);
    void seeModuleValues();
    // The seen values of the state, stored as the bank is: a big-endian float32 word for each
    // host control in the order of its key, so that a later version with more controls reads an
    // earlier one's.
    static constexpr size_t kPortValueBytes = kChunkWordSize;
    using SeenValueBytes = std::array<uint8_t, kPortValueBytes * HostControlCount>;
    SeenValueBytes encodeSeenValues() const;
    void decodeSeenValues(std::span<const uint8_t> bytes);
    void takeControls();
    void takeProgram();
    void takePreset();
    void takeParameter(int32_t control);
    void takeBands();
    template <typename Set>
    void takeSetting(int32_t control, Set set);
    void reportLatency();
    void reportAutoGain();
    bool anyControlMoved() const;
    const float* changedPort(uint32_t index);
    void processSlice(uint32_t offset, int32_t frames);
    void reportMeters();
    void lockRequests();
    void unlockRequests() { requestGate.clear(std::memory_order_release); }

    ModuleInstance instance;
    StateUrids urids;
    std::array<float*, PortCount> ports{};
    // The port values run() last looked at: the host's values that the module has taken.
    std::array<float, PortCount> seenValues;
    std::vector<float> inputCopies;
    std::vector<float> silence;
    std::vector<float> discarded;
    // The module measures for the meters only once a host connected one of their ports.
    bool metersConnected = false;
    // Held by run() while it hands controls to the module and by state save and restore, which
    // hosts call on another thread while run() goes on; run() never waits for it.
    std::atomic_flag requestGate = ATOMIC_FLAG_INIT;
};

}  // namespace marrowfold::lv2
