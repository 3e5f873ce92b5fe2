#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "analysis/LoudnessMeter.h"
#include "dsp/Glide.h"

namespace marrowfold {

// Scales the processed signal so that its loudness follows the input's. Both sides are measured
// K-weighted in 400 ms blocks, gated as integrated loudness is and weighted towards the last few
// seconds; every 100 ms the gain moves part of the way to the difference, along the glide curve
// like every other gain, so that it follows the sound's loudness over seconds and not its beats.
// It holds while the input is nearly silent, so that tails and gaps do not swell, and for a
// moment after a change of the settings, so that the change itself is heard; the processed side
// is measured afresh from the change on. Switched off, it glides back to unity and then leaves the
// signal alone.
//
// Construction allocates (and may throw std::bad_alloc); nothing else does, and everything else
// runs on the audio thread.
class AutoGain {
  public:
    AutoGain(double sampleRate, int32_t channels, int32_t blockSize);

    void setEnabled(bool on);
    bool enabled() const { return enabled_; }
    // True while the gain is anything but unity or auto gain is on.
    bool active() const { return enabled_ || gain_.moving() || gain_.to() != 1.0f; }
    // Starts at decibels without a move, measuring afresh (a rebuilt engine carries on).
    void startAt(float decibels);
    // The settings changed: hold the gain for a while and measure the processed signal afresh.
    // Before any audio nothing is held.
    void hold();
    // The gain in dB that the signal is on its way to.
    float decibels() const { return decibels_; }

    // Keeps frames samples per channel of the input (frames <= the block size) for measure.
    void takeInput(const float* const* in, int32_t frames);
    // Measures wet against the input kept by takeInput and scales wet by the gain.
    void apply(float* const* wet, int32_t frames);

  private:
    void applyPiece(float* const* wet, int32_t offset, int32_t frames);
    void finishStep();
    float matchingDecibels() const;

    int32_t channels_;
    LoudnessMeter input_;
    LoudnessMeter output_;
    int32_t stepFrames_;
    int32_t stepLeft_;
    double memoryShare_;  // of the measured sums kept from one step to the next
    float followShare_;   // of the way to the loudness difference covered in one step
    int32_t holdLength_;  // steps
    int32_t holdSteps_ = 0;
    bool enabled_ = false;
    bool heard_ = false;  // audio measured since switched on
    float decibels_ = 0.0f;
    // One side's loudness over the last seconds: the mean square of the 400 ms blocks that passed
    // its relative gate, each weighted by its age, as integrated loudness gates its blocks.
    struct GatedLevel {
        double sum = 0.0;
        double weight = 0.0;

        double mean() const { return sum / weight; }
        // Ages what is held by keep and adds the block unless it falls under the gate.
        void add(double meanSquare, double keep);
    };
    GatedLevel inputLevel_;
    GatedLevel outputLevel_;
    Glide gain_;
    std::vector<std::unique_ptr<float[]>> kept_;  // per channel, one block of input
    std::vector<const float*> inputAt_;
    std::vector<const float*> outputAt_;
    std::unique_ptr<float[]> gains_;  // one block
};

}  // namespace marrowfold
