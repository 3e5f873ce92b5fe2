// The lane kernels on 512-bit vectors; mono has four lanes, so its recursion runs on 256-bit
// vectors. This file alone is compiled for AVX-512.

// GCC 12's AVX-512 intrinsics start their results from a deliberately undefined register, which
// its own uninitialised-use analysis then reports from inside the system header: as a possible
// use on 64-bit targets, as a certain one on 32-bit targets (-m32, mingw-w64 i686), where the
// same values travel through the stack. Only this file is excused. Clang has neither the report
// nor the warnings' names.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
#endif
#include <immintrin.h>

#include "dsp/LaneKernelTemplates.h"
#include "dsp/LaneVectors128.h"
#include "dsp/LaneVectors256.h"
#include "dsp/LaneVectors512.h"

namespace marrowfold {

const LaneKernelSet& avx512LaneKernels() {
    static constexpr LaneKernelSet kSet = {
        makeLaneKernels<Doubles256, Floats512, Quads128, Floats128, 1>(),
        makeLaneKernels<Doubles512, Floats512, Quads512, Floats256, 2>(),
    };
    return kSet;
}

}  // namespace marrowfold
