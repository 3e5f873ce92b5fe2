#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace marrowfold {

// Butterworth design of a cascade of second- or fourth-order sections.
//
// Analog polynomials are held in ascending powers of s (c[0] + c[1]*s + c[2]*s^2 + ...),
// digital ones in ascending powers of z^-1. A digital section is
//   H(z) = (b0 + b1 z^-1 + ... ) / (1 + a1 z^-1 + ... ),
// with a0 = 1 not stored.

enum FilterType : int32_t { LowPass = 1, HighPass = 2, BandPass = 3, BandStop = 4 };

// Coefficients per section: b0..b2 of a second-order section, b0..b4 of a fourth-order one.
inline constexpr int32_t kSecondOrderCoefficients = 3;
inline constexpr int32_t kFourthOrderCoefficients = 5;
inline constexpr int32_t kMaxCoefficients = kFourthOrderCoefficients;
using Coefficients = std::array<double, kMaxCoefficients>;

// Status codes of a design: the code of the last correction made to its inputs.
inline constexpr int32_t kDesignOk = 0;
inline constexpr int32_t kDesignEdgesExchanged = -3;
inline constexpr int32_t kDesignTypeReplaced = -4;
inline constexpr int32_t kDesignUpperLimited = -5;
inline constexpr int32_t kDesignLowerRaised = -6;

struct DesignResult {
    int32_t coefficientCount;  // 3 for second-order sections, 5 for fourth-order ones
    int32_t status;
};

// a * (a - 1) * ... * (a - b + 1); 1 when b is 0; -1 when a < 0, b < 0 or b > a.
// 32-bit arithmetic: valid for a <= 12.
int32_t fallingFactorial(int32_t a, int32_t b);

// n! / ((n - k)! k!) from 32-bit factorials, divided in double. Valid for n <= 12.
double binomial(int32_t n, int32_t k);

// Analog prototype of section i (1-based) of an order-N normalised Butterworth low-pass:
// num = 1, den = 1 - 2 cos(theta) s + s^2 with theta = pi (N + 2i - 1) / (2N), zero-padded to
// count entries.
void butterworthSection(int32_t order, int32_t section, Coefficients& num, Coefficients& den,
                        int32_t count);

// Maps an analog low-pass prototype (cut-off 1 rad/s) to the requested type with edges pre-warped
// to tan(pi w), then to the digital domain. num and den are rewritten in the process.
void transformPrototype(Coefficients& num, Coefficients& den, int32_t type, double w1, double w2,
                        Coefficients& numOut, Coefficients& denOut);

// Substitutes s = (1 - z^-1) / (1 + z^-1) and normalises by the constant denominator term.
// numOut[0..m] and denOut[1..m] receive the result; denOut[0] keeps the unnormalised constant
// term. When the polynomials are constant, the outputs keep their contents.
void bilinearTransform(const Coefficients& num, const Coefficients& den, Coefficients& numOut,
                       Coefficients& denOut, int32_t count);

// Designs order / 2 sections of the given type into numerators and denominators (one entry per
// section), correcting invalid inputs. Only f1 enters a low-pass and f2 a high-pass design.
DesignResult designButterworth(int32_t type, float f1, float f2, double sampleRate, int32_t order,
                               std::span<Coefficients> numerators,
                               std::span<Coefficients> denominators);

}  // namespace marrowfold
