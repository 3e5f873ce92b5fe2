#pragma once

// The lane kernels, written once over vector traits. Each kernel file includes this together with
// the traits of its instruction set; everything here sits in an unnamed namespace, so every
// instantiation stays inside the file that compiled it for that instruction set and no other
// file can pick up its code.
//
// Traits D (double lanes of the recursion): Vector, kWidth, load, store, add, sub, mul,
// input(first, last, n) (the input sample n of each lane, widened; first and last are the channels
// of the vector's first and last lane), roundToFloat (rounded to float and widened back),
// storeFloats (rounded to float and stored), and for the end-of-block care Mask,
// magnitudeAtMost, magnitudeAtLeast (both false for a NaN), both and keep (zero where clear).
// Traits F (float lanes of the shaping): Vector, Mask, Index, kWidth, load, store, splat, add, sub,
// mul, abs, notGreater (also where either is not a number), lessEqual, negative, productWhere (a
// product where the mask is set, else 0), productOr(m, a, b) (a * b where the mask is set, else
// a), select, flipSign (negate where set), every, both, all, less, roundHalfEven(position, index),
// max (of numbers), truncate(v, index) (toward zero, as a whole number and as an index),
// gatherPairs(pairs, index, first, second) (pairs[2 index] and pairs[2 index + 1]), and for the
// smooth curve's pieces Pieces, loadPieces(curve), kPieceParts, pickPiece(pieces, index, part,
// coefficients) (the coefficients of each lane's piece, for the pieces that part holds) and
// joinParts(parts, index) (each lane from the part that holds its piece).
// Traits R (float lanes of the half-band recursion, no wider than a row): Vector, kWidth, load,
// store, splat, add, sub, mul, mulAdd(a, b, c) (c + a b) and negMulAdd(a, b, c) (c - a b), both
// rounded once in a file compiled for fused multiply-add; F has these too.
// Traits Q (groups of four floats for the band sum): Vector, kGroups, load, add, unpackLow,
// unpackHigh, shuffle<imm>, and storeGroup(dest, v, group) where a vector holds one row, or
// storeRuns(out, n, v) where it holds two.

#include <cstdint>
#include <type_traits>

#include "dsp/AntialiasingKernelTemplates.h"
#include "dsp/FirKernelTemplates.h"
#include "dsp/HalfbandKernelTemplates.h"
#include "dsp/LaneKernels.h"
#include "dsp/SectionKernels.h"
#include "dsp/ShapeTables.h"
#include "dsp/SmoothCurve.h"

namespace marrowfold {
namespace {

template <int32_t kPhase>
using Phase = std::integral_constant<int32_t, kPhase>;

// Samples section 0 runs ahead of section 1. Section 1 reads section 0's output of the same
// sample some thirty cycles after its recursion step; run in step, the two recursions would wait
// on each other, while a chunk apart they overlap. A multiple of the group of four.
inline constexpr int32_t kSectionLead = 16;

// A section's inputs for one chunk: the four before it, then the chunk's own. Reading x[n-2] and
// x[n-4] back from here leaves the registers to the coefficients and the output history.
inline constexpr int32_t kWindow = kLaneHistory + kSectionLead;

// One fourth-order section of kWidth lanes. Its coefficients and output history stay in
// registers; its inputs come from a window. Steps come in groups of four, and the output history
// rotates by name instead of moving: at phase P of a group, y[n-r] lives in ys[(r - 1 - P) & 3],
// and the slot of the oldest entry takes the new one. Phase 0 is the base layout: ys[k] holds
// y[n-1-k].
template <class D>
struct SectionLanes {
    using Vector = typename D::Vector;

    template <int32_t kAge, int32_t kPhase>
    static constexpr int32_t kSlot = (kAge - 1 - kPhase) & (kLaneHistory - 1);

    // Loads the section's state; its input history goes to the start of window.
    SectionLanes(const LaneSection& section, int32_t lane, Vector* window)
        : b0(D::load(&section.b0.lane[lane])),
          b2(D::load(&section.b2.lane[lane])),
          b4(D::load(&section.b4.lane[lane])),
          a1(D::load(&section.a1.lane[lane])),
          a2(D::load(&section.a2.lane[lane])),
          a3(D::load(&section.a3.lane[lane])),
          a4(D::load(&section.a4.lane[lane])) {
        for (int32_t k = 0; k < kLaneHistory; ++k) {
            window[kLaneHistory - 1 - k] = D::load(&section.x[k].lane[lane]);
            ys[k] = D::load(&section.y[k].lane[lane]);
        }
    }

