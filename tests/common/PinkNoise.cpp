#include "tests/common/PinkNoise.h"

#include <array>
#include <cmath>
#include <random>

namespace marrowfold::testing {

namespace {

// White noise through Paul Kellet's sum of first-order low-passes, within 0.05 dB of -3 dB per
// octave from 9 Hz up to a fifth of the rate at 44.1 kHz.
class PinkFilter {
  public:
    double next(double white) {
        static constexpr std::array<double, 6> kPoles = {0.99886, 0.99332, 0.96900,
                                                         0.86650, 0.55000, -0.7616};
        static constexpr std::array<double, 6> kGains = {0.0555179, 0.0750759, 0.1538520,
                                                         0.3104856, 0.5329522, -0.0168980};
        double sum = last_ + white * 0.5362;
        for (size_t k = 0; k < kPoles.size(); ++k) {
            state_[k] = kPoles[k] * state_[k] + white * kGains[k];
            sum += state_[k];
        }
        last_ = white * 0.115926;
        return sum;
    }

  private:
    std::array<double, 6> state_{};
    double last_ = 0.0;
};

}  // namespace

std::vector<float> pinkNoise(int32_t channels, int64_t frames, double decibels, uint32_t seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> white(-1.0, 1.0);
    std::vector<double> samples(static_cast<size_t>(frames * channels));
    std::vector<double> squares(static_cast<size_t>(channels), 0.0);
    std::vector<PinkFilter> filters(static_cast<size_t>(channels));
    for (size_t i = 0; i < samples.size(); ++i) {
        const size_t ch = i % static_cast<size_t>(channels);
        samples[i] = filters[ch].next(white(generator));
        squares[ch] += samples[i] * samples[i];
    }
    const double level = std::pow(10.0, decibels / 20.0);
    std::vector<float> out(samples.size());
    for (size_t i = 0; i < samples.size(); ++i) {
        const size_t ch = i % static_cast<size_t>(channels);
        out[i] = static_cast<float>(samples[i] * level / std::sqrt(squares[ch] / frames));
    }
    return out;
}

}  // namespace marrowfold::testing
