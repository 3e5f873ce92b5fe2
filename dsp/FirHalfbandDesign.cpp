#include "dsp/FirHalfbandDesign.h"

#include <cmath>
#include <numbers>

namespace marrowfold {

namespace {

using std::numbers::pi;

constexpr double kSeriesEnd = 1e-12;

// The modified Bessel function of the first kind and order zero, from its power series.
double besselI0(double x) {
    double sum = 1.0;
    double term = 1.0;
    for (int32_t k = 1; term > kSeriesEnd * sum; ++k) {
        const double ratio = x / (2.0 * k);
        term *= ratio * ratio;
        sum += term;
    }
    return sum;
}

// Kaiser's estimate of the attenuation (dB) a windowed filter of span + 1 taps reaches over a
// transition of width (a fraction of the rate), and the window shape that gives it.
double kaiserAttenuation(int32_t span, double width) {
    return 2.285 * span * 2.0 * pi * width + 7.95;
}

double kaiserShape(double attenuation) {
    if (attenuation > 50.0) return 0.1102 * (attenuation - 8.7);
    if (attenuation > 21.0)
        return 0.5842 * std::pow(attenuation - 21.0, 0.4) + 0.07886 * (attenuation - 21.0);
    return 0.0;
}

}  // namespace

std::vector<double> designFirHalfband(int32_t taps, double transition) {
    // Taps at -(2 taps - 1) .. 2 taps - 1 around the centre.
    const int32_t half = 2 * taps - 1;
    const double shape = kaiserShape(kaiserAttenuation(2 * half, 2.0 * transition));
    std::vector<double> coefficients(static_cast<size_t>(taps));
    double sum = 0.0;
    for (int32_t k = 0; k < taps; ++k) {
        const int32_t j = 2 * k + 1;
        const double ideal = std::sin(pi * j / 2.0) / (pi * j);
        const double ratio = static_cast<double>(j) / half;
        const double window = besselI0(shape * std::sqrt(1.0 - ratio * ratio)) / besselI0(shape);
        coefficients[k] = ideal * window;
        sum += coefficients[k];
    }
    // The centre gives 1/2 at DC, the odd taps twice their sum; they must give the other half.
    for (double& c : coefficients)
        c *= 0.25 / sum;
    return coefficients;
}

}  // namespace marrowfold
