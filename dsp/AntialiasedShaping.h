#pragma once

#include <array>
#include <cstdint>

#include "dsp/Oversampling.h"
#include "dsp/ShapeAntiderivatives.h"

namespace marrowfold {

// Second-order antiderivative anti-aliasing of the shaping (Parker, Zavalishin and Le Bivic,
// DAFx 2016; Bilbao, Esqueda, Parker and Valimaki, IEEE Signal Processing Letters 2017). Where
// plain shaping outputs g(U0) for the driven sample U0 (on the position scale of
// ShapeAntiderivatives), this outputs the second divided difference of G2 over the last three
// samples,
//   y = 2 (D(U0, U1) - D(U1, U2)) / (U0 - U2),  D(a, b) = (G2(a) - G2(b)) / (a - b),
// which is the curve averaged under a triangle spanning U2, U1 and U0: what the curve makes of a
// signal drawn straight between the samples, taken through a filter that removes most of what
// would alias. For a small signal that is the filter (1 + z^-1 + z^-2) / 3, a delay of one
// sample; a short filter after it lifts the treble back (see kAntialiasingCompensation).
//
// G2's values are thousands of times larger than their differences between close samples, so
// all of this runs in double and each difference is taken where it is well conditioned:
// - three samples in one piece of the curve give the piece's line at their mean, exactly;
// - D of two samples in one piece is the piece's closed form, with no division by a - b; of two
//   samples less than half a step apart, the older one's closed form carried on to the newer,
//   plus what the newer one's piece adds beyond the edge between them; otherwise G2's
//   difference over a - b, which is then half a step or more;
// - where U0 and U2 lie closer than kOuterTolerance the outer difference would cancel: three
//   samples within half a step are averaged under the triangle directly, on either side of the
//   one edge between them; farther apart, the formula's limit as U2 meets U0 is taken at their
//   midpoint.
// Every result lies within kAntialiasingErrorBound of the exact average (a test checks this
// against the average taken piece by piece in extended precision).
//
// The driven sample is limited to +-kDrivenLimit first, and one that is not a number becomes 0.
// Beyond 1 the curve is constant, so the limit changes only how steeply the straight line
// between two samples runs, and it keeps G2 within a range that double resolves finely.
inline constexpr float kDrivenLimit = 1024.0f;
// Two samples less than this apart on the position scale lie in one piece or in two adjacent
// ones: no piece is wider than a step, nor narrower than half of one.
inline constexpr double kPieceSpan = 0.5;
inline constexpr double kOneThird = 1.0 / 3.0;
inline constexpr double kOneSixth = 1.0 / 6.0;
inline constexpr double kOuterTolerance = 1e-4;
inline constexpr double kAntialiasingErrorBound = 1e-6;

// The treble lift c of out[n] = (1 + 2c) y[n-1] - c (y[n] + y[n-2]) at each factor (1, 2, 4, 8,
// 16), which with the anti-aliasing's own (1 + z^-1 + z^-2) / 3 keeps small signals within
// 0.33 dB of flat up to 16 kHz at 2x and above (the best c for that, found by search). At 1x
// the anti-aliasing's zero at a third of the rate (14.7 kHz) cannot be undone; the lift keeps
// 6 kHz within 0.1 dB and loses 0.9 dB at 8 kHz.
inline constexpr std::array<double, kMaxOversamplingStages + 1> kAntialiasingCompensation = {
    0.4, 0.4925, 0.3655, 0.341, 0.3355};
// The delay of the anti-aliasing and its treble lift, in samples at the rate the shaping runs.
inline constexpr int32_t kAntialiasingDelay = 2;

// A sample on the position scale, with the piece it lies in (signed: the pieces of the negative
// half are -1..-255) and that piece's polynomial in the offset t from the piece's centre:
// G2 = second + t (first + t (value / 2 + t rise / 6)), G1 = first + t (value + t rise / 2).
struct CurvePoint {
    double position;
    double offset;
    int32_t piece;
    double second;
    double first;
    double value;
    double rise;
};

// The driven sample limited as described above.
float limitDriven(float driven);
CurvePoint locateOnCurve(const ShapeAntiderivatives& curve, double position);
// G2 at the point.
double secondAntiderivative(const CurvePoint& point);
// D(a, b), given G2 at a and at b.
double dividedDifference(const CurvePoint& a, const CurvePoint& b, double aSecond, double bSecond);
// y for U0 = newest, U1 = middle, U2 = oldest, given G2 at the middle, D(U0, U1) and D(U1, U2).
struct CurveTriple {
    const CurvePoint& newest;
    const CurvePoint& middle;
    const CurvePoint& oldest;
    double middleSecond;
    double newer;
    double older;
};
double antialiasedValue(const ShapeAntiderivatives& curve, const CurveTriple& triple);

// One lane's anti-aliased and compensated shaping over consecutive band samples. The lane's
// history is its last kAntialiasingHistory band samples before the drive, newest first, stride
// floats apart: it depends on the input only, never on the setting, so a block may be shaped
// twice from one history (with the setting glided from and the one glided to, say) by starting
// one of the runs from a copy of it. Everything else is derived from it at the start of a run,
// for the drive and the curve of that run.
inline constexpr int32_t kAntialiasingHistory = 4;
class AntialiasedLane {
  public:
    AntialiasedLane(const ShapeAntiderivatives& curve, double compensation, float drive,
                    const float* history, int32_t stride);
    // The compensated output for the next band sample, before the level; sets clipped when the
    // driven sample lies beyond +-1.
    double next(float sample, bool& clipped);
    void storeHistory(float* history, int32_t stride) const;

  private:
    // The uncompensated y of the next driven sample; moves the points on.
    double advance(float driven);

    const ShapeAntiderivatives* curve_;
    float drive_;
    double centre_;  // the lift's weights
    double side_;
    std::array<float, kAntialiasingHistory> history_;
    CurvePoint middle_;
    CurvePoint oldest_;
    double middleSecond_;
    double older_;  // D(U1, U2)
    double newerOutput_;
    double olderOutput_;
};

}  // namespace marrowfold
