// Meter ballistics on block levels of steady sines: RMS and peak within 0.5 dB of the signal's
// own, the peak held and then falling at its rate, silence at the floor.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "analysis/LevelMeter.h"

namespace marrowfold {
namespace {

constexpr float kRate = 48000.0f;
constexpr int32_t kBlock = 480;

// Feeds seconds of a sine in blocks, each with its measured peak and sum of squares.
void feedSine(LevelMeter& meter, float amplitude, float hz, float seconds) {
    static int64_t n = 0;
    for (int32_t b = 0; b < static_cast<int32_t>(seconds * kRate) / kBlock; ++b) {
        float peak = 0.0f;
        float squares = 0.0f;
        for (int32_t i = 0; i < kBlock; ++i, ++n) {
            const float x =
                amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * n / kRate));
            peak = std::max(peak, std::fabs(x));
            squares += x * x;
        }
        meter.add(peak, squares, kBlock);
    }
}

TEST(LevelMeterTest, SteadySinesReadTheirRmsAndPeak) {
    for (const float amplitude : {1.0f, 0.3f, 0.01f}) {
        for (const float hz : {60.0f, 997.0f, 9000.0f}) {
            LevelMeter meter;
            meter.setSampleRate(kRate);
            feedSine(meter, amplitude, hz, 2.0f);
            const float peak = 20.0f * std::log10(amplitude);
            EXPECT_NEAR(meter.peakDecibels(), peak, 0.5f) << amplitude << " at " << hz;
            EXPECT_NEAR(meter.rmsDecibels(), peak - 10.0f * std::log10(2.0f), 0.5f)
                << amplitude << " at " << hz;
        }
    }
}

TEST(LevelMeterTest, PeakHoldsThenFallsAndSilenceReadsTheFloor) {
    LevelMeter meter;
    meter.setSampleRate(kRate);
    feedSine(meter, 0.5f, 1000.0f, 0.5f);
    const float held = meter.peakDecibels();
    feedSine(meter, 0.0f, 1000.0f, 0.9f);
    EXPECT_FLOAT_EQ(meter.peakDecibels(), held) << "within the hold";
    feedSine(meter, 0.0f, 1000.0f, 0.6f);
    EXPECT_NEAR(meter.peakDecibels(), held - 0.5f * LevelMeter::kPeakFallDecibelsPerSecond, 1.0f);
    feedSine(meter, 0.0f, 1000.0f, 5.0f);
    EXPECT_EQ(meter.peakDecibels(), LevelMeter::kFloorDecibels);
    EXPECT_EQ(meter.rmsDecibels(), LevelMeter::kFloorDecibels);
}

}  // namespace
}  // namespace marrowfold
