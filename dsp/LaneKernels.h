#pragma once

#include <cstdint>

#include "dsp/KernelSet.h"
#include "dsp/Oversampling.h"
#include "dsp/ShapeAntiderivatives.h"

namespace marrowfold {

// Layout of the lane kernels. A lane is one band of one channel: lane = channel * kLaneBands +
// band, so mono fills 4 lanes and stereo 8. Every lane runs the two fourth-order sections of its
// band filter; the recursion of each lane performs the reference kernels' operations in the same
// order, so every lane's output is bit-identical to theirs.
inline constexpr int32_t kLaneBands = 4;
inline constexpr int32_t kMaxLaneChannels = 2;
inline constexpr int32_t kMaxLanes = kLaneBands * kMaxLaneChannels;
inline constexpr int32_t kLaneSections = 2;
inline constexpr int32_t kLaneHistory = 4;
static_assert(kMaxLanes == kMaxHalfbandLanes, "a half-band history holds every lane");

// One coefficient or history entry of every lane.
struct alignas(64) LaneValues {
    double lane[kMaxLanes];
};

// A fourth-order section of every lane: y = b2 x2 + (b4 x4 + b0 x) - a4 y4 - a3 y3 - a2 y2 - a1 y1.
// x[k] holds x[n-1-k] and y[k] holds y[n-1-k].
struct LaneSection {
    LaneValues b0, b2, b4;
    LaneValues a1, a2, a3, a4;
    LaneValues x[kLaneHistory];
    LaneValues y[kLaneHistory];
};

struct LaneFilterState {
    LaneSection section[kLaneSections];
};

// Per-lane factors of the shaping: the drive before the curve and the level after it.
struct LaneShaping {
    alignas(64) float drive[kMaxLanes];
    alignas(64) float level[kMaxLanes];
    const float* segments;      // the shape's ShapeSegments, for shape
    const SmoothCurve* smooth;  // the shape's smooth curve, for shapeSmoothly
};

// What the anti-aliased shaping (AntialiasedShaping.h) reads besides: the shape's
// antiderivatives, the treble lift, and every lane's history, kAntialiasingHistory rows of lanes
// floats, newest first, which it carries on.
struct LaneAntialiasing {
    const ShapeAntiderivatives* antiderivatives;
    double compensation;
    float* history;
};

// Rows hold the band signals of one block sample by sample: row n is lanes floats at
// rows + n * lanes. All kernels run on the audio thread.
struct LaneKernels {
    // Runs both sections of every lane over frames samples of in (one pointer per channel) and
    // writes the second section's output to the rows; the histories in state carry over and are
    // settled at the end of the block as the reference kernels settle theirs.
    void (*filter)(LaneFilterState& state, const float* const* in, float* rows, int32_t frames);
    // Shapes the first count floats of rows in place; true if any driven sample lay beyond
    // -1..1.
    bool (*shape)(const LaneShaping& shaping, float* rows, int32_t count);
    // The same at an oversampled rate, from the smooth curve, with products and sums rounded as
    // the resampling rounds them.
    bool (*shapeSmoothly)(const LaneShaping& shaping, float* rows, int32_t count);
    // The same anti-aliased, as the reference (AntialiasedLane) does it in every lane; count
    // covers whole rows.
    bool (*shapeAntialiased)(const LaneShaping& shaping, const LaneAntialiasing& antialiasing,
                             float* rows, int32_t count);
    // out[ch][n] = the sum of channel ch's bands in band order, or band soloBand alone when it
    // lies in 0..3.
    void (*sum)(const float* rows, float* const* out, int32_t frames, int32_t soloBand);
    // The first half-band stage up: frames rows at in become 2 frames rows at out, every lane as
    // the reference kernel of the set's rounding runs it.
    void (*upsample)(const HalfbandStage& stage, HalfbandHistory& history, const float* in,
                     float* out, int32_t frames);
    // Later stage s (from 1 on) up over rows, every lane as the reference kernel runs it:
    // the firUpHistory rows before in hold the last inputs.
    void (*upsampleFir[kMaxOversamplingStages])(const FirStage& stage, const float* in, float* out,
                                                int32_t frames);
    // Later stage s down over one channel's samples, as the reference kernel runs it.
    void (*downsampleFir[kMaxOversamplingStages])(const FirStage& stage, const float* in,
                                                  float* out, int32_t frames);
    // The first stage down for channels (at most kMaxVectorDownChannels) at once, lane =
    // channel: in[ch] at the higher rate, out[ch] at the base rate.
    void (*downsample)(const HalfbandStage& stage, HalfbandHistory& history, int32_t channels,
                       const float* const* in, float* const* out, int32_t frames);
    // How every resampling kernel of the set rounds: fused in the sets compiled for fused
    // multiply-add.
    ResamplingRounding rounding;
};

struct LaneKernelSet {
    LaneKernels mono;
    LaneKernels stereo;
};

// Defined in files compiled for their instruction set: call one only where kernelSetAvailable
// says the processor has it.
const LaneKernelSet& sse2LaneKernels();
const LaneKernelSet& avx2LaneKernels();
const LaneKernelSet& avx512LaneKernels();

// The lane kernels of set, or nullptr for the reference kernels or a set this processor lacks.
const LaneKernelSet* laneKernelSet(KernelSet set);

}  // namespace marrowfold
