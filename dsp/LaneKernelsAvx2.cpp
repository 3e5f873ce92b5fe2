// The lane kernels on 256-bit vectors. This file alone is compiled for AVX2.
#include "dsp/LaneKernelTemplates.h"
#include "dsp/LaneVectors128.h"
#include "dsp/LaneVectors256.h"

namespace marrowfold {

const LaneKernelSet& avx2LaneKernels() {
    static constexpr LaneKernelSet kSet = {
        makeLaneKernels<Doubles256, Floats256, Quads128, Floats128, 1>(),
        makeLaneKernels<Doubles256, Floats256, Quads256, Floats256, 2>(),
    };
    return kSet;
}

}  // namespace marrowfold
