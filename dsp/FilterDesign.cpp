#include "dsp/FilterDesign.h"

#include <algorithm>
#include <cmath>

namespace marrowfold {

namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kNyquistFraction = 0.5;
// An upper edge beyond half the sample rate is pulled just below it.
constexpr double kUpperLimitFraction = 0.495;
// A negative (or undefined) lower edge becomes 1 Hz.
constexpr float kLowestEdge = 1.0f;
constexpr int32_t kPrototypeDegree = 2;

double power(double base, int32_t exponent) {
    double result = 1.0;
    for (int32_t i = 0; i < exponent; ++i)
        result *= base;
    return result;
}

void reverse(Coefficients& c, int32_t degree) {
    std::reverse(c.begin(), c.begin() + degree + 1);
}

// s -> s / alpha: moves the cut-off from 1 rad/s to alpha.
void scaleFrequency(Coefficients& num, Coefficients& den, int32_t degree, double alpha) {
    double scale = 1.0;
    for (int32_t j = 0; j <= degree; ++j) {
        num[j] /= scale;
        den[j] /= scale;
        scale *= alpha;
    }
}

// s -> (s^2 + P) / (W s), multiplied through by (W s)^degree: a low-pass of the given degree
// becomes a band-pass of twice the degree between alpha and beta (W = beta - alpha,
// P = alpha * beta). Each term num[j] s^j contributes C(j, k) P^k W^(degree - j) num[j] to the
// power degree + j - 2k.
void bandTransform(Coefficients& num, Coefficients& den, int32_t degree, double alpha,
                   double beta) {
    const double bandwidth = beta - alpha;
    const double centreProduct = alpha * beta;
    Coefficients bandNum{};
    Coefficients bandDen{};
    for (int32_t j = 0; j <= degree; ++j) {
        for (int32_t k = 0; k <= j; ++k) {
            const int32_t target = degree + j - 2 * k;
            const double factor =
                binomial(j, k) * power(centreProduct, k) * power(bandwidth, degree - j);
            bandNum[target] += factor * num[j];
            bandDen[target] += factor * den[j];
        }
    }
    num = bandNum;
    den = bandDen;
}

// Highest power whose coefficient is non-zero in num or den, searching down from start.
int32_t effectiveDegree(const Coefficients& num, const Coefficients& den, int32_t start) {
    int32_t degree = start;
    while (degree > 0 && num[degree] == 0.0 && den[degree] == 0.0)
        --degree;
    return degree;
}

}  // namespace

int32_t fallingFactorial(int32_t a, int32_t b) {
    if (a < 0 || b < 0 || b > a) return -1;
    int32_t result = 1;
    for (int32_t factor = a; factor > a - b; --factor)
        result *= factor;
    return result;
}

double binomial(int32_t n, int32_t k) {
    const int32_t numerator = fallingFactorial(n, n);
    const int32_t denominator = fallingFactorial(n - k, n - k) * fallingFactorial(k, k);
    return static_cast<double>(numerator) / static_cast<double>(denominator);
}

void butterworthSection(int32_t order, int32_t section, Coefficients& num, Coefficients& den,
                        int32_t count) {
    const double theta = kPi * static_cast<double>(order + 2 * section - 1) / (2.0 * order);
    num[0] = 1.0;
    num[1] = 0.0;
    num[2] = 0.0;
    den[0] = 1.0;
    den[1] = -2.0 * std::cos(theta);
    den[2] = 1.0;
    for (int32_t j = kPrototypeDegree + 1; j < std::min(count, kMaxCoefficients); ++j) {
        num[j] = 0.0;
        den[j] = 0.0;
    }
}

