#include "dsp/Oversampling.h"

#include <emmintrin.h>

#include <cmath>
#include <vector>

#include "dsp/FirHalfbandDesign.h"
#include "dsp/HalfbandDesign.h"
#include "dsp/ReferenceResampling.h"

namespace marrowfold {

namespace {

constexpr float kRunawayLevel = 1e10f;

// Stage s keeps the base band [0, kOversamplingPassBand] (in base-rate units) clear at its rate
// of 2^(s+1) times the base rate: its pass band ends there, a quarter of its rate minus the
// transition.
double stageTransition(int32_t stage) {
    return 0.25 - kOversamplingPassBand / static_cast<double>(2 << stage);
}

std::vector<double> firstStageCoefficients() {
    return designHalfband(kFirstStageSections, stageTransition(0));
}

// Every product and every sum rounded on its own, in the order the kernels write them.
struct SeparateRounding {
    static float mulAdd(float a, float b, float c) { return c + a * b; }
    static float negMulAdd(float a, float b, float c) { return c - a * b; }
};

// True if any entry of the history is not a number within kRunawayLevel: one pass in vectors
// over every entry, the usual case being none.
bool anyRunaway(const HalfbandHistory& history) {
    static_assert(sizeof(HalfbandHistory) % sizeof(__m128) == 0, "whole vectors of entries");
    constexpr size_t kVectors = sizeof(HalfbandHistory) / sizeof(__m128);
    const float* entries = &history.x[0][0];
    const __m128 signBit = _mm_set1_ps(-0.0f);
    const __m128 limit = _mm_set1_ps(kRunawayLevel);
    __m128 outside = _mm_setzero_ps();
    for (size_t v = 0; v < kVectors; ++v) {
        const __m128 magnitude = _mm_andnot_ps(signBit, _mm_load_ps(entries + 4 * v));
        outside = _mm_or_ps(outside, _mm_cmpnle_ps(magnitude, limit));
    }
    return _mm_movemask_ps(outside) != 0;
}

}  // namespace

int32_t oversamplingStages(int32_t factor) {
    int32_t stages = 0;
    while ((1 << stages) < factor)
        ++stages;
    return stages;
}

const HalfbandStage& firstStage() {
    static const HalfbandStage stage = [] {
        HalfbandStage result{kFirstStageSections, {}};
        const std::vector<double> coefficients = firstStageCoefficients();
        for (int32_t k = 0; k < kFirstStageSections; ++k)
            result.coefficient[k] = static_cast<float>(coefficients[k]);
        return result;
    }();
    return stage;
}

const std::array<FirStage, kMaxOversamplingStages>& firStages() {
    static const std::array<FirStage, kMaxOversamplingStages> stages = [] {
        std::array<FirStage, kMaxOversamplingStages> result{};
        for (int32_t s = 1; s < kMaxOversamplingStages; ++s) {
            const std::vector<double> coefficients =
                designFirHalfband(kStageTaps[s], stageTransition(s));
            result[s].taps = kStageTaps[s];
            for (int32_t k = 0; k < kStageTaps[s]; ++k)
                result[s].coefficient[k] = static_cast<float>(coefficients[k]);
        }
        return result;
    }();
    return stages;
}

double oversamplingDelay(int32_t factor, int32_t shapingDelay) {
    const double shaping = static_cast<double>(shapingDelay) / factor;
    const int32_t stages = oversamplingStages(factor);
    if (stages == 0) return shaping;
    // Up, the first stage delays by its filter's delay D at its higher rate; down by D - 1, since
    // the down path reads the odd input with path 0 (one sample ahead of the filter's own form).
    double delay = (2.0 * halfbandDelayAtDc(firstStageCoefficients()) - 1.0) / 2.0;
    // A later stage delays by 2 taps - 1 samples of its higher rate each way.
    for (int32_t s = 1; s < stages; ++s)
        delay += 2.0 * firUpHistory(kStageTaps[s]) / static_cast<double>(2 << s);
    return delay + shaping;
}

int32_t oversamplingLatency(int32_t factor, int32_t shapingDelay) {
    return static_cast<int32_t>(std::ceil(oversamplingDelay(factor, shapingDelay)));
}

int32_t oversamplingPadding(int32_t factor, int32_t shapingDelay) {
    const double missing =
        oversamplingLatency(factor, shapingDelay) - oversamplingDelay(factor, shapingDelay);
    return static_cast<int32_t>(std::lround(missing * factor));
}

void clearRunawayLanes(HalfbandHistory& history, int32_t sections, int32_t lanes) {
    if (!anyRunaway(history)) return;
    for (int32_t lane = 0; lane < lanes; ++lane) {
        bool sane = true;
        for (int32_t k = 0; k < sections; ++k) {
            sane = sane && std::fabs(history.x[k][lane]) <= kRunawayLevel &&
                   std::fabs(history.y[k][lane]) <= kRunawayLevel;
        }
        if (sane) continue;
        for (int32_t k = 0; k < sections; ++k)
            history.x[k][lane] = history.y[k][lane] = 0.0f;
    }
}

ResamplingRounding processorRounding() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("fma") ? ResamplingRounding::Fused : ResamplingRounding::Separate;
}

const ReferenceResampling& referenceResampling(ResamplingRounding rounding) {
    static constexpr ReferenceResampling kSeparate = referenceKernels<SeparateRounding>();
    return rounding == ResamplingRounding::Fused ? fusedReferenceKernels() : kSeparate;
}

}  // namespace marrowfold
