#pragma once

#include <cstdint>

#include "core/HostEffectExt.h"

namespace marrowfold {

// The vendor-specific request that sets the oversampling of the shaping: index and value are these
// codes and opt carries the factor (1, 2, 4, 8 or 16). The answer is 1 when the factor was taken;
// any other factor, or a request before the engine exists, answers 0 and changes nothing. The
// record's latency then holds the new delay, and the host is told through tellIoChanged.
inline constexpr int32_t kOversamplingRequestIndex = fourCharCode("mfOS");
inline constexpr int32_t kOversamplingRequestValue = fourCharCode("Fctr");

}  // namespace marrowfold
