// Band-split filter bank: the edge grid, moving edges, solo and the band sum, checked against
// separately built band filters and responses computed from the coefficients.
#include <gtest/gtest.h>

#include <vector>

#include "dsp/BandSplitter.h"
#include "tests/dsp/DspTestSupport.h"

namespace marrowfold {
namespace {

using test::decibels;
using test::magnitudeAt;
using test::noise;

// Leaves the bands as filtered, so the output is their plain sum.
class PlainSplitter : public BandSplitter {
  public:
    using BandSplitter::BandSplitter;
    void shapeBands(float* const* const*, int32_t) override {}
};

constexpr int32_t kBlock = 256;

std::vector<float> run(BandSplitter& splitter, const std::vector<float>& input) {
    std::vector<float> output(input.size());
    float* in = const_cast<float*>(input.data());
    float* out = output.data();
    splitter.process(&in, &out, static_cast<int32_t>(input.size()));
    return output;
}

std::vector<float> runFilter(IirFilter& filter, const std::vector<float>& input) {
    std::vector<float> output(input.size());
    float* in = const_cast<float*>(input.data());
    float* out = output.data();
    filter.process(&in, &out, static_cast<int32_t>(input.size()));
    return output;
}

// The four grid bands as independent filters, run over the input.
std::vector<std::vector<float>> separateBands(const PlainSplitter& splitter,
                                              const std::vector<float>& input) {
    std::vector<std::vector<float>> bands;
    for (int32_t b = 0; b < splitter.bandCount(); ++b) {
        IirFilter filter(1, splitter.sampleRate(), BandPass,
                         static_cast<float>(splitter.bandSpec(b).lower),
                         static_cast<float>(splitter.bandSpec(b).upper), 4);
        bands.push_back(runFilter(filter, input));
    }
    return bands;
}

TEST(BandSplitterTest, EdgesStartOnALogarithmicGridToHalfTheRate) {
    const std::pair<int32_t, std::vector<double>> expectations[] = {
        {44100, {20.0, 115.25, 664.08, 3826.61, 22050.0}},
        {48000, {20.0, 117.71, 692.82, 4077.71, 24000.0}}};
    for (const auto& [rate, edges] : expectations) {
        const PlainSplitter splitter(rate, 2, kBlock, 4, 4);
        for (int32_t b = 0; b < 4; ++b) {
            EXPECT_NEAR(splitter.bandSpec(b).lower, edges[b], 0.005) << rate << " band " << b;
            EXPECT_NEAR(splitter.bandSpec(b).upper, edges[b + 1], 0.005) << rate << " band " << b;
            EXPECT_EQ(splitter.bandSpec(b).type, BandPass);
        }
        // Built from the raw grid: the first band's lower edge is exactly where the grid starts.
        EXPECT_NEAR(decibels(magnitudeAt(splitter.bandFilter(0), 20.0)), -3.0103, 1e-3);
        EXPECT_FALSE(splitter.soloActive());
    }
}

TEST(BandSplitterTest, MovingAnInnerEdgeRedesignsAndResetsBothNeighbours) {
    PlainSplitter splitter(44100, 1, kBlock, 4, 4);
    run(splitter, noise(kBlock, 1));
    const Coefficients band0History = splitter.bandFilter(0).outputHistory(0, 1);
    const Coefficients band3History = splitter.bandFilter(3).outputHistory(0, 1);
    ASSERT_NE(band0History, Coefficients{});

    splitter.setBandEdge(2, 1000.0f);
    EXPECT_DOUBLE_EQ(splitter.bandSpec(1).upper, 1000.0);
    EXPECT_DOUBLE_EQ(splitter.bandSpec(2).lower, 1000.0);
    EXPECT_NEAR(splitter.bandSpec(1).lower, 115.25, 0.005);  // stored without the 15 %
    const auto edgeLevel = [&](int32_t band, double hz) {
        return decibels(magnitudeAt(splitter.bandFilter(band), hz));
    };
    EXPECT_NEAR(edgeLevel(2, 1150.0), -3.0103, 1e-3);
    EXPECT_NEAR(edgeLevel(2, 3826.61), -3.0103, 1e-3);
    EXPECT_NEAR(edgeLevel(1, 132.54), -3.0103, 2e-3);
    EXPECT_NEAR(edgeLevel(1, 1000.0), -3.0103, 1e-3);
    for (int32_t band : {1, 2}) {
        for (int32_t s = 0; s < 2; ++s) {
            EXPECT_EQ(splitter.bandFilter(band).inputHistory(0, s), Coefficients{});
            EXPECT_EQ(splitter.bandFilter(band).outputHistory(0, s), Coefficients{});
        }
    }
    EXPECT_EQ(splitter.bandFilter(0).outputHistory(0, 1), band0History);
    EXPECT_EQ(splitter.bandFilter(3).outputHistory(0, 1), band3History);
}

TEST(BandSplitterTest, OuterEdgesAreClampedBelowHalfTheRateAndBadIndicesIgnored) {
    PlainSplitter splitter(44100, 1, kBlock, 4, 4);
    splitter.setBandEdge(4, 30000.0f);
    EXPECT_DOUBLE_EQ(splitter.bandSpec(3).upper, 21609.0);
    EXPECT_NEAR(decibels(magnitudeAt(splitter.bandFilter(3), 21609.0)), -3.0103, 1e-3);

    splitter.setBandEdge(0, 30000.0f);  // lower edge beyond 0.48 fs
    EXPECT_DOUBLE_EQ(splitter.bandSpec(0).lower, 0.48 * 44100);

    const std::vector<float> input = noise(kBlock, 2);
    PlainSplitter untouched(44100, 1, kBlock, 4, 4);
    PlainSplitter poked(44100, 1, kBlock, 4, 4);
    poked.setBandEdge(5, 500.0f);
    poked.setBandEdge(-1, 500.0f);
    for (int32_t b = 0; b < 4; ++b) {
        EXPECT_EQ(poked.bandSpec(b).lower, untouched.bandSpec(b).lower);
        EXPECT_EQ(poked.bandSpec(b).upper, untouched.bandSpec(b).upper);
    }
    EXPECT_EQ(run(poked, input), run(untouched, input));
}

TEST(BandSplitterTest, OutputIsTheBandSumOrTheSoloedBand) {
    const std::vector<float> input = noise(1000, 3);
    PlainSplitter splitter(44100, 1, 1000, 4, 4);
    const std::vector<std::vector<float>> bands = separateBands(splitter, input);
    std::vector<float> sum(input.size());
    for (size_t n = 0; n < input.size(); ++n) {
        sum[n] = ((bands[0][n] + bands[1][n]) + bands[2][n]) + bands[3][n];
    }
    EXPECT_EQ(run(splitter, input), sum);
    EXPECT_NE(sum, input);  // parallel band-passes do not add up to the input

    const std::vector<std::pair<int32_t, std::vector<float>>> cases = {
        {2, bands[2]}, {4, sum}, {-1, sum}, {0, bands[0]}};
    for (const auto& [solo, expected] : cases) {
        PlainSplitter fresh(44100, 1, 1000, 4, 4);
        fresh.selectSoloBand(solo);
        EXPECT_EQ(fresh.soloBand(), solo);
        EXPECT_EQ(run(fresh, input), expected) << "solo " << solo;
    }
}

TEST(BandSplitterTest, OversizedBlocksAndSharedBuffersGiveTheSameSound) {
    const std::vector<float> input = noise(5 * kBlock + 37, 4);
    PlainSplitter inPieces(44100, 1, kBlock, 4, 4);
    std::vector<float> expected;
    for (size_t start = 0; start < input.size(); start += kBlock) {
        const std::vector<float> piece(
            input.begin() + static_cast<long>(start),
            input.begin() + static_cast<long>(std::min(start + kBlock, input.size())));
        const std::vector<float> out = run(inPieces, piece);
        expected.insert(expected.end(), out.begin(), out.end());
    }
    PlainSplitter whole(44100, 1, kBlock, 4, 4);
    EXPECT_EQ(run(whole, input), expected);

    PlainSplitter inPlace(44100, 1, kBlock, 4, 4);
    std::vector<float> buffer = input;
    float* channel = buffer.data();
    inPlace.process(&channel, &channel, static_cast<int32_t>(buffer.size()));
    EXPECT_EQ(buffer, expected);
}

}  // namespace
}  // namespace marrowfold
