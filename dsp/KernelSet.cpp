#include "dsp/KernelSet.h"

#include "dsp/LaneKernels.h"

namespace marrowfold {

bool kernelSetAvailable(KernelSet set) {
    __builtin_cpu_init();
    switch (set) {
        case KernelSet::Reference:
        case KernelSet::Sse2:
            return true;
        case KernelSet::Avx2:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        case KernelSet::Avx512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx2") &&
                   __builtin_cpu_supports("fma");
    }
    return false;
}

KernelSet fastestKernelSet() {
    if (kernelSetAvailable(KernelSet::Avx512)) return KernelSet::Avx512;
    if (kernelSetAvailable(KernelSet::Avx2)) return KernelSet::Avx2;
    return KernelSet::Sse2;
}

const LaneKernelSet* laneKernelSet(KernelSet set) {
    if (set == KernelSet::Reference || !kernelSetAvailable(set)) return nullptr;
    switch (set) {
        case KernelSet::Sse2:
            return &sse2LaneKernels();
        case KernelSet::Avx2:
            return &avx2LaneKernels();
        default:
            return &avx512LaneKernels();
    }
}

ResamplingRounding kernelSetRounding(KernelSet set) {
    const LaneKernelSet* lanes = laneKernelSet(set);
    return lanes ? lanes->stereo.rounding : processorRounding();
}

const char* kernelSetName(KernelSet set) {
    switch (set) {
        case KernelSet::Reference:
            return "reference";
        case KernelSet::Sse2:
            return "sse2";
        case KernelSet::Avx2:
            return "avx2";
        case KernelSet::Avx512:
            return "avx512";
    }
    return "unknown";
}

}  // namespace marrowfold
