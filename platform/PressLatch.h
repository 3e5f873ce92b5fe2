#pragma once

#include <cstdint>
#include <optional>

namespace marrowfold {

// Events reach a window late, so a quick click may already be over when its press is handled,
// and a press can also be posted without any button held. While a press is being handled, the
// first few polls of the mouse state report the state the press carried instead of the live one.
class PressLatch {
  public:
    static constexpr int32_t kLatchedPolls = 3;

    // A press handler starts with the buttons and keys its event carried; handlers may nest.
    void pressBegins(uint32_t state) {
        state_ = state;
        polls_ = kLatchedPolls;
        depth_++;
    }
    void pressEnds() { depth_--; }
    bool inPress() const { return depth_ > 0; }

    // The state to report for this poll, when the latch still holds it.
    std::optional<uint32_t> poll() {
        if (depth_ == 0 || polls_ == 0) return std::nullopt;
        polls_--;
        return state_;
    }

  private:
    int32_t depth_ = 0;
    int32_t polls_ = 0;
    uint32_t state_ = 0;
};

}  // namespace marrowfold
