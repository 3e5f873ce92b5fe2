#pragma once

// What the side-by-side benchmarks share: the same noise for every run, rounds timed as a
// real-time factor, and the median that summarises the rounds of one side.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <random>
#include <vector>

namespace marrowfold::bench {

inline constexpr double kRate = 44100.0;
inline constexpr int32_t kFrames = 512;
inline constexpr int kBlocksPerRound = 2000;

// length samples of uniform noise at -10 dBFS peak, the same for the same seed.
inline std::vector<float> noise(size_t length, uint32_t seed) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<float> sample(-0.3f, 0.3f);
    std::vector<float> result(length);
    for (float& value : result)
        value = sample(engine);
    return result;
}

// Seconds of audio processed per second of wall time, for work that processes audioSeconds.
inline double realTimeFactor(double audioSeconds, const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return audioSeconds /
           std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The same for one round of kFrames-frame blocks.
inline double realTimeFactor(const std::function<void()>& block) {
    return realTimeFactor(kBlocksPerRound * kFrames / kRate, [&] {
        for (int b = 0; b < kBlocksPerRound; ++b)
            block();
    });
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace marrowfold::bench
