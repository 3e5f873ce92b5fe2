#include "dsp/AntialiasedShaping.h"

#include <cmath>

namespace marrowfold {

namespace {

constexpr double kHalf = 0.5;

// Nearest integer to a (0 <= a <= 254), ties to even, whatever rounding mode the host has set.
int32_t roundHalfEven(double a) {
    const auto whole = static_cast<int32_t>(a);
    const double fraction = a - static_cast<double>(whole);
    const bool up = fraction > kHalf || (fraction == kHalf && (whole & 1) != 0);
    return up ? whole + 1 : whole;
}

// The edge between adjacent pieces, on the position scale.
double edgeBetween(int32_t piece, int32_t other) {
    const double edge = (piece < other ? piece : other) + kHalf;
    return edge > kLimitPosition ? kLimitPosition : edge < -kLimitPosition ? -kLimitPosition : edge;
}

// G1 at offset t of the point's piece, and its mean between offsets s and t.
double firstAntiderivative(const CurvePoint& point, double t) {
    return point.first + t * (point.value + t * (point.rise * kHalf));
}
double meanFirstAntiderivative(const CurvePoint& point, double s, double t) {
    return point.first + ((s + t) * kHalf) * point.value +
           ((s * s + s * t) + t * t) * (point.rise * kOneSixth);
}

// The curve's line of the point's piece at a position.
double lineAt(const CurvePoint& point, double position) {
    return point.value + point.rise * (position - point.piece);
}

const CurvePoint& lower(const CurvePoint& a, const CurvePoint& b) {
    return a.position < b.position ? a : b;
}
const CurvePoint& higher(const CurvePoint& a, const CurvePoint& b) {
    return a.position < b.position ? b : a;
}

// The curve averaged under the triangle on three samples that span less than half a step and
// two pieces: the low piece's line at their mean, plus the high piece's jump and change of rise
// at the edge, each weighted by the triangle's share beyond the edge and its moment there.
double averageAcrossEdge(const CurvePoint& low, const CurvePoint& mid, const CurvePoint& high) {
    const double p = low.position;
    const double q = mid.position;
    const double r = high.position;
    const double mean = ((p + q) + r) * kOneThird;
    const double edge = edgeBetween(low.piece, high.piece);
    const double jump = lineAt(high, edge) - lineAt(low, edge);
    const double kink = high.rise - low.rise;
    double share = 0.0;
    double moment = 0.0;
    if (r > q && edge >= q) {
        const double beyond = r - edge;
        share = (beyond * beyond) / ((r - p) * (r - q));
        moment = share * beyond * kOneThird;
    } else {
        const double before = edge - p;
        const double part = (before * before) / ((r - p) * (q - p));
        share = 1.0 - part;
        moment = (mean - edge) + part * before * kOneThird;
    }
    return lineAt(low, mean) + (jump * share + kink * moment);
}

// U0 and U2 nearly meet: the triangle's average directly within half a step, else the limit
// 2 (G1(m) - D(m, U1)) / (m - U1) at their midpoint m.
double nearlyMeeting(const ShapeAntiderivatives& curve, const CurveTriple& triple) {
    const CurvePoint& low = lower(lower(triple.newest, triple.middle), triple.oldest);
    const CurvePoint& high = higher(higher(triple.newest, triple.middle), triple.oldest);
    if (high.position - low.position < kPieceSpan) {
        const CurvePoint& mid = higher(lower(triple.newest, triple.middle),
                                       lower(higher(triple.newest, triple.middle), triple.oldest));
        return averageAcrossEdge(low, mid, high);
    }
    const CurvePoint meeting =
        locateOnCurve(curve, (triple.newest.position + triple.oldest.position) * kHalf);
    const double toMiddle = dividedDifference(meeting, triple.middle, secondAntiderivative(meeting),
                                              triple.middleSecond);
    const double slope = firstAntiderivative(meeting, meeting.offset) - toMiddle;
    return 2.0 * slope / (meeting.position - triple.middle.position);
}

}  // namespace

float limitDriven(float driven) {
    if (driven >= -kDrivenLimit) return driven <= kDrivenLimit ? driven : kDrivenLimit;
    return driven < -kDrivenLimit ? -kDrivenLimit : 0.0f;
}

CurvePoint locateOnCurve(const ShapeAntiderivatives& curve, double position) {
    const double magnitude = std::fabs(position);
    const int32_t index = magnitude > kLimitPosition ? kLimitPiece : roundHalfEven(magnitude);
    const bool negative = position < 0.0;
    const int32_t piece = negative ? -index : index;
    const CurvePiece& at = curve[index];
    return {position, position - piece,
            piece,    negative ? -at.second : at.second,
            at.first, negative ? -at.value : at.value,
            at.rise};
}

double secondAntiderivative(const CurvePoint& point) {
    const double t = point.offset;
    return point.second +
           t * (point.first + t * (point.value * kHalf + t * (point.rise * kOneSixth)));
}

double dividedDifference(const CurvePoint& a, const CurvePoint& b, double aSecond, double bSecond) {
    const double alongB = meanFirstAntiderivative(b, b.offset, a.position - b.piece);
    if (a.piece == b.piece) return alongB;
    const double apart = a.position - b.position;
    if (std::fabs(apart) >= kPieceSpan) return (aSecond - bSecond) / apart;
    // Adjacent pieces: b's polynomial carried on to a, plus what a's piece adds a distance w
    // beyond the edge, w^2 (J / 2 + K w / 6), with the curve's jump J and change of rise K there.
    const double edge = edgeBetween(a.piece, b.piece);
    const double beyond = a.position - edge;
    const double jump = lineAt(a, edge) - lineAt(b, edge);
    const double kink = a.rise - b.rise;
    const double added = (beyond * beyond) * (jump * kHalf + (kink * beyond) * kOneSixth);
    return alongB + added / apart;
}

double antialiasedValue(const ShapeAntiderivatives& curve, const CurveTriple& triple) {
    const CurvePoint& newest = triple.newest;
    if (newest.piece == triple.middle.piece && newest.piece == triple.oldest.piece) {
        const double mean =
            ((newest.offset + triple.middle.offset) + triple.oldest.offset) * kOneThird;
        return newest.value + newest.rise * mean;
    }
    const double apart = newest.position - triple.oldest.position;
    if (std::fabs(apart) >= kOuterTolerance) return 2.0 * (triple.newer - triple.older) / apart;
    return nearlyMeeting(curve, triple);
}

AntialiasedLane::AntialiasedLane(const ShapeAntiderivatives& curve, double compensation,
                                 float drive, const float* history, int32_t stride)
    : curve_(&curve), drive_(drive), centre_(1.0 + 2.0 * compensation), side_(compensation) {
    for (int32_t k = 0; k < kAntialiasingHistory; ++k)
        history_[k] = history[k * stride];
    // The two oldest samples start the points off; the next two give the outputs the lift reads.
    oldest_ = locateOnCurve(*curve_, kCurvePositionScale * limitDriven(history_[3] * drive_));
    middle_ = locateOnCurve(*curve_, kCurvePositionScale * limitDriven(history_[2] * drive_));
    middleSecond_ = secondAntiderivative(middle_);
    older_ = dividedDifference(middle_, oldest_, middleSecond_, secondAntiderivative(oldest_));
    olderOutput_ = advance(history_[1] * drive_);
    newerOutput_ = advance(history_[0] * drive_);
}

double AntialiasedLane::next(float sample, bool& clipped) {
    const float driven = sample * drive_;
    clipped = clipped || driven > 1.0f || driven < -1.0f;
    const double output = advance(driven);
    const double lifted = centre_ * newerOutput_ - side_ * (output + olderOutput_);
    olderOutput_ = newerOutput_;
    newerOutput_ = output;
    for (int32_t k = kAntialiasingHistory - 1; k > 0; --k)
        history_[k] = history_[k - 1];
    history_[0] = sample;
    return lifted;
}

void AntialiasedLane::storeHistory(float* history, int32_t stride) const {
    for (int32_t k = 0; k < kAntialiasingHistory; ++k)
        history[k * stride] = history_[k];
}

double AntialiasedLane::advance(float driven) {
    const CurvePoint newest = locateOnCurve(*curve_, kCurvePositionScale * limitDriven(driven));
    const double newestSecond = secondAntiderivative(newest);
    const double newer = dividedDifference(newest, middle_, newestSecond, middleSecond_);
    const double output =
        antialiasedValue(*curve_, {newest, middle_, oldest_, middleSecond_, newer, older_});
    oldest_ = middle_;
    middle_ = newest;
    middleSecond_ = newestSecond;
    older_ = newer;
    return output;
}

}  // namespace marrowfold
