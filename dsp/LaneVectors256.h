#pragma once

// Lane traits on 256-bit vectors (AVX2). See LaneKernelTemplates.h for what each trait provides
// and why they sit in an unnamed namespace.

#include <immintrin.h>

// Every file that holds these traits rounds its resampling fused (see kFileRounding).
#ifndef __FMA__
#error "the 256-bit lane traits need fused multiply-add: compile with -mfma"
#endif

#include <cstdint>

#include "dsp/ShapeAntiderivatives.h"
#include "dsp/SmoothCurve.h"

namespace marrowfold {
namespace {

struct Doubles256 {
    using Vector = __m256d;
    static constexpr int32_t kWidth = 4;

    static Vector load(const double* p) { return _mm256_load_pd(p); }
    static void store(double* p, Vector v) { _mm256_store_pd(p, v); }
    static Vector add(Vector a, Vector b) { return _mm256_add_pd(a, b); }
    static Vector sub(Vector a, Vector b) { return _mm256_sub_pd(a, b); }
    static Vector mul(Vector a, Vector b) { return _mm256_mul_pd(a, b); }
    // Widening is exact, so the sample is spread as a float and widened once.
    static Vector input(const float* first, const float*, int32_t n) {
        return _mm256_cvtps_pd(_mm_broadcast_ss(first + n));
    }
    static Vector roundToFloat(Vector y) { return _mm256_cvtps_pd(_mm256_cvtpd_ps(y)); }
    static void storeFloats(float* dest, Vector y) { _mm_storeu_ps(dest, _mm256_cvtpd_ps(y)); }

    using Mask = __m256d;
    static Mask magnitudeAtMost(Vector v, double limit) {
        return _mm256_cmp_pd(magnitude(v), _mm256_set1_pd(limit), _CMP_LE_OQ);
    }
    static Mask magnitudeAtLeast(Vector v, double limit) {
        return _mm256_cmp_pd(magnitude(v), _mm256_set1_pd(limit), _CMP_GE_OQ);
    }
    static Mask both(Mask a, Mask b) { return _mm256_and_pd(a, b); }
    static Vector keep(Mask m, Vector v) { return _mm256_and_pd(m, v); }

