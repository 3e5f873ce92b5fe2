// A thousand lifetimes of the bundle's plug-in in one process, with state saves and restores in
// between, must leave the heap where the first few left it; and state blobs of random keys, types,
// sizes and bytes are refused or taken as their form says, without a crash (the sanitizer build
// runs this too).
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>

#include <random>

#include "tests/common/HeapAccounting.h"
#include "tests/lv2/BundleHost.h"
#include "tests/lv2/HostRun.h"
#include "tests/lv2/ModuleReference.h"

namespace marrowfold::testing {
namespace {

constexpr int32_t kRounds = 1000;
constexpr int32_t kWarmUpRounds = 20;
// Growth allowed over the measured rounds: below one byte per round.
constexpr size_t kAllowedGrowth = 512;
constexpr uint32_t kBlock = 256;
constexpr int32_t kRandomStates = 300;
constexpr char kBankKey[] = "urn:marrowfold:lv2:state#bank";
constexpr char kProgramKey[] = "urn:marrowfold:lv2:state#program";
constexpr char kPortsKey[] = "urn:marrowfold:lv2:state#ports";
constexpr size_t kBankBytes = 26000;

void lifetime(int32_t round, const std::vector<float>& signal) {
    BundleHost host(bundleFolder());
    ASSERT_TRUE(host.instantiate());
    host.control(8) = static_cast<float>(round % 4);
    host.control(round % 7) = 1.5f;
    host.activate();
    host.process(signal, kBlock);
    StoredState state;
    ASSERT_EQ(host.save(state), LV2_STATE_SUCCESS);
    host.deactivate();
    ASSERT_EQ(host.restore(state), LV2_STATE_SUCCESS);
    host.activate();
    host.process(signal, kBlock);
    host.deactivate();
    host.cleanup();
}

TEST(BridgeLifecycle, ThousandInstancesWithStateInBetweenLeaveTheHeapAsItWas) {
    const std::vector<float> signal = testSignal(3 * kBlock);
    expectHeapToSettle([&signal](int32_t round) { lifetime(round, signal); }, kWarmUpRounds,
                       kRounds, kAllowedGrowth);
}

StoredProperty randomProperty(std::mt19937& random) {
    const char* types[] = {LV2_ATOM__Chunk, LV2_ATOM__Int, LV2_ATOM__Float, LV2_ATOM__String};
    const size_t sizes[] = {0, 1, 4, 8, 6500, kBankBytes - 1, kBankBytes, kBankBytes + 1};
    StoredProperty property;
    property.typeUri = types[random() % std::size(types)];
    property.bytes.resize(sizes[random() % std::size(sizes)]);
    for (uint8_t& byte : property.bytes)
        byte = static_cast<uint8_t>(random());
    if (property.bytes.size() == 4 && random() % 2) property.bytes = {2, 0, 0, 0};
    return property;
}

bool wellFormed(const StoredState& state) {
    const auto bank = state.find(kBankKey);
    if (bank == state.end()) return true;
    if (bank->second.typeUri != LV2_ATOM__Chunk || bank->second.bytes.size() != kBankBytes)
        return false;
    const auto ports = state.find(kPortsKey);
    if (ports != state.end() &&
        (ports->second.typeUri != LV2_ATOM__Chunk || ports->second.bytes.size() % 4 != 0))
        return false;
    const auto program = state.find(kProgramKey);
    if (program == state.end()) return true;
    const std::vector<uint8_t>& bytes = program->second.bytes;
    return program->second.typeUri == LV2_ATOM__Int && bytes.size() == 4 && bytes[0] < 4 &&
           bytes[1] == 0 && bytes[2] == 0 && bytes[3] == 0;
}

TEST(BridgeLifecycle, RandomStateIsRefusedOrTakenAsItsFormSaysWithoutACrash) {
    const std::vector<float> signal = testSignal(kBlock);
    BundleHost host(bundleFolder());
    ASSERT_TRUE(host.instantiate());
    host.activate();
    std::mt19937 random(20261208);
    for (int32_t i = 0; i < kRandomStates; ++i) {
        StoredState state;
        if (random() % 4) state[kBankKey] = randomProperty(random);
        if (random() % 2) state[kProgramKey] = randomProperty(random);
        if (random() % 2) state[kPortsKey] = randomProperty(random);
        if (random() % 4 == 0) state["urn:another:plugin#key"] = randomProperty(random);
        const bool accepted = host.restore(state) == LV2_STATE_SUCCESS;
        EXPECT_EQ(accepted, wellFormed(state)) << "state " << i;
        host.process(signal, kBlock);
    }
}

}  // namespace
}  // namespace marrowfold::testing
