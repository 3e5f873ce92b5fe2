#include "dsp/HalfbandDesign.h"

#include <cmath>
#include <numbers>

namespace marrowfold {

namespace {

using std::numbers::pi;

// The series below stop once their terms fall under this.
constexpr double kSeriesEnd = 1e-100;

// The nome q of the elliptic modulus k, from the first terms of its series in e.
double nome(double k) {
    const double root = std::pow(1.0 - k * k, 0.25);
    const double e = 0.5 * (1.0 - root) / (1.0 + root);
    const double e4 = e * e * e * e;
    return e * (1.0 + e4 * (2.0 + e4 * (15.0 + 150.0 * e4)));
}

// Numerator theta series: sum over i of (-1)^i q^(i(i+1)) sin((2i+1) c pi / order).
double thetaNumerator(double q, int32_t order, int32_t c) {
    double sum = 0.0;
    double term = 0.0;
    double sign = 1.0;
    int32_t i = 0;
    do {
        term = sign * std::pow(q, i * (i + 1)) * std::sin((2 * i + 1) * c * pi / order);
        sum += term;
        sign = -sign;
        ++i;
    } while (std::fabs(term) > kSeriesEnd);
    return sum;
}

// Denominator theta series: sum over i >= 1 of (-1)^i q^(i^2) cos(2 i c pi / order).
double thetaDenominator(double q, int32_t order, int32_t c) {
    double sum = 0.0;
    double term = 0.0;
    double sign = -1.0;
    int32_t i = 1;
    do {
        term = sign * std::pow(q, i * i) * std::cos(2 * i * c * pi / order);
        sum += term;
        sign = -sign;
        ++i;
    } while (std::fabs(term) > kSeriesEnd);
    return sum;
}

}  // namespace

std::vector<double> designHalfband(int32_t count, double transition) {
    const double root = std::tan((1.0 - 2.0 * transition) * pi / 4.0);
    const double k = root * root;
    const double q = nome(k);
    const int32_t order = 2 * count + 1;
    std::vector<double> coefficients;
    for (int32_t c = 1; c <= count; ++c) {
        const double w =
            thetaNumerator(q, order, c) * std::pow(q, 0.25) / (thetaDenominator(q, order, c) + 0.5);
        const double w2 = w * w;
        const double x = std::sqrt((1.0 - w2 * k) * (1.0 - w2 / k)) / (1.0 + w2);
        coefficients.push_back((1.0 - x) / (1.0 + x));
    }
    return coefficients;
}

double halfbandDelayAtDc(const std::vector<double>& coefficients) {
    // Each section delays DC by 2 (1 - a) / (1 + a); path 1 has one sample more.
    double paths[2] = {0.0, 1.0};
    for (size_t i = 0; i < coefficients.size(); ++i) {
        const double a = coefficients[i];
        paths[i % 2] += 2.0 * (1.0 - a) / (1.0 + a);
    }
    return 0.5 * (paths[0] + paths[1]);
}

}  // namespace marrowfold