    // y = b2 x2 + (b4 x4 + b0 x) - a4 y4 - a3 y3 - a2 y2 - a1 y1, summed in this order, where x
    // points at the current input.
    template <int32_t kPhase>
    [[gnu::always_inline]] Vector step(const Vector* x) {
        const Vector feedForward =
            D::add(D::mul(b2, x[-2]), D::add(D::mul(b4, x[-4]), D::mul(b0, x[0])));
        const Vector y = D::sub(D::sub(D::sub(D::sub(feedForward, D::mul(a4, ys[kSlot<4, kPhase>])),
                                              D::mul(a3, ys[kSlot<3, kPhase>])),
                                       D::mul(a2, ys[kSlot<2, kPhase>])),
                                D::mul(a1, ys[kSlot<1, kPhase>]));
        ys[kSlot<4, kPhase>] = y;
        return y;
    }

    // Returns to the base layout after steps (0..3) steps of an unfinished group.
    [[gnu::always_inline]] void realign(int32_t steps) {
        switch (steps) {
            case 1:
                rotate<1>();
                break;
            case 2:
                rotate<2>();
                break;
            case 3:
                rotate<3>();
                break;
            default:
                break;
        }
    }

    // Stores the state, end pointing just past the last input, after the end-of-block care of
    // the reference kernels (settleSectionHistory) in every lane at once: a runaway or undefined
    // output history clears the section, inputs too; a decayed one (|y1| below the silence
    // threshold) clears the output history.
    void save(LaneSection& section, int32_t lane, const Vector* end) const {
        auto sane = D::magnitudeAtMost(ys[0], kRunawayLevel);
        for (int32_t k = 1; k < kLaneHistory; ++k)
            sane = D::both(sane, D::magnitudeAtMost(ys[k], kRunawayLevel));
        const auto sounding = D::both(sane, D::magnitudeAtLeast(ys[0], kSilenceThreshold));
        for (int32_t k = 0; k < kLaneHistory; ++k) {
            D::store(&section.x[k].lane[lane], D::keep(sane, end[-1 - k]));
            D::store(&section.y[k].lane[lane], D::keep(sounding, ys[k]));
        }
    }

    const Vector b0, b2, b4, a1, a2, a3, a4;
    Vector ys[kLaneHistory];

