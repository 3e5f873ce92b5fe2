// The spectrum shown behind the band editor: a sine reads its amplitude at its own frequency and
// little elsewhere, the shown level falls at its set rate, and silence shows nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/SpectrumAnalyser.h"

namespace marrowfold {
namespace {

constexpr float kRate = 48000.0f;

// Feeds seconds of a sine to both streams (the output at half the amplitude), updating every
// block as the editor's idle would.
void feedSine(SpectrumAnalyser& analyser, float hz, float amplitude, float seconds) {
    constexpr int32_t kBlock = 1600;
    std::vector<float> in(kBlock);
    std::vector<float> out(kBlock);
    static int64_t phase = 0;
    const int32_t blocks = static_cast<int32_t>(seconds * kRate) / kBlock;
    for (int32_t b = 0; b < blocks; ++b) {
        for (int32_t n = 0; n < kBlock; ++n, ++phase) {
            in[static_cast<size_t>(n)] =
                amplitude *
                static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * phase / kRate));
            out[static_cast<size_t>(n)] = 0.5f * in[static_cast<size_t>(n)];
        }
        analyser.feed(in.data(), out.data(), kBlock);
        analyser.update();
    }
}

float decibels(float amplitude) {
    return 20.0f * std::log10(amplitude);
}

TEST(SpectrumAnalyserTest, SineReadsItsAmplitudeAtItsFrequencyOnly) {
    struct Case {
        float hz;
        float amplitude;
    };
    for (const Case c :
         {Case{100.0f, 1.0f}, Case{1000.0f, 0.5f}, Case{8000.0f, 0.1f}, Case{15000.0f, 0.01f}}) {
        SpectrumAnalyser analyser(kRate);
        feedSine(analyser, c.hz, c.amplitude, 0.5f);
        EXPECT_NEAR(analyser.levelAt(SpectrumAnalyser::Input, c.hz), decibels(c.amplitude), 1.0f)
            << c.hz;
        EXPECT_NEAR(analyser.levelAt(SpectrumAnalyser::Output, c.hz), decibels(0.5f * c.amplitude),
                    1.0f)
            << c.hz;
        // The peak lies within a bin, or a fiftieth of an octave, of the tone.
        float bestHz = 0.0f;
        float best = SpectrumAnalyser::kFloorDecibels;
        for (float octave = -1.0f; octave <= 1.0f; octave += 0.005f) {
            const float hz = c.hz * std::exp2(octave);
            if (analyser.levelAt(SpectrumAnalyser::Input, hz) > best) {
                best = analyser.levelAt(SpectrumAnalyser::Input, hz);
                bestHz = hz;
            }
        }
        const float binWidth = kRate / SpectrumAnalyser::kFftSize;
        EXPECT_NEAR(std::log2(bestHz / c.hz), 0.0f,
                    std::max(0.02f, std::log2(1.0f + binWidth / c.hz)))
            << c.hz;
        // Two octaves away, where that is well clear of the window's leakage.
        constexpr float kClearOfLeakageBins = 16.0f;
        for (const float away : {0.25f, 4.0f}) {
            if (std::fabs(c.hz * away - c.hz) < kClearOfLeakageBins * binWidth) continue;
            EXPECT_LE(analyser.levelAt(SpectrumAnalyser::Input, c.hz * away),
                      std::max(decibels(c.amplitude) - 40.0f, SpectrumAnalyser::kFloorDecibels))
                << c.hz << " x" << away;
        }
    }
}

TEST(SpectrumAnalyserTest, LevelFallsAtItsRateAndSilenceShowsNothing) {
    SpectrumAnalyser analyser(kRate);
    EXPECT_TRUE(analyser.silent());
    feedSine(analyser, 1000.0f, 1.0f, 0.5f);
    EXPECT_FALSE(analyser.silent());
    const float loud = analyser.levelAt(SpectrumAnalyser::Input, 1000.0f);
    feedSine(analyser, 1000.0f, 0.0f, 0.5f);
    EXPECT_NEAR(analyser.levelAt(SpectrumAnalyser::Input, 1000.0f),
                loud - 0.5f * SpectrumAnalyser::kFallDecibelsPerSecond, 1.0f);
    feedSine(analyser, 1000.0f, 0.0f, 2.5f);
    EXPECT_TRUE(analyser.silent());
}

}  // namespace
}  // namespace marrowfold
