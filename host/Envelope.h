#pragma once

#include <cstdint>
#include <vector>

namespace marrowfold {

// The peak level of a signal over a fixed number of equal stretches of time, all channels
// together: what a waveform overview draws.
class Envelope {
  public:
    // `totalFrames` is the length of the whole signal; `buckets` the number of stretches.
    Envelope(int64_t totalFrames, int32_t buckets);

    void add(const float* interleaved, int64_t frames, int32_t channels);
    const std::vector<float>& peaks() const { return bucketPeaks; }

  private:
    int64_t totalFrames;
    int64_t framesSeen = 0;
    std::vector<float> bucketPeaks;
};

}  // namespace marrowfold
