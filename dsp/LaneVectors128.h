#pragma once

// Lane traits on 128-bit vectors (SSE2). Included by every kernel file; see
// LaneKernelTemplates.h for what each trait provides and why they sit in an unnamed namespace.

#include <emmintrin.h>
#ifdef __FMA__
#include <immintrin.h>
#endif

#include <cstdint>

#include "dsp/Oversampling.h"
#include "dsp/ShapeAntiderivatives.h"
#include "dsp/SmoothCurve.h"

namespace marrowfold {
namespace {

// c + a * b and c - a * b, rounded once where the file is compiled for fused multiply-add, else
// product and sum each on its own: kFileRounding, the rounding of every resampling kernel the
// file compiles.
#ifdef __FMA__
inline constexpr ResamplingRounding kFileRounding = ResamplingRounding::Fused;
inline __m128 mulAdd128(__m128 a, __m128 b, __m128 c) {
    return _mm_fmadd_ps(a, b, c);
}
inline __m128 negMulAdd128(__m128 a, __m128 b, __m128 c) {
    return _mm_fnmadd_ps(a, b, c);
}
#else
inline constexpr ResamplingRounding kFileRounding = ResamplingRounding::Separate;
inline __m128 mulAdd128(__m128 a, __m128 b, __m128 c) {
    return _mm_add_ps(c, _mm_mul_ps(a, b));
}
inline __m128 negMulAdd128(__m128 a, __m128 b, __m128 c) {
    return _mm_sub_ps(c, _mm_mul_ps(a, b));
}
#endif

struct Doubles128 {
    using Vector = __m128d;
    static constexpr int32_t kWidth = 2;

    static Vector load(const double* p) { return _mm_load_pd(p); }
    static void store(double* p, Vector v) { _mm_store_pd(p, v); }
    static Vector add(Vector a, Vector b) { return _mm_add_pd(a, b); }
    static Vector sub(Vector a, Vector b) { return _mm_sub_pd(a, b); }
    static Vector mul(Vector a, Vector b) { return _mm_mul_pd(a, b); }
    static Vector input(const float* first, const float*, int32_t n) {
        return _mm_set1_pd(static_cast<double>(first[n]));
    }
    static Vector roundToFloat(Vector y) { return _mm_cvtps_pd(_mm_cvtpd_ps(y)); }
    static void storeFloats(float* dest, Vector y) {
        _mm_storel_pi(reinterpret_cast<__m64*>(dest), _mm_cvtpd_ps(y));
    }

    using Mask = __m128d;
    static Mask magnitudeAtMost(Vector v, double limit) {
        return _mm_cmple_pd(magnitude(v), _mm_set1_pd(limit));
    }
    static Mask magnitudeAtLeast(Vector v, double limit) {
        return _mm_cmpge_pd(magnitude(v), _mm_set1_pd(limit));
    }
    static Mask both(Mask a, Mask b) { return _mm_and_pd(a, b); }
    static Vector keep(Mask m, Vector v) { return _mm_and_pd(m, v); }

