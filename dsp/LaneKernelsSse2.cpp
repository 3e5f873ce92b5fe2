// The lane kernels on 128-bit vectors, the instruction set every x86-64 processor has.
#include "dsp/LaneKernelTemplates.h"
#include "dsp/LaneVectors128.h"

namespace marrowfold {

const LaneKernelSet& sse2LaneKernels() {
    static constexpr LaneKernelSet kSet = {
        makeLaneKernels<Doubles128, Floats128, Quads128, Floats128, 1>(),
        makeLaneKernels<Doubles128, Floats128, Quads128, Floats128, 2>(),
    };
    return kSet;
}

}  // namespace marrowfold
