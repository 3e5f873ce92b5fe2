#pragma once

#include <array>
#include <cstdint>

#include "core/VendorRequests.h"

namespace marrowfold {

struct SmoothCurve;

// Oversampling by factor 2^k runs k half-band stages up and k down. Stage s (0-based) works
// between 2^s and 2^(s+1) times the base rate. The first stage passes up to 20 kHz at 44.1 kHz
// and stops from 24.1 kHz: a transition that narrow takes an all-pass pair (ten coefficients for
// about 106 dB and a delay of a few samples), where a linear-phase filter would need some 140
// taps. Every later stage only has to keep its images and aliases off the base band, so its
// transition is wide, and a short linear-phase filter does it with no recursion: it runs as fast
// as the processor can multiply, where a recursion waits on every sample before it. Their
// attenuations, 75, 76 and 62 dB, suffice since what a later stage lets fold is shaped content far
// above the base band, already weak (see the alias table of bench_dsp).
// Each offered factor takes one stage more than the one before it.
inline constexpr int32_t kMaxOversamplingStages =
    static_cast<int32_t>(kOversamplingFactors.size()) - 1;
inline constexpr int32_t kMaxHalfbandSections = 10;
inline constexpr int32_t kFirstStageSections = 10;
// Odd taps on each side of the centre of each later stage's filter (none for the first).
inline constexpr std::array<int32_t, kMaxOversamplingStages> kStageTaps = {0, 5, 4, 3};
inline constexpr int32_t kMaxStageTaps = 5;

// The base band, as a fraction of the base rate, that every stage keeps clear of images and
// aliases: 20 kHz at 44.1 kHz.
inline constexpr double kOversamplingPassBand = 20000.0 / 44100.0;

consteval bool oneStagePerFactor() {
    for (int32_t stages = 0; stages <= kMaxOversamplingStages; ++stages)
        if (kOversamplingFactors[static_cast<size_t>(stages)] != 1 << stages) return false;
    return true;
}
static_assert(oneStagePerFactor(), "factor 2^k runs k stages");

// 0 for factor 1, else log2(factor); the caller keeps factor valid.
int32_t oversamplingStages(int32_t factor);

// The coefficients of the first stage in float, in ascending order (even index: path 0, odd:
// path 1).
struct HalfbandStage {
    int32_t sections;
    std::array<float, kMaxHalfbandSections> coefficient;
};

// The odd taps of a later stage in float, from the centre outwards (coefficient k is h[2k + 1]
// of a filter whose centre is 1/2).
struct FirStage {
    int32_t taps;
    std::array<float, kMaxStageTaps> coefficient;
};

// Designed once, on first use: call both first outside the audio thread. firStages()[0] is
// empty.
const HalfbandStage& firstStage();
const std::array<FirStage, kMaxOversamplingStages>& firStages();

// The delay of the resampling at factor, plus shapingDelay samples at the oversampled rate that
// the shaping itself adds, in base-rate samples; and its latency: the delay rounded up to whole
// samples. The padding (in samples at the oversampled rate) is added to the summed signal before
// it goes down, so that the delay comes to the latency within 1/(2 factor); at factor 1 the
// shaping's own delay is whole, and there is nothing to pad.
inline constexpr int32_t kMaxShapingDelay = 2;
double oversamplingDelay(int32_t factor, int32_t shapingDelay = 0);
int32_t oversamplingLatency(int32_t factor, int32_t shapingDelay = 0);
int32_t oversamplingPadding(int32_t factor, int32_t shapingDelay = 0);

// The history of the first stage for up to kMaxHalfbandLanes lanes: section k's last input and
// output in each lane.
inline constexpr int32_t kMaxHalfbandLanes = 8;
struct alignas(64) HalfbandHistory {
    float x[kMaxHalfbandSections][kMaxHalfbandLanes];
    float y[kMaxHalfbandSections][kMaxHalfbandLanes];
};

// Clears each of lanes 0..lanes-1 of the history in which an entry has run away (is not a number
// within 1e10): a broken input would otherwise ring in the all-pass recursions for good,
// silencing the band.
void clearRunawayLanes(HalfbandHistory& history, int32_t sections, int32_t lanes);

// How the resampling rounds its sums of products: each product and each sum on its own, or each
// product added in one step (fused multiply-add), which is more exact and, on processors that
// have it, takes half the operations. Factor 1 never resamples, so it never depends on this.
enum class ResamplingRounding : int32_t { Separate, Fused };

// Fused where the processor can multiply and add in one step, else Separate.
ResamplingRounding processorRounding();

// The reference kernels, one lane of a stage at a time. Each all-pass section runs at the
// lower rate of its stage as y = (x1 + a x) - a y1, and each sum of products is summed from the
// first term on, every product rounded as the rounding says.
struct ReferenceResampling {
    // The first stage up: frames inputs in[n] give out[2n] (path 0) and out[2n + 1] (path 1),
    // at unit gain in the pass band.
    void (*upsample)(const HalfbandStage& stage, HalfbandHistory& history, int32_t lane,
                     const float* in, float* out, int32_t frames);
    // The first stage down: frames outputs out[n] = (path 0 of in[2n + 1] + path 1 of in[2n]) / 2.
    void (*downsample)(const HalfbandStage& stage, HalfbandHistory& history, int32_t lane,
                       const float* in, float* out, int32_t frames);
    // A later stage keeps no state but its last inputs: the caller keeps them in front of in,
    // firUpHistory(taps) samples up and firDownHistory(taps) down.
    // Up: out[2n] = sum over k of 2 c_k (in[n - taps + 1 + k] + in[n - taps - k]) and
    // out[2n + 1] = in[n - taps + 1]: a delay of 2 taps - 1 samples at the higher rate.
    void (*upsampleFir)(const FirStage& stage, const float* in, float* out, int32_t frames);
    // Down: out[n] = sum over k of c_k (in[2n - 2 taps + 2 + 2k] + in[2n - 2 taps - 2k]), plus
    // in[2n - 2 taps + 1] / 2: a delay of 2 taps - 1 samples at the higher rate.
    void (*downsampleFir)(const FirStage& stage, const float* in, float* out, int32_t frames);
    // The shaping at the oversampled rate: frames samples of one band driven by drive, read from
    // the smooth curve (limited and odd as the table is) and scaled by level; clipped is set when
    // a driven sample lay beyond -1..1.
    void (*shapeSmoothly)(const SmoothCurve& curve, float* samples, int32_t frames, float drive,
                          float level, bool& clipped);
};

// Fused rounding only where processorRounding() says the processor has it.
const ReferenceResampling& referenceResampling(ResamplingRounding rounding);

// The vector kernels of the first stage down run one or two channels at once.
inline constexpr int32_t kMaxVectorDownChannels = 2;

inline constexpr int32_t firUpHistory(int32_t taps) {
    return 2 * taps - 1;
}
inline constexpr int32_t firDownHistory(int32_t taps) {
    return 4 * taps - 2;
}
inline constexpr int32_t kMaxFirUpHistory = firUpHistory(kMaxStageTaps);
inline constexpr int32_t kMaxFirDownHistory = firDownHistory(kMaxStageTaps);

}  // namespace marrowfold