void transformPrototype(Coefficients& num, Coefficients& den, int32_t type, double w1, double w2,
                        Coefficients& numOut, Coefficients& denOut) {
    const int32_t degree = effectiveDegree(num, den, kPrototypeDegree);
    const double alpha = std::tan(kPi * w1);
    const bool inverted = type == HighPass || type == BandStop;
    const bool twoEdged = type == BandPass || type == BandStop;
    if (inverted) {
        // s -> 1/s, multiplied through by s^degree.
        reverse(num, degree);
        reverse(den, degree);
    }
    if (twoEdged) {
        bandTransform(num, den, degree, alpha, std::tan(kPi * w2));
        bilinearTransform(num, den, numOut, denOut, 2 * degree + 1);
    } else {
        scaleFrequency(num, den, degree, alpha);
        bilinearTransform(num, den, numOut, denOut, degree + 1);
    }
}

void bilinearTransform(const Coefficients& num, const Coefficients& den, Coefficients& numOut,
                       Coefficients& denOut, int32_t count) {
    const int32_t m = effectiveDegree(num, den, std::clamp(count - 1, 0, kMaxCoefficients - 1));
    if (m == 0) return;

    // matrix[j][k]: coefficient of z^-j in (1 - z^-1)^k (1 + z^-1)^(m - k).
    double matrix[kMaxCoefficients][kMaxCoefficients];
    for (int32_t k = 0; k <= m; ++k)
        matrix[0][k] = 1.0;
    double running = 1.0;
    for (int32_t j = 1; j <= m; ++j) {
        running = running * (m - j + 1) / j;
        matrix[j][0] = running;
    }
    for (int32_t j = 1; j <= m; ++j) {
        for (int32_t k = 1; k <= m; ++k) {
            matrix[j][k] = matrix[j][k - 1] - matrix[j - 1][k] - matrix[j - 1][k - 1];
        }
    }

    for (int32_t n = m; n >= 0; --n) {
        double b = 0.0;
        double a = 0.0;
        for (int32_t k = 0; k <= m; ++k) {
            b += matrix[n][k] * num[k];
            a += matrix[n][k] * den[k];
        }
        numOut[n] = b;
        denOut[n] = a;
    }
    const double a0 = denOut[0];
    for (int32_t n = 0; n <= m; ++n)
        numOut[n] /= a0;
    for (int32_t n = 1; n <= m; ++n)
        denOut[n] /= a0;
}

DesignResult designButterworth(int32_t type, float f1, float f2, double sampleRate, int32_t order,
                               std::span<Coefficients> numerators,
                               std::span<Coefficients> denominators) {
    int32_t status = kDesignOk;
    float lower = f1;
    float upper = f2;
    if (type == HighPass) {
        lower = f2;
    } else {
        if (type >= BandPass && f1 > f2) {
            lower = f2;
            upper = f1;
            status = kDesignEdgesExchanged;
        }
        if (type < LowPass || type > BandStop) {
            type = LowPass;
            status = kDesignTypeReplaced;
        }
    }
    // Written so that an undefined upper edge is replaced too.
    if (!(upper <= sampleRate * kNyquistFraction)) {
        upper = static_cast<float>(sampleRate * kUpperLimitFraction);
        status = kDesignUpperLimited;
    }
    if (!(lower >= 0.0f)) {
        lower = kLowestEdge;
        status = kDesignLowerRaised;
    }
    const double w1 = lower / sampleRate;
    const double w2 = upper / sampleRate;
    const int32_t count = type < BandPass ? kSecondOrderCoefficients : kFourthOrderCoefficients;

    const size_t sections = std::min(
        {static_cast<size_t>(std::max(order / 2, 0)), numerators.size(), denominators.size()});
    for (size_t s = 0; s < sections; ++s) {
        Coefficients num{};
        Coefficients den{};
        Coefficients digitalNum{};
        Coefficients digitalDen{};
        butterworthSection(order, static_cast<int32_t>(s) + 1, num, den, count);
        transformPrototype(num, den, type, w1, w2, digitalNum, digitalDen);
        numerators[s].fill(0.0);
        denominators[s].fill(0.0);
        for (int32_t j = 0; j < count; ++j)
            numerators[s][j] = digitalNum[j];
        for (int32_t j = 0; j + 1 < count; ++j)
            denominators[s][j] = digitalDen[j + 1];
    }
    return {count, status};
}

}  // namespace marrowfold
