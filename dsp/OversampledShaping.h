#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/AlignedFloats.h"
#include "dsp/LaneKernels.h"
#include "dsp/Oversampling.h"

namespace marrowfold {

// The resampling around oversampled shaping: the band signals of a chunk go up to factor times
// the base rate (as lane rows or as one buffer per band and channel), the caller shapes and sums
// them there into sums(), and downsample brings the sums back to the base rate, delayed by the
// latency of the factor in whole base-rate samples. A chunk holds at most chunkFrames() base-rate
// frames: kChunkRows at the oversampled rate, so the buffers stay in the cache at every factor.
// Construction allocates (and may throw std::bad_alloc), for the largest factor; nothing else does,
// and everything else runs on the audio thread.
class OversampledShaping {
  public:
    static constexpr int32_t kChunkRows = 512;

    OversampledShaping(int32_t channels, int32_t bandCount);

    // Takes a valid factor, with the delay the shaping adds at the oversampled rate (0 to
    // kMaxShapingDelay samples), and starts it from silence.
    void setFactor(int32_t factor, int32_t shapingDelay = 0);
    // How the reference kernels round; the lane kernels round as they were compiled, and
    // the caller keeps the two alike. Fused only where processorRounding() allows it.
    void setRounding(ResamplingRounding rounding);
    int32_t factor() const { return factor_; }
    int32_t chunkFrames() const { return kChunkRows / factor_; }
    // Clears every history.
    void reset();

    // Up-samples frames rows of channels * 4 lanes on the lane kernels; returns the rows at the
    // oversampled rate.
    float* upsampleRows(const LaneKernels& kernels, const float* rows, int32_t frames);
    // Up-samples frames samples of bands[band][channel] from offset on, one lane at a time;
    // returns the oversampled buffers in the same layout.
    float* const* const* upsampleBands(const float* const* const* bands, int32_t offset,
                                       int32_t frames);

    // Shapes frames samples of one band at the oversampled rate as the reference kernels of the
    // rounding do it (see ReferenceResampling::shapeSmoothly).
    void shapeSmoothly(const SmoothCurve& curve, float* samples, int32_t frames, float drive,
                       float level, bool& clipped) const {
        reference_->shapeSmoothly(curve, samples, frames, drive, level, clipped);
    }

    // Where the caller writes the summed channels at the oversampled rate.
    float* const* sums() { return sums_.data(); }
    // Brings frames base-rate frames of sums() down to out[channel] + offset: on the lane
    // kernels (for at most two channels), or with the reference kernels one channel at a
    // time when kernels is null. The output is the same bit for bit.
    void downsample(const LaneKernels* kernels, float* const* out, int32_t offset, int32_t frames);
    // Clears the first stage's lanes that broken input has run away; once a block, after its
    // last chunk, on either path.
    void clearRunaways();

    using FirKernel = void (*)(const FirStage&, const float*, float*, int32_t);

  private:
    int32_t lanes() const { return channels_ * bandCount_; }
    HalfbandHistory& upHistory(int32_t lane);
    HalfbandHistory& downHistory(int32_t channel);
    float* upFirHistory(int32_t stage) { return upFirHistories_.data() + stage * upFirSpan(); }
    float* downFirHistory(int32_t stage, int32_t channel);
    int32_t upFirSpan() const { return kMaxFirUpHistory * lanes(); }
    // Where turn's rows start, or where a lane's stretch starts in the band layout.
    float* upRows(int32_t turn) const;
    float* upStretch(int32_t turn, int32_t lane) const;
    float* downStretch(int32_t turn, int32_t channel) const;

    // A later stage up over rows with its kept inputs put in front of them.
    void upsampleFirRows(FirKernel kernel, int32_t stage, float* in, float* out, int32_t rows);
    void upsampleFirStretch(int32_t stage, int32_t lane, float* in, float* out, int32_t frames);
    // The later stages down, each channel on its own, from and to downFrom_.
    void downsampleLaterStages(const FirKernel* kernels, int32_t frames);
    void downsampleFirStage(FirKernel kernel, int32_t stage, int32_t channel, float* in, float* out,
                            int32_t frames);
    // Clears the first stage's lanes that broken input has run away.
    void clearRunawayHistories(std::vector<HalfbandHistory>& histories, int32_t lanes);

    int32_t channels_;
    int32_t bandCount_;
    int32_t factor_ = 1;
    int32_t stages_ = 0;
    int32_t padding_ = 0;
    const ReferenceResampling* reference_ = nullptr;
    std::array<FirKernel, kMaxOversamplingStages> referenceDown_{};
    const HalfbandStage& first_;
    const std::array<FirStage, kMaxOversamplingStages>& later_;
    // Per shaping delay and number of stages.
    std::array<std::array<int32_t, kMaxOversamplingStages + 1>, kMaxShapingDelay + 1> paddings_{};
    std::vector<HalfbandHistory> upHistories_;    // the first stage's, one per 8 lanes
    std::vector<HalfbandHistory> downHistories_;  // the first stage's, one per 8 channels
    // The later stages' last inputs: up as rows, down per channel.
    std::vector<float> upFirHistories_;
    std::vector<float> downFirHistories_;
    // Two buffers the up stages take turns on: lane rows, or for the reference path one stretch
    // per lane (lane = channel * bandCount + band), reached band by band through the pointers.
    // Each has room in front for a later stage's kept inputs.
    std::array<AlignedFloats, 2> upBuffers_;
    std::array<std::vector<float*>, 2> bandChannels_;
    std::array<std::vector<float* const*>, 2> bandPointers_;
    // Per channel: room for the kept inputs and the padding delay, then the sums.
    std::vector<AlignedFloats> sumStorage_;
    std::vector<float*> sums_;
    std::array<std::vector<AlignedFloats>, 2> downBuffers_;  // per channel
    std::vector<float*> downFrom_;  // each channel's input to the next stage down
};

}  // namespace marrowfold
