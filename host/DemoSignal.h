#pragma once

#include <cstdint>
#include <vector>

namespace marrowfold {

// A built-in test signal: interleaved stereo frames at a fixed rate.
struct StereoSignal {
    int32_t sampleRate = 0;
    std::vector<float> interleaved;

    int64_t frames() const { return static_cast<int64_t>(interleaved.size() / 2); }
};

// A few seconds of two strummed guitar chords (plucked-string synthesis) over a drum pattern
// of kick, snare and hi-hat. The same samples on every machine and every run.
StereoSignal synthesizeDemoSignal();

}  // namespace marrowfold