    // The anti-aliased shaping's.
    using Index = __m128i;
    static Vector splat(double value) { return _mm256_set1_pd(value); }
    static Vector div(Vector a, Vector b) { return _mm256_div_pd(a, b); }
    static Vector abs(Vector v) { return magnitude(v); }
    static Vector min(Vector a, Vector b) { return _mm256_min_pd(a, b); }
    static Vector max(Vector a, Vector b) { return _mm256_max_pd(a, b); }
    static Mask less(Vector a, Vector b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
    static Mask greater(Vector a, Vector b) { return _mm256_cmp_pd(a, b, _CMP_GT_OQ); }
    static Mask greaterEqual(Vector a, Vector b) { return _mm256_cmp_pd(a, b, _CMP_GE_OQ); }
    static Mask equal(Vector a, Vector b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
    static Mask ordered(Vector v) { return _mm256_cmp_pd(v, v, _CMP_ORD_Q); }
    static Mask either(Mask a, Mask b) { return _mm256_or_pd(a, b); }
    static Mask butNot(Mask a, Mask b) { return _mm256_andnot_pd(b, a); }
    static Mask every() { return _mm256_castsi256_pd(_mm256_set1_epi64x(-1)); }
    static Mask none() { return _mm256_setzero_pd(); }
    static bool any(Mask m) { return _mm256_movemask_pd(m) != 0; }
    static Vector select(Mask m, Vector set, Vector clear) {
        return _mm256_blendv_pd(clear, set, m);
    }
    static Vector flipSign(Mask m, Vector v) {
        return _mm256_xor_pd(v, _mm256_and_pd(m, _mm256_set1_pd(-0.0)));
    }
    static Vector roundHalfEven(Vector v) {
        return _mm256_round_pd(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    }
    static Index toIndex(Vector whole) { return _mm256_cvttpd_epi32(whole); }
    // The four fields of every lane's piece: one load of each piece, then the 4 x 4 transposed.
    static void gatherPieces(const CurvePiece* pieces, Index index, Vector (&fields)[4]) {
        alignas(16) int32_t at[kWidth];
        _mm_store_si128(reinterpret_cast<__m128i*>(at), index);
        const auto piece = [&](int32_t lane) { return _mm256_load_pd(&pieces[at[lane]].second); };
        const __m256d evenLow = _mm256_unpacklo_pd(piece(0), piece(1));
        const __m256d oddLow = _mm256_unpackhi_pd(piece(0), piece(1));
        const __m256d evenHigh = _mm256_unpacklo_pd(piece(2), piece(3));
        const __m256d oddHigh = _mm256_unpackhi_pd(piece(2), piece(3));
        fields[0] = _mm256_permute2f128_pd(evenLow, evenHigh, 0x20);
        fields[1] = _mm256_permute2f128_pd(oddLow, oddHigh, 0x20);
        fields[2] = _mm256_permute2f128_pd(evenLow, evenHigh, 0x31);
        fields[3] = _mm256_permute2f128_pd(oddLow, oddHigh, 0x31);
    }
    static Vector drivenInput(const float* rows, const float* drive) {
        return _mm256_cvtps_pd(_mm_mul_ps(_mm_loadu_ps(rows), _mm_load_ps(drive)));
    }
    static Vector loadWidened(const float* p) { return _mm256_cvtps_pd(_mm_loadu_ps(p)); }
    static void storeScaled(float* dest, Vector y, const float* level) {
        _mm_storeu_ps(dest, _mm_mul_ps(_mm256_cvtpd_ps(y), _mm_load_ps(level)));
    }

  private:
    static Vector magnitude(Vector v) { return _mm256_andnot_pd(_mm256_set1_pd(-0.0), v); }
};

struct Floats256 {
    using Vector = __m256;
    using Mask = __m256;
    using Index = __m256i;
    static constexpr int32_t kWidth = 8;

    static Vector load(const float* p) { return _mm256_loadu_ps(p); }
    static void store(float* p, Vector v) { _mm256_storeu_ps(p, v); }
    static Vector splat(float value) { return _mm256_set1_ps(value); }
    static Vector add(Vector a, Vector b) { return _mm256_add_ps(a, b); }
    static Vector sub(Vector a, Vector b) { return _mm256_sub_ps(a, b); }
    static Vector mul(Vector a, Vector b) { return _mm256_mul_ps(a, b); }
    static Vector mulAdd(Vector a, Vector b, Vector c) { return _mm256_fmadd_ps(a, b, c); }
    static Vector negMulAdd(Vector a, Vector b, Vector c) { return _mm256_fnmadd_ps(a, b, c); }
    // The even and the odd floats of the 2 kWidth at p.
    static void deinterleave(const float* p, Vector& even, Vector& odd) {
        const Vector low = _mm256_loadu_ps(p);
        const Vector high = _mm256_loadu_ps(p + kWidth);
        // Within each half first, then the halves' 64-bit pieces into order.
        const __m256d evens =
            _mm256_castps_pd(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0)));
        const __m256d odds =
            _mm256_castps_pd(_mm256_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1)));
        even = _mm256_castpd_ps(_mm256_permute4x64_pd(evens, _MM_SHUFFLE(3, 1, 2, 0)));
        odd = _mm256_castpd_ps(_mm256_permute4x64_pd(odds, _MM_SHUFFLE(3, 1, 2, 0)));
    }
    // Stores a's lower half, b's lower half, a's upper half, b's upper half.
    static void storeHalvesInterleaved(float* p, Vector a, Vector b) {
        _mm256_storeu_ps(p, _mm256_permute2f128_ps(a, b, 0x20));
        _mm256_storeu_ps(p + kWidth, _mm256_permute2f128_ps(a, b, 0x31));
    }
    // The lower half from low, the upper half from high, and back.
    static Vector loadHalves(const float* low, const float* high) {
        return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(low)), _mm_loadu_ps(high),
                                    1);
    }
    // The half at p in both halves, loaded as such.
    static Vector loadTwice(const float* p) {
        return _mm256_broadcast_ps(reinterpret_cast<const __m128*>(p));
    }
    static void storeHalves(float* low, float* high, Vector v) {
        _mm_storeu_ps(low, _mm256_castps256_ps128(v));
        _mm_storeu_ps(high, _mm256_extractf128_ps(v, 1));
    }
    static Vector abs(Vector v) { return _mm256_andnot_ps(signBit(), v); }
    static Mask notGreater(Vector a, Vector b) { return _mm256_cmp_ps(a, b, _CMP_NGT_UQ); }
    static Mask lessEqual(Vector a, Vector b) { return _mm256_cmp_ps(a, b, _CMP_LE_OQ); }
    static Mask negative(Vector v) { return _mm256_cmp_ps(v, _mm256_setzero_ps(), _CMP_LT_OQ); }
    // Masked before the product, which so never overflows on a lane that is not used.
    static Vector productWhere(Mask m, Vector a, Vector b) {
        return _mm256_mul_ps(_mm256_and_ps(m, a), b);
    }
    static Vector select(Mask m, Vector set, Vector clear) {
        return _mm256_blendv_ps(clear, set, m);
    }
    static Vector productOr(Mask m, Vector a, Vector b) { return select(m, mul(a, b), a); }
    static Vector flipSign(Mask m, Vector v) {
        return _mm256_xor_ps(v, _mm256_and_ps(m, signBit()));
    }
    static Mask every() { return _mm256_castsi256_ps(_mm256_set1_epi32(-1)); }
    static Mask both(Mask a, Mask b) { return _mm256_and_ps(a, b); }
    static bool all(Mask m) { return _mm256_movemask_ps(m) == 0xFF; }
    static Mask less(Vector a, Vector b) { return _mm256_cmp_ps(a, b, _CMP_LT_OQ); }
    static Vector max(Vector a, Vector b) { return _mm256_max_ps(a, b); }
    static Vector truncate(Vector v, Index& index) {
        index = _mm256_cvttps_epi32(v);
        return _mm256_cvtepi32_ps(index);
    }

    // Each coefficient's sixteen pieces in two parts of eight, each permuted by the index's low
    // three bits; its fourth bit, shifted up to the sign, picks the part. The parts stay in
    // memory, read by the permutations themselves: held in registers, they would crowd out the
    // shaping's own.
    using Pieces = const SmoothCurve*;
    static constexpr int32_t kPieceParts = 2;
    static Pieces loadPieces(const SmoothCurve& curve) { return &curve; }
    static void pickPiece(Pieces pieces, Index index, int32_t part,
                          Vector (&coefficients)[kSmoothCoefficients]) {
        for (size_t n = 0; n < kSmoothCoefficients; ++n) {
            const float* sixteen = pieces->coefficient[n].data() + part * kWidth;
            coefficients[n] = _mm256_permutevar8x32_ps(_mm256_load_ps(sixteen), index);
        }
    }
    static Vector joinParts(const Vector (&parts)[kPieceParts], Index index) {
        return _mm256_blendv_ps(parts[0], parts[1],
                                _mm256_castsi256_ps(_mm256_slli_epi32(index, 28)));
    }

    // The rounding instruction is told the mode itself, so the host's mode does not matter.
    static Vector roundHalfEven(Vector position, Index& index) {
        const Vector whole =
            _mm256_round_ps(position, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
        index = _mm256_cvttps_epi32(whole);
        return whole;
    }

    // Pair i is one 64-bit element at pairs + 2 i. The pairs of elements 0, 1, 4, 5 and of
    // 2, 3, 6, 7 are gathered apart, so that one in-lane shuffle puts each half back in order.
    static void gatherPairs(const float* pairs, Index index, Vector& first, Vector& second) {
        const __m256i arranged =
            _mm256_permutevar8x32_epi32(index, _mm256_setr_epi32(0, 1, 4, 5, 2, 3, 6, 7));
        const Vector low = gatherPairs(pairs, _mm256_castsi256_si128(arranged));
        const Vector high = gatherPairs(pairs, _mm256_extracti128_si256(arranged, 1));
        first = _mm256_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0));
        second = _mm256_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1));
    }

  private:
    static Vector signBit() { return _mm256_set1_ps(-0.0f); }

    // Four pairs, gathered into a fresh zero register: a gather merges into its destination, and
    // reusing a register would chain every gather to the one before it.
    static Vector gatherPairs(const float* pairs, __m128i index) {
        const __m256i allLanes = _mm256_set1_epi64x(-1);
        // The gather reads raw 64-bit units; no value is read through the cast pointer's type.
        // cppcheck-suppress invalidPointerCast
        const auto* units = reinterpret_cast<const long long*>(pairs);
        return _mm256_castsi256_ps(_mm256_mask_i32gather_epi64(_mm256_setzero_si256(), units, index,
                                                               allLanes, 2 * sizeof(float)));
    }
};

// Two groups of four floats: the transposition works within each 128-bit half, so one vector
// sums both channels of a stereo row.
struct Quads256 {
    using Vector = __m256;
    static constexpr int32_t kGroups = 2;

    static Vector load(const float* p) { return _mm256_loadu_ps(p); }
    static Vector add(Vector a, Vector b) { return _mm256_add_ps(a, b); }
    static Vector unpackLow(Vector a, Vector b) { return _mm256_unpacklo_ps(a, b); }
    static Vector unpackHigh(Vector a, Vector b) { return _mm256_unpackhi_ps(a, b); }
    template <int kImmediate>
    static Vector shuffle(Vector a, Vector b) {
        return _mm256_shuffle_ps(a, b, kImmediate);
    }
    static void storeGroup(float* dest, Vector v, int32_t group) {
        _mm_storeu_ps(dest, group == 0 ? _mm256_castps256_ps128(v) : _mm256_extractf128_ps(v, 1));
    }
};

}  // namespace
}  // namespace marrowfold
