#pragma once

// Lane traits on 512-bit vectors (AVX-512 foundation instructions only). See
// LaneKernelTemplates.h for what each trait provides and why they sit in an unnamed namespace.

#include <immintrin.h>

// Every file that holds these traits rounds its resampling fused (see kFileRounding).
#ifndef __FMA__
#error "the 512-bit lane traits need fused multiply-add: compile with -mfma"
#endif

#include <cstdint>

#include "dsp/ShapeAntiderivatives.h"
#include "dsp/SmoothCurve.h"

namespace marrowfold {
namespace {

// All eight lanes of a stereo layout: lanes 0..3 take channel 0, lanes 4..7 channel 1.
struct Doubles512 {
    using Vector = __m512d;
    static constexpr int32_t kWidth = 8;

    static Vector load(const double* p) { return _mm512_load_pd(p); }
    static void store(double* p, Vector v) { _mm512_store_pd(p, v); }
    static Vector add(Vector a, Vector b) { return _mm512_add_pd(a, b); }
    static Vector sub(Vector a, Vector b) { return _mm512_sub_pd(a, b); }
    static Vector mul(Vector a, Vector b) { return _mm512_mul_pd(a, b); }
    // Widening is exact, so the samples are spread as floats and widened once.
    static Vector input(const float* first, const float* last, int32_t n) {
        return _mm512_cvtps_pd(
            _mm256_set_m128(_mm_broadcast_ss(last + n), _mm_broadcast_ss(first + n)));
    }
    static Vector roundToFloat(Vector y) { return _mm512_cvtps_pd(_mm512_cvtpd_ps(y)); }
    static void storeFloats(float* dest, Vector y) { _mm256_storeu_ps(dest, _mm512_cvtpd_ps(y)); }

    using Mask = __mmask8;
    static Mask magnitudeAtMost(Vector v, double limit) {
        return _mm512_cmp_pd_mask(_mm512_abs_pd(v), _mm512_set1_pd(limit), _CMP_LE_OQ);
    }
    static Mask magnitudeAtLeast(Vector v, double limit) {
        return _mm512_cmp_pd_mask(_mm512_abs_pd(v), _mm512_set1_pd(limit), _CMP_GE_OQ);
    }
    static Mask both(Mask a, Mask b) { return static_cast<Mask>(a & b); }
    static Vector keep(Mask m, Vector v) { return _mm512_maskz_mov_pd(m, v); }

    // The anti-aliased shaping's.
    using Index = __m256i;
    static Vector splat(double value) { return _mm512_set1_pd(value); }
    static Vector div(Vector a, Vector b) { return _mm512_div_pd(a, b); }
    static Vector abs(Vector v) { return _mm512_abs_pd(v); }
    static Vector min(Vector a, Vector b) { return _mm512_min_pd(a, b); }
    static Vector max(Vector a, Vector b) { return _mm512_max_pd(a, b); }
    static Mask less(Vector a, Vector b) { return _mm512_cmp_pd_mask(a, b, _CMP_LT_OQ); }
    static Mask greater(Vector a, Vector b) { return _mm512_cmp_pd_mask(a, b, _CMP_GT_OQ); }
    static Mask greaterEqual(Vector a, Vector b) { return _mm512_cmp_pd_mask(a, b, _CMP_GE_OQ); }
    static Mask equal(Vector a, Vector b) { return _mm512_cmp_pd_mask(a, b, _CMP_EQ_OQ); }
    static Mask ordered(Vector v) { return _mm512_cmp_pd_mask(v, v, _CMP_ORD_Q); }
    static Mask either(Mask a, Mask b) { return static_cast<Mask>(a | b); }
    static Mask butNot(Mask a, Mask b) { return static_cast<Mask>(a & ~b); }
    static Mask every() { return 0xFF; }
    static Mask none() { return 0; }
    static bool any(Mask m) { return m != 0; }
    static Vector select(Mask m, Vector set, Vector clear) {
        return _mm512_mask_blend_pd(m, clear, set);
    }
    static Vector flipSign(Mask m, Vector v) {
        const __m512i bits = _mm512_castpd_si512(v);
        return _mm512_castsi512_pd(
            _mm512_mask_xor_epi64(bits, m, bits, _mm512_set1_epi64(INT64_MIN)));
    }
    static Vector roundHalfEven(Vector v) {
        return _mm512_roundscale_pd(v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    }
    static Index toIndex(Vector whole) { return _mm512_cvttpd_epi32(whole); }
    // The four fields of every lane's piece: one load of each piece, then the 8 x 4 transposed
    // (on this processor, faster than four gathers).
    static void gatherPieces(const CurvePiece* pieces, Index index, Vector (&fields)[4]) {
        alignas(32) int32_t at[kWidth];
        _mm256_store_si256(reinterpret_cast<__m256i*>(at), index);
        const auto piece = [&](int32_t lane) { return _mm256_load_pd(&pieces[at[lane]].second); };
        // Lanes l and l + 4 share a vector; then in each quarter the fields 0 and 2 of two lanes,
        // and 1 and 3, which the permutations put in lane order.
        __m512d pair[4];
        for (int32_t l = 0; l < 4; ++l)
            pair[l] = _mm512_insertf64x4(_mm512_castpd256_pd512(piece(l)), piece(l + 4), 1);
        const __m512d evenLow = _mm512_unpacklo_pd(pair[0], pair[1]);
        const __m512d oddLow = _mm512_unpackhi_pd(pair[0], pair[1]);
        const __m512d evenHigh = _mm512_unpacklo_pd(pair[2], pair[3]);
        const __m512d oddHigh = _mm512_unpackhi_pd(pair[2], pair[3]);
        const __m512i first = _mm512_setr_epi64(0, 1, 8, 9, 4, 5, 12, 13);
        const __m512i second = _mm512_setr_epi64(2, 3, 10, 11, 6, 7, 14, 15);
        fields[0] = _mm512_permutex2var_pd(evenLow, first, evenHigh);
        fields[1] = _mm512_permutex2var_pd(oddLow, first, oddHigh);
        fields[2] = _mm512_permutex2var_pd(evenLow, second, evenHigh);
        fields[3] = _mm512_permutex2var_pd(oddLow, second, oddHigh);
    }
    static Vector drivenInput(const float* rows, const float* drive) {
        return _mm512_cvtps_pd(_mm256_mul_ps(_mm256_loadu_ps(rows), _mm256_load_ps(drive)));
    }
    static Vector loadWidened(const float* p) { return _mm512_cvtps_pd(_mm256_loadu_ps(p)); }
    static void storeScaled(float* dest, Vector y, const float* level) {
        _mm256_storeu_ps(dest, _mm256_mul_ps(_mm512_cvtpd_ps(y), _mm256_load_ps(level)));
    }
};

struct Floats512 {
    using Vector = __m512;
    using Mask = __mmask16;
    using Index = __m512i;
    static constexpr int32_t kWidth = 16;

