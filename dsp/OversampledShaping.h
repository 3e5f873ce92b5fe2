#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/LaneKernels.h"
#include "dsp/Oversampling.h"

namespace marrowfold {

// The resampling around oversampled shaping: the band signals of a chunk go up to factor times
// the base rate (as lane rows or as one buffer per band and channel), the caller shapes and sums
// them there into sums(), and downsample brings the sums back to the base rate, delayed by the
// latency of the factor in whole base-rate samples. Chunks hold at most kChunkFrames base-rate
// frames, so the buffers stay in the cache at every factor. Construction allocates (and may
// throw std::bad_alloc), for the largest factor; nothing else does, and everything else runs
// on the audio thread.
class OversampledShaping {
  public:
    static constexpr int32_t kChunkFrames = 64;

    OversampledShaping(int32_t channels, int32_t bandCount);

    // Takes a valid factor and starts it from silence.
    void setFactor(int32_t factor);
    int32_t factor() const { return factor_; }
    // Clears every history.
    void reset();

    // Up-samples frames rows of channels * 4 lanes on the lane kernels; returns the rows at the
    // oversampled rate.
    float* upsampleRows(const LaneKernels& kernels, const float* rows, int32_t frames);
    // Up-samples frames samples of bands[band][channel] from offset on, one lane at a time;
    // returns the oversampled buffers in the same layout.
    float* const* const* upsampleBands(const float* const* const* bands, int32_t offset,
                                       int32_t frames);

    // Where the caller writes the summed channels at the oversampled rate.
    float* const* sums() { return sums_.data(); }
    // Brings frames base-rate frames of sums() down to out[channel] + offset, one channel at a
    // time, or with vectors, both channels at once (for at most two channels; the output is the
    // same bit for bit).
    void downsample(float* const* out, int32_t offset, int32_t frames, bool vectors);

  private:
    int32_t lanes() const { return channels_ * bandCount_; }
    HalfbandLanes& upHistory(int32_t stage, int32_t lane);
    HalfbandLanes& downHistory(int32_t stage, int32_t channel);
    void downsampleEachChannel(float* const* out, int32_t offset, int32_t frames);
    void downsampleBothChannels(float* const* out, int32_t offset, int32_t frames);
    // Clears the lanes of every active stage that broken input has run away.
    void settleHistories(std::vector<HalfbandLanes>& histories, int32_t lanes);

    int32_t channels_;
    int32_t bandCount_;
    int32_t factor_ = 1;
    int32_t stages_ = 0;
    int32_t padding_ = 0;
    const std::array<HalfbandStage, kMaxOversamplingStages>& design_;
    std::array<int32_t, kMaxOversamplingStages + 1> paddings_{};
    std::vector<HalfbandLanes> upHistories_;    // per stage, one per 8 lanes
    std::vector<HalfbandLanes> downHistories_;  // per stage, one per 8 channels
    // Two buffers the up stages take turns on: lane rows, or for the reference path one stretch
    // per lane (lane = channel * bandCount + band), reached band by band through the pointers.
    std::array<std::unique_ptr<float[]>, 2> upBuffers_;
    std::array<std::vector<float*>, 2> bandChannels_;
    std::array<std::vector<float* const*>, 2> bandPointers_;
    // Per channel: kMaxOversamplingFactor samples for the padding delay, then the sums.
    std::vector<std::unique_ptr<float[]>> sumStorage_;
    std::vector<float*> sums_;
    std::array<std::vector<std::unique_ptr<float[]>>, 2> downBuffers_;  // per channel
};

}  // namespace marrowfold
