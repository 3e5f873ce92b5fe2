#pragma once

#include <array>
#include <cstdint>

#include "dsp/Oversampling.h"

namespace marrowfold {

// The kernels that run the band filters, the shaping and the band sum. The reference kernels
// process one band and channel after another; the others run the band and channel chains side by
// side in the vector lanes of one instruction set and give bit-identical output.
enum class KernelSet : int32_t { Reference, Sse2, Avx2, Avx512 };

inline constexpr std::array<KernelSet, 4> kAllKernelSets = {KernelSet::Reference, KernelSet::Sse2,
                                                            KernelSet::Avx2, KernelSet::Avx512};

// True when the processor (and the operating system) can run the set; the reference kernels and
// the SSE2 ones always can. Safe on any thread: it only reads the processor's feature bits.
bool kernelSetAvailable(KernelSet set);

// The widest lane kernels this processor can run.
KernelSet fastestKernelSet();

// How the set's resampling rounds when oversampling: the lane sets as they were compiled (the
// AVX2 and AVX-512 sets fused, which is why they need fused multiply-add), the reference kernels
// as the processor can. Sets the processor lacks are taken as the reference.
ResamplingRounding kernelSetRounding(KernelSet set);

// "reference", "sse2", "avx2" or "avx512".
const char* kernelSetName(KernelSet set);

}  // namespace marrowfold
