#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "dsp/AntialiasedShaping.h"
#include "dsp/BandLanes.h"
#include "dsp/BandLevels.h"
#include "dsp/BandSplitter.h"
#include "dsp/Glide.h"
#include "dsp/KernelSet.h"
#include "dsp/OversampledShaping.h"
#include "dsp/ShapeCurves.h"

namespace marrowfold {

// Drives each band through a transfer curve: v = band sample * inputGain * driveGains[b], limited
// to -1..1 (recording clipFlag when it had to be), looked up in the shape table, then scaled by
// outputGain * makeupGain * levelGains[b]. Gains are given in dB and held as linear factors.
// Oversampled, the shaping reads the smooth curve the table samples (SmoothCurve.h) instead.
// The setters run on the audio thread (inside a process call).
//
// With smoothing on, a change of the gains, the curve or the solo after audio has passed glides:
// the bands are shaped twice, with the setting in effect before (every band's drive, level and
// the curve) and with the new one, and the output crossfades from the one to the other along the
// glide curve instead of stepping. The solo takes part as levels: while a glide runs, every band
// is summed and a band the solo leaves out has level 0. Before any audio (and after reset)
// changes take hold at once.
//
// Processing runs on the fastest lane kernels the processor has where the layout fits them (four
// bands, one or two channels, fourth-order band filters), else on the reference kernels; both
// give the same output bit for bit.
class BandShaper : public BandSplitter {
  public:
    // Starts with shape 1, every gain at 0 dB, no clip and no solo.
    BandShaper(int32_t sampleRate, int32_t channels, int32_t blockSize, int32_t bandCount,
               int32_t filterOrder);
    ~BandShaper() override;

    // Makes processing run on set. The reference kernels are always taken; lane kernels only
    // where the processor has their instruction set and the layout fits them, otherwise this
    // returns false and changes nothing. Allocates: not for the audio thread.
    bool useKernelSet(KernelSet set) { return useKernelSet(set, kernelSetRounding(set)); }
    // The same with the resampling rounded as told: any rounding the processor can do for the
    // reference kernels, only their own for the lane kernels (see kernelSetRounding).
    bool useKernelSet(KernelSet set, ResamplingRounding rounding);
    KernelSet kernelSet() const { return kernelSet_; }
    // The lane kernels carry the band filters' histories between blocks; this writes them into
    // the filters, for a look at them. Not for the audio thread while process runs.
    void storeLaneHistories();

    // Works in place on bands[band][channel]. Called on the audio thread.
    void shapeBands(float* const* const* bands, int32_t frames) override;

    // Clears the band filters and the resampling histories.
    void reset() override;

    // Takes over another shaper's setting (gains, curve, solo, edges and smoothing), which has
    // the same layout, and resets: it then sounds like the other once its filters have run.
    void copySettings(const BandShaper& other);

    // Shapes (and sums) the bands at factor times the sample rate: 1 (the bands at the sample
    // rate, as without oversampling), 2, 4, 8 or 16; any other factor is refused and changes
    // nothing. A new factor starts its resampling from silence. Allocates nothing, so it may run
    // on the audio thread.
    bool setOversampling(int32_t factor);
    int32_t oversampling() const { return oversampled_->factor(); }

    // Anti-aliases the shaping with the curves' antiderivatives (see AntialiasedShaping.h), at
    // any factor; off at construction. The shaping then delays by kAntialiasingDelay samples at
    // its rate, which the resampling pads to whole base-rate samples (see oversamplingLatency).
    // Switching it, like a new factor, starts the resampling and the anti-aliasing from silence.
    // While a glide runs, the setting glided from is shaped from a copy of the lanes' history
    // and the one glided to from the history itself, which it carries on. Allocates nothing, so
    // it may run on the audio thread.
    void setAntialiasing(bool on);
    bool antialiasing() const { return antialiasing_; }

    // Called before the setters of one change (gains, curve, solo): with smoothing on and audio
    // heard, the setting in effect now becomes the starting point of a glide to the new one. A
    // glide under way goes on from the factors it has reached and, between two curves, from the
    // nearer one.
    void beginGlide();
    bool gliding() const { return glide_.moving(); }
    // While levels is not null, every processed piece adds the shaped bands' levels to it, taken
    // where the shaping runs (at the oversampled rate when oversampling) with the sums of squares
    // counted over base-rate frames; the audio is the same either way. Called on the audio
    // thread.
    void meterBandsInto(BandLevels* levels) { meter_ = levels; }

    // Shapes outside 0..4 select shape 0.
    void setShape(int32_t shape);
    void setInputGain(float decibels);
    void setOutputGain(float decibels);
    // band is 1-based; other bands are ignored.
    void setBandDrive(float decibels, int32_t band);
    void setBandLevel(float decibels, int32_t band);

