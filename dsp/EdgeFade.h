#pragma once

#include <cstdint>
#include <vector>

namespace marrowfold {

// Which bands are moving to newly designed filters, and how far the crossfade from their old
// filters has got: one crossfade at a time, along the glide curve. Bands whose edges move while
// one runs wait for it to end and then fade together. Construction allocates (and may throw
// std::bad_alloc); nothing else does, and everything else runs on the audio thread.
class EdgeFade {
  public:
    // length: the crossfade in samples.
    explicit EdgeFade(int32_t length);

    // Bands (bit b for band b) whose edges moved.
    void request(uint32_t bands) { pending_ |= bands; }
    // Starts the crossfade of the requested bands when none runs: answers the bands it starts,
    // else 0.
    uint32_t startPending();
    // The bands of the running crossfade; 0 when none runs.
    uint32_t fading() const { return fading_; }
    // Whether bands wait for the next crossfade.
    bool waiting() const { return pending_ != 0; }
    // The weights of the incoming filters for the next samples of the running crossfade, at most
    // frames of them: answers how many, fewer than frames when the crossfade ends before.
    int32_t advance(int32_t frames);
    const float* weights() const { return weights_.data() + start_; }
    // Whether the running crossfade has reached its end; finish then ends it and answers its
    // bands.
    bool reachedEnd() const { return position_ >= length(); }
    uint32_t finish();
    // The running crossfade starts over with the next piece, its incoming filters lost.
    void restart();
    int32_t length() const { return static_cast<int32_t>(weights_.size()); }
    // Takes bands out of the running crossfade and out of the waiting ones.
    void drop(uint32_t bands) {
        pending_ &= ~bands;
        fading_ &= ~bands;
    }
    // Forgets every crossfade, running or waiting.
    void cancel() { pending_ = fading_ = 0; }

  private:
    // The weights of the whole crossfade along the glide curve, worked out once.
    std::vector<float> weights_;
    int32_t position_ = 0;  // samples into the running crossfade
    int32_t start_ = 0;     // where the weights of the last advance start
    uint32_t pending_ = 0;
    uint32_t fading_ = 0;
};

}  // namespace marrowfold
