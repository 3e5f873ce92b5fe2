#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <vector>

#include "analysis/Decibels.h"
#include "analysis/RealFft.h"

namespace marrowfold {

// The spectra the editor draws behind the band editor, of the effect's input and output. Runs on
// the editor's thread on samples taken from the audio thread's ring.
//
// Each update windows the newest kFftSize samples of a stream (Hann), transforms them and sums
// the power of the bins within a sixth of an octave (at least two bins to each side) around each
// bin, weighted by a flat-topped triangle, so that a sine of amplitude A reads about
// 20 log10 A dB wherever it falls. The shown level rises at once
// and falls by kFallDecibelsPerSecond of audio fed; it never goes below kFloorDecibels.
class SpectrumAnalyser {
  public:
    enum Stream : int32_t { Input = 0, Output = 1, kStreamCount = 2 };

    static constexpr int32_t kFftSize = 4096;
    static constexpr float kFloorDecibels = kSilenceFloorDecibels;
    static constexpr float kFallDecibelsPerSecond = 40.0f;

    // Allocates everything it will use.
    explicit SpectrumAnalyser(float sampleRate);

    // Forgets all audio: both spectra at the floor.
    void reset();
    void setSampleRate(float rate);
    float sampleRate() const { return sampleRate_; }

    // Appends count samples, oldest first, to each stream.
    void feed(const float* input, const float* output, int32_t count);
    // Takes a new spectrum of each stream when samples came since the last update; true then.
    bool update();

    // The shown level of a stream at hz, in dB, interpolated between bins.
    float levelAt(Stream stream, float hz) const;
    // True while every shown level of both streams is at the floor.
    bool silent() const;

  private:
    struct StreamState {
        std::vector<float> history;  // kFftSize samples, a circle ending before historyEnd
        std::vector<float> shown;    // per bin, dB
    };

    void analyse(StreamState& stream, float elapsedSeconds);
    void smoothAcrossFrequency();

    float sampleRate_;
    RealFft fft_;
    std::vector<float> window_;
    std::vector<int32_t> halfWidths_;  // per bin, of the smoothing triangle
    std::vector<float> frame_;
    std::vector<std::complex<float>> bins_;
    std::vector<float> power_;
    std::vector<float> smoothed_;
    std::array<StreamState, kStreamCount> streams_;
    int32_t historyEnd_ = 0;
    int32_t samplesSinceUpdate_ = 0;
};

}  // namespace marrowfold
