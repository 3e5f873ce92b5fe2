#pragma once

#include <complex>
#include <cstdint>
#include <random>
#include <vector>

#include "dsp/IirFilter.h"

namespace marrowfold::test {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHalfPowerDb = -3.0103;

// |H(e^jw)| in dB of a filter, evaluated directly from its stored section coefficients.
inline double levelAt(const IirFilter& filter, double hz) {
    const std::complex<double> zInv = std::polar(1.0, -2.0 * kPi * hz / filter.sampleRate());
    std::complex<double> response = 1.0;
    for (int32_t s = 0; s < filter.sectionCount(); ++s) {
        std::complex<double> num = 0.0;
        std::complex<double> den = 1.0;
        std::complex<double> power = 1.0;
        for (int32_t j = 0; j < filter.coefficientCount(); ++j) {
            num += filter.numerators(s)[j] * power;
            if (j > 0) den += filter.denominators(s)[j - 1] * power;
            power *= zInv;
        }
        response *= num / den;
    }
    return 20.0 * std::log10(std::abs(response));
}

inline std::vector<float> noise(size_t length, uint32_t seed, float amplitude = 1.0f) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<float> sample(-amplitude, amplitude);
    std::vector<float> result(length);
    for (float& value : result)
        value = sample(engine);
    return result;
}

// Runs a one-channel processor (filter or splitter) over input in one call.
template <typename Processor>
std::vector<float> runMono(Processor& processor, std::vector<float> input) {
    std::vector<float> output(input.size());
    float* in = input.data();
    float* out = output.data();
    processor.process(&in, &out, static_cast<int32_t>(input.size()));
    return output;
}

}  // namespace marrowfold::test