  private:
    template <int32_t kSteps>
    [[gnu::always_inline]] void rotate() {
        const Vector y[kLaneHistory] = {ys[0], ys[1], ys[2], ys[3]};
        for (int32_t k = 0; k < kLaneHistory; ++k)
            ys[k] = y[(k - kSteps) & (kLaneHistory - 1)];
    }
};

// Runs step(phase, j) for j = 0..count-1 in groups of four, then realigns the sections it moved.
// The recursion's helpers are always inlined: only within one function body does the section
// state stay in registers.
template <class Step, class... Sections>
[[gnu::always_inline]] inline void runGroups(int32_t count, Step step, Sections&... sections) {
    int32_t j = 0;
    for (; j + kLaneHistory <= count; j += kLaneHistory) {
        step(Phase<0>{}, j);
        step(Phase<1>{}, j + 1);
        step(Phase<2>{}, j + 2);
        step(Phase<3>{}, j + 3);
    }
    const int32_t rest = count - j;
    if (rest > 0) step(Phase<0>{}, j);
    if (rest > 1) step(Phase<1>{}, j + 1);
    if (rest > 2) step(Phase<2>{}, j + 2);
    (sections.realign(rest), ...);
}

// Both sections of one vector of lanes over a block. The lanes are independent chains, so each
// vector of lanes runs over the whole block on its own. Section 0 fills the next chunk while
// section 1 works through the current one, reading section 0's output rounded to float, as it
// would read it back from the band buffer.
template <class D, int32_t kLanes>
void filterVector(LaneFilterState& state, int32_t lane, const float* const* in, float* rows,
                  int32_t frames) {
    using Vector = typename D::Vector;
    const float* first = in[lane / kLaneBands];
    const float* last = in[(lane + D::kWidth - 1) / kLaneBands];
    float* dest = rows + lane;
    Vector lowWindow[kWindow];
    Vector highWindows[2][kWindow];
    SectionLanes<D> low(state.section[0], lane, lowWindow);
    SectionLanes<D> high(state.section[1], lane, highWindows[0]);

    // Sample start + j, which section 0 turns into an input of section 1 in highWindow.
    const auto lowStep = [&](auto phase, int32_t start, int32_t j, Vector* highWindow)
        __attribute__((always_inline)) {
        Vector* x = lowWindow + kLaneHistory + j;
        *x = D::input(first, last, start + j);
        highWindow[kLaneHistory + j] =
            D::roundToFloat(low.template step<decltype(phase)::value>(x));
    };
    const auto highStep = [&](auto phase, int32_t start, int32_t j, const Vector* highWindow)
        __attribute__((always_inline)) {
        D::storeFloats(dest + (start + j) * kLanes,
                       high.template step<decltype(phase)::value>(highWindow + kLaneHistory + j));
    };
    // The last four inputs of a full chunk become the history of the next.
    const auto carryOver = [](const Vector* from, Vector* to) __attribute__((always_inline)) {
        for (int32_t k = 0; k < kLaneHistory; ++k)
            to[k] = from[kSectionLead + k];
    };

    int32_t length = frames < kSectionLead ? frames : kSectionLead;
    runGroups(
        length,
        [&](auto phase, int32_t j)
            __attribute__((always_inline)) { lowStep(phase, 0, j, highWindows[0]); },
        low);
    int32_t start = 0;
    int32_t current = 0;
    for (;;) {
        const int32_t next = start + kSectionLead;
        // Only a full chunk has one after it, and that one is no longer than it.
        const int32_t nextLength = frames <= next           ? 0
                                   : frames - next < length ? frames - next
                                                            : length;
        Vector* highWindow = highWindows[current];
        Vector* nextWindow = highWindows[current ^ 1];
        if (nextLength > 0) {
            carryOver(lowWindow, lowWindow);
            carryOver(highWindow, nextWindow);
        }
        runGroups(
            nextLength,
            [&](auto phase, int32_t j) __attribute__((always_inline)) {
                lowStep(phase, next, j, nextWindow);
                highStep(phase, start, j, highWindow);
            },
            low, high);
        runGroups(
            length - nextLength,
            [&](auto phase, int32_t j) __attribute__((always_inline)) {
                highStep(phase, start, nextLength + j, highWindow);
            },
            high);
        if (nextLength == 0) break;
        start = next;
        current ^= 1;
        length = nextLength;
    }
    low.save(state.section[0], lane, lowWindow + kLaneHistory + length);
    high.save(state.section[1], lane, highWindows[current] + kLaneHistory + length);
}

template <class D, int32_t kChannels>
void filterLanes(LaneFilterState& state, const float* const* in, float* rows, int32_t frames) {
    constexpr int32_t kLanes = kChannels * kLaneBands;
    for (int32_t lane = 0; lane < kLanes; lane += D::kWidth)
        filterVector<D, kLanes>(state, lane, in, rows, frames);
}

// The table's line through the entries around each position, the index rounded half to even.
template <class F>
struct TableReader {
    using Vector = typename F::Vector;
    const float* segments;

    __attribute__((always_inline)) Vector operator()(Vector position) const {
        typename F::Index index;
        const Vector whole = F::roundHalfEven(position, index);
        Vector start;
        Vector rise;
        F::gatherPairs(segments, index, start, rise);
        return F::add(start, F::mul(rise, F::sub(position, whole)));
    }
};

// The smooth curve at each position, as smoothCurveAt evaluates it: every lane's piece picked by
// permutation (or, without one, loaded whole), where the table needs a gather.
template <class F>
struct SmoothReader {
    using Vector = typename F::Vector;

    explicit SmoothReader(const SmoothCurve& curve)
        : pieces(F::loadPieces(curve)), startSlope(F::splat(curve.startSlope)) {}

    __attribute__((always_inline)) Vector operator()(Vector position) const {
        // Lanes on the line work out a piece at the line's end instead: a tiny position would
        // raise floating-point flags in the products that the reference never computes.
        const Vector lineEnd = F::splat(kSmoothLineEnd);
        const Vector scaled = F::mul(F::max(position, lineEnd), F::splat(kSmoothPieceScale));
        typename F::Index piece;
        const Vector t = F::sub(scaled, F::truncate(scaled, piece));
        // Each part of the coefficients gives every lane a cubic; the part that holds the lane's
        // piece is kept, so each lane gets its own piece's cubic, worked out as the reference
        // does it.
        Vector parts[F::kPieceParts];
        for (int32_t part = 0; part < F::kPieceParts; ++part) {
            Vector c[kSmoothCoefficients];
            F::pickPiece(pieces, piece, part, c);
            Vector value = F::mulAdd(c[3], t, c[2]);
            value = F::mulAdd(value, t, c[1]);
            parts[part] = F::mulAdd(value, t, c[0]);
        }
        return F::select(F::less(position, lineEnd), F::mul(startSlope, position),
                         F::joinParts(parts, piece));
    }

