// The dry/wet mix and bypass on the engine: the dry path lines up with the processed one at
// every oversampling factor, and bypassing crossfades without a click.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "dsp/AntialiasedShaping.h"
#include "dsp/DspEngine.h"
#include "dsp/GlideCurve.h"
#include "params/DistortionParameters.h"
#include "params/ParameterIndex.h"
#include "tests/common/ClickMeter.h"

namespace marrowfold {
namespace {

constexpr int32_t kBlock = 256;
constexpr int32_t kBlocks = 40;
constexpr double kRate = 48000.0;
constexpr double kClickCutoffHz = 5000.0;
constexpr double kClickLimit = -95.0;  // dBFS

// Two channels of a loud, rich signal (so the processed path differs clearly from the input).
std::vector<std::vector<float>> music() {
    std::vector<std::vector<float>> channels(2, std::vector<float>(kBlock * kBlocks));
    for (int32_t ch = 0; ch < 2; ++ch) {
        for (int32_t n = 0; n < kBlock * kBlocks; ++n) {
            const double t = n / kRate;
            channels[ch][n] =
                static_cast<float>(0.6 * std::sin(2 * std::numbers::pi * 220 * t) +
                                   0.3 * std::sin(2 * std::numbers::pi * 3100 * t + ch));
        }
    }
    return channels;
}

// Runs the engine over the signal block by block, in place; before block b, setting(b, engine).
template <typename Setting>
std::vector<std::vector<float>> run(int32_t factor, std::vector<std::vector<float>> signal,
                                    Setting setting, int32_t* latency = nullptr,
                                    bool antialiased = false) {
    DistortionParameters model;
    model.setValue(ParamIn, 12.0f);
    model.markChanged(ParamIn);
    DspEngine engine(kBlock, 2, kRate, 2);
    engine.requestOversampling(factor);
    engine.requestAntialiasing(antialiased);
    if (latency != nullptr) *latency = engine.latency();
    engine.applyChanges(model);
    for (int32_t block = 0; block < kBlocks; ++block) {
        setting(block, engine);
        float* pointers[2] = {signal[0].data() + block * kBlock, signal[1].data() + block * kBlock};
        engine.process(pointers, pointers, kBlock, OutputMode::Replace);
    }
    return signal;
}

// The input delayed by delay samples, silence before it.
std::vector<float> delayed(const std::vector<float>& input, int32_t delay) {
    std::vector<float> result(input.size(), 0.0f);
    std::copy(input.begin(), input.end() - delay, result.begin() + delay);
    return result;
}

TEST(DryWetMixTest, FullyDryIsTheInputDelayedByTheLatencyAtEveryFactor) {
    const auto input = music();
    for (const bool antialiased : {false, true}) {
        for (const int32_t factor : {1, 2, 4, 8, 16}) {
            SCOPED_TRACE("factor " + std::to_string(factor) +
                         (antialiased ? ", anti-aliased" : ""));
            int32_t latency = -1;
            const auto output = run(
                factor, input, [](int32_t, DspEngine& e) { e.setMix(0.0f, false); }, &latency,
                antialiased);
            EXPECT_EQ(latency, oversamplingLatency(factor, antialiased ? kAntialiasingDelay : 0));
            for (int32_t ch = 0; ch < 2; ++ch)
                EXPECT_EQ(output[ch], delayed(input[ch], latency)) << ch;
        }
    }
}

// Bypass switched on and off again on a running sine: neither switch clicks, and while
// bypassed the output is the aligned input.
TEST(DryWetMixTest, BypassCrossfadesToTheAlignedInputWithoutClicks) {
    constexpr int32_t kOn = 12;
    constexpr int32_t kOff = 28;
    std::vector<std::vector<float>> tone(2, std::vector<float>(kBlock * kBlocks));
    for (auto& channel : tone) {
        for (size_t n = 0; n < channel.size(); ++n)
            channel[n] =
                static_cast<float>(0.1 * std::sin(2 * std::numbers::pi * 1000 * n / kRate));
    }
    for (const int32_t factor : {1, 4}) {
        SCOPED_TRACE("factor " + std::to_string(factor));
        const auto output = run(factor, tone, [](int32_t block, DspEngine& e) {
            if (block == kOn || block == kOff) e.setMix(1.0f, block == kOn);
        });
        for (const int32_t block : {kOn, kOff}) {
            const size_t at = static_cast<size_t>(block) * kBlock;
            EXPECT_LE(clickDecibels(output[0], at - 2048, at + 2048, kRate, kClickCutoffHz),
                      kClickLimit);
        }
        const size_t faded = size_t{kOn} * kBlock + glideLength(kRate);
        const std::vector<float> aligned = delayed(tone[1], oversamplingLatency(factor));
        for (size_t n = faded; n < size_t{kOff} * kBlock; ++n)
            ASSERT_EQ(output[1][n], aligned[n]) << n;
    }
}

// Mono and a block longer than the engine's, mixed in pieces like any other.
TEST(DryWetMixTest, LongBlocksAreMixedInPieces) {
    const auto input = music();
    DspEngine engine(64, 1, kRate, 1);
    engine.setMix(0.0f, false);
    std::vector<float> signal = input[0];
    float* pointer = signal.data();
    engine.process(&pointer, &pointer, static_cast<int32_t>(signal.size()), OutputMode::Replace);
    EXPECT_EQ(signal, input[0]);
}

}  // namespace
}  // namespace marrowfold
