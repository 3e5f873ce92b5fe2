#pragma once

#include <cstdint>

namespace marrowfold {

// One second-order section with a0 = 1:
// y[n] = b0 x[n] + b1 x[n-1] + b2 x[n-2] - a1 y[n-1] - a2 y[n-2].
struct BiquadCoefficients {
    double b0;
    double b1;
    double b2;
    double a1;
    double a2;
};

// The two stages of the K-weighting of ITU-R BS.1770 at a sample rate: a high shelf of +4 dB above
// about 1.7 kHz (the effect of the head), then a high-pass near 38 Hz (the revised low-frequency
// B-curve). Each is the bilinear transform of its analog prototype, prewarped at the prototype's
// corner, so at 48 kHz they are the standard's published coefficients and at other rates the same
// curve, but for the bilinear transform's bending of frequencies on the shelf's slope (up to
// 0.03 dB at 22.05 kHz).
BiquadCoefficients kWeightingShelf(double sampleRate);
BiquadCoefficients kWeightingHighPass(double sampleRate);

// One channel's K-weighting: the shelf, then the high-pass, each in transposed direct form II in
// double precision. Only the constructor designs; process, settle and reset are real-time safe.
class KWeighting {
  public:
    explicit KWeighting(double sampleRate)
        : shelf_(kWeightingShelf(sampleRate)), highPass_(kWeightingHighPass(sampleRate)) {}

    double process(double x) { return run(highPass_, highPassState_, run(shelf_, shelfState_, x)); }
    // Filters frames samples and returns the sum of the squares of what comes out.
    double sumOfSquares(const float* in, int32_t frames);
    // The same for two channels at once, whose recursions then overlap: about the time of one.
    static double sumOfSquares(KWeighting& first, const float* firstIn, KWeighting& second,
                               const float* secondIn, int32_t frames);

    // Sets a decayed history to exact zero, so that silence never runs into denormal numbers, and
    // clears the filter when a history is no longer finite, so that a NaN or an infinity in the
    // input is forgotten at once. Called once per block of audio.
    void settle();
    void reset();

  private:
    struct History {
        double s1 = 0.0;
        double s2 = 0.0;
    };

    static double run(const BiquadCoefficients& c, History& h, double x) {
        const double y = c.b0 * x + h.s1;
        h.s1 = c.b1 * x - c.a1 * y + h.s2;
        h.s2 = c.b2 * x - c.a2 * y;
        return y;
    }

    BiquadCoefficients shelf_;
    BiquadCoefficients highPass_;
    History shelfState_;
    History highPassState_;
};

}  // namespace marrowfold
