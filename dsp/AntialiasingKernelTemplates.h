#pragma once

// The anti-aliased shaping's lane kernel, for each instruction set's lane kernels (included by
// LaneKernelTemplates.h, whose unnamed-namespace rules apply). Each vector of lanes runs over the
// whole block on its own, and every lane takes the reference's operations (AntialiasedShaping.cpp)
// in the same order: where the reference picks a branch, the vector computes each branch its
// lanes need and selects, so its output is the same bit for bit. Lanes that do not take a branch
// compute it with harmless operands (a division by zero there becomes one by one), so the kernel
// raises no floating-point flag the reference does not. A branch that no lane of the vector takes
// is not worked out at all.
//
// Traits D (double lanes), beyond those of the band filters: splat, div, abs, min, max, less,
// greater, greaterEqual, equal, ordered (not a NaN), either, butNot(a, b) (a and not b), every,
// none, any, select(mask, set, clear), flipSign (negate where set), roundHalfEven, Index,
// toIndex(whole), gatherPieces(pieces, index, fields) (the four fields of every lane's piece),
// drivenInput(rows, drive) (the floats' product, widened), loadWidened(floats), storeFloats
// and storeScaled(dest, y, level) (y rounded to float, times level).

#include <cstdint>

#include "dsp/AntialiasedShaping.h"
#include "dsp/LaneKernels.h"

namespace marrowfold {
namespace {

// CurvePoint for every lane of a vector, but with G2 at the point itself in place of its piece's
// G2 at the centre.
template <class D>
struct CurvePoints {
    using Vector = typename D::Vector;
    Vector position, offset, piece, second, first, value, rise;
};

// The reference's arithmetic (AntialiasedShaping.cpp) on vectors of lanes.
template <class D>
struct AntialiasingMath {
    using Vector = typename D::Vector;
    using Mask = typename D::Mask;
    using Points = CurvePoints<D>;

    static Vector constant(double value) { return D::splat(value); }

    static Points locate(const ShapeAntiderivatives& curve, Vector position) {
        const Vector magnitude = D::abs(position);
        const Vector whole = D::select(D::greater(magnitude, constant(kLimitPosition)),
                                       constant(kLimitPiece), D::roundHalfEven(magnitude));
        const Mask negative = D::less(position, constant(0.0));
        const Vector piece = D::flipSign(negative, whole);
        Vector fields[4];
        D::gatherPieces(curve.data(), D::toIndex(whole), fields);
        Points point{
            position,  D::sub(position, piece),          piece,    D::flipSign(negative, fields[0]),
            fields[1], D::flipSign(negative, fields[2]), fields[3]};
        point.second = secondAntiderivative(point);
        return point;
    }

    // G2 at the point from its piece's G2 at the centre.
    static Vector secondAntiderivative(const Points& p) {
        const Vector t = p.offset;
        const Vector cubic = D::mul(t, D::mul(p.rise, constant(kOneSixth)));
        const Vector quadratic = D::mul(t, D::add(D::mul(p.value, constant(0.5)), cubic));
        return D::add(p.second, D::mul(t, D::add(p.first, quadratic)));
    }

    static Vector firstAntiderivative(const Points& p, Vector t) {
        const Vector linear = D::mul(t, D::add(p.value, D::mul(t, D::mul(p.rise, constant(0.5)))));
        return D::add(p.first, linear);
    }

    static Vector meanFirstAntiderivative(const Points& p, Vector s, Vector t) {
        const Vector middle = D::mul(D::mul(D::add(s, t), constant(0.5)), p.value);
        const Vector squares = D::add(D::add(D::mul(s, s), D::mul(s, t)), D::mul(t, t));
        return D::add(D::add(p.first, middle),
                      D::mul(squares, D::mul(p.rise, constant(kOneSixth))));
    }

    static Vector lineAt(const Points& p, Vector position) {
        return D::add(p.value, D::mul(p.rise, D::sub(position, p.piece)));
    }