    // 1.0 once a driven sample fell outside -1..1 since the flag was last taken, else 0.0.
    float clipFlag() const { return clipFlag_; }
    // Returns the flag and clears it.
    float takeClipFlag();

    float makeupGain() const { return makeupGain_; }
    float inputGain() const { return inputGain_; }
    float outputGain() const { return outputGain_; }
    float driveGain(int32_t band) const { return driveGains_[band]; }
    float levelGain(int32_t band) const { return levelGains_[band]; }

  protected:
    // Called on the audio thread.
    void processPiece(float* const* in, float* const* out, int32_t frames) override;
    // Every band while a glide runs, as the levels then hold the solo.
    int32_t summedBand() const override { return gliding() ? -1 : BandSplitter::summedBand(); }

  private:
    // processPiece at a factor above 1, on the lane kernels and on the reference kernels.
    void processOversampledLanes(float* const* in, float* const* out, int32_t frames);
    void processOversampledBands(float* const* in, float* const* out, int32_t frames);
    bool validBand(int32_t band) const;
    // Fills the glide weights of the next samples at the shaping rate that lie before the
    // glide's end, at most frames of them, and answers how many; moves the glide on.
    int32_t advanceGlide(int32_t frames);
    // Shapes rows of channels * 4 lanes (frames of them) on the lane kernels: with the current
    // factors, or while a glide runs, crossfading from the setting glided from.
    void shapeRows(float* rows, int32_t frames);
    void shapeRowsGliding(float* rows, int32_t frames);
    // Shapes rows on the lane kernels with the curve given, anti-aliased from history when that
    // is on; answers whether a driven sample lay beyond +-1.
    bool shapeLaneRows(const std::array<float, kLaneBands>& drive,
                       const std::array<float, kLaneBands>& level, const ShapeCurves& curves,
                       float* history, float* rows, int32_t frames);
    // Shapes frames samples of one band and channel, spaced 1 apart, with the factors and curve
    // given; anti-aliased, from the lane's entry of history, when that is on.
    struct SampleShaping {
        const ShapeCurves& curves;
        float* history;
        float drive;
        float level;
    };
    void shapeBandSamples(const SampleShaping& shaping, float* samples, int32_t frames,
                          bool& clipped) const;
    // A copy of the anti-aliasing history, for the run of the setting glided from.
    float* glidedFromHistory();
    double antialiasingCompensation() const;
    // Starts the resampling and the anti-aliasing from silence, for the factor and setting now.
    void restartShaping(int32_t factor);
    void measureBands(const float* const* const* bands, int32_t frames) const;
    float meterSquareWeight() const;
    // The factors of band b: drive before the curve, level after it; while a glide runs, the
    // level of a band the solo leaves out is 0.
    float bandDrive(int32_t band) const { return inputGain_ * driveGains_[band]; }
    float bandLevel(int32_t band) const { return outputGain_ * makeupGain_ * levelGains_[band]; }
    float glidingLevel(int32_t band) const {
        return soloActive() && band != soloBand() ? 0.0f : bandLevel(band);
    }

    // The curve in use: the table at the sample rate, its smooth form at oversampled rates, or
    // its antiderivatives with anti-aliasing on.
    const ShapeCurves* curves_ = nullptr;
    float makeupGain_ = 1.0f;
    float inputGain_ = 1.0f;
    float outputGain_ = 1.0f;
    std::vector<float> driveGains_;
    std::vector<float> levelGains_;
    float clipFlag_ = 0.0f;
    // The weight of the setting glided to against the one glided from, 0 to 1; its position
    // counts samples at the sample rate.
    Glide glide_;
    // The setting glided from: every band's drive and level (solo included), and the curve.
    std::vector<float> glideFromDrive_;
    std::vector<float> glideFromLevel_;
    const ShapeCurves* glideFromCurves_ = nullptr;
    std::unique_ptr<float[]> glideWeights_;  // one piece at the shaping rate
    // One piece of band signals (every lane's rows, or one band and channel at a time) shaped
    // with the setting glided to.
    AlignedFloats glideTo_;
    KernelSet kernelSet_ = KernelSet::Reference;
    std::unique_ptr<BandLanes> lanes_;  // null while the reference kernels run
    bool antialiasing_ = false;
    // kAntialiasingHistory rows of channels * bandCount lanes (lane = channel * bandCount + band),
    // and room for a copy of them.
    std::vector<float> antialiasingHistory_;
    std::vector<float> glidedFromHistory_;
    std::unique_ptr<OversampledShaping> oversampled_;
    BandLevels* meter_ = nullptr;
};

// 10^(dB / 20).
float decibelsToGain(float decibels);

}  // namespace marrowfold
