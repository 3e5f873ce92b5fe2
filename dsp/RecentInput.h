#pragma once

#include <cstdint>
#include <vector>

namespace marrowfold {

// The last samples of each channel's input, up to a fixed count, oldest first and contiguous, so
// that a filter can be run over them again. Construction allocates (and may throw
// std::bad_alloc); nothing else does, and everything else runs on the audio thread.
//
// New samples go after the kept ones in a buffer several times the capacity, and the kept run
// moves to the buffer's front only when no room is left after it: at short blocks a call copies
// its own samples and, now and then, one capacity's worth, not a capacity's worth every call.
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

    // How many times the capacity each channel's buffer holds.
    static constexpr int32_t kRoomInCapacities = 4;

    int32_t capacity_;
    int32_t length_;
    int32_t held_ = 0;
    int32_t end_ = 0;  // one past the newest sample, the same in every channel
    std::vector<std::vector<float>> channels_;
    std::vector<float*> oldest_;
};

}  // namespace marrowfold
