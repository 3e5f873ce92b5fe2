#include "dsp/RecentInput.h"

#include <algorithm>
#include <cstring>

#include "dsp/BlockMath.h"

namespace marrowfold {

RecentInput::RecentInput(int32_t channels, int32_t capacity)
    : capacity_(std::max(capacity, 0)),
      channels_(static_cast<size_t>(std::max(channels, 0)),
                std::vector<float>(static_cast<size_t>(capacity_))),
      oldest_(channels_.size()) {
    pointAtOldest();
}

// The kept samples always end at the buffer's end: what stays moves to the front of that run.
void RecentInput::remember(const float* const* in, int32_t frames) {
    const int32_t fresh = std::clamp(frames, 0, capacity_);
    const int32_t kept = std::min(held_, capacity_ - fresh);
    for (size_t ch = 0; ch < channels_.size(); ++ch) {
        float* buffer = channels_[ch].data();
        std::memmove(buffer + capacity_ - fresh - kept, buffer + capacity_ - kept,
                     sizeof(float) * static_cast<size_t>(kept));
        copyBlock(buffer + capacity_ - fresh, in[ch] + frames - fresh, fresh);
    }
    held_ = kept + fresh;
    pointAtOldest();
}

void RecentInput::pointAtOldest() {
    for (size_t ch = 0; ch < channels_.size(); ++ch)
        oldest_[ch] = channels_[ch].data() + capacity_ - held_;
}

}  // namespace marrowfold
