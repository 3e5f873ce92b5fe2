#include "host/DemoSignal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace marrowfold {

namespace {

constexpr int32_t kRate = 44100;
constexpr double kSeconds = 6.0;
constexpr double kBeatsPerMinute = 120.0;
constexpr double kPeakLevel = 0.8;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// A small generator with a fixed seed: std's distributions differ between libraries.
class NoiseSource {
  public:
    // Uniform in -1..1.
    double next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<double>(state) / 2147483648.0 - 1.0;
    }

  private:
    uint32_t state = 0x2545F491u;
};

// Mono accumulation buffer with a pan position per added sound.
struct StereoMix {
    std::vector<double> left, right;

    explicit StereoMix(size_t frames) : left(frames), right(frames) {}
    void add(size_t frame, double sample, double pan) {
        if (frame >= left.size()) return;
        left[frame] += sample * (1.0 - pan);
        right[frame] += sample * pan;
    }
};

// Karplus-Strong: a noise burst circulating in a delay line one period long, averaged with its
// neighbour on every pass so the highs die first, like a plucked string.
void pluck(StereoMix& mix, NoiseSource& noise, double startSeconds, double frequency, double pan) {
    constexpr double kLoopDecay = 0.996;
    constexpr double kPluckLevel = 0.3;
    constexpr double kRingSeconds = 3.0;
    const auto period = static_cast<size_t>(std::lround(kRate / frequency));
    std::vector<double> line(period);
    for (double& sample : line)
        sample = noise.next();
    const auto start = static_cast<size_t>(startSeconds * kRate);
    const auto length = static_cast<size_t>(kRingSeconds * kRate);
    for (size_t n = 0; n < length; ++n) {
        const size_t at = n % period;
        const double out = line[at];
        line[at] = kLoopDecay * 0.5 * (out + line[(at + 1) % period]);
        mix.add(start + n, kPluckLevel * out, pan);
    }
}

// A downward strum: strings from low to high a few milliseconds apart, spread across the field.
void strum(StereoMix& mix, NoiseSource& noise, double startSeconds,
           const std::array<double, 6>& strings) {
    constexpr double kStrumStep = 0.012;
    for (size_t s = 0; s < strings.size(); ++s) {
        const double pan = 0.25 + 0.5 * static_cast<double>(s) / (strings.size() - 1);
        pluck(mix, noise, startSeconds + kStrumStep * s, strings[s], pan);
    }
}

// Kick: a sine falling from 120 Hz to 45 Hz under a fast decay.
void kick(StereoMix& mix, double startSeconds) {
    const auto start = static_cast<size_t>(startSeconds * kRate);
    double phase = 0.0;
    for (int32_t n = 0; n < kRate / 3; ++n) {
        const double t = static_cast<double>(n) / kRate;
        const double frequency = 45.0 + 75.0 * std::exp(-t * 30.0);
        phase += kTwoPi * frequency / kRate;
        mix.add(start + n, 0.9 * std::exp(-t * 9.0) * std::sin(phase), 0.5);
    }
}

// Snare: a 180 Hz body with a burst of noise.
void snare(StereoMix& mix, NoiseSource& noise, double startSeconds) {
    const auto start = static_cast<size_t>(startSeconds * kRate);
    for (int32_t n = 0; n < kRate / 4; ++n) {
        const double t = static_cast<double>(n) / kRate;
        const double body = 0.4 * std::exp(-t * 25.0) * std::sin(kTwoPi * 180.0 * t);
        const double rattle = 0.35 * std::exp(-t * 18.0) * noise.next();
        mix.add(start + n, body + rattle, 0.55);
    }
}

// Hi-hat: noise with its lows removed by a first difference, very short.
void hiHat(StereoMix& mix, NoiseSource& noise, double startSeconds) {
    const auto start = static_cast<size_t>(startSeconds * kRate);
    double previous = 0.0;
    for (int32_t n = 0; n < kRate / 20; ++n) {
        const double t = static_cast<double>(n) / kRate;
        const double white = noise.next();
        mix.add(start + n, 0.12 * std::exp(-t * 80.0) * (white - previous), 0.65);
        previous = white;
    }
}

void drumPattern(StereoMix& mix, NoiseSource& noise) {
    const double beat = 60.0 / kBeatsPerMinute;
    const auto beats = static_cast<int32_t>(kSeconds / beat);
    for (int32_t b = 0; b < beats; ++b) {
        const double at = b * beat;
        if (b % 2 == 0) {
            kick(mix, at);
        } else {
            snare(mix, noise, at);
        }
        hiHat(mix, noise, at);
        hiHat(mix, noise, at + beat / 2.0);
    }
}

}  // namespace

StereoSignal synthesizeDemoSignal() {
    const auto frames = static_cast<size_t>(kSeconds * kRate);
    StereoMix mix(frames);
    NoiseSource noise;
    // E minor, then C major, in open voicings (Hz).
    strum(mix, noise, 0.0, {82.41, 123.47, 164.81, 196.00, 246.94, 329.63});
    strum(mix, noise, kSeconds / 2.0, {130.81, 164.81, 196.00, 261.63, 329.63, 392.00});
    drumPattern(mix, noise);

    double peak = 0.0;
    for (size_t n = 0; n < frames; ++n)
        peak = std::max({peak, std::fabs(mix.left[n]), std::fabs(mix.right[n])});
    const double scale = peak > 0.0 ? kPeakLevel / peak : 0.0;
    StereoSignal signal{kRate, {}};
    signal.interleaved.reserve(frames * 2);
    for (size_t n = 0; n < frames; ++n) {
        signal.interleaved.push_back(static_cast<float>(mix.left[n] * scale));
        signal.interleaved.push_back(static_cast<float>(mix.right[n] * scale));
    }
    return signal;
}

}  // namespace marrowfold
