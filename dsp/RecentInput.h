#pragma once

#include <cstdint>
#include <vector>

namespace marrowfold {

// The last samples of each channel's input, up to a fixed count, oldest first and contiguous, so
// that a filter can be run over them again. Construction allocates (and may throw
// std::bad_alloc); nothing else does, and everything else runs on the audio thread.
class RecentInput {
  public:
    RecentInput(int32_t channels, int32_t capacity);

    // Keeps the last frames samples of each in[channel], dropping the oldest beyond capacity.
    void remember(const float* const* in, int32_t frames);
    // Forgets everything kept.
    void clear() {
        held_ = 0;
        pointAtOldest();
    }

    // How many samples per channel are kept, at most the capacity.
    int32_t held() const { return held_; }
    // Per channel, the kept samples from the oldest on: held() of them.
    float* const* samples() const { return oldest_.data(); }

  private:
    void pointAtOldest();

    int32_t capacity_;
    int32_t held_ = 0;
    std::vector<std::vector<float>> channels_;
    std::vector<float*> oldest_;
};

}  // namespace marrowfold
