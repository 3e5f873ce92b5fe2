#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "analysis/KWeighting.h"

namespace marrowfold {

// Loudness after ITU-R BS.1770-4, in LKFS: -0.691 + 10 log10 of the K-weighted mean square summed
// over the channels, each weighted 1.0 as left, right and centre are (surround channels, weighted
// 1.41 by the standard, are not provided for).
//
// The mean square is taken in steps of 100 ms. Momentary loudness covers the last 4 steps (400 ms),
// short-term loudness the last 30 (3 s); before that much audio has come, the time before the
// start counts as silence. Integrated loudness covers every gating block since the last reset:
// 400 ms blocks overlapping by 75 %, one ending at each step. It keeps the blocks above the
// absolute gate (-70 LKFS), then of those the blocks above the relative gate, 10 LU under their
// loudness, and reads the loudness of their mean.
//
// The blocks above the absolute gate are kept in a histogram of 0.01 LU bins from -70 to +30 LKFS
// (louder blocks join the top bin), each bin holding its count and its blocks' summed mean
// squares: the memory is fixed however long the measurement runs, every mean is exact, and the
// relative gate falls on the bin edge at or above it, so a block within 0.01 LU above the gate
// may be left out.
//
// Silence reads minus infinity. The constructor allocates everything; process, reset and the
// readings neither allocate nor lock, so the meter may run on the audio thread, used by one thread
// at a time.
class LoudnessMeter {
  public:
    static constexpr double kStepSeconds = 0.1;
    static constexpr int32_t kMomentarySteps = 4;
    static constexpr int32_t kShortTermSteps = 30;
    static constexpr double kAbsoluteGateLkfs = -70.0;
    static constexpr double kRelativeGateLu = -10.0;
    static constexpr double kBinLu = 0.01;
    static constexpr double kHistogramTopLkfs = 30.0;

    // channels >= 1.
    LoudnessMeter(double sampleRate, int32_t channels);

    // The frames of one step of the mean square at the meter's rate.
    int32_t stepFrames() const { return stepFrames_; }

    // Forgets all audio.
    void reset();
    // Measures frames samples of each of the channels given at construction.
    void process(const float* const* channels, int32_t frames);

    // The integrated loudness sums the histogram's bins above the relative gate, up to 10,000
    // additions; the other readings sum 4 or 30 steps.
    double momentaryLkfs() const { return loudness(momentaryMeanSquare()); }
    // The K-weighted mean square summed over the channels that momentary loudness reads.
    double momentaryMeanSquare() const { return meanOfLastSteps(kMomentarySteps); }
    double shortTermLkfs() const { return loudness(meanOfLastSteps(kShortTermSteps)); }
    double integratedLkfs() const;

  private:
    struct Bin {
        double meanSquareSum = 0.0;
        int64_t count = 0;
    };

    // -0.691 + 10 log10 meanSquare: the offset makes a 997 Hz sine read its RMS level.
    static double loudness(double meanSquare);
    double sumOfSquares(const float* const* channels, int32_t offset, int32_t frames);
    void finishStep();
    void addGatingBlock(double meanSquare);
    double meanOfLastSteps(int32_t steps) const;

    int32_t stepFrames_;
    std::vector<KWeighting> filters_;
    double stepSquares_ = 0.0;
    int32_t stepFill_ = 0;
    std::array<double, kShortTermSteps> stepMeans_{};  // a ring, newest at newestStep_
    int32_t newestStep_ = 0;
    int64_t stepCount_ = 0;
    std::vector<Bin> histogram_;
    Bin aboveAbsoluteGate_;
};

}  // namespace marrowfold