    static Vector edgeBetween(Vector piece, Vector other) {
        const Vector edge = D::add(D::min(piece, other), constant(0.5));
        return D::max(D::min(edge, constant(kLimitPosition)), constant(-kLimitPosition));
    }

    // A denominator that is 0 only in lanes that do not use the quotient.
    static Vector nonZero(Vector denominator) {
        return D::select(D::equal(denominator, constant(0.0)), constant(1.0), denominator);
    }

    // What a's piece adds beyond the edge to b's, for adjacent pieces (see the reference).
    static Vector edgeAddition(const Points& a, const Points& b) {
        const Vector edge = edgeBetween(a.piece, b.piece);
        const Vector beyond = D::sub(a.position, edge);
        const Vector jump = D::sub(lineAt(a, edge), lineAt(b, edge));
        const Vector kink = D::sub(a.rise, b.rise);
        return D::mul(
            D::mul(beyond, beyond),
            D::add(D::mul(jump, constant(0.5)), D::mul(D::mul(kink, beyond), constant(kOneSixth))));
    }

    // Each branch is worked out only when some lane takes it; far apart in another piece, the
    // plain quotient, is the common case.
    static Vector dividedDifference(const Points& a, const Points& b) {
        const Mask same = D::equal(a.piece, b.piece);
        const Vector apart = D::sub(a.position, b.position);
        const Mask far = D::greaterEqual(D::abs(apart), constant(kPieceSpan));
        const Mask adjacent = D::butNot(D::butNot(D::every(), far), same);
        Vector numerator = D::sub(a.second, b.second);
        if (D::any(adjacent)) numerator = D::select(far, numerator, edgeAddition(a, b));
        if (!D::any(D::either(same, adjacent))) return D::div(numerator, apart);
        const Vector quotient = D::div(numerator, D::select(same, constant(1.0), apart));
        const Vector alongB = meanFirstAntiderivative(b, b.offset, D::sub(a.position, b.piece));
        return D::select(same, alongB, D::select(far, quotient, D::add(alongB, quotient)));
    }

    static Points lower(const Points& a, const Points& b) {
        return pick(D::less(a.position, b.position), a, b);
    }
    static Points higher(const Points& a, const Points& b) {
        return pick(D::less(a.position, b.position), b, a);
    }
    static Points pick(Mask m, const Points& set, const Points& clear) {
        return {D::select(m, set.position, clear.position), D::select(m, set.offset, clear.offset),
                D::select(m, set.piece, clear.piece),       D::select(m, set.second, clear.second),
                D::select(m, set.first, clear.first),       D::select(m, set.value, clear.value),
                D::select(m, set.rise, clear.rise)};
    }

    static Vector averageAcrossEdge(const Points& low, Vector q, const Points& high) {
        const Vector p = low.position;
        const Vector r = high.position;
        const Vector mean = D::mul(D::add(D::add(p, q), r), constant(kOneThird));
        const Vector edge = edgeBetween(low.piece, high.piece);
        const Vector jump = D::sub(lineAt(high, edge), lineAt(low, edge));
        const Vector kink = D::sub(high.rise, low.rise);
        const Mask right = D::both(D::greater(r, q), D::greaterEqual(edge, q));
        const Vector beyond = D::sub(r, edge);
        const Vector rightShare =
            D::div(D::mul(beyond, beyond), nonZero(D::mul(D::sub(r, p), D::sub(r, q))));
        const Vector rightMoment = D::mul(D::mul(rightShare, beyond), constant(kOneThird));
        const Vector before = D::sub(edge, p);
        const Vector part =
            D::div(D::mul(before, before), nonZero(D::mul(D::sub(r, p), D::sub(q, p))));
        const Vector leftShare = D::sub(constant(1.0), part);
        const Vector leftMoment =
            D::add(D::sub(mean, edge), D::mul(D::mul(part, before), constant(kOneThird)));
        const Vector share = D::select(right, rightShare, leftShare);
        const Vector moment = D::select(right, rightMoment, leftMoment);
        return D::add(lineAt(low, mean), D::add(D::mul(jump, share), D::mul(kink, moment)));
    }