    // The anti-aliased shaping's.
    using Index = __m128i;
    static Vector splat(double value) { return _mm_set1_pd(value); }
    static Vector div(Vector a, Vector b) { return _mm_div_pd(a, b); }
    static Vector abs(Vector v) { return magnitude(v); }
    static Vector min(Vector a, Vector b) { return _mm_min_pd(a, b); }
    static Vector max(Vector a, Vector b) { return _mm_max_pd(a, b); }
    static Mask less(Vector a, Vector b) { return _mm_cmplt_pd(a, b); }
    static Mask greater(Vector a, Vector b) { return _mm_cmpgt_pd(a, b); }
    static Mask greaterEqual(Vector a, Vector b) { return _mm_cmpge_pd(a, b); }
    static Mask equal(Vector a, Vector b) { return _mm_cmpeq_pd(a, b); }
    static Mask ordered(Vector v) { return _mm_cmpord_pd(v, v); }
    static Mask either(Mask a, Mask b) { return _mm_or_pd(a, b); }
    static Mask butNot(Mask a, Mask b) { return _mm_andnot_pd(b, a); }
    static Mask every() { return _mm_castsi128_pd(_mm_set1_epi32(-1)); }
    static Mask none() { return _mm_setzero_pd(); }
    static bool any(Mask m) { return _mm_movemask_pd(m) != 0; }
    static Vector select(Mask m, Vector set, Vector clear) {
        return _mm_or_pd(_mm_and_pd(m, set), _mm_andnot_pd(m, clear));
    }
    static Vector flipSign(Mask m, Vector v) {
        return _mm_xor_pd(v, _mm_and_pd(m, _mm_set1_pd(-0.0)));
    }
    // Without a rounding instruction: truncate, then step up when the fraction is above one half,
    // or exactly one half from an odd integer (v lies within 0..254). Independent of the
    // rounding mode.
    static Vector roundHalfEven(Vector v) {
        const __m128i truncated = _mm_cvttpd_epi32(v);
        const Vector whole = _mm_cvtepi32_pd(truncated);
        const Vector fraction = _mm_sub_pd(v, whole);
        const Vector half = _mm_set1_pd(0.5);
        const __m128i oneBit = _mm_set1_epi32(1);
        const __m128i oddWords = _mm_cmpeq_epi32(_mm_and_si128(truncated, oneBit), oneBit);
        const Vector odd = _mm_castsi128_pd(_mm_shuffle_epi32(oddWords, _MM_SHUFFLE(1, 1, 0, 0)));
        const Vector up =
            _mm_or_pd(_mm_cmpgt_pd(fraction, half), _mm_and_pd(_mm_cmpeq_pd(fraction, half), odd));
        return _mm_add_pd(whole, _mm_and_pd(up, _mm_set1_pd(1.0)));
    }
    static Index toIndex(Vector whole) { return _mm_cvttpd_epi32(whole); }
    // The four fields of both lanes' pieces.
    static void gatherPieces(const CurvePiece* pieces, Index index, Vector (&fields)[4]) {
        const CurvePiece& low = pieces[_mm_cvtsi128_si32(index)];
        const CurvePiece& high = pieces[_mm_cvtsi128_si32(_mm_srli_si128(index, 4))];
        const Vector lowStart = _mm_load_pd(&low.second);
        const Vector highStart = _mm_load_pd(&high.second);
        const Vector lowEnd = _mm_load_pd(&low.value);
        const Vector highEnd = _mm_load_pd(&high.value);
        fields[0] = _mm_unpacklo_pd(lowStart, highStart);
        fields[1] = _mm_unpackhi_pd(lowStart, highStart);
        fields[2] = _mm_unpacklo_pd(lowEnd, highEnd);
        fields[3] = _mm_unpackhi_pd(lowEnd, highEnd);
    }
    static Vector drivenInput(const float* rows, const float* drive) {
        return _mm_cvtps_pd(_mm_mul_ps(loadPair(rows), loadPair(drive)));
    }
    static Vector loadWidened(const float* p) { return _mm_cvtps_pd(loadPair(p)); }
    static void storeScaled(float* dest, Vector y, const float* level) {
        _mm_storel_pi(reinterpret_cast<__m64*>(dest), _mm_mul_ps(_mm_cvtpd_ps(y), loadPair(level)));
    }

  private:
    static Vector magnitude(Vector v) { return _mm_andnot_pd(_mm_set1_pd(-0.0), v); }
    static __m128 loadPair(const float* p) {
        return _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(p));
    }
};

struct Floats128 {
    using Vector = __m128;
    using Mask = __m128;
    using Index = __m128i;
    static constexpr int32_t kWidth = 4;