    static Vector load(const float* p) { return _mm512_loadu_ps(p); }
    static void store(float* p, Vector v) { _mm512_storeu_ps(p, v); }
    static Vector splat(float value) { return _mm512_set1_ps(value); }
    static Vector add(Vector a, Vector b) { return _mm512_add_ps(a, b); }
    static Vector sub(Vector a, Vector b) { return _mm512_sub_ps(a, b); }
    static Vector mul(Vector a, Vector b) { return _mm512_mul_ps(a, b); }
    static Vector mulAdd(Vector a, Vector b, Vector c) { return _mm512_fmadd_ps(a, b, c); }
    static Vector negMulAdd(Vector a, Vector b, Vector c) { return _mm512_fnmadd_ps(a, b, c); }
    // The even and the odd floats of the 2 kWidth at p.
    static void deinterleave(const float* p, Vector& even, Vector& odd) {
        const Vector low = _mm512_loadu_ps(p);
        const Vector high = _mm512_loadu_ps(p + kWidth);
        const __m512i evens =
            _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
        even = _mm512_permutex2var_ps(low, evens, high);
        odd = _mm512_permutex2var_ps(low, _mm512_add_epi32(evens, _mm512_set1_epi32(1)), high);
    }
    // Stores a's lower half, b's lower half, a's upper half, b's upper half.
    static void storeHalvesInterleaved(float* p, Vector a, Vector b) {
        _mm512_storeu_ps(p, _mm512_shuffle_f32x4(a, b, _MM_SHUFFLE(1, 0, 1, 0)));
        _mm512_storeu_ps(p + kWidth, _mm512_shuffle_f32x4(a, b, _MM_SHUFFLE(3, 2, 3, 2)));
    }
    // The lower half from low, the upper half from high, and back.
    static Vector loadHalves(const float* low, const float* high) {
        return _mm512_shuffle_f32x4(_mm512_castps256_ps512(_mm256_loadu_ps(low)),
                                    _mm512_castps256_ps512(_mm256_loadu_ps(high)),
                                    _MM_SHUFFLE(1, 0, 1, 0));
    }
    // The half at p in both halves, loaded as such.
    static Vector loadTwice(const float* p) {
        return _mm512_castpd_ps(_mm512_broadcast_f64x4(_mm256_castps_pd(_mm256_loadu_ps(p))));
    }
    static void storeHalves(float* low, float* high, Vector v) {
        _mm256_storeu_ps(low, _mm512_castps512_ps256(v));
        _mm256_storeu_ps(high, _mm256_castpd_ps(_mm512_extractf64x4_pd(_mm512_castps_pd(v), 1)));
    }
    static Vector abs(Vector v) { return _mm512_abs_ps(v); }
    static Mask notGreater(Vector a, Vector b) { return _mm512_cmp_ps_mask(a, b, _CMP_NGT_UQ); }
    static Mask lessEqual(Vector a, Vector b) { return _mm512_cmp_ps_mask(a, b, _CMP_LE_OQ); }
    static Mask negative(Vector v) {
        return _mm512_cmp_ps_mask(v, _mm512_setzero_ps(), _CMP_LT_OQ);
    }
    // Masked lanes are not computed, so they raise no floating-point exception either.
    static Vector productWhere(Mask m, Vector a, Vector b) { return _mm512_maskz_mul_ps(m, a, b); }
    static Vector select(Mask m, Vector set, Vector clear) {
        return _mm512_mask_blend_ps(m, clear, set);
    }
    static Vector productOr(Mask m, Vector a, Vector b) { return _mm512_mask_mul_ps(a, m, a, b); }
    static Vector flipSign(Mask m, Vector v) {
        const __m512i bits = _mm512_castps_si512(v);
        return _mm512_castsi512_ps(
            _mm512_mask_xor_epi32(bits, m, bits, _mm512_set1_epi32(kSignBit)));
    }
    static Mask every() { return 0xFFFF; }
    static Mask both(Mask a, Mask b) { return _kand_mask16(a, b); }
    static bool all(Mask m) { return m == 0xFFFF; }
    static Mask less(Vector a, Vector b) { return _mm512_cmp_ps_mask(a, b, _CMP_LT_OQ); }
    static Vector max(Vector a, Vector b) { return _mm512_max_ps(a, b); }
    static Vector truncate(Vector v, Index& index) {
        index = _mm512_cvttps_epi32(v);
        return _mm512_cvtepi32_ps(index);
    }

