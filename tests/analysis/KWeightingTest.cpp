// The K-weighting filters against the coefficients BS.1770 publishes for 48 kHz, and at other rates
// against the curve of those published filters.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <utility>

#include "analysis/KWeighting.h"

namespace marrowfold {
namespace {

// Tables 1 (the pre-filter, a shelf) and 2 (the RLB filter, a high-pass) of ITU-R BS.1770-4.
constexpr BiquadCoefficients kPublishedShelf{1.53512485958697, -2.69169618940638, 1.19839281085285,
                                             -1.69065929318241, 0.73248077421585};
constexpr BiquadCoefficients kPublishedHighPass{1.0, -2.0, 1.0, -1.99004745483398,
                                                0.99007225036621};

std::array<double, 5> asArray(const BiquadCoefficients& c) {
    return {c.b0, c.b1, c.b2, c.a1, c.a2};
}

// The gain of the shelf and the high-pass in series at hz.
double gainDecibels(const BiquadCoefficients& shelf, const BiquadCoefficients& highPass, double hz,
                    double sampleRate) {
    const std::complex<double> z = std::polar(1.0, -2.0 * std::numbers::pi * hz / sampleRate);
    double decibels = 0.0;
    for (const BiquadCoefficients& c : {shelf, highPass}) {
        decibels += 20.0 * std::log10(std::abs((c.b0 + c.b1 * z + c.b2 * z * z) /
                                               (1.0 + c.a1 * z + c.a2 * z * z)));
    }
    return decibels;
}

TEST(KWeightingTest, At48kHzTheCoefficientsAreThePublishedOnes) {
    using testing::DoubleNear;
    using testing::Pointwise;
    EXPECT_THAT(asArray(kWeightingShelf(48000.0)),
                Pointwise(DoubleNear(1e-13), asArray(kPublishedShelf)));
    EXPECT_THAT(asArray(kWeightingHighPass(48000.0)),
                Pointwise(DoubleNear(1e-13), asArray(kPublishedHighPass)));
}

// Away from the shelf's slope, where the bilinear transform bends frequencies differently at each
// rate (by up to 0.03 dB at 22.05 kHz), every rate's curve is the published one within 0.005 dB,
// from -24 dB at 10 Hz to +4 dB above the shelf.
TEST(KWeightingTest, EveryRateHasThePublishedCurve) {
    for (const double rate : {22050.0, 32000.0, 44100.0, 88200.0, 96000.0, 192000.0}) {
        for (const double hz : {10.0, 20.0, 38.0, 100.0, 300.0, 1682.0, 8000.0, 10000.0}) {
            EXPECT_NEAR(gainDecibels(kWeightingShelf(rate), kWeightingHighPass(rate), hz, rate),
                        gainDecibels(kPublishedShelf, kPublishedHighPass, hz, 48000.0), 0.005)
                << hz << " Hz at " << rate;
        }
    }
}

}  // namespace
}  // namespace marrowfold
