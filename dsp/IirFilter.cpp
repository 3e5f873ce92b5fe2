#include "dsp/IirFilter.h"

#include <algorithm>

#include "dsp/SectionKernels.h"

namespace marrowfold {

namespace {

constexpr int32_t kSmallestOrder = 2;

int32_t correctedOrder(int32_t order) {
    if (order <= 0) return kSmallestOrder;
    return order % 2 == 0 ? order : order + 1;
}

}  // namespace

IirFilter::IirFilter(int32_t channels, float sampleRate, int32_t type, float f1, float f2,
                     int32_t order)
    : channelCount_(std::max(channels, 0)),
      sampleRate_(sampleRate),
      order_(correctedOrder(order)),
      sectionCount_(order_ / 2),
      numerators_(static_cast<size_t>(sectionCount_), Coefficients{}),
      denominators_(static_cast<size_t>(sectionCount_), Coefficients{}),
      inputHistory_(static_cast<size_t>(channelCount_) * static_cast<size_t>(sectionCount_),
                    Coefficients{}),
      outputHistory_(inputHistory_.size(), Coefficients{}) {
    design(type, f1, f2);
}

IirFilter::~IirFilter() = default;

void IirFilter::design(int32_t type, float f1, float f2) {
    const DesignResult result =
        designButterworth(type, f1, f2, sampleRate_, order_, numerators_, denominators_);
    coefficientCount_ = result.coefficientCount;
    status_ = result.status;
    ++designCount_;
}

void IirFilter::process(float* const* in, float* const* out, int32_t frames) {
    const bool secondOrder = coefficientCount_ == kSecondOrderCoefficients;
    for (int32_t ch = 0; ch < channelCount_; ++ch) {
        for (int32_t s = 0; s < sectionCount_; ++s) {
            const float* source = s == 0 ? in[ch] : out[ch];
            Coefficients& x = inputHistory_[historyIndex(ch, s)];
            Coefficients& y = outputHistory_[historyIndex(ch, s)];
            if (secondOrder) {
                runSecondOrderSection(numerators_[s], denominators_[s], x, y, source, out[ch],
                                      frames);
            } else {
                runFourthOrderSection(numerators_[s], denominators_[s], x, y, source, out[ch],
                                      frames);
            }
            settleSectionHistory(x, y, coefficientCount_);
        }
    }
}

void IirFilter::copyDesign(const IirFilter& other) {
    std::copy(other.numerators_.begin(), other.numerators_.end(), numerators_.begin());
    std::copy(other.denominators_.begin(), other.denominators_.end(), denominators_.begin());
    coefficientCount_ = other.coefficientCount_;
    status_ = other.status_;
    ++designCount_;
}

void IirFilter::copyHistories(const IirFilter& other) {
    std::copy(other.inputHistory_.begin(), other.inputHistory_.end(), inputHistory_.begin());
    std::copy(other.outputHistory_.begin(), other.outputHistory_.end(), outputHistory_.begin());
    ++resetCount_;
}

void IirFilter::reset() {
    const auto clear = [this](Coefficients& history) {
        std::fill_n(history.begin(), std::clamp(coefficientCount_, 0, kMaxCoefficients), 0.0);
    };
    std::for_each(inputHistory_.begin(), inputHistory_.end(), clear);
    std::for_each(outputHistory_.begin(), outputHistory_.end(), clear);
    ++resetCount_;
}

}  // namespace marrowfold
