#pragma once

// What the tests of the spectrum and meters in a real host window share, whatever the window
// system: audio played through the record in real time while the host idles the editor, the
// band editor's frequency axis and the spectrum's colours in editor coordinates at factor 1, and
// the readings taken from a picture of the editor: where a colour reaches highest, how far a
// meter has risen.

#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

#include "analysis/LevelMeter.h"
#include "host/PluginHost.h"
#include "tests/integration/ModuleFixture.h"

namespace marrowfold::testing::spectrum {

inline constexpr float kRate = 44100.0f;
inline constexpr int32_t kBlock = 512;
inline constexpr float kToneAmplitude = 0.25f;
// How far the peak may sit from the axis place of the tone's frequency.
inline constexpr float kPixelTolerance = 3.0f;

// The band editor's frequency axis: log2 of the frequency from 25 Hz at the handle area's left to
// half the sample rate at its right.
inline constexpr int kAxisLeft = 395;
inline constexpr int kAxisRight = 628;
inline constexpr int kAxisTop = 38;
inline constexpr int kAxisBottom = 159;
inline constexpr float kAxisLowHz = 25.0f;
inline constexpr uint32_t kSpectrumFill = 0x1f4575;  // (31, 69, 117)
inline constexpr uint32_t kSpectrumLine = 0x4982ab;  // (73, 130, 171)

// The meters beside the knobs: Band 1..4, In, Out; the middle column is read.
inline constexpr int kMeterCount = 6;
inline constexpr int kBandTwoMeter = 1, kInMeter = 4, kOutMeter = 5;
inline constexpr int kMeterColumns[kMeterCount] = {88, 169, 249, 329, 89, 278};
inline constexpr int kBandMeterTop = 75, kLevelMeterTop = 145, kMeterHeight = 30;
// Long enough for every reading to fall back to the floor after the last signal: a meter's peak
// is held, then falls through the meter's whole range, and the spectrum falls faster still.
inline constexpr float kSilenceSeconds =
    LevelMeter::kHoldSeconds - LevelMeter::kFloorDecibels / LevelMeter::kPeakFallDecibelsPerSecond +
    0.5f;

// A tone in the middle of band 2 of the default preset.
inline constexpr float kBandTwoHz = 300.0f;

inline float axisPixel(float hz) {
    const float octaves = std::log2(hz / kAxisLowHz) / std::log2(0.5f * kRate / kAxisLowHz);
    return static_cast<float>(kAxisLeft) + octaves * static_cast<float>(kAxisRight - kAxisLeft);
}

inline float tone(float hz, int64_t n) {
    return kToneAmplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * n / kRate));
}

// A picture of the editor read at editor coordinates, 0xRRGGBB.
using PixelAt = std::function<uint32_t(int x, int y)>;

// The column where colour reaches highest in the band editor's handle area; -1 without it.
inline int highestColumnOf(const PixelAt& pixel, uint32_t colour) {
    for (int y = kAxisTop; y < kAxisBottom; ++y) {
        for (int x = kAxisLeft; x < kAxisRight; ++x) {
            if (pixel(x, y) == colour) return x;
        }
    }
    return -1;
}

// How many rows of a meter's column differ from the same column without audio.
inline int meterHeight(const PixelAt& shot, const PixelAt& silent, int meter) {
    const int top = meter < kInMeter ? kBandMeterTop : kLevelMeterTop;
    int rows = 0;
    for (int y = top; y < top + kMeterHeight; ++y)
        rows += shot(kMeterColumns[meter], y) != silent(kMeterColumns[meter], y);
    return rows;
}

// Plucked strings (a decaying delay line with a two-tap average) strummed as an E major chord.
class PluckedChord {
  public:
    PluckedChord() {
        std::mt19937 random(3);
        std::uniform_real_distribution<float> pluck(-0.5f, 0.5f);
        for (const float hz : {82.4f, 123.5f, 164.8f, 207.7f, 246.9f, 329.6f}) {
            strings_.emplace_back(static_cast<size_t>(kRate / hz));
            for (float& s : strings_.back())
                s = pluck(random);
        }
    }
    float operator()(int64_t n) {
        float sum = 0.0f;
        for (std::vector<float>& line : strings_) {
            const size_t i = static_cast<size_t>(n) % line.size();
            const float next = line[(i + 1) % line.size()];
            const float out = line[i];
            line[i] = 0.498f * (out + next);
            sum += out;
        }
        return 0.3f * sum;
    }

  private:
    std::vector<std::vector<float>> strings_;
};

// Plays seconds of signal(n) through the record block by block in real time from position on,
// calling idle between blocks as a host's user-interface thread would; answers where it stopped.
inline int64_t play(PluginHost& host, int64_t position, float seconds,
                    const std::function<float(int64_t)>& signal,
                    const std::function<void()>& idle) {
    StereoBuffers buffers(kBlock);
    const int64_t frames = static_cast<int64_t>(seconds * kRate);
    const auto start = std::chrono::steady_clock::now();
    for (int64_t done = 0; done < frames; done += kBlock) {
        for (int32_t i = 0; i < kBlock; ++i)
            buffers.left[i] = buffers.right[i] = signal(position++);
        host.processReplace(buffers.inputs(), buffers.outputs(), kBlock);
        idle();
        std::this_thread::sleep_until(
            start + std::chrono::duration<double>(static_cast<double>(done + kBlock) / kRate));
    }
    return position;
}

}  // namespace marrowfold::testing::spectrum
