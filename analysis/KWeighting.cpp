#include "analysis/KWeighting.h"

#include <cmath>
#include <initializer_list>
#include <numbers>

namespace marrowfold {
namespace {

// The analog prototypes, solved from the coefficients BS.1770 publishes for 48 kHz. The shelf is
// H(s) = (high s^2 + mid (w0 / Q) s + w0^2) / (s^2 + (w0 / Q) s + w0^2): unity gain below its
// corner, +4.0 dB above it.
constexpr double kShelfHz = 1681.974450955533;
constexpr double kShelfQ = 0.7071752369554196;
constexpr double kShelfHighGain = 1.584864701130855;
constexpr double kShelfMidGain = 1.258720930232562;
// The high-pass is H(s) = gain s^2 / (s^2 + (w0 / Q) s + w0^2).
constexpr double kHighPassHz = 38.13547087602444;
constexpr double kHighPassQ = 0.5003270373238773;
constexpr double kPublishedRate = 48000.0;

// The corner's prewarped frequency, tan(pi f / fs), as the bilinear transform needs it.
double prewarped(double hz, double sampleRate) {
    return std::tan(std::numbers::pi * hz / sampleRate);
}

// a0 of the bilinear transform of s^2 + (w0 / Q) s + w0^2, before normalising.
double denominatorA0(double hz, double q, double sampleRate) {
    const double k = prewarped(hz, sampleRate);
    return k * k + k / q + 1.0;
}

// The bilinear transform of (high s^2 + mid (w0 / Q) s + low w0^2) / (s^2 + (w0 / Q) s + w0^2),
// with w0 at hz.
BiquadCoefficients bilinear(double hz, double q, double high, double mid, double low,
                            double sampleRate) {
    const double k = prewarped(hz, sampleRate);
    const double k2 = k * k;
    const double a0 = denominatorA0(hz, q, sampleRate);
    return {(low * k2 + mid * k / q + high) / a0, 2.0 * (low * k2 - high) / a0,
            (low * k2 - mid * k / q + high) / a0, 2.0 * (k2 - 1.0) / a0, (k2 - k / q + 1.0) / a0};
}

}  // namespace

BiquadCoefficients kWeightingShelf(double sampleRate) {
    return bilinear(kShelfHz, kShelfQ, kShelfHighGain, kShelfMidGain, 1.0, sampleRate);
}

BiquadCoefficients kWeightingHighPass(double sampleRate) {
    // The standard publishes the high-pass with the numerator 1, -2, 1, not divided by a0: its
    // prototype's gain is the 48 kHz a0, about +0.043 dB, and every rate keeps that gain.
    const double gain = denominatorA0(kHighPassHz, kHighPassQ, kPublishedRate);
    return bilinear(kHighPassHz, kHighPassQ, gain, 0.0, 0.0, sampleRate);
}

// The histories stay in locals for the run, so that the recursions wait on arithmetic alone and
// not on stores and loads of the members.
double KWeighting::sumOfSquares(const float* in, int32_t frames) {
    History shelf = shelfState_;
    History highPass = highPassState_;
    double sum = 0.0;
    for (int32_t i = 0; i < frames; ++i) {
        const double y = run(highPass_, highPass, run(shelf_, shelf, in[i]));
        sum += y * y;
    }
    shelfState_ = shelf;
    highPassState_ = highPass;
    return sum;
}

double KWeighting::sumOfSquares(KWeighting& first, const float* firstIn, KWeighting& second,
                                const float* secondIn, int32_t frames) {
    History shelf1 = first.shelfState_;
    History highPass1 = first.highPassState_;
    History shelf2 = second.shelfState_;
    History highPass2 = second.highPassState_;
    double sum1 = 0.0;
    double sum2 = 0.0;
    for (int32_t i = 0; i < frames; ++i) {
        const double y1 = run(first.highPass_, highPass1, run(first.shelf_, shelf1, firstIn[i]));
        const double y2 = run(second.highPass_, highPass2, run(second.shelf_, shelf2, secondIn[i]));
        sum1 += y1 * y1;
        sum2 += y2 * y2;
    }
    first.shelfState_ = shelf1;
    first.highPassState_ = highPass1;
    second.shelfState_ = shelf2;
    second.highPassState_ = highPass2;
    return sum1 + sum2;
}

void KWeighting::settle() {
    // Far below any audible level, far above the smallest normal double.
    constexpr double kSilence = 1e-15;
    for (History* h : {&shelfState_, &highPassState_}) {
        if (!std::isfinite(h->s1) || !std::isfinite(h->s2)) {
            reset();
            return;
        }
        if (std::fabs(h->s1) < kSilence && std::fabs(h->s2) < kSilence) *h = History{};
    }
}

void KWeighting::reset() {
    shelfState_ = History{};
    highPassState_ = History{};
}

}  // namespace marrowfold
