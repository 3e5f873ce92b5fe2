#include "effect/AnalysisTap.h"

#include <algorithm>
#include <cmath>

namespace marrowfold {

namespace {

constexpr size_t kDrainChunk = 1024;

// Pushes the mono sum of a block into ring and returns its peak and mean-over-channels square sum.
void pushMonoSum(SpscRing<float>& ring, const float* const* channels, int32_t count, int32_t frames,
                 float& peak, float& squares) {
    const float perChannel = 1.0f / static_cast<float>(count);
    float highest = 0.0f;
    float sum = 0.0f;
    ring.pushEach(static_cast<size_t>(frames), [&](size_t n) {
        float mono = 0.0f;
        for (int32_t ch = 0; ch < count; ++ch) {
            const float x = channels[ch][n];
            highest = std::max(highest, std::fabs(x));
            sum += x * x;
            mono += x;
        }
        return mono * perChannel;
    });
    peak = highest;
    squares = sum * perChannel;
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

void AnalysisTap::endBlock(const float* const* outputs, int32_t channels, int32_t frames) {
    if (!capturing_) return;
    capturing_ = false;
    pushMonoSum(outputRing_, outputs, channels, frames, block_.outputPeak, block_.outputSquares);
    const float perChannel = 1.0f / static_cast<float>(channels);
    for (float& squares : block_.bands.squares)
        squares *= perChannel;
    blockRing_.push(block_);
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
