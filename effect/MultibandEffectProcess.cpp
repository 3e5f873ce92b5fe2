// The two audio entry points of the effect. Both run on the host's audio thread; apart from
// an engine rebuild for a longer block than announced they neither allocate nor lock.
#include <algorithm>
#include <cstring>

#include "dsp/DspEngine.h"
#include "effect/MultibandEffect.h"
#include "params/DistortionParameters.h"
#include "params/EditorProtocol.h"

namespace marrowfold {

// A block longer than the announced block size, or longer than the block the current engine
// was built for (a host may announce a larger size without a rebuild), needs a new engine.
bool MultibandEffect::engineNeedsRebuild(int32_t frames) const {
    return blockSize < frames || (engine && engine->blockSize() < frames);
}

void MultibandEffect::processAdd(float** inputs, float** outputs, int32_t frames) {
    if (frames < 0 || engineReady == 0) return;
    if (engineNeedsRebuild(frames)) {
        changeBlockSize(std::max(blockSize, frames));
        if (engineReady == 0) return;
    }
    runEngine(inputs, outputs, frames, OutputMode::Accumulate);
}

void MultibandEffect::processReplace(float** inputs, float** outputs, int32_t frames) {
    if (frames < 0) return;
    if (engineNeedsRebuild(frames)) changeBlockSize(std::max(blockSize, frames));
    if (engineReady == 0) return;
    runEngine(inputs, outputs, frames, OutputMode::Replace);
}

void MultibandEffect::runEngine(float** inputs, float** outputs, int32_t frames, OutputMode mode) {
    engine->setSmoothing(smoothingOn.load(std::memory_order_relaxed));
    engine->setMix(wetShare.load(std::memory_order_relaxed),
                   bypassed.load(std::memory_order_relaxed));
    engine->setAutoGain(autoGainOn.load(std::memory_order_relaxed));
    if (model->busyCount() == 0) engine->applyChanges(*model);
    const int32_t channels = engine->inputChannels();
    BandLevels* bands = startMetering(inputs, channels, frames);
    engine->meterBandsInto(bands);
    engine->process(inputs, outputs, frames, mode);
    appliedGain.store(engine->autoGainDecibels(), std::memory_order_relaxed);
    // A mono engine fills only the first output; the second output gets a copy, if the host
    // wired one.
    if (mode == OutputMode::Replace && activeInputs == 1 && activeOutputs == 2) {
        std::memcpy(outputs[1], outputs[0], sizeof(float) * static_cast<size_t>(frames));
    }
    // Accumulating leaves the effect's own output in the inputs.
    finishMetering(mode == OutputMode::Replace ? outputs : inputs,
                   mode == OutputMode::Replace ? std::min(channels, activeOutputs) : channels,
                   frames, bands);
    if (clipPublishDue(*model)) {
        engine->publishClip(*model);
        model->setClipRequest(0);
    }
}

// An open editor window and a host that reads meters both take the input before processing and
// the bands' levels during it; the levels are measured once for both. The peaks of a block that
// the editor's tap captures are the tap's; the host meters measure only the blocks it leaves out.
BandLevels* MultibandEffect::startMetering(float** inputs, int32_t channels, int32_t frames) {
    BandLevels* bands = tap->beginBlock(inputs, channels, frames);
    if (!hostMeters.enabled()) return bands;
    if (bands != nullptr) {
        hostMeters.raise(MeterInput, tap->levels().inputPeak);
        return bands;
    }
    hostMeters.measure(MeterInput, inputs, channels, frames);
    hostMeterBands.clear();
    return &hostMeterBands;
}

void MultibandEffect::finishMetering(float** produced, int32_t channels, int32_t frames,
                                     const BandLevels* bands) {
    const bool captured = tap->endBlock(produced, channels, frames);
    if (!hostMeters.enabled() || bands == nullptr) return;
    if (captured) {
        hostMeters.raise(MeterOutput, tap->levels().outputPeak);
    } else {
        hostMeters.measure(MeterOutput, produced, channels, frames);
    }
    hostMeters.addBands(*bands);
}

}  // namespace marrowfold
