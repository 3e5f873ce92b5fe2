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

// Smoothing of In, Out, the band drives and the band levels: 1 makes changes glide over a few
// milliseconds, 0 (the default) makes them step at the block boundary; nothing else is taken.
inline constexpr int32_t kSmoothingRequestIndex = fourCharCode("mfSM");
inline constexpr int32_t kSmoothingRequestValue = fourCharCode("Glid");

// The dry/wet mix in percent, 0..100 (100, the default, is the processed signal alone); the dry
// signal is the input delayed by the reported latency.
inline constexpr int32_t kMixRequestIndex = fourCharCode("mfMX");
inline constexpr int32_t kMixRequestValue = fourCharCode("DrWt");

// Bypass: 1 crossfades to the latency-aligned input, 0 (the default) back to the processed
// signal; the latency stays reported either way.
inline constexpr int32_t kBypassRequestIndex = fourCharCode("mfBP");
inline constexpr int32_t kBypassRequestValue = fourCharCode("Byps");

// Every request above but the wheel and the scale is refused before the engine exists.

// The meters for hosts: ptr points to one float per host meter, which receives its reading in
// dB. The first request switches the measuring on, and reads the floor.
inline constexpr int32_t kMeterRequestIndex = fourCharCode("Mrwf");
inline constexpr int32_t kMeterRequestValue = fourCharCode("Levl");

}  // namespace marrowfold
