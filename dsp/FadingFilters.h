#pragma once

#include <cstdint>

namespace marrowfold {

// The band filters of a splitter as a crossfade to new designs drives them: the running filters,
// and for each band an incoming filter that already holds the band's new design. The reference
// filters and the lane kernels both offer it, and give the same band signals bit for bit. Every
// operation runs on the audio thread.
class FadingFilters {
  public:
    // Starts the incoming filters of bands (bit b for band b) from silence and runs them over
    // recent, frames samples per channel, in pieces of at most the block size; every other
    // band's incoming filter becomes a copy of its running one.
    virtual void startIncoming(uint32_t bands, const float* const* recent, int32_t frames) = 0;
    // Runs the running filters over frames samples of in from offset on into the band signals
    // from offset on.
    virtual void filterRunning(const float* const* in, int32_t offset, int32_t frames) = 0;
    // Runs the incoming filters of bands over the first frames samples of in and moves each
    // band signal there towards their output by weights[n] (0 keeps it, 1 takes theirs).
    virtual void blendIncoming(uint32_t bands, const float* const* in, int32_t frames,
                               const float* weights) = 0;
    // The incoming filters of bands, their designs and their histories, become the running ones.
    virtual void commitIncoming(uint32_t bands) = 0;

  protected:
    ~FadingFilters() = default;
};

}  // namespace marrowfold