    static Vector meetingLimit(const ShapeAntiderivatives& curve, const Points& newest,
                               const Points& middle, const Points& oldest) {
        const Points meeting =
            locate(curve, D::mul(D::add(newest.position, oldest.position), constant(0.5)));
        const Vector toMiddle = dividedDifference(meeting, middle);
        const Vector slope = D::sub(firstAntiderivative(meeting, meeting.offset), toMiddle);
        return D::div(D::mul(constant(2.0), slope),
                      nonZero(D::sub(meeting.position, middle.position)));
    }

    // The samples of the lanes in `lanes` nearly meet.
    static Vector nearlyMeeting(const ShapeAntiderivatives& curve, Mask lanes, const Points& newest,
                                const Points& middle, const Points& oldest) {
        const Points newerLow = lower(newest, middle);
        const Points newerHigh = higher(newest, middle);
        const Points low = lower(newerLow, oldest);
        const Points high = higher(newerHigh, oldest);
        const Mask within = D::less(D::sub(high.position, low.position), constant(kPieceSpan));
        Vector result = constant(0.0);
        if (D::any(D::both(lanes, within))) {
            const Vector q = higher(newerLow, lower(newerHigh, oldest)).position;
            result = averageAcrossEdge(low, q, high);
        }
        if (D::any(D::butNot(lanes, within))) {
            result = D::select(within, result, meetingLimit(curve, newest, middle, oldest));
        }
        return result;
    }

