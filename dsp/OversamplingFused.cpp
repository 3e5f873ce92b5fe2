// The reference resampling kernels with fused rounding. This file alone is compiled for
// fused multiply-add; its code runs only where the processor has it.
#include "dsp/ReferenceResampling.h"

namespace marrowfold {

namespace {

// The builtin, not std::fma: an unoptimised build would otherwise emit std::fma as a shared
// function holding the fused instruction, which any other file's std::fma could then resolve to.
struct FusedRounding {
    static float mulAdd(float a, float b, float c) { return __builtin_fmaf(a, b, c); }
    static float negMulAdd(float a, float b, float c) { return __builtin_fmaf(-a, b, c); }
};

}  // namespace

const ReferenceResampling& fusedReferenceKernels() {
    static constexpr ReferenceResampling kKernels = referenceKernels<FusedRounding>();
    return kKernels;
}

}  // namespace marrowfold
