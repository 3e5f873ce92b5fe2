#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/AutoGain.h"
#include "dsp/BandShaper.h"
#include "dsp/DryWetMix.h"
#include "dsp/Oversampling.h"
#include "dsp/ShaperPair.h"
#include "params/DistortionParameters.h"
#include "params/PresetRecord.h"

namespace marrowfold {

// Whether process writes its outputs or adds to them.
enum class OutputMode {
    // The band sum is written to out.
    Replace,
    // The band sum replaces the contents of in, and is then added to out over
    // outputChannels() channels.
    Accumulate,
};

// The effect's audio processing: four Butterworth bands, each driven through the selected
// transfer curve and summed, with its settings taken from the parameter model once per block.
// The result is mixed with the input, delayed to line up with it, by the wet share, and
// bypassing crossfades to that delayed input alone; both move along the glide curve. With
// smoothing on, changes glide (see BandShaper and BandSplitter), and a preset or program switch
// crossfades to a second shaper set up with the new preset (see ShaperPair). Auto gain, when on,
// scales the processed signal before the mix so that it is as loud as the input.
// Construction allocates (and may throw std::bad_alloc); process, applyChanges and publishClip
// never allocate, lock or print, and all three run on the audio thread.
class DspEngine {
  public:
    // sampleRate is truncated to whole Hz; outputs 0 means as many outputs as inputs.
    DspEngine(int32_t blockSize, int32_t inputs, double sampleRate, int32_t outputs);
    virtual ~DspEngine();
    DspEngine(const DspEngine&) = delete;
    DspEngine& operator=(const DspEngine&) = delete;

    virtual void process(float** in, float** out, int32_t frames, OutputMode mode);

    // Takes the parameters marked changed in the model and applies them. Through parameter 8 it
    // copies the current preset and re-applies the drives and edges that "Modify" names. This is
    // where the engine learns of every change of a parameter, a preset or a program.
    void applyChanges(DistortionParameters& model);

    // Hands the clip flag to parameter 14 and clears it.
    void publishClip(DistortionParameters& model);

    // Chooses the kernels process runs (see BandShaper::useKernelSet); the engine starts on the
    // fastest the processor has. Allocates: not for the audio thread.
    bool useKernelSet(KernelSet set) {
        return shapers_.forBoth([set](BandShaper& shaper) { return shaper.useKernelSet(set); });
    }
    bool useKernelSet(KernelSet set, ResamplingRounding rounding) {
        return shapers_.forBoth(
            [=](BandShaper& shaper) { return shaper.useKernelSet(set, rounding); });
    }
    KernelSet kernelSet() const { return shapers_.heard().kernelSet(); }

    // Asks for shaping at factor times the sample rate (1, 2, 4, 8 or 16; anything else is
    // refused and changes nothing). Safe on any thread while process runs on another: the
    // next process call takes the factor up, and starts its resampling from silence.
    bool requestOversampling(int32_t factor);
    int32_t oversampling() const { return requestedFactor_.load(std::memory_order_relaxed); }
    // Asks for the shaping to be anti-aliased (see BandShaper::setAntialiasing), at any factor.
    // Safe on any thread while process runs on another; the next process call takes it up.
    void requestAntialiasing(bool on) {
        requestedAntialiasing_.store(on, std::memory_order_relaxed);
    }
    bool antialiasing() const { return requestedAntialiasing_.load(std::memory_order_relaxed); }

    // Whether changes glide (see BandShaper). Audio thread.
    void setSmoothing(bool on);
    // The share of processed signal (0..1) and whether the effect is bypassed, which sets the
    // share to 0 while it holds. Audio thread.
    void setMix(float wetShare, bool bypassed);
    // Whether auto gain is on (see AutoGain). Audio thread.
    void setAutoGain(bool on) { autoGain_->setEnabled(on); }
    // Starts auto gain at decibels, as a rebuilt engine carries on from the one before.
    void startAutoGainAt(float decibels) { autoGain_->startAt(decibels); }
    // The gain auto gain applies, in dB; 0 while it is off.
    float autoGainDecibels() const { return autoGain_->decibels(); }
    // See BandShaper::meterBandsInto. Called on the audio thread.
    void meterBandsInto(BandLevels* levels) { shapers_.meterBandsInto(levels); }

    int32_t blockSize() const { return blockSize_; }
    // The delay of the output in whole samples: that of the requested factor's resampling and of
    // the anti-aliasing when it is asked for.
    int32_t latency() const;
    int32_t inputChannels() const { return inputChannels_; }
    int32_t outputChannels() const { return outputChannels_; }
    // The shaper heard.
    const BandShaper& shaper() const { return shapers_.heard(); }
    // The shaper heard with its band filters' histories brought up to date (see
    // BandShaper::storeLaneHistories).
    const BandShaper& settledShaper() {
        shapers_.heard().storeLaneHistories();
        return shapers_.heard();
    }

  private:
    void applyTo(BandShaper& shaper, DistortionParameters& model);
    void applyPresetFields(BandShaper& shaper, int32_t modifyCode);
    void takeOversampling();
    int32_t latencyOf(int32_t factor, bool antialiased) const;
    void processPiece(float* const* in, float* const* out, int32_t frames, OutputMode mode,
                      bool blend);

    int32_t inputChannels_;
    int32_t outputChannels_;
    ShaperPair shapers_;
    PresetRecord presetCopy_{};
    int32_t blockSize_;
    std::atomic<int32_t> requestedFactor_{1};
    std::atomic<bool> requestedAntialiasing_{false};
    // Plain and anti-aliased, per number of stages.
    std::array<std::array<int32_t, kMaxOversamplingStages + 1>, 2> latencies_{};
    std::unique_ptr<DryWetMix> mix_;
    std::unique_ptr<AutoGain> autoGain_;
    // Offset channel pointers of a block that is mixed in pieces.
    std::vector<float*> pieceIn_;
    std::vector<float*> pieceOut_;
};

}  // namespace marrowfold
