#pragma once

#include <cstdint>
#include <memory>

#include "dsp/Glide.h"

namespace marrowfold {

// Which bands are moving to newly designed filters, and how far the crossfade from their old
// filters has got: one crossfade at a time, along the glide curve. Bands whose edges move while
// one runs wait for it to end and then fade together. Construction allocates (and may throw
// std::bad_alloc); nothing else does, and everything else runs on the audio thread.
class EdgeFade {
  public:
    // length: the crossfade in samples; blockSize: the most samples advance is asked for at once.
    EdgeFade(int32_t length, int32_t blockSize);

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
    const float* weights() const { return weights_.get(); }
    // Whether the running crossfade has reached its end; finish then ends it and answers its
    // bands.
    bool reachedEnd() const { return !weight_.moving(); }
    uint32_t finish();
    // The running crossfade starts over with the next piece, its incoming filters lost.
    void restart();
    // Takes bands out of the running crossfade and out of the waiting ones.
    void drop(uint32_t bands) {
        pending_ &= ~bands;
        fading_ &= ~bands;
    }
    // Forgets every crossfade, running or waiting.
    void cancel() { pending_ = fading_ = 0; }

  private:
    Glide weight_;  // of the incoming filters, from 0 to 1
    uint32_t pending_ = 0;
    uint32_t fading_ = 0;
    std::unique_ptr<float[]> weights_;  // one block
};

}  // namespace marrowfold
