#include "host/Envelope.h"

#include <algorithm>
#include <cmath>

namespace marrowfold {

Envelope::Envelope(int64_t frames, int32_t buckets)
    : totalFrames(std::max<int64_t>(frames, 1)), bucketPeaks(std::max(buckets, 1), 0.0f) {}

void Envelope::add(const float* interleaved, int64_t frames, int32_t channels) {
    const auto buckets = static_cast<int64_t>(bucketPeaks.size());
    for (int64_t n = 0; n < frames; ++n, ++framesSeen) {
        const int64_t bucket = std::min(framesSeen * buckets / totalFrames, buckets - 1);
        float& peak = bucketPeaks[static_cast<size_t>(bucket)];
        for (int32_t ch = 0; ch < channels; ++ch)
            peak = std::max(peak, std::fabs(interleaved[n * channels + ch]));
    }
}

}  // namespace marrowfold
