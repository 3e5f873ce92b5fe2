#pragma once

#include <array>
#include <cstdint>

namespace marrowfold {

// Oversampling by factor 2^k runs k half-band stages up and k down. Stage s (0-based) works
// between 2^s and 2^(s+1) times the base rate. The first stage passes up to 20 kHz at 44.1 kHz
// and stops from 24.1 kHz, so its transition is narrow and it needs ten coefficients for about
// 106 dB; every later stage only has to keep its images and aliases off the base band, so its
// transition widens and it needs fewer: 81, 75 and 59 dB, enough since what a later stage lets
// fold is shaped content far above the base band, already weak (see the alias table of
// bench_dsp, which fewer sections leave where it is).
inline constexpr int32_t kMaxOversamplingStages = 4;
inline constexpr int32_t kMaxOversamplingFactor = 1 << kMaxOversamplingStages;
inline constexpr int32_t kMaxHalfbandSections = 10;
inline constexpr std::array<int32_t, kMaxOversamplingStages> kStageSections = {10, 4, 3, 2};

// The base band, as a fraction of the base rate, that every stage keeps clear of images and
// aliases: 20 kHz at 44.1 kHz.
inline constexpr double kOversamplingPassBand = 20000.0 / 44100.0;

// True for 1, 2, 4, 8 and 16.
bool validOversamplingFactor(int32_t factor);

// 0 for factor 1, else log2(factor); the caller keeps factor valid.
int32_t oversamplingStages(int32_t factor);

// The coefficients of one stage in float, in ascending order (even index: path 0, odd: path 1).
struct HalfbandStage {
    int32_t sections;
    std::array<float, kMaxHalfbandSections> coefficient;
};

// Designed once, on first use: call it first outside the audio thread.
const std::array<HalfbandStage, kMaxOversamplingStages>& halfbandStages();

// The delay of the resampling at factor, in base-rate samples, and its latency: the delay rounded
// up to whole samples. The padding (in samples at the oversampled rate) is added to the summed
// signal before it goes down, so that the delay comes to the latency within 1/(2 factor).
double oversamplingDelay(int32_t factor);
int32_t oversamplingLatency(int32_t factor);
int32_t oversamplingPadding(int32_t factor);

// The histories of one half-band stage for up to kMaxHalfbandLanes lanes: section k's last input
// and output.
inline constexpr int32_t kMaxHalfbandLanes = 8;
struct alignas(64) HalfbandLanes {
    float x[kMaxHalfbandSections][kMaxHalfbandLanes];
    float y[kMaxHalfbandSections][kMaxHalfbandLanes];
};

// The straightforward kernels, one lane of a stage at a time. Each all-pass section runs at the
// lower rate of its stage as y = (x1 + a x) - a y1, summed in this order.
// Up: frames inputs in[n] give out[2n] (path 0) and out[2n + 1] (path 1), at unit gain in the
// pass band.
void upsampleLane(const HalfbandStage& stage, HalfbandLanes& history, int32_t lane, const float* in,
                  float* out, int32_t frames);
// Down: frames outputs out[n] = (path 0 of in[2n + 1] + path 1 of in[2n]) / 2.
void downsampleLane(const HalfbandStage& stage, HalfbandLanes& history, int32_t lane,
                    const float* in, float* out, int32_t frames);
// Clears lanes 0..lanes-1 of the history wherever an entry is not a number within 1e10: a broken
// input would otherwise ring in the all-pass recursions for good, silencing the band.
void settleHalfbandHistory(HalfbandLanes& history, int32_t sections, int32_t lanes);

// Down for one or two channels at once (lane = channel), in vectors; gives downsampleLane's
// output and histories bit for bit.
inline constexpr int32_t kMaxVectorDownChannels = 2;
void downsampleChannels(int32_t stage, HalfbandLanes& history, int32_t channels,
                        const float* const* in, float* const* out, int32_t frames);

}  // namespace marrowfold
