#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "analysis/SpscRing.h"
#include "dsp/BandLevels.h"

namespace marrowfold {

// The levels of one processed block: input and output over every channel, and each band after
// shaping. Squares are summed over the block's frames and averaged over its channels, so that
// squares / frames is the block's mean square.
struct BlockLevels {
    int32_t frames = 0;
    float inputPeak = 0.0f;
    float inputSquares = 0.0f;
    float outputPeak = 0.0f;
    float outputSquares = 0.0f;
    BandLevels bands;
};

// Carries what the editor shows of the audio from the audio thread to the editor's thread: the
// mono sums of input and output, sample by sample, and the levels of each block. The audio thread
// fills the rings only while an editor window is open, and then only copies and sums: no
// allocation, lock or system call. A block that does not fit is left out whole, so that the two
// sample streams always stay in step.
class AnalysisTap {
  public:
    static constexpr size_t kSampleCapacity = size_t{1} << 15;
    static constexpr size_t kBlockCapacity = 1024;

    AnalysisTap();

    // Editor thread: starts and stops the capture. Opening drops whatever is left from before.
    void open();
    void close();
    bool isOpen() const { return open_.load(std::memory_order_relaxed); }

    // Audio thread, around one processed block. beginBlock takes the input and returns the band
    // levels the engine is to fill, or null when this block is not captured; endBlock takes the
    // output of a captured block, and says whether the block was captured.
    BandLevels* beginBlock(const float* const* inputs, int32_t channels, int32_t frames);
    bool endBlock(const float* const* outputs, int32_t channels, int32_t frames);
    // Audio thread: the levels of the block captured last, from its beginBlock on (its output's
    // from its endBlock on).
    const BlockLevels& levels() const { return block_; }

    // Editor thread: takes up to count samples of each stream, as pairs; returns how many.
    size_t takeSamples(float* input, float* output, size_t count);
    // Editor thread: takes up to count block levels; returns how many.
    size_t takeBlocks(BlockLevels* levels, size_t count);

  private:
    void drain();

    std::atomic<bool> open_{false};
    bool capturing_ = false;
    BlockLevels block_;
    SpscRing<float> inputRing_;
    SpscRing<float> outputRing_;
    SpscRing<BlockLevels> blockRing_;
};

}  // namespace marrowfold