    // Each coefficient's sixteen pieces in a register, permuted by the index.
    struct Pieces {
        Vector coefficient[kSmoothCoefficients];
    };
    static constexpr int32_t kPieceParts = 1;
    static Pieces loadPieces(const SmoothCurve& curve) {
        Pieces pieces;
        for (size_t n = 0; n < kSmoothCoefficients; ++n)
            pieces.coefficient[n] = _mm512_load_ps(curve.coefficient[n].data());
        return pieces;
    }
    static void pickPiece(const Pieces& pieces, Index index, int32_t,
                          Vector (&coefficients)[kSmoothCoefficients]) {
        for (size_t n = 0; n < kSmoothCoefficients; ++n)
            coefficients[n] = _mm512_permutexvar_ps(index, pieces.coefficient[n]);
    }
    static Vector joinParts(const Vector (&parts)[kPieceParts], Index) { return parts[0]; }

    // The conversion is told the rounding mode itself, so the host's mode does not matter; the
    // whole number comes back from the index exactly, as the table's positions are small.
    static Vector roundHalfEven(Vector position, Index& index) {
        index = _mm512_cvt_roundps_epi32(position, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
        return _mm512_cvtepi32_ps(index);
    }

    // Pair i is one 64-bit element at pairs + 2 i: two gathers of eight pairs, then the even and
    // the odd floats of both.
    static void gatherPairs(const float* pairs, Index index, Vector& first, Vector& second) {
        const Vector low = gatherPairs(pairs, _mm512_castsi512_si256(index));
        const Vector high = gatherPairs(pairs, _mm512_extracti64x4_epi64(index, 1));
        const __m512i evens =
            _mm512_setr_epi32(0, 2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24, 26, 28, 30);
        first = _mm512_permutex2var_ps(low, evens, high);
        second = _mm512_permutex2var_ps(low, _mm512_add_epi32(evens, _mm512_set1_epi32(1)), high);
    }

  private:
    static constexpr int32_t kSignBit = INT32_MIN;

    // Eight pairs, gathered into a freshly zeroed register: a gather merges into its destination,
    // and reusing a register would chain every gather to the one before it. The compiler drops a
    // zero source under a full mask, so the mask is hidden from it.
    static Vector gatherPairs(const float* pairs, __m256i index) {
        __mmask8 all = 0xFF;
        asm("" : "+k"(all));
        return _mm512_castsi512_ps(_mm512_mask_i32gather_epi64(_mm512_setzero_si512(), all, index,
                                                               pairs, 2 * sizeof(float)));
    }
};

// Four groups of four floats: two rows of two channels. The transposition works within each
// 128-bit quarter, so one tile sums both channels of eight stereo rows.
struct Quads512 {
    using Vector = __m512;
    static constexpr int32_t kGroups = 4;

    static Vector load(const float* p) { return _mm512_loadu_ps(p); }
    static Vector add(Vector a, Vector b) { return _mm512_add_ps(a, b); }
    static Vector unpackLow(Vector a, Vector b) { return _mm512_unpacklo_ps(a, b); }
    static Vector unpackHigh(Vector a, Vector b) { return _mm512_unpackhi_ps(a, b); }
    template <int kImmediate>
    static Vector shuffle(Vector a, Vector b) {
        return _mm512_shuffle_ps(a, b, kImmediate);
    }
    // v holds channel 0's even samples, channel 1's even, channel 0's odd, channel 1's odd, four
    // each; stores each channel's eight in order at out[channel] + n.
    static void storeRuns(float* const* out, int32_t n, Vector v) {
        const __m512i order =
            _mm512_setr_epi32(0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15);
        Floats512::storeHalves(out[0] + n, out[1] + n, _mm512_permutexvar_ps(order, v));
    }
};

}  // namespace
}  // namespace marrowfold
