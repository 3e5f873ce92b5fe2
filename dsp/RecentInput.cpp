#include "dsp/RecentInput.h"

#include <algorithm>
#include <cstring>

#include "dsp/BlockMath.h"

namespace marrowfold {

RecentInput::RecentInput(int32_t channels, int32_t capacity)
    : capacity_(std::max(capacity, 0)),
      length_(capacity_ * kRoomInCapacities),
      channels_(static_cast<size_t>(std::max(channels, 0)),
                std::vector<float>(static_cast<size_t>(length_))),
      oldest_(channels_.size()) {
    pointAtOldest();
}

void RecentInput::remember(const float* const* in, int32_t frames) {
    const int32_t fresh = std::clamp(frames, 0, capacity_);
    const int32_t kept = std::min(held_, capacity_ - fresh);
    if (end_ + fresh > length_) {
        for (auto& channel : channels_)
            std::memmove(channel.data(), channel.data() + end_ - kept,
                         sizeof(float) * static_cast<size_t>(kept));
        end_ = kept;
    }
    for (size_t ch = 0; ch < channels_.size(); ++ch)
        copyBlock(channels_[ch].data() + end_, in[ch] + frames - fresh, fresh);
    end_ += fresh;
    held_ = kept + fresh;
    pointAtOldest();
}

void RecentInput::pointAtOldest() {
    for (size_t ch = 0; ch < channels_.size(); ++ch)
        oldest_[ch] = channels_[ch].data() + end_ - held_;
}

}  // namespace marrowfold
