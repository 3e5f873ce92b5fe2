#pragma once

#include <array>
#include <cstdint>

#include "core/EffectRecord.h"

namespace marrowfold {

// The vendor-specific requests the module answers: index and value are these four-character
// codes, and the request's float carries the argument. Each answers 1 when it was taken and 0,
// changing nothing, otherwise. The wheel and the scale belong to the editor and come on its
// thread; the others may come from any thread, the audio thread between blocks included, and
// where one changes the audio, the change starts with the next block.

// A mouse-wheel turn over the editor; the float is the number of notches.
inline constexpr int32_t kWheelRequestIndex = fourCharCode("xpMW");
inline constexpr int32_t kWheelRequestValue = fourCharCode("Whee");

// The scale factor of the host's own user interface, which the editor draws at.
inline constexpr int32_t kScaleRequestIndex = fourCharCode("xpMS");
inline constexpr int32_t kScaleRequestValue = fourCharCode("Scal");

// The oversampling of the shaping: one of kOversamplingFactors. The audio takes the new factor at
// the next block; the record's latency holds the new delay at once, and the host is told through
// tellIoChanged on the thread that sent the request, before the request answers.
inline constexpr int32_t kOversamplingRequestIndex = fourCharCode("mfOS");
inline constexpr int32_t kOversamplingRequestValue = fourCharCode("Fctr");

// The factors the oversampling takes, each twice the one before; the first, the default, leaves
// the shaping at the sample rate and the output exactly as without oversampling.
inline constexpr std::array<int32_t, 5> kOversamplingFactors = {1, 2, 4, 8, 16};
inline constexpr int32_t kDefaultOversamplingFactor = kOversamplingFactors.front();
inline constexpr int32_t kMaxOversamplingFactor = kOversamplingFactors.back();

// True for one of kOversamplingFactors; a float must be one exactly (NaN never is).
constexpr bool validOversamplingFactor(int32_t factor) {
    for (const int32_t offered : kOversamplingFactors)
        if (factor == offered) return true;
    return false;
}
constexpr bool validOversamplingFactor(float factor) {
    for (const int32_t offered : kOversamplingFactors)
        if (factor == static_cast<float>(offered)) return true;
    return false;
}

// Anti-aliasing of the shaping from the curves' antiderivatives, at any oversampling factor: 1
// switches it on, 0 (the default) off; nothing else is taken. It delays the output by up to two
// samples more, so, as for the oversampling, the audio takes the setting at the next block, the
// record's latency holds the new delay at once, and the host is told through tellIoChanged on the
// thread that sent the request, before the request answers.
inline constexpr int32_t kAntialiasingRequestIndex = fourCharCode("mfAA");
inline constexpr int32_t kAntialiasingRequestValue = fourCharCode("Adaa");

// Smoothing of In, Out, the band drives and the band levels: 1 makes changes glide over a few
// milliseconds, 0 (the default) makes them step at the block boundary; nothing else is taken.
// The audio takes the setting at the next block.
inline constexpr int32_t kSmoothingRequestIndex = fourCharCode("mfSM");
inline constexpr int32_t kSmoothingRequestValue = fourCharCode("Glid");

// The dry/wet mix in percent, 0 to kFullMixPercent; the dry signal is the input delayed by the
// reported latency. The audio takes the new mix at the next block and glides to it.
inline constexpr int32_t kMixRequestIndex = fourCharCode("mfMX");
inline constexpr int32_t kMixRequestValue = fourCharCode("DrWt");

// The mix of the processed signal alone, the default.
inline constexpr float kFullMixPercent = 100.0f;

// True for a mix from 0 to kFullMixPercent (the comparisons refuse NaN).
constexpr bool validMixPercent(float percent) {
    return percent >= 0.0f && percent <= kFullMixPercent;
}

// Bypass: 1 crossfades to the latency-aligned input, 0 (the default) back to the processed
// signal; the latency stays reported either way. The audio takes it at the next block.
inline constexpr int32_t kBypassRequestIndex = fourCharCode("mfBP");
inline constexpr int32_t kBypassRequestValue = fourCharCode("Byps");

// Auto gain: 1 scales the processed signal, before the mix, so that its loudness follows the
// input's; 0 (the default) glides back to unity and leaves it alone. The audio takes it at the
// next block.
inline constexpr int32_t kAutoGainRequestIndex = fourCharCode("mfAG");
inline constexpr int32_t kAutoGainRequestValue = fourCharCode("Auto");

// The gain auto gain applies stays within these limits, so that a silent processed signal is
// not raised without end.
inline constexpr float kAutoGainLowestDecibels = -48.0f;
inline constexpr float kAutoGainHighestDecibels = 12.0f;

// Every request above but the wheel and the scale is refused before the engine exists.

// The band editor's values for hosts: ptr points to the module's band controls record (the
// current preset's edges in Hz and drives in dB, and the soloed band). Read fills it; edit
// changes the current preset as the band editor would, through the editor's clamps, where the
// record differs from it, and answers 1 even when nothing differed. Both may come from any
// thread, the audio thread between blocks included, and need no engine.
inline constexpr int32_t kBandsRequestIndex = fourCharCode("mfBN");
inline constexpr int32_t kBandsReadValue = fourCharCode("Read");
inline constexpr int32_t kBandsEditValue = fourCharCode("Edit");

// A host that asks for them with this request and value (answered 1, and needing no engine) is
// then told, through host opcode 35 (vendor-specific) with the same index, when the user takes a
// band edge's or a band drive's handle in the band editor and when the user lets it go, as knobs
// send their begin and end of an edit: value names the handle (a band control's key among the
// host controls, an edge or a drive), opt is 1 when taken and 0 when let go.
inline constexpr int32_t kBandGestureIndex = fourCharCode("mfBG");
inline constexpr int32_t kBandGestureOnValue = fourCharCode("Tell");

// The gain auto gain applies: ptr points to one float, which receives it in dB (0 while auto gain
// is off). Any thread may ask, the audio thread included.
inline constexpr int32_t kAutoGainReadingIndex = kAutoGainRequestIndex;
inline constexpr int32_t kAutoGainReadingValue = fourCharCode("Gain");

// The meters for hosts: ptr points to one float per host meter, which receives its reading in
// dB. The first request switches the measuring on, and reads the floor. Readings may be taken on
// any thread, the audio thread included, while the audio thread measures.
inline constexpr int32_t kMeterRequestIndex = fourCharCode("Mrwf");
inline constexpr int32_t kMeterRequestValue = fourCharCode("Levl");

}  // namespace marrowfold
