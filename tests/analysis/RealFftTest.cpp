// The real FFT against a direct evaluation of the DFT sum in double precision, on random input of
// every size from the smallest up to the size the spectrum uses.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/RealFft.h"

namespace marrowfold {
namespace {

template <typename Sample>
std::vector<std::complex<double>> directDft(const std::vector<Sample>& x) {
    const size_t n = x.size();
    std::vector<std::complex<double>> bins(n / 2 + 1);
    for (size_t k = 0; k < bins.size(); ++k) {
        for (size_t t = 0; t < n; ++t) {
            const double angle =
                -2.0 * std::numbers::pi * static_cast<double>((k * t) % n) / static_cast<double>(n);
            bins[k] +=
                static_cast<double>(x[t]) * std::complex<double>(std::cos(angle), std::sin(angle));
        }
    }
    return bins;
}

// Every size on random input in one precision; the tolerance per size is for a sum of size
// terms of magnitude below one, given in that precision.
template <typename Sample>
void expectTheDirectTransform(double tolerancePerSize) {
    std::mt19937 random(7);
    std::uniform_real_distribution<Sample> sample(-1, 1);
    for (const int32_t size : {4, 8, 16, 128, 1024, 4096}) {
        std::vector<Sample> x(static_cast<size_t>(size));
        for (Sample& v : x)
            v = sample(random);
        RealFft fft(size);
        std::vector<std::complex<Sample>> bins(static_cast<size_t>(fft.binCount()));
        fft.transform(x.data(), bins.data());
        const auto expected = directDft(x);
        const double tolerance = tolerancePerSize * size;
        for (size_t k = 0; k < expected.size(); ++k) {
            EXPECT_NEAR(bins[k].real(), expected[k].real(), tolerance) << size << " bin " << k;
            EXPECT_NEAR(bins[k].imag(), expected[k].imag(), tolerance) << size << " bin " << k;
        }
    }
}

TEST(RealFftTest, MatchesTheDirectTransformAtEverySize) {
    expectTheDirectTransform<float>(1e-6);
}

// The double precision the meters of the tests rely on when they measure 130 dB below full scale.
TEST(RealFftTest, InDoublePrecisionMatchesTheDirectTransformToItsRounding) {
    expectTheDirectTransform<double>(1e-13);
}

TEST(RealFftTest, RefusesSizesThatAreNotPowersOfTwo) {
    for (const int32_t size : {0, 2, 3, 12, 1000, -8})
        EXPECT_THROW(RealFft{size}, std::invalid_argument) << size;
}

}  // namespace
}  // namespace marrowfold
