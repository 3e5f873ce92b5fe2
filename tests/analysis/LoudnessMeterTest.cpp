// The loudness meter on 997 Hz sines, whose level BS.1770 states: a 0 dBFS sine in one channel
// reads -3.01 LKFS. Gating is checked on tones with gaps and at two levels, worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

#include "analysis/LoudnessMeter.h"

namespace marrowfold {
namespace {

constexpr double kSilence = -std::numeric_limits<double>::infinity();

// Plays a 997 Hz sine into a stereo meter, on the left alone or on both channels, in blocks of
// 333 frames so that the meter's 100 ms steps end inside blocks.
class TonePlayer {
  public:
    TonePlayer(double rate, int32_t tonedChannels)
        : meter(rate, 2), rate_(rate), both_(tonedChannels == 2) {}

    void play(double peakDbfs, double seconds) {
        const auto frames = static_cast<size_t>(std::llround(seconds * rate_));
        const double amplitude = std::pow(10.0, peakDbfs / 20.0);
        std::vector<float> tone(frames);
        const std::vector<float> silence(frames, 0.0f);
        for (float& x : tone) {
            x = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * 997.0 *
                                                        static_cast<double>(position_++) / rate_));
        }
        for (size_t done = 0; done < frames; done += 333) {
            const float* channels[] = {&tone[done], both_ ? &tone[done] : &silence[done]};
            meter.process(channels, static_cast<int32_t>(std::min<size_t>(333, frames - done)));
        }
    }

    LoudnessMeter meter;

  private:
    double rate_;
    bool both_;
    int64_t position_ = 0;
};

TEST(LoudnessMeterTest, SinesReadTheirLevelOverEachWindow) {
    struct Case {
        double rate;
        int32_t tonedChannels;
        double peakDbfs;
        double lkfs;
    };
    for (const Case& c : {Case{48000.0, 1, 0.0, -3.01}, Case{48000.0, 2, 0.0, 0.0},
                          Case{44100.0, 1, 0.0, -3.01}, Case{44100.0, 2, -20.0, -20.0},
                          Case{22050.0, 1, -20.0, -23.01}, Case{192000.0, 2, -40.0, -40.0}}) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, " << c.peakDbfs << " dBFS");
        TonePlayer player(c.rate, c.tonedChannels);
        player.play(c.peakDbfs, 4.0);
        EXPECT_NEAR(player.meter.momentaryLkfs(), c.lkfs, 0.03);
        EXPECT_NEAR(player.meter.shortTermLkfs(), c.lkfs, 0.03);
        EXPECT_NEAR(player.meter.integratedLkfs(), c.lkfs, 0.03);
        // After 300 ms of silence 1 of the 4 steps of the momentary window holds tone, after a
        // second none do, and 20 of the 30 steps of the short-term window.
        player.play(kSilence, 0.3);
        EXPECT_NEAR(player.meter.momentaryLkfs(), c.lkfs + 10.0 * std::log10(1.0 / 4.0), 0.03);
        player.play(kSilence, 0.7);
        EXPECT_EQ(player.meter.momentaryLkfs(), kSilence);
        EXPECT_NEAR(player.meter.shortTermLkfs(), c.lkfs + 10.0 * std::log10(2.0 / 3.0), 0.03);
    }
}

// Two 2 s tones at T = -63.01 LKFS amid gaps at T - 9 LU = -72.01 LKFS, under the absolute gate but
// within 10 LU of the tones, so only the absolute gate drops them. Each tone of 20 steps ends 23
// blocks: 17 wholly tone and 6 across its edges, which hold 1, 2 or 3 of their 4 steps of tone
// (twice): with e = 10^-0.9 the gap's mean square over the tone's, these sum to 3 (1 + e) of the
// tone's mean square and pass both gates (the quietest, (1 + 3e) / 4, reads T - 4.6 LU). So the
// mean is (17 + 3 (1 + e)) / 23 of the tone's: T - 0.526 LU, -63.536 LKFS.
TEST(LoudnessMeterTest, QuietGapsFailTheAbsoluteGate) {
    TonePlayer player(48000.0, 1);
    for (const double peakDbfs : {-69.0, -60.0, -69.0, -60.0, -69.0}) {
        player.play(peakDbfs, peakDbfs == -69.0 ? 10.0 : 2.0);
    }
    EXPECT_NEAR(player.meter.integratedLkfs(), -63.536, 0.02);
}

// 10 s at A = -13.01 LKFS, then 10 s at A - d, mean squares 1 and e = 10^(-d/10) of A's: 197
// blocks, 97 wholly at A, 97 wholly at A - d, 3 across the change with means (3 + e)/4,
// (2 + 2e)/4 and (1 + 3e)/4, summing to 1.5 (1 + e).
// d = 6: every block lies within 10 LU of the mean (1 + e)/2, A - 2.04 LU: -15.047 LKFS.
// d = 20: the mean of all, 99.485 / 197, is A - 2.97 LU, so the gate lies at A - 12.97 LU. The
// blocks at A - 20 fall under it, the quietest across the change, (1 + 3e)/4 = A - 5.89 LU, does
// not: the mean of the rest is 98.515 / 100 of A's, A - 0.065 LU: -13.075 LKFS.
TEST(LoudnessMeterTest, TheRelativeGateDropsBlocksMoreThan10LuUnderTheMean) {
    for (const auto& [drop, lkfs] : {std::pair{6.0, -15.047}, std::pair{20.0, -13.075}}) {
        TonePlayer player(48000.0, 1);
        player.play(-10.0, 10.0);
        player.play(-10.0 - drop, 10.0);
        EXPECT_NEAR(player.meter.integratedLkfs(), lkfs, 0.02) << drop;
    }
}

}  // namespace
}  // namespace marrowfold
