// Band-split filter bank: the edge grid, moving edges, solo and the band sum, checked against
// separately built band filters and responses computed from the coefficients.
#include <gtest/gtest.h>

#include <vector>

#include "dsp/BandSplitter.h"
#include "dsp/RecentInput.h"
#include "tests/dsp/DspTestSupport.h"

namespace marrowfold {
namespace {

using test::kHalfPowerDb;
using test::levelAt;
using test::noise;
using test::runMono;

// Leaves the bands as filtered, so the output is their plain sum.
class PlainSplitter : public BandSplitter {
  public:
    explicit PlainSplitter(int32_t rate = 44100) : BandSplitter(rate, 1, 1000, 4, 4) {}
    void shapeBands(float* const* const*, int32_t) override {}
};

// The kept input is always the stream's last samples, oldest first, whatever the block lengths:
// short blocks that fill the buffer's room, blocks longer than the capacity, and a clear.
TEST(BandSplitterTest, RecentInputKeepsTheLastSamplesOfTheStream) {
    constexpr int32_t kCapacity = 50;
    constexpr int32_t kChannels = 2;
    const int32_t blocks[] = {1, 7, 32, 32, 32, 32, 32, 32, 49, 50, 51, 3, 200, 5, 0, 31, 33};
    RecentInput recent(kChannels, kCapacity);
    std::vector<float> stream[kChannels];
    int32_t since = 0;  // first stream index after the last clear
    for (size_t call = 0; call < std::size(blocks); ++call) {
        const int32_t frames = blocks[call];
        std::vector<float> block[kChannels];
        for (int32_t ch = 0; ch < kChannels; ++ch)
            for (int32_t i = 0; i < frames; ++i) {
                block[ch].push_back(static_cast<float>(stream[ch].size()) + 0.5f * ch);
                stream[ch].push_back(block[ch].back());
            }
        const float* in[kChannels] = {block[0].data(), block[1].data()};
        recent.remember(in, frames);
        const auto total = static_cast<int32_t>(stream[0].size());
        ASSERT_EQ(recent.held(), std::min(total - since, kCapacity)) << "call " << call;
        for (int32_t ch = 0; ch < kChannels; ++ch)
            for (int32_t i = 0; i < recent.held(); ++i)
                ASSERT_EQ(recent.samples()[ch][i], stream[ch][total - recent.held() + i])
                    << "call " << call << ", channel " << ch << ", sample " << i;
        if (call == 12) {
            recent.clear();
            since = total;
        }
    }
}

TEST(BandSplitterTest, EdgesStartOnALogarithmicGridToHalfTheRate) {
    // 20 x (rate / 40)^(j / 4) with the ratio and the exponent rounded to float on the way;
    // without those roundings the inner edges differ by up to 4e-4 Hz.
    const std::pair<int32_t, std::vector<double>> expectations[] = {
        {44100, {20.0, 115.245670947, 664.078233605, 3826.607712047, 22050.0}},
        {48000, {20.0, 117.713242395, 692.820371755, 4077.706617826, 24000.0}}};
    constexpr double kTolerance = 1e-8;
    for (const auto& [rate, edges] : expectations) {
        const PlainSplitter splitter(rate);
        for (int32_t b = 0; b < 4; ++b) {
            EXPECT_NEAR(splitter.bandSpec(b).lower, edges[b], kTolerance * edges[b])
                << rate << " band " << b;
            EXPECT_NEAR(splitter.bandSpec(b).upper, edges[b + 1], kTolerance * edges[b + 1])
                << rate << " band " << b;
        }
        // Built from the raw grid, without the factor a redesign applies to lower edges.
        EXPECT_NEAR(levelAt(splitter.bandFilter(1), edges[1]), kHalfPowerDb, 1e-3);
    }
}

TEST(BandSplitterTest, MovingAnInnerEdgeRedesignsAndResetsBothNeighboursOnly) {
    PlainSplitter splitter;
    runMono(splitter, noise(256, 1));
    const Coefficients band0History = splitter.bandFilter(0).outputHistory(0, 1);
    const Coefficients band3History = splitter.bandFilter(3).outputHistory(0, 1);

    splitter.setBandEdge(2, 1000.0f);
    EXPECT_DOUBLE_EQ(splitter.bandSpec(1).upper, 1000.0);
    EXPECT_DOUBLE_EQ(splitter.bandSpec(2).lower, 1000.0);
    EXPECT_NEAR(splitter.bandSpec(1).lower, 115.25, 0.005);  // stored without the 15 %
    const std::pair<int32_t, double> halfPower[] = {
        {2, 1150.0}, {2, 3826.61}, {1, 115.2498 * 1.15}, {1, 1000.0}};
    for (const auto& [band, hz] : halfPower) {
        EXPECT_NEAR(levelAt(splitter.bandFilter(band), hz), kHalfPowerDb, 1e-3) << band << hz;
    }
    for (const int32_t band : {1, 2}) {
        for (const int32_t s : {0, 1}) {
            EXPECT_EQ(splitter.bandFilter(band).inputHistory(0, s), Coefficients{});
            EXPECT_EQ(splitter.bandFilter(band).outputHistory(0, s), Coefficients{});
        }
    }
    EXPECT_NE(band0History, Coefficients{});
    EXPECT_EQ(splitter.bandFilter(0).outputHistory(0, 1), band0History);
    EXPECT_EQ(splitter.bandFilter(3).outputHistory(0, 1), band3History);
}

TEST(BandSplitterTest, OuterEdgesStayBelowHalfTheRateAndBadIndicesAreIgnored) {
    PlainSplitter splitter;
    splitter.setBandEdge(4, 30000.0f);
    EXPECT_DOUBLE_EQ(splitter.bandSpec(3).upper, 21609.0);
    EXPECT_NEAR(levelAt(splitter.bandFilter(3), 21609.0), kHalfPowerDb, 1e-3);
    splitter.setBandEdge(0, 30000.0f);
    EXPECT_DOUBLE_EQ(splitter.bandSpec(0).lower, 0.48 * 44100);

    const std::vector<float> input = noise(256, 2);
    PlainSplitter untouched, poked;
    poked.setBandEdge(5, 500.0f);
    poked.setBandEdge(-1, 500.0f);
    for (int32_t b = 0; b < 4; ++b) {
        EXPECT_EQ(poked.bandSpec(b).lower, untouched.bandSpec(b).lower);
        EXPECT_EQ(poked.bandSpec(b).upper, untouched.bandSpec(b).upper);
    }
    EXPECT_EQ(runMono(poked, input), runMono(untouched, input));
}

TEST(BandSplitterTest, OutputIsTheBandSumOrTheSoloedBand) {
    const std::vector<float> input = noise(1000, 3);
    std::vector<std::vector<float>> bands;
    const PlainSplitter grid;
    for (int32_t b = 0; b < 4; ++b) {
        IirFilter alone(1, 44100.0f, BandPass, static_cast<float>(grid.bandSpec(b).lower),
                        static_cast<float>(grid.bandSpec(b).upper), 4);
        bands.push_back(runMono(alone, input));
    }
    std::vector<float> sum(input.size());
    for (size_t n = 0; n < input.size(); ++n) {
        sum[n] = ((bands[0][n] + bands[1][n]) + bands[2][n]) + bands[3][n];
    }
    EXPECT_NE(sum, input);  // parallel band-passes do not add up to the input

    const std::pair<int32_t, std::vector<float>> cases[] = {
        {-1, sum}, {2, bands[2]}, {4, sum}, {0, bands[0]}, {3, bands[3]}};
    for (const auto& [solo, expected] : cases) {
        PlainSplitter splitter;
        splitter.selectSoloBand(solo);
        EXPECT_EQ(runMono(splitter, input), expected) << "solo " << solo;
    }
}

}  // namespace
}  // namespace marrowfold
