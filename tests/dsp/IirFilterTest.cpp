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

constexpr float kRate = 44100.0f;

// Direct form over whole arrays: y[n] = sum b[j] x[n-j] - sum a[j] y[n-j], section after
// section, the signal rounded to float between sections as the buffers hold it.
std::vector<float> naiveFilter(const IirFilter& filter, const std::vector<float>& input) {
    const int32_t c = filter.coefficientCount();
    std::vector<float> signal = input;
    for (int32_t s = 0; s < filter.sectionCount(); ++s) {
        std::vector<double> y(signal.size(), 0.0);
        for (size_t n = 0; n < signal.size(); ++n) {
            double sum = 0.0;
            for (int32_t j = 0; j < c && static_cast<size_t>(j) <= n; ++j) {
                sum += filter.numerators(s)[j] * signal[n - j];
                if (j > 0) sum -= filter.denominators(s)[j - 1] * y[n - j];
            }
            y[n] = sum;
        }
        for (size_t n = 0; n < signal.size(); ++n)
            signal[n] = static_cast<float>(y[n]);
    }
    return signal;
}

// Runs the filter over input in blocks of the given lengths (cycled), one channel.
std::vector<float> runInBlocks(IirFilter& filter, const std::vector<float>& input,
                               const std::vector<int32_t>& lengths) {
    std::vector<float> output(input.size());
    size_t done = 0;
    for (size_t i = 0; done < input.size(); ++i) {
        const int32_t length = static_cast<int32_t>(std::min<size_t>(
            static_cast<size_t>(lengths[i % lengths.size()]), input.size() - done));
        float* in = const_cast<float*>(input.data()) + done;
        float* out = output.data() + done;
        filter.process(&in, &out, length);
        done += static_cast<size_t>(length);
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
        for (size_t n = 0; n < input.size(); ++n) {
            ASSERT_NEAR(actual[n], expected[n], 2e-6f) << "sample " << n;
        }
    }
}

TEST(IirFilterTest, PassThroughSectionReproducesItsInputExactly) {
    const Coefficients b = {1.0, 0.0, 0.0, 0.0, 0.0};
    const Coefficients a{};
    Coefficients x{};
    Coefficients y{};
    std::vector<float> input = noise(257, 3, 1e6f);
    input[5] = 1e-30f;
    input[6] = -0.0f;
    std::vector<float> output(input.size());
    runSecondOrderSection(b, a, x, y, input.data(), output.data(), 257);
    for (size_t n = 0; n < input.size(); ++n)
        ASSERT_EQ(output[n], input[n]);
    // Working in place gives the same.
    runSecondOrderSection(b, a, x, y, input.data(), input.data(), 257);
    EXPECT_EQ(input, output);
}

TEST(IirFilterTest, ChannelsKeepIndependentHistories) {
    const std::vector<float> left = noise(512, 11);
    std::vector<float> busyRight = noise(512, 12);
    std::vector<float> silentRight(512, 0.0f);
    std::vector<float> leftOut(512), rightOut(512), reference(512);

    IirFilter stereo(2, kRate, BandPass, 200.0f, 2000.0f, 4);
    float* in[] = {const_cast<float*>(left.data()), busyRight.data()};
    float* out[] = {leftOut.data(), rightOut.data()};
    stereo.process(in, out, 512);

    IirFilter other(2, kRate, BandPass, 200.0f, 2000.0f, 4);
    float* quietIn[] = {const_cast<float*>(left.data()), silentRight.data()};
    float* quietOut[] = {reference.data(), rightOut.data()};
    other.process(quietIn, quietOut, 512);
    EXPECT_EQ(leftOut, reference);
    EXPECT_EQ(rightOut, std::vector<float>(512, 0.0f));
}

TEST(IirFilterTest, OrderIsCorrectedToAPositiveEvenNumber) {
    for (const auto& [given, expected] :
         {std::pair{0, 2}, std::pair{-3, 2}, std::pair{3, 4}, std::pair{1, 2}, std::pair{6, 6}}) {
        const IirFilter filter(1, kRate, BandPass, 100.0f, 1000.0f, given);
        EXPECT_EQ(filter.order(), expected) << given;
        EXPECT_EQ(filter.sectionCount(), expected / 2) << given;
        EXPECT_EQ(filter.status(), kDesignOk) << given;
    }
}

TEST(IirFilterTest, ResetBehavesLikeANewFilter) {
    const std::vector<float> first = noise(400, 21);
    const std::vector<float> second = noise(400, 22);
    IirFilter used(1, kRate, BandPass, 150.0f, 900.0f, 4);
    runInBlocks(used, first, {400});
    used.reset();
    IirFilter fresh(1, kRate, BandPass, 150.0f, 900.0f, 4);
    EXPECT_EQ(runInBlocks(used, second, {128}), runInBlocks(fresh, second, {128}));
}

TEST(IirFilterTest, DecayEndsInExactZerosOnceTheOutputFallsBelowTheThreshold) {
    IirFilter filter(1, kRate, BandPass, 20.0f, 115.25f, 4);
    runInBlocks(filter, noise(256, 5), {256});
    std::vector<float> silence(256, 0.0f);
    bool settled = false;
    for (int block = 0; block < 2000 && !settled; ++block) {
        const std::vector<float> out = runInBlocks(filter, silence, {256});
        for (int32_t s = 0; s < filter.sectionCount(); ++s) {
            const Coefficients& y = filter.outputHistory(0, s);
            // Either still above the threshold, or cleared to exact zeros.
            if (std::fabs(y[0]) < 1e-15) {
                ASSERT_EQ(y, Coefficients{}) << "block " << block;
            }
        }
        settled = true;
        for (int32_t s = 0; s < filter.sectionCount(); ++s) {
            settled = settled && filter.outputHistory(0, s) == Coefficients{} &&
                      filter.inputHistory(0, s) == Coefficients{};
        }
    }
    // With every history at zero the filter is silent for good, without denormal numbers.
    ASSERT_TRUE(settled);
    EXPECT_EQ(runInBlocks(filter, silence, {256}), silence);
    EXPECT_EQ(filter.outputHistory(0, 1), Coefficients{});
}

TEST(IirFilterTest, NonFiniteOrAbsurdInputIsForgottenAtTheEndOfItsBlock) {
    const std::vector<float> after = noise(300, 31);
    for (const float bad : {std::numeric_limits<float>::quiet_NaN(),
                            -std::numeric_limits<float>::infinity(), 1e30f}) {
        std::vector<float> poisoned = noise(64, 30);
        poisoned[40] = bad;
        IirFilter filter(1, kRate, BandPass, 500.0f, 4000.0f, 4);
        runInBlocks(filter, poisoned, {64});
        IirFilter fresh(1, kRate, BandPass, 500.0f, 4000.0f, 4);
        EXPECT_EQ(runInBlocks(filter, after, {100}), runInBlocks(fresh, after, {100})) << bad;
    }
}

}  // namespace
}  // namespace marrowfold