    static Vector antialiasedValue(const ShapeAntiderivatives& curve, const Points& newest,
                                   const Points& middle, const Points& oldest, Vector newer,
                                   Vector older) {
        const Mask allSame =
            D::both(D::equal(newest.piece, middle.piece), D::equal(newest.piece, oldest.piece));
        const Vector apart = D::sub(newest.position, oldest.position);
        const Mask wide = D::greaterEqual(D::abs(apart), constant(kOuterTolerance));
        Vector value = D::div(D::mul(constant(2.0), D::sub(newer, older)),
                              D::select(wide, apart, constant(1.0)));
        const Mask meeting = D::butNot(D::butNot(D::every(), wide), allSame);
        if (D::any(meeting)) {
            value = D::select(wide, value, nearlyMeeting(curve, meeting, newest, middle, oldest));
        }
        if (!D::any(allSame)) return value;
        const Vector mean = D::mul(D::add(D::add(newest.offset, middle.offset), oldest.offset),
                                   constant(kOneThird));
        const Vector sameValue = D::add(newest.value, D::mul(newest.rise, mean));
        return D::select(allSame, sameValue, value);
    }
};

// Rows are taken in chunks: first every row's point on the curve, which only needs the row
// itself, then the differences and outputs, which need the rows before. Each pass has no chain
// from row to row, so the processor overlaps the rows, where one pass would wait on each row's
// table reads before its arithmetic.
inline constexpr int32_t kAntialiasingChunk = 16;

// One vector of lanes (from lane on) over frames rows, as AntialiasedLane runs each of them. The
// points of a chunk's rows follow the two before them in one window, so each row's output reads
// its three points where they lie.
template <class D, int32_t kLanes>
bool shapeVectorAntialiased(const LaneShaping& shaping, const LaneAntialiasing& antialiasing,
                            int32_t lane, float* rows, int32_t frames) {
    using Math = AntialiasingMath<D>;
    using Vector = typename D::Vector;
    const ShapeAntiderivatives& curve = *antialiasing.antiderivatives;
    const Vector scale = D::splat(kCurvePositionScale);
    const float* drive = shaping.drive + lane;
    // The driven row at samples limited (limitDriven), on the position scale.
    const auto position = [&](Vector driven) __attribute__((always_inline)) {
        const Vector limited = D::select(
            D::ordered(driven),
            D::min(D::max(driven, D::splat(-kDrivenLimit)), D::splat(kDrivenLimit)), D::splat(0.0));
        return D::mul(scale, limited);
    };
    float* history = antialiasing.history + lane;
    Vector recent[kAntialiasingHistory];
    for (int32_t k = 0; k < kAntialiasingHistory; ++k)
        recent[k] = D::loadWidened(history + k * kLanes);
    constexpr int32_t kBefore = 2;
    CurvePoints<D> window[kBefore + kAntialiasingChunk];
    for (int32_t k = 0; k < kAntialiasingHistory; ++k) {
        const Vector driven =
            D::drivenInput(history + (kAntialiasingHistory - 1 - k) * kLanes, drive);
        window[k] = Math::locate(curve, position(driven));
    }
    Vector older = Math::dividedDifference(window[1], window[0]);
    // The output of the row at window[at], given the rows before it.
    const auto output = [&](int32_t at) __attribute__((always_inline)) {
        const Vector newer = Math::dividedDifference(window[at], window[at - 1]);
        const Vector value =
            Math::antialiasedValue(curve, window[at], window[at - 1], window[at - 2], newer, older);
        older = newer;
        return value;
    };
    Vector olderOutput = output(kBefore);
    Vector newerOutput = output(kBefore + 1);
    window[0] = window[kBefore];
    window[1] = window[kBefore + 1];
    const Vector centre = D::splat(1.0 + 2.0 * antialiasing.compensation);
    const Vector side = D::splat(antialiasing.compensation);
    typename D::Mask over = D::none();
    for (int32_t start = 0; start < frames; start += kAntialiasingChunk) {
        const int32_t count =
            frames - start < kAntialiasingChunk ? frames - start : kAntialiasingChunk;
        float* chunk = rows + start * kLanes + lane;
        for (int32_t j = 0; j < count; ++j) {
            const Vector driven = D::drivenInput(chunk + j * kLanes, drive);
            over = D::either(over, D::either(D::greater(driven, D::splat(1.0)),
                                             D::less(driven, D::splat(-1.0))));
            window[kBefore + j] = Math::locate(curve, position(driven));
        }
        // The history keeps the rows before the drive, taken before the outputs replace them.
        for (int32_t j = count > kAntialiasingHistory ? count - kAntialiasingHistory : 0; j < count;
             ++j) {
            for (int32_t k = kAntialiasingHistory - 1; k > 0; --k)
                recent[k] = recent[k - 1];
            recent[0] = D::loadWidened(chunk + j * kLanes);
        }
        // The differences first, then the outputs: two short passes hold fewer values at once.
        Vector differences[kAntialiasingChunk + 1];
        differences[0] = older;
        for (int32_t j = 0; j < count; ++j)
            differences[j + 1] =
                Math::dividedDifference(window[kBefore + j], window[kBefore + j - 1]);
        older = differences[count];
        for (int32_t j = 0; j < count; ++j) {
            const Vector newest =
                Math::antialiasedValue(curve, window[kBefore + j], window[kBefore + j - 1],
                                       window[kBefore + j - 2], differences[j + 1], differences[j]);
            const Vector lifted =
                D::sub(D::mul(centre, newerOutput), D::mul(side, D::add(newest, olderOutput)));
            olderOutput = newerOutput;
            newerOutput = newest;
            D::storeScaled(chunk + j * kLanes, lifted, shaping.level + lane);
        }
        window[0] = window[count];
        window[1] = window[count + 1];
    }
    for (int32_t k = 0; k < kAntialiasingHistory; ++k)
        D::storeFloats(history + k * kLanes, recent[k]);
    return D::any(over);
}

template <class D, int32_t kChannels>
bool shapeRowsAntialiased(const LaneShaping& shaping, const LaneAntialiasing& antialiasing,
                          float* rows, int32_t count) {
    constexpr int32_t kLanes = kChannels * kLaneBands;
    static_assert(kLanes % D::kWidth == 0, "vectors of lanes cover whole rows");
    bool over = false;
    for (int32_t lane = 0; lane < kLanes; lane += D::kWidth)
        over =
            shapeVectorAntialiased<D, kLanes>(shaping, antialiasing, lane, rows, count / kLanes) ||
            over;
    return over;
}

}  // namespace
}  // namespace marrowfold
