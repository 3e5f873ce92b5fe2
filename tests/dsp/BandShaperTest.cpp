// Shaping of band signals: table lookup with rounded index, limiting and the clip flag, odd
// symmetry, and the gains, checked against values computed independently from the curves.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/BandShaper.h"

namespace marrowfold {
namespace {

// Shape 0 entry i computed from its curve.
float cubic(int32_t i) {
    const double x = i / 255.0;
    return static_cast<float>(1.5 * x - 0.5 * x * x * x);
}

// Feeds value to every band and returns what band b makes of it.
class ShaperProbe {
  public:
    ShaperProbe() : shaper(44100, 1, 4, 4, 4) {}

    float shape(float value, int32_t band = 0) {
        for (auto& buffer : buffers)
            buffer.assign(1, value);
        float* channels[4] = {buffers[0].data(), buffers[1].data(), buffers[2].data(),
                              buffers[3].data()};
        float* const* bands[4] = {&channels[0], &channels[1], &channels[2], &channels[3]};
        shaper.shapeBands(bands, 1);
        return buffers[band][0];
    }

    BandShaper shaper;
    std::vector<float> buffers[4];
};

TEST(BandShaperTest, MakeupGainOfEveryShape) {
    ShaperProbe probe;
    const float published[] = {0.79433f, 0.49545f, 0.42658f, 0.45186f, 0.30903f};
    EXPECT_NEAR(probe.shaper.makeupGain(), published[1], 5e-6f);  // shape 1 at start
    for (int32_t s = 0; s < kShapeCount; ++s) {
        probe.shaper.setShape(s);
        EXPECT_NEAR(probe.shaper.makeupGain(), published[s], 5e-6f) << s;
    }
    for (const int32_t outOfRange : {5, -1, 1000}) {
        probe.shaper.setShape(outOfRange);
        EXPECT_NEAR(probe.shaper.makeupGain(), published[0], 5e-6f) << outOfRange;
        EXPECT_NEAR(probe.shape(0.5f), 0.54435f, 1e-5f) << outOfRange;
    }
}

TEST(BandShaperTest, LookupRoundsTheIndexAndInterpolates) {
    ShaperProbe probe;
    probe.shaper.setShape(0);
    const float makeup = probe.shaper.makeupGain();
    // 0.5 * 254 = 127 exactly: entry 127 alone.
    EXPECT_NEAR(probe.shape(0.5f), 0.544347f, 1e-6f);
    EXPECT_FLOAT_EQ(probe.shape(0.5f), cubic(127) * makeup);
    // 1.0 reads entry 254, not 255.
    EXPECT_FLOAT_EQ(probe.shape(1.0f), cubic(254) * makeup);
    EXPECT_LT(probe.shape(1.0f), makeup);
    // 0.25 * 254 = 63.5 rounds to 64 (ties to even): the line through 64 and 65, half a step
    // back. 0.75 * 254 = 190.5 rounds to 190: the line through 190 and 191, half a step on.
    EXPECT_FLOAT_EQ(probe.shape(0.25f), (cubic(64) - 0.5f * (cubic(65) - cubic(64))) * makeup);
    EXPECT_FLOAT_EQ(probe.shape(0.75f), (cubic(190) + 0.5f * (cubic(191) - cubic(190))) * makeup);
    // 0.4 * 254 = 101.6 rounds up to 102 with weight -0.4.
    const float position = 0.4f * 254.0f;
    EXPECT_FLOAT_EQ(probe.shape(0.4f),
                    (cubic(102) + (cubic(103) - cubic(102)) * (position - 102.0f)) * makeup);
    EXPECT_EQ(probe.shaper.clipFlag(), 0.0f);
}

TEST(BandShaperTest, CurveIsOddAndLimitedWithAClipFlag) {
    ShaperProbe probe;
    for (int32_t s = 0; s < kShapeCount; ++s) {
        probe.shaper.setShape(s);
        for (const float value : {0.5f, 0.013f, 0.9999f, 0.37f}) {
            EXPECT_EQ(probe.shape(-value), -probe.shape(value)) << s << " " << value;
        }
    }
    EXPECT_EQ(probe.shaper.clipFlag(), 0.0f);

    probe.shaper.setShape(0);
    const float makeup = probe.shaper.makeupGain();
    EXPECT_EQ(probe.shape(1.0001f), makeup);
    EXPECT_EQ(probe.shaper.takeClipFlag(), 1.0f);
    EXPECT_EQ(probe.shaper.clipFlag(), 0.0f);
    EXPECT_EQ(probe.shape(-7.0f), -makeup);
    EXPECT_EQ(probe.shaper.takeClipFlag(), 1.0f);
    EXPECT_EQ(probe.shape(std::numeric_limits<float>::infinity()), makeup);
    EXPECT_EQ(probe.shaper.takeClipFlag(), 1.0f);
    // An undefined sample is silenced, without claiming a clip.
    EXPECT_EQ(probe.shape(std::numeric_limits<float>::quiet_NaN()), 0.0f);
    EXPECT_EQ(probe.shaper.clipFlag(), 0.0f);
}

TEST(BandShaperTest, GainsScaleDriveAndOutputPerBand) {
    ShaperProbe probe;
    probe.shaper.setShape(0);
    const float makeup = probe.shaper.makeupGain();
    // +20 dB input drives 0.15 to 1.5: limited to 1.
    probe.shaper.setInputGain(20.0f);
    EXPECT_FLOAT_EQ(probe.shape(0.15f), makeup);
    EXPECT_EQ(probe.shaper.takeClipFlag(), 1.0f);
    // A band drive of -20 dB brings band 3 back to about 0.15 (table position 38.1).
    probe.shaper.setBandDrive(-20.0f, 3);
    const float driven = probe.shape(0.15f, 2);
    EXPECT_EQ(probe.shaper.takeClipFlag(), 1.0f);  // the other bands still clip
    EXPECT_NEAR(driven, (cubic(38) + (cubic(39) - cubic(38)) * 0.1f) * makeup, 2e-6f);
    // Output and band level multiply after the curve.
    probe.shaper.setOutputGain(-6.0f);
    probe.shaper.setBandLevel(12.0f, 3);
    const double factor = std::pow(10.0, -6.0 / 20) * std::pow(10.0, 12.0 / 20);
    EXPECT_NEAR(probe.shape(0.15f, 2), driven * factor, 2e-6);
    EXPECT_NEAR(probe.shape(0.15f, 0), makeup * std::pow(10.0, -6.0 / 20), 2e-6);
    // Bands outside 1..4 are ignored.
    probe.shaper.setBandLevel(40.0f, 5);
    probe.shaper.setBandDrive(40.0f, 0);
    EXPECT_EQ(probe.shaper.levelGain(3), 1.0f);
    EXPECT_EQ(probe.shaper.driveGain(0), 1.0f);
}

}  // namespace
}  // namespace marrowfold
