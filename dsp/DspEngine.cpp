#include "dsp/DspEngine.h"

#include <algorithm>

#include "core/Numeric.h"
#include "dsp/BlockMath.h"
#include "params/ParameterIndex.h"
#include "params/PresetRecord.h"

namespace marrowfold {

namespace {

constexpr int32_t kBandFilterOrder = 4;
constexpr double kRoundingOffset = 0.5;

// What "Modify" names in a change of the bank; any int32 can arrive here.
int32_t modifyCode(const DistortionParameters& model) {
    return truncateToInt32(model.getValue(ParamModify));
}

// Whether a change touches the shaping: a factor it multiplies by, the curve or the solo; a
// preset change that names only an edge does not.
bool changesShaping(const DistortionParameters& model) {
    for (int32_t k : {ParamBand1, ParamBand2, ParamBand3, ParamBand4, ParamIn, ParamOut, ParamShape,
                      ParamSolo}) {
        if (model.isChanged(k)) return true;
    }
    const int32_t code = modifyCode(model);
    return model.isChanged(ParamBank) &&
           (code < kFirstEdgeModifyCode || code >= kFirstEdgeModifyCode + kEdgeCount);
}

// A preset or program switch: the whole preset is to be applied again.
bool switchesPreset(const DistortionParameters& model) {
    return model.isChanged(ParamBank) && modifyCode(model) == kModifyAll;
}

// Whether a change reaches the sound: any parameter the engine follows but "Modify", which only
// comes with a change of the bank.
bool changesSound(const DistortionParameters& model) {
    return (model.changedMask() & ~(1u << ParamModify)) != 0;
}

}  // namespace

DspEngine::DspEngine(int32_t blockSize, int32_t inputs, double sampleRate, int32_t outputs)
    : inputChannels_(inputs),
      outputChannels_(outputs == 0 ? inputs : outputs),
      shapers_(truncateToInt32(sampleRate), inputs, blockSize, kBandCount, kBandFilterOrder),
      blockSize_(std::max(blockSize, 1)) {
    int32_t longest = 0;
    for (const bool antialiased : {false, true}) {
        for (int32_t s = 0; s <= kMaxOversamplingStages; ++s) {
            const int32_t latency =
                oversamplingLatency(1 << s, antialiased ? kAntialiasingDelay : 0);
            latencies_[antialiased ? 1 : 0][s] = latency;
            longest = std::max(longest, latency);
        }
    }
    mix_ = std::make_unique<DryWetMix>(inputChannels_, blockSize_, longest, sampleRate);
    autoGain_ = std::make_unique<AutoGain>(sampleRate, inputChannels_, blockSize_);
    const size_t pointers = static_cast<size_t>(std::max(inputChannels_, outputChannels_));
    pieceIn_.resize(pointers);
    pieceOut_.resize(pointers);
}

DspEngine::~DspEngine() = default;

bool DspEngine::requestOversampling(int32_t factor) {
    if (!validOversamplingFactor(factor)) return false;
    requestedFactor_.store(factor, std::memory_order_relaxed);
    return true;
}

int32_t DspEngine::latency() const {
    return latencyOf(oversampling(), antialiasing());
}

int32_t DspEngine::latencyOf(int32_t factor, bool antialiased) const {
    return latencies_[antialiased ? 1 : 0][oversamplingStages(factor)];
}

void DspEngine::takeOversampling() {
    const int32_t factor = requestedFactor_.load(std::memory_order_relaxed);
    const bool antialiased = requestedAntialiasing_.load(std::memory_order_relaxed);
    const BandShaper& heard = shapers_.heard();
    if (factor == heard.oversampling() && antialiased == heard.antialiasing()) return;
    shapers_.forBoth([factor, antialiased](BandShaper& shaper) {
        shaper.setAntialiasing(antialiased);
        return shaper.setOversampling(factor);
    });
}

void DspEngine::setSmoothing(bool on) {
    shapers_.forBoth([on](BandShaper& shaper) {
        shaper.setSmoothing(on);
        return true;
    });
}

void DspEngine::setMix(float wetShare, bool bypassed) {
    mix_->setTarget(bypassed ? 0.0f : wetShare);
}

void DspEngine::process(float** in, float** out, int32_t frames, OutputMode mode) {
    takeOversampling();
    const BandShaper& heard = shapers_.heard();
    const int32_t delay = latencyOf(heard.oversampling(), heard.antialiasing());
    const bool blend = mix_->active();
    if (!blend && !autoGain_->active()) {
        mix_->takeInput(in, frames, delay);
        processPiece(in, out, frames, mode, false);
        return;
    }
    // The mix and auto gain keep one block of input, so a longer block goes in pieces. The
    // pieces reach the channels a whole block would: replacing writes one output per input,
    // accumulating reads one input per output.
    const bool replace = mode == OutputMode::Replace;
    const int32_t inputs = replace ? inputChannels_ : std::max(inputChannels_, outputChannels_);
    const int32_t outputs = replace ? inputChannels_ : outputChannels_;
    for (int32_t done = 0; done < frames; done += blockSize_) {
        for (int32_t ch = 0; ch < inputs; ++ch)
            pieceIn_[ch] = in[ch] + done;
        for (int32_t ch = 0; ch < outputs; ++ch)
            pieceOut_[ch] = out[ch] + done;
        const int32_t piece = std::min(blockSize_, frames - done);
        mix_->takeInput(pieceIn_.data(), piece, delay);
        processPiece(pieceIn_.data(), pieceOut_.data(), piece, mode, blend);
    }
}

void DspEngine::processPiece(float* const* in, float* const* out, int32_t frames, OutputMode mode,
                             bool blend) {
    float* const* wet = mode == OutputMode::Replace ? out : in;
    autoGain_->takeInput(in, frames);
    shapers_.process(in, wet, frames);
    if (autoGain_->active()) autoGain_->apply(wet, frames);
    if (blend) mix_->blend(wet, frames);
    if (mode == OutputMode::Replace) return;
    for (int32_t ch = 0; ch < outputChannels_; ++ch)
        addBlock(out[ch], in[ch], frames);
}

// A preset or program switch made while changes glide sets up the second shaper with the new
// preset and crossfades to it; during that crossfade every change goes to that shaper.
void DspEngine::applyChanges(DistortionParameters& model) {
    if (model.changedMask() == 0) return;
    if (changesSound(model)) autoGain_->hold();
    const bool switching =
        switchesPreset(model) && shapers_.heard().glidesDue() && !shapers_.switching();
    BandShaper& shaper = switching ? shapers_.beginSwitch() : shapers_.target();
    if (!switching && changesShaping(model)) shaper.beginGlide();
    applyTo(shaper, model);
    if (switching) shapers_.startSwitch();
}

void DspEngine::applyTo(BandShaper& shaper, DistortionParameters& model) {
    for (int32_t k = ParamBand1; k <= ParamBand4; ++k) {
        if (model.isChanged(k)) shaper.setBandLevel(model.takeValue(k), k + 1);
    }
    if (model.isChanged(ParamIn)) shaper.setInputGain(model.takeValue(ParamIn));
    if (model.isChanged(ParamOut)) shaper.setOutputGain(model.takeValue(ParamOut));
    if (model.isChanged(ParamShape)) {
        shaper.setShape(truncateToInt32(model.takeValue(ParamShape) + kRoundingOffset));
    }
    if (model.isChanged(ParamSolo)) {
        shaper.selectSoloBand(truncateToInt32(model.takeValue(ParamSolo)));
    }
    if (model.isChanged(ParamBank)) {
        model.takeData(ParamBank, &presetCopy_, kPresetRecordSize, model.currentPreset());
        applyPresetFields(shaper, truncateToInt32(model.takeValue(ParamModify)));
    }
}

void DspEngine::applyPresetFields(BandShaper& shaper, int32_t modifyCode) {
    // Any int32 can arrive here, so the code is compared before anything is subtracted from it.
    if (modifyCode >= 0 && modifyCode < kBandCount) {
        shaper.setBandDrive(presetCopy_.bandDrive[modifyCode], modifyCode + 1);
    } else if (modifyCode >= kFirstEdgeModifyCode &&
               modifyCode < kFirstEdgeModifyCode + kEdgeCount) {
        const int32_t edge = modifyCode - kFirstEdgeModifyCode;
        shaper.setBandEdge(edge, presetCopy_.bandEdge[edge]);
    } else if (modifyCode == kModifyAll) {
        for (int32_t band = 0; band < kBandCount; ++band)
            shaper.setBandDrive(presetCopy_.bandDrive[band], band + 1);
        for (int32_t k = 0; k < kEdgeCount; ++k)
            shaper.setBandEdge(k, presetCopy_.bandEdge[k]);
    }
}

void DspEngine::publishClip(DistortionParameters& model) {
    model.setValue(ParamClip, shapers_.takeClipFlag());
}

}  // namespace marrowfold