    typename F::Pieces pieces;
    Vector startSlope;
};

// The shaping of one vector: v = x * drive, limited to -1..1 (within clears where it is not),
// else read from the odd curve at |v| by curveAt; a sample that is not a number gives 0. The
// result is multiplied by level. Always inlined, so that the kernel's loop holds the whole of it.
template <class F, class CurveAt>
inline __attribute__((always_inline)) typename F::Vector shapeVector(typename F::Vector x,
                                                                     typename F::Vector drive,
                                                                     typename F::Vector level,
                                                                     const CurveAt& curveAt,
                                                                     typename F::Mask& within) {
    using Vector = typename F::Vector;
    const Vector one = F::splat(1.0f);
    const Vector v = F::mul(x, drive);
    const Vector magnitude = F::abs(v);
    // Not over: at most 1, or not a number.
    const typename F::Mask notOver = F::notGreater(magnitude, one);
    // Overs and undefined samples read position 0, so no index leaves the curve, and an
    // undefined sample comes out as the curve's +0 there.
    const Vector position =
        F::productWhere(F::lessEqual(magnitude, one), magnitude, F::splat(kShapeLookupScale));
    const Vector curve = curveAt(position);
    within = F::both(within, notOver);
    // The level multiplies the limited curve before its sign is set: the same product, as
    // rounding is symmetric in sign, and an over's 1 * level is level itself.
    return F::flipSign(F::negative(v), F::productOr(notOver, level, curve));
}

template <class F, int32_t kChannels, class CurveAt>
bool shapeRowsWith(const LaneShaping& shaping, const CurveAt& curveAt, float* rows, int32_t count) {
    using Vector = typename F::Vector;
    constexpr int32_t kLanes = kChannels * kLaneBands;
    // The per-lane factors repeat every kLanes floats; kSpan covers whole vectors and whole rows.
    constexpr int32_t kSpan = F::kWidth > kLanes ? F::kWidth : kLanes;
    constexpr int32_t kVectors = kSpan / F::kWidth;
    alignas(64) float drivePattern[kSpan];
    alignas(64) float levelPattern[kSpan];
    for (int32_t j = 0; j < kSpan; ++j) {
        drivePattern[j] = shaping.drive[j % kLanes];
        levelPattern[j] = shaping.level[j % kLanes];
    }
    Vector drive[kVectors];
    Vector level[kVectors];
    for (int32_t k = 0; k < kVectors; ++k) {
        drive[k] = F::load(drivePattern + k * F::kWidth);
        level[k] = F::load(levelPattern + k * F::kWidth);
    }
    typename F::Mask within = F::every();
    const auto shapeSpan = [&](float* span) {
        for (int32_t k = 0; k < kVectors; ++k) {
            float* at = span + k * F::kWidth;
            F::store(at, shapeVector<F>(F::load(at), drive[k], level[k], curveAt, within));
        }
    };
    int32_t i = 0;
    for (; i + kSpan <= count; i += kSpan)
        shapeSpan(rows + i);
    if (i < count) {
        // The rest goes through a zero-padded copy; zeros never clip.
        alignas(64) float tail[kSpan] = {};
        for (int32_t j = 0; j < count - i; ++j)
            tail[j] = rows[i + j];
        shapeSpan(tail);
        for (int32_t j = 0; j < count - i; ++j)
            rows[i + j] = tail[j];
    }
    return !F::all(within);
}

template <class F, int32_t kChannels>
bool shapeRows(const LaneShaping& shaping, float* rows, int32_t count) {
    return shapeRowsWith<F, kChannels>(shaping, TableReader<F>{shaping.segments}, rows, count);
}

template <class F, int32_t kChannels>
bool shapeRowsSmoothly(const LaneShaping& shaping, float* rows, int32_t count) {
    return shapeRowsWith<F, kChannels>(shaping, SmoothReader<F>(*shaping.smooth), rows, count);
}

// The band sum works on tiles of four samples of the four bands of a channel: one group of four
// floats per row.
inline constexpr int32_t kTileSamples = 4;
static_assert(kLaneBands == 4, "a channel's bands fill one group of four floats");

// Turns the four rows of a tile into its four bands, in each group of four floats.
template <class Q>
void transposeQuads(typename Q::Vector (&v)[kTileSamples]) {
    const auto t0 = Q::unpackLow(v[0], v[1]);
    const auto t1 = Q::unpackHigh(v[0], v[1]);
    const auto t2 = Q::unpackLow(v[2], v[3]);
    const auto t3 = Q::unpackHigh(v[2], v[3]);
    v[0] = Q::template shuffle<0x44>(t0, t2);
    v[1] = Q::template shuffle<0xEE>(t0, t2);
    v[2] = Q::template shuffle<0x44>(t1, t3);
    v[3] = Q::template shuffle<0xEE>(t1, t3);
}

// Rows from n on, one sample at a time.
template <int32_t kChannels>
void sumRowsFrom(int32_t n, const float* rows, float* const* out, int32_t frames, bool solo,
                 int32_t soloBand) {
    constexpr int32_t kLanes = kChannels * kLaneBands;
    for (; n < frames; ++n) {
        for (int32_t ch = 0; ch < kChannels; ++ch) {
            const float* bands = rows + n * kLanes + ch * kLaneBands;
            out[ch][n] = solo ? bands[soloBand] : ((bands[0] + bands[1]) + bands[2]) + bands[3];
        }
    }
}

template <class Q, int32_t kChannels>
void sumRows(const float* rows, float* const* out, int32_t frames, int32_t soloBand) {
    constexpr int32_t kLanes = kChannels * kLaneBands;
    constexpr int32_t kChunks = kChannels / Q::kGroups;
    static_assert(kChunks >= 1, "a vector of groups must not span more channels than there are");
    const bool solo = soloBand >= 0 && soloBand < kLaneBands;
    int32_t n = 0;
    for (; n + kTileSamples <= frames; n += kTileSamples) {
        for (int32_t chunk = 0; chunk < kChunks; ++chunk) {
            const float* tile = rows + n * kLanes + chunk * kLaneBands * Q::kGroups;
            typename Q::Vector band[kTileSamples];
            for (int32_t k = 0; k < kTileSamples; ++k)
                band[k] = Q::load(tile + k * kLanes);
            transposeQuads<Q>(band);
            const auto result =
                solo ? band[soloBand] : Q::add(Q::add(Q::add(band[0], band[1]), band[2]), band[3]);
            for (int32_t group = 0; group < Q::kGroups; ++group)
                Q::storeGroup(out[chunk * Q::kGroups + group] + n, result, group);
        }
    }
    sumRowsFrom<kChannels>(n, rows, out, frames, solo, soloBand);
}

// The same over tiles of eight rows where a vector holds the groups of two rows: vector k holds
// rows 2k and 2k + 1, one load each, so the transposed groups hold each channel's even rows, then
// its odd rows; storeRuns interleaves them into each channel's run of eight samples.
template <class Q, int32_t kChannels>
void sumRowPairs(const float* rows, float* const* out, int32_t frames, int32_t soloBand) {
    constexpr int32_t kLanes = kChannels * kLaneBands;
    constexpr int32_t kTileRows = 2 * kTileSamples;
    static_assert(Q::kGroups == 2 * kChannels, "a vector holds the groups of two rows");
    const bool solo = soloBand >= 0 && soloBand < kLaneBands;
    int32_t n = 0;
    for (; n + kTileRows <= frames; n += kTileRows) {
        const float* tile = rows + n * kLanes;
        typename Q::Vector band[kTileSamples];
        for (int32_t k = 0; k < kTileSamples; ++k)
            band[k] = Q::load(tile + 2 * k * kLanes);
        transposeQuads<Q>(band);
        const auto result =
            solo ? band[soloBand] : Q::add(Q::add(Q::add(band[0], band[1]), band[2]), band[3]);
        Q::storeRuns(out, n, result);
    }
    sumRowsFrom<kChannels>(n, rows, out, frames, solo, soloBand);
}

template <class Q, int32_t kChannels>
constexpr auto sumKernel() {
    if constexpr (Q::kGroups == 2 * kChannels) {
        return &sumRowPairs<Q, kChannels>;
    } else {
        return &sumRows<Q, kChannels>;
    }
}

template <class D, class F, class Q, class R, int32_t kChannels>
constexpr LaneKernels makeLaneKernels() {
    return {&filterLanes<D, kChannels>,
            &shapeRows<F, kChannels>,
            &shapeRowsSmoothly<F, kChannels>,
            &shapeRowsAntialiased<D, kChannels>,
            sumKernel<Q, kChannels>(),
            firstStageUpKernel<F, R, kChannels>(),
            {nullptr, upsampleFirKernel<F, R, kChannels * kLaneBands, kStageTaps[1]>(),
             upsampleFirKernel<F, R, kChannels * kLaneBands, kStageTaps[2]>(),
             upsampleFirKernel<F, R, kChannels * kLaneBands, kStageTaps[3]>()},
            {nullptr, &downsampleFirSamples<F, kStageTaps[1]>,
             &downsampleFirSamples<F, kStageTaps[2]>, &downsampleFirSamples<F, kStageTaps[3]>},
            &downsampleVectors<kFirstStageSections>,
            kFileRounding};
}

}  // namespace
}  // namespace marrowfold
