// Filter runtime: the section kernels against a naive direct-form reference, per-channel
// histories, order corrections, reset, and the end-of-block clearing of histories.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "dsp/IirFilter.h"
#include "dsp/SectionKernels.h"
#include "tests/dsp/DspTestSupport.h"

namespace marrowfold {
namespace {

using test::noise;
using test::runMono;

constexpr float kRate = 44100.0f;

// y[n] = sum b[j] x[n-j] - sum a[j] y[n-j] over whole arrays, section after section, rounded to
// float between sections as the buffers hold the signal.
std::vector<float> naiveFilter(const IirFilter& filter, std::vector<float> signal) {
    for (int32_t s = 0; s < filter.sectionCount(); ++s) {
        std::vector<double> y(signal.size(), 0.0);
        for (size_t n = 0; n < signal.size(); ++n) {
            for (size_t j = 0; j < static_cast<size_t>(filter.coefficientCount()) && j <= n; ++j) {
                y[n] += filter.numerators(s)[j] * signal[n - j];
                if (j > 0) y[n] -= filter.denominators(s)[j - 1] * y[n - j];
            }
        }
        for (size_t n = 0; n < signal.size(); ++n)
            signal[n] = static_cast<float>(y[n]);
    }
    return signal;
}

// Runs one channel through the filter in blocks of the given lengths, cycled.
std::vector<float> runInBlocks(IirFilter& filter, const std::vector<float>& input,
                               const std::vector<size_t>& lengths) {
    std::vector<float> output;
    for (size_t done = 0, i = 0; done < input.size(); done += lengths[i++ % lengths.size()]) {
        const size_t end = std::min(done + lengths[i % lengths.size()], input.size());
        const std::vector<float> piece(input.begin() + done, input.begin() + end);
        const std::vector<float> filtered = runMono(filter, piece);
        output.insert(output.end(), filtered.begin(), filtered.end());
    }
    return output;
}

TEST(IirFilterTest, BothKernelsMatchNaiveDirectFormOnRandomInput) {
    const std::vector<float> input = noise(3000, 7);
    IirFilter bandPass(1, kRate, BandPass, 300.0f, 2500.0f, 4);
    IirFilter lowPass(1, kRate, LowPass, 1200.0f, 0.0f, 6);
    for (IirFilter* filter : {&bandPass, &lowPass}) {
        const std::vector<float> expected = naiveFilter(*filter, input);
        const std::vector<float> actual = runInBlocks(*filter, input, {1, 64, 0, 517, 3});
        ASSERT_EQ(actual.size(), expected.size());
        for (size_t n = 0; n < input.size(); ++n)
            ASSERT_NEAR(actual[n], expected[n], 2e-6f) << n;
    }
}

TEST(IirFilterTest, PassThroughSectionReproducesItsInputExactlyEvenInPlace) {
    const Coefficients b = {1.0, 0.0, 0.0, 0.0, 0.0};
    Coefficients x{}, y{};
    std::vector<float> signal = noise(257, 3, 1e6f);
    signal[5] = 1e-30f;
    const std::vector<float> original = signal;
    runSecondOrderSection(b, Coefficients{}, x, y, signal.data(), signal.data(), 257);
    EXPECT_EQ(signal, original);
}

TEST(IirFilterTest, ChannelsKeepIndependentHistories) {
    std::vector<float> left = noise(512, 11), busy = noise(512, 12), quiet(512, 0.0f);
    std::vector<float> leftOut(512), busyOut(512), reference(512), quietOut(512);
    IirFilter first(2, kRate, BandPass, 200.0f, 2000.0f, 4);
    IirFilter second(2, kRate, BandPass, 200.0f, 2000.0f, 4);
    float* busyIn[] = {left.data(), busy.data()};
    float* busyOuts[] = {leftOut.data(), busyOut.data()};
    float* quietIn[] = {left.data(), quiet.data()};
    float* quietOuts[] = {reference.data(), quietOut.data()};
    first.process(busyIn, busyOuts, 512);
    second.process(quietIn, quietOuts, 512);
    EXPECT_EQ(leftOut, reference);
    EXPECT_EQ(quietOut, quiet);
}

TEST(IirFilterTest, OrderIsCorrectedToAPositiveEvenNumber) {
    for (const auto& [given, expected] : {std::pair{0, 2}, {-3, 2}, {1, 2}, {3, 4}, {6, 6}}) {
        const IirFilter filter(1, kRate, BandPass, 100.0f, 1000.0f, given);
        EXPECT_EQ(filter.order(), expected) << given;
        EXPECT_EQ(filter.sectionCount(), expected / 2) << given;
        EXPECT_EQ(filter.status(), kDesignOk) << given;
    }
}

TEST(IirFilterTest, ResetBehavesLikeANewFilter) {
    const std::vector<float> second = noise(400, 22);
    IirFilter used(1, kRate, BandPass, 150.0f, 900.0f, 4);
    runMono(used, noise(400, 21));
    used.reset();
    IirFilter fresh(1, kRate, BandPass, 150.0f, 900.0f, 4);
    EXPECT_EQ(runMono(used, second), runMono(fresh, second));
}

TEST(IirFilterTest, DecayEndsInExactZerosOnceTheOutputFallsBelowTheThreshold) {
    IirFilter filter(1, kRate, BandPass, 20.0f, 115.25f, 4);
    runMono(filter, noise(256, 5));
    const std::vector<float> silence(256, 0.0f);
    bool settled = false;
    for (int block = 0; block < 2000 && !settled; ++block) {
        runMono(filter, silence);
        settled = true;
        for (int32_t s = 0; s < filter.sectionCount(); ++s) {
            const Coefficients& y = filter.outputHistory(0, s);
            // Either still above the threshold, or cleared to exact zeros.
            if (std::fabs(y[0]) < 1e-15) {
                ASSERT_EQ(y, Coefficients{}) << "block " << block;
            }
            settled = settled && y == Coefficients{} && filter.inputHistory(0, s) == Coefficients{};
        }
    }
    // With every history at zero the filter stays silent, without denormal numbers.
    ASSERT_TRUE(settled);
    EXPECT_EQ(runMono(filter, silence), silence);
}

TEST(IirFilterTest, NonFiniteOrAbsurdInputIsForgottenAtTheEndOfItsBlock) {
    const std::vector<float> after = noise(300, 31);
    for (const float bad : {std::numeric_limits<float>::quiet_NaN(),
                            -std::numeric_limits<float>::infinity(), 1e30f}) {
        std::vector<float> poisoned = noise(64, 30);
        poisoned[40] = bad;
        IirFilter filter(1, kRate, BandPass, 500.0f, 4000.0f, 4);
        runMono(filter, poisoned);
        IirFilter fresh(1, kRate, BandPass, 500.0f, 4000.0f, 4);
        EXPECT_EQ(runMono(filter, after), runMono(fresh, after)) << bad;
    }
}

}  // namespace
}  // namespace marrowfold
