#include "tests/common/AliasMeter.h"

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "analysis/RealFft.h"
#include "dsp/DspEngine.h"
#include "params/DistortionParameters.h"
#include "params/ParameterIndex.h"

namespace marrowfold {

namespace {

constexpr double kRate = 44100.0;
constexpr int32_t kFftSize = 1 << 14;
constexpr int32_t kBlockSize = 512;
// The band filters and the resampling settle well within this many FFT lengths (1.5 s).
constexpr int32_t kSettlingLengths = 4;

// An odd bin: no folded harmonic of it lands on a multiple of it, since the FFT length is a
// power of two.
int32_t toneBin(double hz) {
    const int32_t bin = static_cast<int32_t>(std::lround(hz * kFftSize / kRate));
    return (bin % 2 == 0) ? bin + 1 : bin;
}

std::vector<float> processTone(const AliasCase& measured, KernelSet set, int32_t bin) {
    DistortionParameters model;
    model.setValue(ParamModify, static_cast<float>(kModifyAll));
    model.markChanged(ParamBank);
    model.setValue(ParamShape, static_cast<float>(measured.shape));
    model.markChanged(ParamShape);
    model.setValue(ParamIn, measured.inputDecibels);
    model.markChanged(ParamIn);
    DspEngine engine(kBlockSize, 1, kRate, 1);
    engine.useKernelSet(set);
    engine.requestOversampling(measured.factor);
    engine.requestAntialiasing(measured.antialiased);
    engine.applyChanges(model);

    const int32_t total = (kSettlingLengths + 1) * kFftSize;
    std::vector<float> signal(static_cast<size_t>(total));
    for (int32_t n = 0; n < total; ++n) {
        const int64_t phase = static_cast<int64_t>(n) * bin % kFftSize;
        signal[n] = static_cast<float>(std::sin(2.0 * std::numbers::pi * phase / kFftSize));
    }
    for (int32_t done = 0; done < total; done += kBlockSize) {
        float* block = signal.data() + done;
        engine.process(&block, &block, kBlockSize, OutputMode::Replace);
    }
    return {signal.end() - kFftSize, signal.end()};
}

}  // namespace

double aliasDecibels(const AliasCase& measured, KernelSet set) {
    const int32_t bin = toneBin(measured.toneHz);
    const std::vector<float> output = processTone(measured, set, bin);
    RealFft fft(kFftSize);
    std::vector<std::complex<float>> spectrum(static_cast<size_t>(fft.binCount()));
    fft.transform(output.data(), spectrum.data());
    double harmonic = 0.0;
    double alias = 0.0;
    for (int32_t k = 1; k <= kFftSize / 2; ++k) {
        const double energy = std::norm(std::complex<double>(spectrum[static_cast<size_t>(k)]));
        (k % bin == 0 ? harmonic : alias) += energy;
    }
    return 10.0 * std::log10(alias / harmonic);
}

}  // namespace marrowfold
