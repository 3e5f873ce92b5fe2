#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/Glide.h"

namespace marrowfold {

// Mixes the processed signal with the input delayed by the processing's latency, so the two
// line up sample for sample and do not comb. The wet share moves to a new value along the
// glide curve; before any audio has passed it jumps there, so a setting made up front holds
// from the first sample. Construction allocates (and may throw std::bad_alloc); nothing else
// does, and everything else runs on the audio thread.
class DryWetMix {
  public:
    // maxDelay: the longest delay takeInput will be asked for.
    DryWetMix(int32_t channels, int32_t blockSize, int32_t maxDelay, double sampleRate);

    // The wet share to move to, 0..1 (1: processed signal only).
    void setTarget(float wetShare);
    float target() const { return share_.to(); }
    // True while the output is anything but the processed signal alone.
    bool active() const { return share_.moving() || share_.to() != 1.0f; }

    // Feeds frames samples per channel into the delay lines, delay samples long. While active,
    // frames must not exceed the block size: the delayed input is kept for blend.
    void takeInput(const float* const* in, int32_t frames, int32_t delay);
    // Replaces wet[channel] with the mix of it and the input kept by the last takeInput.
    void blend(float* const* wet, int32_t frames);

  private:
    void keepDelayed(const float* in, const float* history, float* dry, int32_t frames,
                     int32_t delay) const;
    void remember(const float* in, float* history, int32_t frames) const;
    void blendConstant(float* wet, const float* dry, int32_t frames) const;

    int32_t channels_;
    int32_t maxDelay_;
    Glide share_;  // the wet share
    bool heard_ = false;
    // Per channel, the last maxDelay_ input samples, the oldest first.
    std::vector<std::unique_ptr<float[]>> histories_;
    std::vector<std::unique_ptr<float[]>> dry_;  // per channel, one block
    std::unique_ptr<float[]> shares_;            // one block
};

}  // namespace marrowfold
