#pragma once

// The reference resampling kernels and the shaping between them, written once over a rounding
// policy A with mulAdd(a, b, c) = c + a b and negMulAdd(a, b, c) = c - a b. Oversampling.cpp
// instantiates them with separate rounding, OversamplingFused.cpp (compiled for fused
// multiply-add) with fused rounding; the policies are distinct types, so neither file can pick up
// the other's code.

#include <cstdint>

#include "dsp/Oversampling.h"
#include "dsp/SmoothCurve.h"

namespace marrowfold {

inline constexpr float kHalfbandHalf = 0.5f;

// One all-pass section at its lower rate: y = (x1 + a x) - a y1.
template <class A>
inline float allpassStep(float a, float x, float& x1, float& y1) {
    const float y = A::negMulAdd(a, y1, A::mulAdd(a, x, x1));
    x1 = x;
    y1 = y;
    return y;
}

// Runs the path of one input through sections path, path + 2, ... of lane.
template <class A>
inline float runPath(const HalfbandStage& stage, HalfbandHistory& history, int32_t lane,
                     int32_t path, float value) {
    for (int32_t k = path; k < stage.sections; k += 2)
        value = allpassStep<A>(stage.coefficient[k], value, history.x[k][lane], history.y[k][lane]);
    return value;
}

template <class A>
void upsampleLaneWith(const HalfbandStage& stage, HalfbandHistory& history, int32_t lane,
                      const float* in, float* out, int32_t frames) {
    for (int32_t n = 0; n < frames; ++n) {
        out[2 * n] = runPath<A>(stage, history, lane, 0, in[n]);
        out[2 * n + 1] = runPath<A>(stage, history, lane, 1, in[n]);
    }
}

template <class A>
void downsampleLaneWith(const HalfbandStage& stage, HalfbandHistory& history, int32_t lane,
                        const float* in, float* out, int32_t frames) {
    for (int32_t n = 0; n < frames; ++n) {
        const float odd = runPath<A>(stage, history, lane, 0, in[2 * n + 1]);
        const float even = runPath<A>(stage, history, lane, 1, in[2 * n]);
        out[n] = kHalfbandHalf * (odd + even);
    }
}

template <class A>
void upsampleFirLaneWith(const FirStage& stage, const float* in, float* out, int32_t frames) {
    const int32_t taps = stage.taps;
    for (int32_t n = 0; n < frames; ++n) {
        const float* centre = in + n - taps;
        float sum = (2.0f * stage.coefficient[0]) * (centre[1] + centre[0]);
        for (int32_t k = 1; k < taps; ++k)
            sum = A::mulAdd(2.0f * stage.coefficient[k], centre[1 + k] + centre[-k], sum);
        out[2 * n] = sum;
        out[2 * n + 1] = centre[1];
    }
}

template <class A>
void downsampleFirLaneWith(const FirStage& stage, const float* in, float* out, int32_t frames) {
    const int32_t taps = stage.taps;
    for (int32_t n = 0; n < frames; ++n) {
        const float* centre = in + 2 * n - 2 * taps + 1;
        float sum = stage.coefficient[0] * (centre[1] + centre[-1]);
        for (int32_t k = 1; k < taps; ++k)
            sum = A::mulAdd(stage.coefficient[k], centre[1 + 2 * k] + centre[-1 - 2 * k], sum);
        out[n] = A::mulAdd(kHalfbandHalf, centre[0], sum);
    }
}

template <class A>
void shapeSmoothlyWith(const SmoothCurve& curve, float* samples, int32_t frames, float drive,
                       float level, bool& clipped) {
    const auto curveAt = [&curve](float a) {
        return smoothCurveAt<A>(curve, a * kShapeLookupScale);
    };
    for (int32_t n = 0; n < frames; ++n)
        samples[n] = limitedOddCurve(samples[n] * drive, clipped, curveAt) * level;
}

template <class A>
constexpr ReferenceResampling referenceKernels() {
    return {&upsampleLaneWith<A>, &downsampleLaneWith<A>, &upsampleFirLaneWith<A>,
            &downsampleFirLaneWith<A>, &shapeSmoothlyWith<A>};
}

// Defined in the file compiled for fused multiply-add: use only where processorRounding() says
// the processor has it.
const ReferenceResampling& fusedReferenceKernels();

}  // namespace marrowfold
