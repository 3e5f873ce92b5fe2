// The straightforward resampling kernels with fused rounding. This file alone is compiled for
// fused multiply-add; its code runs only where the processor has it.
#include <cmath>

#include "dsp/StraightforwardResampling.h"

namespace marrowfold {

namespace {

struct FusedRounding {
    static float mulAdd(float a, float b, float c) { return std::fma(a, b, c); }
    static float negMulAdd(float a, float b, float c) { return std::fma(-a, b, c); }
};

}  // namespace

const StraightforwardResampling& fusedStraightforwardKernels() {
    static constexpr StraightforwardResampling kKernels = straightforwardKernels<FusedRounding>();
    return kKernels;
}

}  // namespace marrowfold
