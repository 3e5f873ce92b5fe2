// What an open editor window costs the audio thread: the effect processes the same stereo noise
// at 512 frames with the hand-over to the editor closed and open, in alternating rounds so both
// meet the same load, each summarised by its median; while open, a second thread takes the audio
// out at the editor's frame rate. Prints one line.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "bench/SideBySide.h"
#include "effect/MultibandEffect.h"

namespace marrowfold {
namespace {

constexpr int kRounds = 61;
constexpr auto kEditorFrame = std::chrono::milliseconds(33);

intptr_t quietHost(EffectRecord*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == HostVersion ? 2400 : 0;
}

// Takes everything out of the tap once per editor frame until stopped, as the editor's idle does.
void takeAsTheEditorDoes(AnalysisTap& tap, const std::atomic<bool>& running) {
    std::vector<float> input(AnalysisTap::kSampleCapacity);
    std::vector<float> output(AnalysisTap::kSampleCapacity);
    std::vector<BlockLevels> blocks(AnalysisTap::kBlockCapacity);
    while (running.load()) {
        tap.takeSamples(input.data(), output.data(), input.size());
        tap.takeBlocks(blocks.data(), blocks.size());
        std::this_thread::sleep_for(kEditorFrame);
    }
}

}  // namespace
}  // namespace marrowfold

int main() {
    using namespace marrowfold;
    using namespace marrowfold::bench;
    MultibandEffect effect(&quietHost);
    if (!effect.initialize()) return 1;
    effect.changeSampleRate(static_cast<float>(kRate));
    effect.changeBlockSize(kFrames);
    effect.onActivate();
    std::vector<float> left = noise(kFrames, 1), right = noise(kFrames, 2), outLeft(kFrames),
                       outRight(kFrames);
    float* inputs[] = {left.data(), right.data()};
    float* outputs[] = {outLeft.data(), outRight.data()};
    const auto block = [&] { effect.processReplace(inputs, outputs, kFrames); };

    AnalysisTap& tap = *effect.analysisTap();
    std::atomic<bool> running{true};
    std::thread editor(takeAsTheEditorDoes, std::ref(tap), std::cref(running));
    std::vector<double> closed, open;
    for (int round = 0; round < kRounds; ++round) {
        tap.close();
        closed.push_back(realTimeFactor(block));
        tap.open();
        open.push_back(realTimeFactor(block));
    }
    tap.close();
    running.store(false);
    editor.join();

    const double closedMedian = median(closed);
    const double openMedian = median(open);
    std::printf("editor closed %.1fx real time, open %.1fx: open costs %.2f %% more time\n",
                closedMedian, openMedian, 100.0 * (closedMedian / openMedian - 1.0));
    return 0;
}
