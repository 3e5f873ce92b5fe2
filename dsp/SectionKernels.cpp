#include "dsp/SectionKernels.h"

#include <algorithm>
#include <cmath>

namespace marrowfold {

namespace {

// History entries a section's recursion uses: two for a second-order section, four otherwise.
int32_t historyLength(int32_t coefficientCount) {
    return coefficientCount == kSecondOrderCoefficients ? 2 : 4;
}

}  // namespace

void runSecondOrderSection(const Coefficients& numerators, const Coefficients& denominators,
                           Coefficients& inputHistory, Coefficients& outputHistory,
                           const float* source, float* dest, int32_t frames) {
    const double b0 = numerators[0];
    const double b1 = numerators[1];
    const double b2 = numerators[2];
    const double a1 = denominators[0];
    const double a2 = denominators[1];
    double x1 = inputHistory[0];
    double x2 = inputHistory[1];
    double y1 = outputHistory[0];
    double y2 = outputHistory[1];
    for (int32_t n = 0; n < frames; ++n) {
        const double x = source[n];
        const double y = b1 * x1 + (b2 * x2 + b0 * x) - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        dest[n] = static_cast<float>(y);
    }
    inputHistory[0] = x1;
    inputHistory[1] = x2;
    outputHistory[0] = y1;
    outputHistory[1] = y2;
}

void runFourthOrderSection(const Coefficients& numerators, const Coefficients& denominators,
                           Coefficients& inputHistory, Coefficients& outputHistory,
                           const float* source, float* dest, int32_t frames) {
    const double b0 = numerators[0];
    const double b2 = numerators[2];
    const double b4 = numerators[4];
    const double a1 = denominators[0];
    const double a2 = denominators[1];
    const double a3 = denominators[2];
    const double a4 = denominators[3];
    double x1 = inputHistory[0];
    double x2 = inputHistory[1];
    double x3 = inputHistory[2];
    double x4 = inputHistory[3];
    double y1 = outputHistory[0];
    double y2 = outputHistory[1];
    double y3 = outputHistory[2];
    double y4 = outputHistory[3];
    for (int32_t n = 0; n < frames; ++n) {
        const double x = source[n];
        const double y = b2 * x2 + (b4 * x4 + b0 * x) - a4 * y4 - a3 * y3 - a2 * y2 - a1 * y1;
        x4 = x3;
        x3 = x2;
        x2 = x1;
        x1 = x;
        y4 = y3;
        y3 = y2;
        y2 = y1;
        y1 = y;
        dest[n] = static_cast<float>(y);
    }
    inputHistory[0] = x1;
    inputHistory[1] = x2;
    inputHistory[2] = x3;
    inputHistory[3] = x4;
    outputHistory[0] = y1;
    outputHistory[1] = y2;
    outputHistory[2] = y3;
    outputHistory[3] = y4;
}

void settleSectionHistory(Coefficients& inputHistory, Coefficients& outputHistory,
                          int32_t coefficientCount) {
    const int32_t used = historyLength(coefficientCount);
    const auto begin = outputHistory.begin();
    const bool sane =
        std::all_of(begin, begin + used, [](double y) { return std::fabs(y) <= kRunawayLevel; });
    if (!sane) {
        std::fill(inputHistory.begin(), inputHistory.begin() + used, 0.0);
        std::fill(begin, begin + used, 0.0);
    } else if (std::fabs(outputHistory[0]) < kSilenceThreshold) {
        std::fill(begin, begin + used, 0.0);
    }
}

}  // namespace marrowfold
