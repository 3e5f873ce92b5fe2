#pragma once

#include <cstdint>

#include "core/EffectRecord.h"

namespace marrowfold {

// The vendor-specific requests the module answers: index and value are these four-character
// codes, and the request's float carries the argument. Each answers 1 when it was taken and 0,
// changing nothing, otherwise.

// A mouse-wheel turn over the editor; the float is the number of notches.
inline constexpr int32_t kWheelRequestIndex = fourCharCode("xpMW");
inline constexpr int32_t kWheelRequestValue = fourCharCode("Whee");

// The scale factor of the host's own user interface, which the editor draws at.
inline constexpr int32_t kScaleRequestIndex = fourCharCode("xpMS");
inline constexpr int32_t kScaleRequestValue = fourCharCode("Scal");

// The oversampling of the shaping: 1, 2, 4, 8 or 16; refused before the engine exists. The
// record's latency then holds the new delay, and the host is told through tellIoChanged.
inline constexpr int32_t kOversamplingRequestIndex = fourCharCode("mfOS");
inline constexpr int32_t kOversamplingRequestValue = fourCharCode("Fctr");

// The meters for hosts: ptr points to one float per host meter, which receives its reading in
// dB. The first request switches the measuring on, and reads the floor.
inline constexpr int32_t kMeterRequestIndex = fourCharCode("Mrwf");
inline constexpr int32_t kMeterRequestValue = fourCharCode("Levl");

}  // namespace marrowfold
