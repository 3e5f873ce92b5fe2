#include "tests/common/ClickMeter.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "analysis/RealFft.h"

namespace marrowfold {

namespace {

constexpr size_t kWindow = kClickWindow;
constexpr size_t kHop = 64;
constexpr double kSilence = -400.0;  // dB, below anything a float signal produces

double hann(size_t n) {
    return 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(n) / kWindow);
}

// The Hann-windowed transform of kWindow samples and the energy of its bins from first up.
class WindowedEnergy {
  public:
    double of(const float* samples, size_t first) {
        for (size_t n = 0; n < kWindow; ++n)
            windowed_[n] = samples[n] * hann(n);
        fft_.transform(windowed_.data(), bins_.data());
        double energy = 0.0;
        for (size_t k = first; k < bins_.size(); ++k)
            energy += std::norm(bins_[k]);
        return energy;
    }

  private:
    RealFft fft_{static_cast<int32_t>(kWindow)};
    std::vector<double> windowed_ = std::vector<double>(kWindow);
    std::vector<std::complex<double>> bins_ =
        std::vector<std::complex<double>>(static_cast<size_t>(fft_.binCount()));
};

}  // namespace

double clickDecibels(const std::vector<float>& signal, size_t begin, size_t end, double sampleRate,
                     double cutoffHz) {
    WindowedEnergy energy;
    // A full-scale sine on a bin centre, the reference the energy is stated against.
    std::vector<float> sine(kWindow);
    const double referenceBin = kWindow / 8.0;
    for (size_t n = 0; n < kWindow; ++n)
        sine[n] = static_cast<float>(
            std::sin(2.0 * std::numbers::pi * referenceBin * static_cast<double>(n) / kWindow));
    const double reference = energy.of(sine.data(), 1);

    const auto first = static_cast<size_t>(std::ceil(cutoffHz * kWindow / sampleRate));
    double loudest = 0.0;
    for (size_t start = begin; start + kWindow <= std::min(end, signal.size()); start += kHop)
        loudest = std::max(loudest, energy.of(signal.data() + start, first));
    return loudest > 0.0 ? 10.0 * std::log10(loudest / reference) : kSilence;
}

}  // namespace marrowfold