    static Vector load(const float* p) { return _mm_loadu_ps(p); }
    static void store(float* p, Vector v) { _mm_storeu_ps(p, v); }
    static Vector splat(float value) { return _mm_set1_ps(value); }
    static Vector add(Vector a, Vector b) { return _mm_add_ps(a, b); }
    static Vector sub(Vector a, Vector b) { return _mm_sub_ps(a, b); }
    static Vector mul(Vector a, Vector b) { return _mm_mul_ps(a, b); }
    static Vector mulAdd(Vector a, Vector b, Vector c) { return mulAdd128(a, b, c); }
    static Vector negMulAdd(Vector a, Vector b, Vector c) { return negMulAdd128(a, b, c); }
    // The even and the odd floats of the 2 kWidth at p.
    static void deinterleave(const float* p, Vector& even, Vector& odd) {
        const Vector low = _mm_loadu_ps(p);
        const Vector high = _mm_loadu_ps(p + kWidth);
        even = _mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0));
        odd = _mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1));
    }
    static Vector abs(Vector v) { return _mm_andnot_ps(signBit(), v); }
    static Mask notGreater(Vector a, Vector b) { return _mm_cmpngt_ps(a, b); }
    static Mask lessEqual(Vector a, Vector b) { return _mm_cmple_ps(a, b); }
    static Mask negative(Vector v) { return _mm_cmplt_ps(v, _mm_setzero_ps()); }
    // Masked before the product, which so never overflows on a lane that is not used.
    static Vector productWhere(Mask m, Vector a, Vector b) {
        return _mm_mul_ps(_mm_and_ps(m, a), b);
    }
    static Vector select(Mask m, Vector set, Vector clear) {
        return _mm_or_ps(_mm_and_ps(m, set), _mm_andnot_ps(m, clear));
    }
    static Vector productOr(Mask m, Vector a, Vector b) { return select(m, mul(a, b), a); }
    static Vector flipSign(Mask m, Vector v) { return _mm_xor_ps(v, _mm_and_ps(m, signBit())); }
    static Mask every() { return _mm_castsi128_ps(_mm_set1_epi32(-1)); }
    static Mask both(Mask a, Mask b) { return _mm_and_ps(a, b); }
    static bool all(Mask m) { return _mm_movemask_ps(m) == 0xF; }
    static Mask less(Vector a, Vector b) { return _mm_cmplt_ps(a, b); }
    static Vector max(Vector a, Vector b) { return _mm_max_ps(a, b); }
    static Vector truncate(Vector v, Index& index) {
        index = _mm_cvttps_epi32(v);
        return _mm_cvtepi32_ps(index);
    }

    // Without a permutation across registers, each lane's piece is loaded whole, four
    // coefficients in one vector, and the four lanes' pieces are transposed into coefficients.
    using Pieces = const SmoothCurve*;
    static constexpr int32_t kPieceParts = 1;
    static Pieces loadPieces(const SmoothCurve& curve) { return &curve; }
    static void pickPiece(Pieces pieces, Index index, int32_t,
                          Vector (&coefficients)[kSmoothCoefficients]) {
        alignas(16) int32_t at[kWidth];
        _mm_store_si128(reinterpret_cast<__m128i*>(at), index);
        for (int32_t lane = 0; lane < kWidth; ++lane)
            coefficients[lane] = _mm_load_ps(pieces->piece[static_cast<size_t>(at[lane])].data());
        _MM_TRANSPOSE4_PS(coefficients[0], coefficients[1], coefficients[2], coefficients[3]);
    }
    static Vector joinParts(const Vector (&parts)[kPieceParts], Index) { return parts[0]; }

    // Without a rounding instruction: truncate, then step up when the fraction is above one half,
    // or exactly one half from an odd integer. Independent of the rounding mode.
    static Vector roundHalfEven(Vector position, Index& index) {
        const __m128i whole = _mm_cvttps_epi32(position);
        const Vector fraction = _mm_sub_ps(position, _mm_cvtepi32_ps(whole));
        const Vector half = _mm_set1_ps(0.5f);
        const __m128i oneBit = _mm_set1_epi32(1);
        const Vector odd = _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(whole, oneBit), oneBit));
        const Vector up =
            _mm_or_ps(_mm_cmpgt_ps(fraction, half), _mm_and_ps(_mm_cmpeq_ps(fraction, half), odd));
        index = _mm_sub_epi32(whole, _mm_castps_si128(up));
        return _mm_cvtepi32_ps(index);
    }

    // Pair i is read as one 64-bit unit at pairs + 2 i; the even floats of the four pairs are
    // the first entries, the odd ones the second.
    static void gatherPairs(const float* pairs, Index index, Vector& first, Vector& second) {
        alignas(16) int32_t at[kWidth];
        _mm_store_si128(reinterpret_cast<__m128i*>(at), index);
        const Vector low = loadPairs(pairs + 2 * at[0], pairs + 2 * at[1]);
        const Vector high = loadPairs(pairs + 2 * at[2], pairs + 2 * at[3]);
        first = _mm_shuffle_ps(low, high, _MM_SHUFFLE(2, 0, 2, 0));
        second = _mm_shuffle_ps(low, high, _MM_SHUFFLE(3, 1, 3, 1));
    }

  private:
    static Vector signBit() { return _mm_set1_ps(-0.0f); }
    static Vector loadPairs(const float* low, const float* high) {
        const Vector lowPair = _mm_loadl_pi(_mm_setzero_ps(), reinterpret_cast<const __m64*>(low));
        return _mm_loadh_pi(lowPair, reinterpret_cast<const __m64*>(high));
    }
};

struct Quads128 {
    using Vector = __m128;
    static constexpr int32_t kGroups = 1;

    static Vector load(const float* p) { return _mm_loadu_ps(p); }
    static Vector add(Vector a, Vector b) { return _mm_add_ps(a, b); }
    static Vector unpackLow(Vector a, Vector b) { return _mm_unpacklo_ps(a, b); }
    static Vector unpackHigh(Vector a, Vector b) { return _mm_unpackhi_ps(a, b); }
    template <int kImmediate>
    static Vector shuffle(Vector a, Vector b) {
        return _mm_shuffle_ps(a, b, kImmediate);
    }
    static void storeGroup(float* dest, Vector v, int32_t) { _mm_storeu_ps(dest, v); }
};

}  // namespace
}  // namespace marrowfold
