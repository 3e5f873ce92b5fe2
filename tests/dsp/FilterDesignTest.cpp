// Butterworth design: coefficients against hand-derived values and responses against the
// analytic Butterworth magnitude, plus the input corrections and their status codes.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "dsp/FilterDesign.h"
#include "dsp/IirFilter.h"
#include "tests/dsp/DspTestSupport.h"

namespace marrowfold {
namespace {

using test::decibels;
using test::kPi;
using test::magnitudeAt;

constexpr float kRate = 44100.0f;

IirFilter designed(int32_t type, float f1, float f2, int32_t order, float rate = kRate) {
    return IirFilter(1, rate, type, f1, f2, order);
}

double warped(double hz, double rate) {
    return std::tan(kPi * hz / rate);
}

// Squared Butterworth magnitude 1 / (1 + x^2N) with x the type's normalised frequency.
double butterworthMagnitude(int32_t type, double hz, double f1, double f2, int32_t order,
                            double rate) {
    const double omega = warped(hz, rate);
    const double alpha = warped(f1, rate);
    const double beta = warped(f2, rate);
    double x = 0.0;
    switch (type) {
        case LowPass:
            x = omega / alpha;
            break;
        case HighPass:
            x = beta / omega;
            break;
        case BandPass:
            x = (omega * omega - alpha * beta) / ((beta - alpha) * omega);
            break;
        case BandStop:
            x = ((beta - alpha) * omega) / (omega * omega - alpha * beta);
            break;
    }
    return 1.0 / std::sqrt(1.0 + std::pow(x, 2 * order));
}

TEST(FilterDesignTest, SecondOrderLowPassAtQuarterRateMatchesHandDerivation) {
    // alpha = tan(pi/4) = 1, prototype 1 / (1 + sqrt2 s + s^2); the bilinear map gives
    // B = (1, 2, 1) and A = (2 + sqrt2, 0, 2 - sqrt2) before normalisation.
    const IirFilter filter = designed(LowPass, kRate / 4, 0.0f, 2);
    const double a0 = 2.0 + std::sqrt(2.0);
    ASSERT_EQ(filter.sectionCount(), 1);
    EXPECT_EQ(filter.coefficientCount(), 3);
    EXPECT_EQ(filter.status(), kDesignOk);
    EXPECT_NEAR(filter.numerators(0)[0], 1.0 / a0, 1e-12);
    EXPECT_NEAR(filter.numerators(0)[1], 2.0 / a0, 1e-12);
    EXPECT_NEAR(filter.numerators(0)[2], 1.0 / a0, 1e-12);
    EXPECT_NEAR(filter.denominators(0)[0], 0.0, 1e-12);
    EXPECT_NEAR(filter.denominators(0)[1], (2.0 - std::sqrt(2.0)) / a0, 1e-12);
    EXPECT_NEAR(filter.numerators(0)[0], 0.29289, 5e-6);
    EXPECT_NEAR(filter.denominators(0)[1], 0.17157, 5e-6);
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
        const IirFilter filter = designed(c.type, c.f1, c.f2, c.order, c.rate);
        for (double hz = 5.0; hz < 0.5 * c.rate; hz *= 1.25) {
            const double expected = butterworthMagnitude(c.type, hz, c.f1, c.f2, c.order, c.rate);
            // The narrow bass band is the most sensitive to rounding in the design.
            EXPECT_NEAR(magnitudeAt(filter, hz), expected, 1e-6)
                << "type " << c.type << " at " << hz << " Hz";
        }
    }
}

TEST(FilterDesignTest, EighthOrderBandPassHasHalfPowerEdgesAndUnityCentre) {
    const float lower = 664.08f;
    const float upper = 3826.61f;
    const IirFilter filter = designed(BandPass, lower, upper, 4);
    ASSERT_EQ(filter.sectionCount(), 2);
    EXPECT_NEAR(decibels(magnitudeAt(filter, lower)), -3.0103, 1e-3);
    EXPECT_NEAR(decibels(magnitudeAt(filter, upper)), -3.0103, 1e-3);
    // The centre is the geometric mean of the pre-warped edges, mapped back to Hz.
    const double centre =
        std::atan(std::sqrt(warped(lower, kRate) * warped(upper, kRate))) * kRate / kPi;
    EXPECT_NEAR(decibels(magnitudeAt(filter, centre)), 0.0, 1e-9);
    EXPECT_NEAR(centre, std::sqrt(lower * upper), 0.02 * centre);
}

TEST(FilterDesignTest, BandPassSectionsHaveZerosOnlyAtDcAndNyquist) {
    const IirFilter filter = designed(BandPass, 115.25f, 664.08f, 4);
    ASSERT_EQ(filter.coefficientCount(), 5);
    for (int32_t s = 0; s < filter.sectionCount(); ++s) {
        const Coefficients& b = filter.numerators(s);
        EXPECT_EQ(b[1], 0.0);
        EXPECT_EQ(b[3], 0.0);
        EXPECT_NEAR(b[0], -b[2] / 2, 1e-15 * std::fabs(b[2]));
        EXPECT_NEAR(b[4], -b[2] / 2, 1e-15 * std::fabs(b[2]));
        EXPECT_GT(b[0], 0.0);
    }
}

TEST(FilterDesignTest, CorrectionsReportTheLastCodeAndDesignTheCorrectedEdges) {
    const auto sameCoefficients = [](const IirFilter& a, const IirFilter& b) {
        for (int32_t s = 0; s < a.sectionCount(); ++s) {
            if (a.numerators(s) != b.numerators(s) || a.denominators(s) != b.denominators(s)) {
                return false;
            }
        }
        return a.coefficientCount() == b.coefficientCount();
    };
    const IirFilter exchanged = designed(BandPass, 3000.0f, 500.0f, 4);
    EXPECT_EQ(exchanged.status(), kDesignEdgesExchanged);
    EXPECT_TRUE(sameCoefficients(exchanged, designed(BandPass, 500.0f, 3000.0f, 4)));

    const IirFilter lowPassNotExchanged = designed(LowPass, 3000.0f, 500.0f, 4);
    EXPECT_EQ(lowPassNotExchanged.status(), kDesignOk);
    EXPECT_NEAR(decibels(magnitudeAt(lowPassNotExchanged, 3000.0)), -3.0103, 1e-3);

    for (const int32_t badType : {0, -2}) {
        const IirFilter filter = designed(badType, 3000.0f, 500.0f, 4);
        EXPECT_EQ(filter.status(), kDesignTypeReplaced);
        EXPECT_TRUE(sameCoefficients(filter, designed(LowPass, 3000.0f, 500.0f, 4)));
    }
    // Type 7 passes the exchange check first, so its low-pass edge is the smaller frequency.
    const IirFilter typeSeven = designed(7, 3000.0f, 500.0f, 4);
    EXPECT_EQ(typeSeven.status(), kDesignTypeReplaced);
    EXPECT_TRUE(sameCoefficients(typeSeven, designed(LowPass, 500.0f, 3000.0f, 4)));

    const IirFilter tooHigh = designed(BandPass, 1000.0f, 30000.0f, 4);
    EXPECT_EQ(tooHigh.status(), kDesignUpperLimited);
    EXPECT_NEAR(decibels(magnitudeAt(tooHigh, 0.495 * kRate)), -3.0103, 1e-3);

    const IirFilter bothWrong = designed(BandPass, -50.0f, 30000.0f, 4);
    EXPECT_EQ(bothWrong.status(), kDesignLowerRaised);
    EXPECT_NEAR(decibels(magnitudeAt(bothWrong, 1.0)), -3.0103, 1e-3);
    EXPECT_NEAR(decibels(magnitudeAt(bothWrong, 0.495 * kRate)), -3.0103, 1e-3);

    // An undefined edge is replaced rather than spreading through every coefficient.
    const IirFilter undefined = designed(BandPass, std::nanf(""), std::nanf(""), 4);
    EXPECT_EQ(undefined.status(), kDesignLowerRaised);
    EXPECT_NEAR(decibels(magnitudeAt(undefined, 0.495 * kRate)), -3.0103, 1e-3);
}

TEST(FilterDesignTest, UpperEdgeAtExactlyHalfTheRateStaysFinite) {
    const IirFilter filter = designed(BandPass, 3826.61f, kRate / 2, 4);
    EXPECT_EQ(filter.status(), kDesignOk);
    for (int32_t s = 0; s < filter.sectionCount(); ++s) {
        for (int32_t j = 0; j < 5; ++j)
            EXPECT_TRUE(std::isfinite(filter.numerators(s)[j]));
        for (int32_t j = 0; j < 4; ++j)
            EXPECT_TRUE(std::isfinite(filter.denominators(s)[j]));
    }
    // With the upper edge at infinity on the warped axis the band behaves as a high-pass.
    EXPECT_NEAR(decibels(magnitudeAt(filter, 3826.61)), -3.0103, 1e-3);
    EXPECT_NEAR(decibels(magnitudeAt(filter, 15000.0)), 0.0, 1e-3);
}

TEST(FilterDesignTest, FactorialHelpersAndBilinearMapMatchHandValues) {
    EXPECT_EQ(fallingFactorial(5, 2), 20);
    EXPECT_EQ(fallingFactorial(4, 4), 24);
    EXPECT_EQ(fallingFactorial(7, 0), 1);
    EXPECT_EQ(fallingFactorial(3, 4), -1);
    EXPECT_EQ(fallingFactorial(-1, 0), -1);
    EXPECT_EQ(fallingFactorial(3, -1), -1);
    EXPECT_DOUBLE_EQ(binomial(4, 2), 6.0);
    EXPECT_DOUBLE_EQ(binomial(2, 1), 2.0);
    EXPECT_DOUBLE_EQ(binomial(6, 0), 1.0);

    // H(s) = s / (1 + s) maps to (1 - z^-1) / 2; the zero s^2 terms lower the degree to 1.
    const Coefficients num = {0.0, 1.0, 0.0, 0.0, 0.0};
    const Coefficients den = {1.0, 1.0, 0.0, 0.0, 0.0};
    Coefficients numOut{};
    Coefficients denOut{};
    numOut[2] = 7.0;
    bilinearTransform(num, den, numOut, denOut, 3);
    EXPECT_DOUBLE_EQ(numOut[0], 0.5);
    EXPECT_DOUBLE_EQ(numOut[1], -0.5);
    EXPECT_DOUBLE_EQ(denOut[1], 0.0);
    EXPECT_EQ(numOut[2], 7.0);

    // Constant polynomials leave the outputs as they were.
    Coefficients untouched = {9.0, 9.0, 9.0, 9.0, 9.0};
    Coefficients untouchedDen = untouched;
    bilinearTransform({2.0}, {1.0}, untouched, untouchedDen, 5);
    EXPECT_EQ(untouched[0], 9.0);
    EXPECT_EQ(untouchedDen[1], 9.0);
}

}  // namespace
}  // namespace marrowfold
