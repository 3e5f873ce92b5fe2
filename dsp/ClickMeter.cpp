#include "dsp/ClickMeter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "dsp/Fft.h"

namespace marrowfold {

namespace {

constexpr size_t kWindow = 1024;
constexpr size_t kHop = 64;
constexpr double kSilence = -400.0;  // dB, below anything a float signal produces

double hann(size_t n) {
    return 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) / kWindow);
}

// The energy of bins first..kWindow/2 of one windowed stretch.
double binEnergy(const float* samples, size_t first, std::vector<Complex>& spectrum) {
    for (size_t n = 0; n < kWindow; ++n)
        spectrum[n] = samples[n] * hann(n);
    fft(spectrum);
    double energy = 0.0;
    for (size_t k = first; k <= kWindow / 2; ++k)
        energy += std::norm(spectrum[k]);
    return energy;
}

}  // namespace

double clickDecibels(const std::vector<float>& signal, size_t begin, size_t end, double sampleRate,
                     double cutoffHz) {
    std::vector<Complex> spectrum(kWindow);
    // A full-scale sine on a bin centre, the reference the energy is stated against.
    std::vector<float> sine(kWindow);
    const double referenceBin = kWindow / 8.0;
    for (size_t n = 0; n < kWindow; ++n)
        sine[n] = static_cast<float>(
            std::sin(2.0 * std::numbers::pi * referenceBin * static_cast<double>(n) / kWindow));
    const double reference = binEnergy(sine.data(), 1, spectrum);

    const auto first = static_cast<size_t>(std::ceil(cutoffHz * kWindow / sampleRate));
    double loudest = 0.0;
    for (size_t start = begin; start + kWindow <= std::min(end, signal.size()); start += kHop)
        loudest = std::max(loudest, binEnergy(signal.data() + start, first, spectrum));
    return loudest > 0.0 ? 10.0 * std::log10(loudest / reference) : kSilence;
}

}  // namespace marrowfold
