#include "effect/AnalysisTap.h"

#include <emmintrin.h>

#include <algorithm>
#include <cmath>

namespace marrowfold {

namespace {

constexpr size_t kDrainChunk = 1024;
constexpr size_t kWidth = 4;  // floats in an SSE2 vector, which every build of ours has

// A block's largest magnitude and sum of squares, over every channel added so far.
struct ChannelLevels {
    float peak = 0.0f;
    float squares = 0.0f;
};

// Vectors summed side by side in one pass: each carries its own running peak and sum of squares,
// so the additions do not wait on each other.
constexpr size_t kStreams = 4;
constexpr size_t kStride = kWidth * kStreams;

// One pass over a channel's n samples x: starts the mono sum with them (first) or adds them to
// it, scales the sum (by the mean's factor on the last channel), and adds them to the levels.
void addChannel(const float* x, float* mono, size_t n, bool first, float scale,
                ChannelLevels& levels) {
    const __m128 signBit = _mm_set1_ps(-0.0f);
    const __m128 factor = _mm_set1_ps(scale);
    __m128 peaks[kStreams];
    __m128 sums[kStreams];
    for (size_t k = 0; k < kStreams; ++k)
        peaks[k] = sums[k] = _mm_setzero_ps();
    size_t i = 0;
    for (; i + kStride <= n; i += kStride) {
        for (size_t k = 0; k < kStreams; ++k) {
            const size_t at = i + k * kWidth;
            const __m128 v = _mm_loadu_ps(x + at);
            const __m128 sum = first ? v : _mm_add_ps(_mm_loadu_ps(mono + at), v);
            _mm_storeu_ps(mono + at, _mm_mul_ps(sum, factor));
            // A NaN sample is passed over, as std::max(peak, |x|) passes it over below.
            peaks[k] = _mm_max_ps(_mm_andnot_ps(signBit, v), peaks[k]);
            sums[k] = _mm_add_ps(sums[k], _mm_mul_ps(v, v));
        }
    }
    for (size_t k = 0; k < kStreams; ++k) {
        float peak[kWidth];
        float square[kWidth];
        _mm_storeu_ps(peak, peaks[k]);
        _mm_storeu_ps(square, sums[k]);
        for (size_t j = 0; j < kWidth; ++j) {
            levels.peak = std::max(levels.peak, peak[j]);
            levels.squares += square[j];
        }
    }
    for (; i < n; ++i) {
        mono[i] = ((first ? 0.0f : mono[i]) + x[i]) * scale;
        levels.peak = std::max(levels.peak, std::fabs(x[i]));
        levels.squares += x[i] * x[i];
    }
}

// Pushes the mono sum of a block into ring and returns its peak and mean-over-channels square sum.
void pushMonoSum(SpscRing<float>& ring, const float* const* channels, int32_t count, int32_t frames,
                 float& peak, float& squares) {
    const float perChannel = 1.0f / static_cast<float>(count);
    ChannelLevels levels;
    ring.pushSpans(static_cast<size_t>(frames), [&](float* mono, size_t first, size_t n) {
        for (int32_t ch = 0; ch < count; ++ch) {
            addChannel(channels[ch] + first, mono, n, ch == 0, ch == count - 1 ? perChannel : 1.0f,
                       levels);
        }
    });
    peak = levels.peak;
    squares = levels.squares * perChannel;
}

}  // namespace

AnalysisTap::AnalysisTap()
    : inputRing_(kSampleCapacity), outputRing_(kSampleCapacity), blockRing_(kBlockCapacity) {}

void AnalysisTap::open() {
    drain();
    open_.store(true, std::memory_order_relaxed);
}

void AnalysisTap::close() {
    open_.store(false, std::memory_order_relaxed);
}

BandLevels* AnalysisTap::beginBlock(const float* const* inputs, int32_t channels, int32_t frames) {
    const size_t needed = static_cast<size_t>(frames);
    capturing_ = isOpen() && channels > 0 && frames > 0 && inputRing_.space() >= needed &&
                 outputRing_.space() >= needed && blockRing_.space() >= 1;
    if (!capturing_) return nullptr;
    block_.frames = frames;
    block_.bands.clear();
    pushMonoSum(inputRing_, inputs, channels, frames, block_.inputPeak, block_.inputSquares);
    return &block_.bands;
}

bool AnalysisTap::endBlock(const float* const* outputs, int32_t channels, int32_t frames) {
    if (!capturing_) return false;
    capturing_ = false;
    pushMonoSum(outputRing_, outputs, channels, frames, block_.outputPeak, block_.outputSquares);
    const float perChannel = 1.0f / static_cast<float>(channels);
    for (float& squares : block_.bands.squares)
        squares *= perChannel;
    blockRing_.push(block_);
    return true;
}

// The input of a block is pushed before its output, so the output stream may lag: pairs are
// taken only as far as both streams reach.
size_t AnalysisTap::takeSamples(float* input, float* output, size_t count) {
    const size_t n = std::min({count, inputRing_.available(), outputRing_.available()});
    inputRing_.pop(input, n);
    outputRing_.pop(output, n);
    return n;
}

size_t AnalysisTap::takeBlocks(BlockLevels* levels, size_t count) {
    return blockRing_.pop(levels, count);
}

void AnalysisTap::drain() {
    float input[kDrainChunk];
    float output[kDrainChunk];
    while (takeSamples(input, output, kDrainChunk) > 0) {
    }
    BlockLevels levels[16];
    while (takeBlocks(levels, std::size(levels)) > 0) {
    }
}

}  // namespace marrowfold
