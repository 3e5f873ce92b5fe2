#pragma once

#include <cstdint>
#include <vector>

#include "dsp/FilterDesign.h"

namespace marrowfold {

// A Butterworth filter held as a cascade of sections, with its own history for every channel.
// Construction allocates (and may throw std::bad_alloc); design, process and reset do not.
class IirFilter {
  public:
    // order <= 0 becomes 2 and an odd order is raised by one, so every section is complete.
    IirFilter(int32_t channels, float sampleRate, int32_t type, float f1, float f2, int32_t order);
    virtual ~IirFilter();

    // Replaces every section's coefficients; the histories stay as they are. In the effect it runs
    // on the audio thread, when a band edge moves.
    void design(int32_t type, float f1, float f2);

    // Filters channelCount() channels of frames samples. Section 0 reads in and writes out,
    // every further section works in place on out, so in and out may be the same buffers.
    // Called on the audio thread.
    void process(float* const* in, float* const* out, int32_t frames);

    // Clears the histories of every channel and section.
    void reset();

    // Take over another filter's coefficients, or its histories, as a crossfade ends on it. The
    // other filter has the same channels, sample rate and order. Each counts as a design, or as
    // a reset.
    void copyDesign(const IirFilter& other);
    void copyHistories(const IirFilter& other);

    int32_t channelCount() const { return channelCount_; }
    double sampleRate() const { return sampleRate_; }
    int32_t order() const { return order_; }
    int32_t sectionCount() const { return sectionCount_; }
    int32_t coefficientCount() const { return coefficientCount_; }
    int32_t status() const { return status_; }
    // Counts of the designs and the resets so far, so that a copy of the coefficients or of the
    // histories held elsewhere can tell it is out of date.
    uint32_t designCount() const { return designCount_; }
    uint32_t resetCount() const { return resetCount_; }
    const Coefficients& numerators(int32_t section) const { return numerators_[section]; }
    const Coefficients& denominators(int32_t section) const { return denominators_[section]; }
    const Coefficients& inputHistory(int32_t channel, int32_t section) const {
        return inputHistory_[historyIndex(channel, section)];
    }
    const Coefficients& outputHistory(int32_t channel, int32_t section) const {
        return outputHistory_[historyIndex(channel, section)];
    }
    // The lane kernels store a section's histories back here; writing through these counts as
    // neither a design nor a reset.
    Coefficients& inputHistory(int32_t channel, int32_t section) {
        return inputHistory_[historyIndex(channel, section)];
    }
    Coefficients& outputHistory(int32_t channel, int32_t section) {
        return outputHistory_[historyIndex(channel, section)];
    }

  private:
    size_t historyIndex(int32_t channel, int32_t section) const {
        return static_cast<size_t>(channel) * static_cast<size_t>(sectionCount_) +
               static_cast<size_t>(section);
    }

    int32_t channelCount_;
    double sampleRate_;
    int32_t order_;
    int32_t sectionCount_;
    int32_t coefficientCount_ = 0;
    int32_t status_ = kDesignOk;
    uint32_t designCount_ = 0;
    uint32_t resetCount_ = 0;
    std::vector<Coefficients> numerators_;
    std::vector<Coefficients> denominators_;
    std::vector<Coefficients> inputHistory_;   // per channel, per section
    std::vector<Coefficients> outputHistory_;  // per channel, per section
};

}  // namespace marrowfold
