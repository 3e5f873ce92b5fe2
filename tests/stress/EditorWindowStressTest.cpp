// An effect with its editor in this process on the headless window system: an audio thread
// processes without pause while the user-interface thread opens the editor window, idles it (so
// the spectrum and the meters take the audio and are drawn) and closes it again. The hand-over
// must not race (the thread sanitizer build runs the first case), every sample must stay
// finite, and a thousand windows must leave the heap where it was.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <memory>
#include <thread>
#include <vector>

#include "editor/MultibandEditor.h"
#include "effect/MultibandEffect.h"
#include "platform/HeadlessPlatform.h"
#include "tests/common/HeapAccounting.h"
#include "tests/stress/StressSupport.h"

namespace marrowfold {
namespace {

constexpr int32_t kBlockSize = 256;
constexpr float kRate = 44100.0f;
constexpr int32_t kIdlesPerWindow = 4;
constexpr uint32_t kIdleMilliseconds = 40;  // past the editor's frame interval
constexpr int32_t kWindows = 1000;
constexpr int32_t kWarmUpWindows = 20;
constexpr size_t kAllowedGrowth = 512;

intptr_t quietHost(EffectRecord*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == HostVersion ? 2400 : 0;
}

// The effect, its headless host window, and an audio thread that runs until stopped.
class EditorWithAudio {
  public:
    EditorWithAudio() {
        auto platform = std::make_unique<HeadlessPlatform>();
        headless_ = platform.get();
        previous_ = replacePlatform(std::move(platform));
        host_ = headless_->createHostWindow(kNoWindow, "Host", {100, 200, 900, 600});
        effect_ = std::make_unique<MultibandEffect>(&quietHost, &MultibandEditor::create);
        ready_ = effect_->initialize();
        effect_->changeSampleRate(kRate);
        effect_->changeBlockSize(kBlockSize);
        effect_->onActivate();
        editor_ = static_cast<MultibandEditor*>(effect_->editorObject());
        audio_ = std::thread([this] { processUntilStopped(); });
    }
    ~EditorWithAudio() {
        stop_ = true;
        audio_.join();
        effect_.reset();
        replacePlatform(std::move(previous_));
    }

    bool ready() const { return ready_ && editor_ != nullptr; }
    int64_t badSamples() const { return badSamples_.load(); }
    int64_t blocks() const { return blocks_.load(); }

    // One window: open, idle as the host would, close.
    void openIdleAndClose() {
        editor_->attach(reinterpret_cast<void*>(host_));
        for (int32_t i = 0; i < kIdlesPerWindow; ++i) {
            headless_->advanceClock(kIdleMilliseconds);
            editor_->idle();
        }
        editor_->detach();
    }

  private:
    void processUntilStopped() {
        std::vector<float> left(kBlockSize), right(kBlockSize);
        float* channels[2] = {left.data(), right.data()};
        for (int64_t block = 0; !stop_; ++block) {
            for (int32_t n = 0; n < kBlockSize; ++n) {
                const float phase = static_cast<float>(block * kBlockSize + n) * 0.0713f;
                left[n] = 0.6f * std::sin(phase);
                right[n] = 0.3f * std::sin(3.1f * phase);
            }
            effect_->processReplace(channels, channels, kBlockSize);
            for (const float sample : left)
                badSamples_ += !std::isfinite(sample);
            ++blocks_;
        }
    }

    HeadlessPlatform* headless_ = nullptr;
    std::unique_ptr<Platform> previous_;
    WindowId host_ = kNoWindow;
    std::unique_ptr<MultibandEffect> effect_;
    MultibandEditor* editor_ = nullptr;
    bool ready_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int64_t> badSamples_{0};
    std::atomic<int64_t> blocks_{0};
    std::thread audio_;
};

TEST(ThreadStress, EditorWindowsOpenAndCloseWhileAudioRuns) {
    EditorWithAudio rig;
    ASSERT_TRUE(rig.ready());
    const auto end = std::chrono::steady_clock::now() + testing::stressDuration();
    int32_t windows = 0;
    while (std::chrono::steady_clock::now() < end) {
        rig.openIdleAndClose();
        ++windows;
    }
    EXPECT_GT(windows, 0);
    EXPECT_GT(rig.blocks(), 0);
    EXPECT_EQ(rig.badSamples(), 0);
}

TEST(Lifecycle, ThousandEditorWindowsWithAudioRunningLeaveTheHeapAsItWas) {
    EditorWithAudio rig;
    ASSERT_TRUE(rig.ready());
    testing::expectHeapToSettle([&rig](int32_t) { rig.openIdleAndClose(); }, kWarmUpWindows,
                                kWindows, kAllowedGrowth);
    EXPECT_EQ(rig.badSamples(), 0);
}

}  // namespace
}  // namespace marrowfold
