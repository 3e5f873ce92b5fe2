// A thousand plug-in lifetimes in one process: load the module, create the effect, run a few
// blocks, close it and release the module (which stays mapped after its first load, so its own
// static state lives on between rounds); then the same with the editor object's notifications
// in between. The heap must end where it was after the first few rounds, so a leak of even a
// few bytes per instance shows (the leak sanitizer covers what is unreachable at exit). Also a
// thousand oversampling factor changes of one instance between its blocks.
#include <functional>
#include <string>
#include <vector>

#include "core/HostEditor.h"
#include "core/VendorRequests.h"
#include "tests/common/HeapAccounting.h"
#include "tests/integration/ModuleFixture.h"

namespace marrowfold {
namespace {

using testing::builtModule;
using testing::StereoBuffers;

constexpr int32_t kRounds = 1000;
// Rounds before the heap is measured: first-use caches of the runtime fill up meanwhile.
constexpr int32_t kWarmUpRounds = 20;
// Growth allowed over the remaining rounds: below one byte per round (none is measured).
constexpr size_t kAllowedGrowth = 512;
constexpr int32_t kBlockSize = 256;
constexpr int32_t kBlocksPerRound = 3;

const char* modulePath() {
    const char* path = std::getenv("MARROWFOLD_MODULE");
    return path ? path : MARROWFOLD_MODULE_PATH;
}

void runBlocks(PluginHost& host, int32_t blocks) {
    StereoBuffers buffers(kBlockSize);
    for (int32_t n = 0; n < kBlockSize; ++n)
        buffers.left[n] = buffers.right[n] = (n % 64 < 32) ? 0.5f : -0.5f;
    for (int32_t b = 0; b < blocks; ++b) {
        host.processReplace(buffers.inputs(), buffers.outputs(), kBlockSize);
        host.processAdd(buffers.inputs(), buffers.outputs(), kBlockSize);
    }
}

// Everything that reaches the editor object while its window is closed.
void notifyEditor(PluginHost& host, const std::vector<uint8_t>& bank, int32_t round) {
    host.setParameter(round % 8, 0.25f);
    host.setParameter(7, 0.5f);
    host.setParameter(11, static_cast<float>(round % 4));
    host.setProgram(round % 4);
    host.restoreChunk(bank, false);
    host.setSampleRate(round % 2 ? 48000.0f : 44100.0f);
    host.dispatch(ReqEditorIdle);
    EditorRect* rect = nullptr;
    host.dispatch(ReqEditorRect, 0, 0, &rect);
    host.dispatch(ReqVendorSpecific, fourCharCode("xpMW"), fourCharCode("Whee"), nullptr, 1.0f);
}

void loadCreateRunAndClose(int32_t) {
    PluginModule module;
    ASSERT_TRUE(module.open(modulePath())) << module.error();
    PluginHost host;
    ASSERT_TRUE(host.create(module));
    host.setSampleRate(44100.0f);
    host.setBlockSize(kBlockSize);
    host.setActive(true);
    runBlocks(host, kBlocksPerRound);
    ASSERT_EQ(host.close(), 1);
}

void createNotifyAndClose(int32_t round, const std::vector<uint8_t>& bank) {
    PluginHost host;
    ASSERT_TRUE(host.create(builtModule()));
    ASSERT_TRUE(host.record()->flags & FlagEditor);
    host.setBlockSize(kBlockSize);
    runBlocks(host, 1);
    notifyEditor(host, bank, round);
    runBlocks(host, 1);
    ASSERT_EQ(host.close(), 1);
}

TEST(Lifecycle, ThousandModuleLoadsCreatesAndClosesLeaveTheHeapAsItWas) {
    testing::expectHeapToSettle(loadCreateRunAndClose, kWarmUpRounds, kRounds, kAllowedGrowth);
}

TEST(Lifecycle, ThousandInstancesWithEditorNotificationsLeaveTheHeapAsItWas) {
#ifndef MARROWFOLD_WITH_EDITOR
    GTEST_SKIP() << "this module is built without the editor";
#endif
    ASSERT_TRUE(builtModule().isOpen()) << builtModule().error();
    std::vector<uint8_t> bank;
    {
        PluginHost host;
        ASSERT_TRUE(host.create(builtModule()));
        bank = host.saveChunk(false);
    }
    testing::expectHeapToSettle([&bank](int32_t round) { createNotifyAndClose(round, bank); },
                                kWarmUpRounds, kRounds, kAllowedGrowth);
}

TEST(Lifecycle, ThousandFactorChangesLeaveTheHeapAsItWas) {
    ASSERT_TRUE(builtModule().isOpen()) << builtModule().error();
    PluginHost host;
    ASSERT_TRUE(host.create(builtModule()));
    host.setSampleRate(44100.0f);
    host.setBlockSize(kBlockSize);
    host.setActive(true);
    constexpr int32_t kFactorSteps = 5;  // 1, 2, 4, 8, 16
    testing::expectHeapToSettle(
        [&host](int32_t round) {
            const float factor = static_cast<float>(1 << (round % kFactorSteps));
            EXPECT_EQ(host.dispatch(ReqVendorSpecific, kOversamplingRequestIndex,
                                    kOversamplingRequestValue, nullptr, factor),
                      1);
            runBlocks(host, 1);
            // The host's own record of the module's calls (the latency news) would grow.
            host.clearCalls();
        },
        kWarmUpRounds, kRounds, kAllowedGrowth);
}

}  // namespace
}  // namespace marrowfold
