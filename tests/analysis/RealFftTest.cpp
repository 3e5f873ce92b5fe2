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

std::vector<std::complex<double>> directDft(const std::vector<float>& x) {
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

TEST(RealFftTest, MatchesTheDirectTransformAtEverySize) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> sample(-1.0f, 1.0f);
    for (const int32_t size : {4, 8, 16, 128, 1024, 4096}) {
        std::vector<float> x(static_cast<size_t>(size));
        for (float& v : x)
            v = sample(random);
        RealFft fft(size);
        std::vector<std::complex<float>> bins(static_cast<size_t>(fft.binCount()));
        fft.transform(x.data(), bins.data());
        const auto expected = directDft(x);
        // Float output of a sum of size terms of magnitude below one.
        const double tolerance = 1e-6 * size;
        for (size_t k = 0; k < expected.size(); ++k) {
            EXPECT_NEAR(bins[k].real(), expected[k].real(), tolerance) << size << " bin " << k;
            EXPECT_NEAR(bins[k].imag(), expected[k].imag(), tolerance) << size << " bin " << k;
        }
    }
}

TEST(RealFftTest, RefusesSizesThatAreNotPowersOfTwo) {
    for (const int32_t size : {0, 2, 3, 12, 1000, -8})
        EXPECT_THROW(RealFft{size}, std::invalid_argument) << size;
}

}  // namespace
}  // namespace marrowfold
