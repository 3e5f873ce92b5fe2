// Butterworth design: coefficients against a hand derivation, responses against the analytic
// Butterworth magnitude, and the input corrections with their status codes.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp/FilterDesign.h"
#include "dsp/IirFilter.h"
#include "tests/dsp/DspTestSupport.h"

namespace marrowfold {
namespace {

using test::kHalfPowerDb;
using test::kPi;
using test::levelAt;

constexpr float kRate = 44100.0f;

double warped(double hz, double rate) {
    return std::tan(kPi * hz / rate);
}

// Butterworth magnitude 1 / sqrt(1 + x^2N), x the type's normalised warped frequency.
double butterworthMagnitude(int32_t type, double hz, double f1, double f2, int32_t order,
                            double rate) {
    const double omega = warped(hz, rate);
    const double alpha = warped(f1, rate);
    const double beta = warped(f2, rate);
    const double bandPass = (omega * omega - alpha * beta) / ((beta - alpha) * omega);
    const double x = type == LowPass    ? omega / alpha
                     : type == HighPass ? beta / omega
                     : type == BandPass ? bandPass
                                        : 1.0 / bandPass;
    return 1.0 / std::sqrt(1.0 + std::pow(x, 2 * order));
}

TEST(FilterDesignTest, SecondOrderLowPassAtQuarterRateMatchesHandDerivation) {
    // alpha = tan(pi/4) = 1 and prototype 1 / (1 + sqrt2 s + s^2): the bilinear map gives
    // B = (1, 2, 1) and A = (2 + sqrt2, 0, 2 - sqrt2) before normalisation.
    const IirFilter filter(1, kRate, LowPass, kRate / 4, 0.0f, 2);
    const double a0 = 2.0 + std::sqrt(2.0);
    ASSERT_EQ(filter.sectionCount(), 1);
    ASSERT_EQ(filter.coefficientCount(), 3);
    EXPECT_NEAR(filter.numerators(0)[0], 1.0 / a0, 1e-12);  // 0.29289
    EXPECT_NEAR(filter.numerators(0)[1], 2.0 / a0, 1e-12);
    EXPECT_NEAR(filter.numerators(0)[2], 1.0 / a0, 1e-12);
    EXPECT_NEAR(filter.denominators(0)[0], 0.0, 1e-12);
    EXPECT_NEAR(filter.denominators(0)[1], (2.0 - std::sqrt(2.0)) / a0, 1e-12);  // 0.17157
}

TEST(FilterDesignTest, EveryTypeFollowsTheAnalyticButterworthMagnitude) {
    struct Case {
        int32_t type;
        float f1, f2;
        int32_t order;
        float rate;
    };
    const Case cases[] = {
        {LowPass, 1000.0f, 0.0f, 4, kRate},      {LowPass, 15000.0f, 0.0f, 6, 48000.0f},
        {HighPass, 0.0f, 2000.0f, 4, kRate},     {BandPass, 20.0f, 115.25f, 4, kRate},
        {BandPass, 664.08f, 3826.61f, 4, kRate}, {BandPass, 500.0f, 9000.0f, 8, 96000.0f},
        {BandStop, 300.0f, 3000.0f, 4, kRate}};
    for (const Case& c : cases) {
        const IirFilter filter(1, c.rate, c.type, c.f1, c.f2, c.order);
        for (double hz = 5.0; hz < 0.5 * c.rate; hz *= 1.25) {
            const double expected = butterworthMagnitude(c.type, hz, c.f1, c.f2, c.order, c.rate);
            // The narrow bass band is the most sensitive to rounding in the design.
            EXPECT_NEAR(std::pow(10.0, levelAt(filter, hz) / 20), expected, 1e-6)
                << "type " << c.type << " at " << hz << " Hz";
        }
    }
}

TEST(FilterDesignTest, EighthOrderBandPassHasHalfPowerEdgesUnityCentreAndPlainZeros) {
    const float lower = 664.08f;
    const float upper = 3826.61f;
    const IirFilter filter(1, kRate, BandPass, lower, upper, 4);
    ASSERT_EQ(filter.sectionCount(), 2);
    EXPECT_NEAR(levelAt(filter, lower), kHalfPowerDb, 1e-3);
    EXPECT_NEAR(levelAt(filter, upper), kHalfPowerDb, 1e-3);
    // The centre is the geometric mean of the pre-warped edges, mapped back to Hz.
    const double centre =
        std::atan(std::sqrt(warped(lower, kRate) * warped(upper, kRate))) * kRate / kPi;
    EXPECT_NEAR(levelAt(filter, centre), 0.0, 1e-9);
    EXPECT_NEAR(centre, std::sqrt(lower * upper), 0.02 * centre);
    // Numerator W^2 s^2 maps to W^2 (1 - z^-2)^2: b1 = b3 = 0 and b0 = b4 = -b2 / 2.
    for (int32_t s = 0; s < filter.sectionCount(); ++s) {
        const Coefficients& b = filter.numerators(s);
        EXPECT_EQ(b[1], 0.0);
        EXPECT_EQ(b[3], 0.0);
        EXPECT_NEAR(b[0], -b[2] / 2, 1e-15 * std::fabs(b[2]));
        EXPECT_NEAR(b[4], -b[2] / 2, 1e-15 * std::fabs(b[2]));
    }
}

TEST(FilterDesignTest, CorrectionsReportTheLastCodeAndMoveTheEdges) {
    struct Case {
        int32_t type;
        float f1, f2;
        int32_t status, coefficientCount;
        std::vector<double> halfPowerAt;
    };
    const double limit = 0.495 * kRate;
    const Case cases[] = {
        {BandPass, 3000.0f, 500.0f, kDesignEdgesExchanged, 5, {500.0, 3000.0}},
        {LowPass, 3000.0f, 500.0f, kDesignOk, 3, {3000.0}},
        {0, 3000.0f, 500.0f, kDesignTypeReplaced, 3, {3000.0}},
        // Type 7 passes the exchange check before it becomes a low-pass.
        {7, 3000.0f, 500.0f, kDesignTypeReplaced, 3, {500.0}},
        {BandPass, 1000.0f, 30000.0f, kDesignUpperLimited, 5, {1000.0, limit}},
        {BandPass, -50.0f, 30000.0f, kDesignLowerRaised, 5, {1.0, limit}},
        // Undefined edges are replaced rather than spreading through every coefficient.
        {BandPass, std::nanf(""), std::nanf(""), kDesignLowerRaised, 5, {1.0, limit}},
        // Exactly half the rate is accepted: the design stays finite and acts as a high-pass.
        {BandPass, 3826.61f, kRate / 2, kDesignOk, 5, {3826.61}},
    };
    for (const Case& c : cases) {
        const IirFilter filter(1, kRate, c.type, c.f1, c.f2, 4);
        EXPECT_EQ(filter.status(), c.status) << c.type << " " << c.f1 << " " << c.f2;
        EXPECT_EQ(filter.coefficientCount(), c.coefficientCount) << c.type;
        for (const double hz : c.halfPowerAt) {
            EXPECT_NEAR(levelAt(filter, hz), kHalfPowerDb, 1e-3) << c.type << " at " << hz;
        }
    }
}

TEST(FilterDesignTest, FactorialHelpersMatchHandValues) {
    EXPECT_EQ(fallingFactorial(5, 2), 20);
    EXPECT_EQ(fallingFactorial(4, 4), 24);
    EXPECT_EQ(fallingFactorial(7, 0), 1);
    EXPECT_EQ(fallingFactorial(3, 4), -1);
    EXPECT_EQ(fallingFactorial(-1, 0), -1);
    EXPECT_EQ(fallingFactorial(3, -1), -1);
    EXPECT_DOUBLE_EQ(binomial(4, 2), 6.0);
    EXPECT_DOUBLE_EQ(binomial(2, 1), 2.0);
}

}  // namespace
}  // namespace marrowfold
