#include "effect/MultibandEffect.h"

#include <cmath>
#include <cstring>
#include <new>

#include "core/HostEditor.h"
#include "core/Numeric.h"
#include "core/VendorRequests.h"
#include "dsp/DspEngine.h"
#include "effect/EditorNotifications.h"
#include "params/BandControls.h"
#include "params/DistortionParameters.h"
#include "params/ProgramStore.h"

namespace marrowfold {

namespace {

constexpr int32_t kPluginId = fourCharCode("MRFD");
constexpr char kVendorText[] = "Pellmoor Acoustics";
constexpr int32_t kEffectCategory = 1;
constexpr float kStartSampleRate = 44100.0f;
constexpr int32_t kStereo = 2;

// The argument of an on/off request: exactly 0 or 1, anything else is refused.
bool validSwitch(float value) {
    return value == 0.0f || value == 1.0f;
}

}  // namespace

MultibandEffect::MultibandEffect(HostCallback hostCallback, EditorFactory factory)
    : HostEffectExt(hostCallback, kProgramCount, kHostParameterCount), editorFactory(factory) {
    assignInputCount(kStereo);
    assignOutputCount(kStereo);
    assignPluginId(kPluginId);
    enableMono(true);
    enableReplacing(true);
    enableChunkState(true);
}

// Storage, model and engine go first; the base class then deletes the editor object, whose
// destructor therefore must not use the model.
MultibandEffect::~MultibandEffect() {
    engineReady = 0;
    programStore.reset();
    model.reset();
    engine.reset();
}

bool MultibandEffect::initialize() {
    try {
        model = std::make_unique<DistortionParameters>();
    } catch (const std::bad_alloc&) {
        return false;
    }
    createEditor();
    if (editorEvents) editorEvents->setHostFreshFlag(1);
    changeSampleRate(kStartSampleRate);
    if (!buildProgramStore()) return false;
    loadFactoryPrograms();
    if (editor) selectProgram(0);
    return true;
}

EditorNotifications* MultibandEffect::createEditor() {
    if (editorFactory == nullptr || !model) return nullptr;
    try {
        editorEvents = editorFactory(*this, *model);
    } catch (...) {
        // A half-built editor has already been torn down; forget its registration.
        editorEvents = nullptr;
        registerEditor(nullptr);
    }
    editorRelay.connect(editorEvents);
    return editorEvents;
}

DspEngine* MultibandEffect::createEngine(int32_t inputs, double rate, int32_t outputs) {
    try {
        engine = std::make_unique<DspEngine>(blockSize, inputs, rate, outputs);
    } catch (...) {
        engine.reset();
    }
    return engine.get();
}

int32_t MultibandEffect::countInputs() {
    const bool stereo = record.inputCount != 1 && isInputWired(0) && isInputWired(1);
    return stereo ? 2 : 1;
}

int32_t MultibandEffect::countOutputs() {
    const bool stereo = record.outputCount != 1 && isOutputWired(0) && isOutputWired(1);
    return stereo ? 2 : 1;
}

// Rebuilds the engine for the current block size and wiring. Runs on the control thread, or
// on the audio thread when a block longer than the engine's arrives.
void MultibandEffect::changeSampleRate(float rate) {
    // A rate that is not a positive number would only produce a broken engine.
    if (!(rate > 0.0f) || !std::isfinite(rate)) return;
    sampleRate = rate;
    if (model) model->markAllNotifyChanged();
    engineReady = 0;
    engine.reset();
    activeInputs = countInputs();
    activeOutputs = countOutputs();
    if (model && createEngine(activeInputs, rate, activeOutputs) != nullptr) {
        engine->requestOversampling(oversamplingFactor.load());
        engine->requestAntialiasing(antialiasingOn.load());
        engine->setAutoGain(autoGainOn.load());
        engine->startAutoGainAt(appliedGain.load());
        assignLatency(engine->latency());
        engine->applyChanges(*model);
        engineReady = 1;
    }
    if (editorEvents) editorEvents->sampleRateChanged(rate);
}

void MultibandEffect::changeBlockSize(int32_t frames) {
    if (editorEvents) editorEvents->setHostFreshFlag(0);
    blockSize = frames;
    changeSampleRate(sampleRate);
}

void MultibandEffect::onActivate() {
    const int32_t inputs = countInputs();
    const int32_t outputs = countOutputs();
    if (inputs == activeInputs && outputs == activeOutputs) return;
    changeSampleRate(sampleRate);
}

void MultibandEffect::onClose() {}

int32_t MultibandEffect::pluginCategory() {
    return kEffectCategory;
}

bool MultibandEffect::vendorName(char* text) {
    if (text != nullptr) std::memcpy(text, kVendorText, sizeof kVendorText);
    return true;
}

// The host sets the oversampling, anti-aliasing, smoothing, mix, bypass and auto gain, reads and
// edits the bands, asks to hear of band editor drags, reads the meters and the gain auto gain
// applies, reports mouse-wheel turns over the editor and tells the scale factor of its own user
// interface through these requests.
int32_t MultibandEffect::vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) {
    if (index == kOversamplingRequestIndex && value == kOversamplingRequestValue) {
        return changeOversampling(opt);
    }
    if (index == kAntialiasingRequestIndex && value == kAntialiasingRequestValue) {
        return changeAntialiasing(opt);
    }
    if (index == kSmoothingRequestIndex && value == kSmoothingRequestValue) {
        return takeSetting(validSwitch(opt), [&] { smoothingOn = opt == 1.0f; });
    }
    if (index == kMixRequestIndex && value == kMixRequestValue) {
        return takeSetting(validMixPercent(opt), [&] { wetShare = opt / kFullMixPercent; });
    }
    if (index == kBypassRequestIndex && value == kBypassRequestValue) {
        return takeSetting(validSwitch(opt), [&] { bypassed = opt == 1.0f; });
    }
    if (index == kBandGestureIndex && value == kBandGestureOnValue) {
        bandGesturesOn = true;
        return 1;
    }
    if (index == kBandsRequestIndex && ptr != nullptr && model) {
        return bandsRequest(value, *static_cast<BandControls*>(ptr));
    }
    if (index == kAutoGainRequestIndex && value == kAutoGainRequestValue) {
        return takeSetting(validSwitch(opt), [&] { autoGainOn = opt == 1.0f; });
    }
    if (index == kAutoGainReadingIndex && value == kAutoGainReadingValue && ptr != nullptr) {
        *static_cast<float*>(ptr) = appliedGain.load();
        return 1;
    }
    if (index == kMeterRequestIndex && value == kMeterRequestValue && ptr != nullptr) {
        hostMeters.take(static_cast<float*>(ptr));
        return 1;
    }
    if (editor == nullptr) return 0;
    if (index == kWheelRequestIndex && value == kWheelRequestValue) {
        return editor->wheelTurned(opt) == 1 ? 1 : 0;
    }
    if (index == kScaleRequestIndex && value == kScaleRequestValue) {
        return editor->hostScaleFactor(opt) == 1 ? 1 : 0;
    }
    return 0;
}

// The editor follows a host's edit of the bands from its idle.
int32_t MultibandEffect::bandsRequest(intptr_t value, BandControls& controls) {
    if (value == kBandsReadValue) {
        controls = readBandControls(*model);
        return 1;
    }
    if (value != kBandsEditValue) return 0;
    if (editBandControls(*model, controls, truncateToInt32(sampleRate)) && editorEvents)
        editorEvents->parameterChanged(ParamBank, 0.0f);
    return 1;
}

int32_t MultibandEffect::changeOversampling(float factor) {
    // Checked as a float, so that nothing beyond int32's range is ever converted.
    if (!validOversamplingFactor(factor)) return 0;
    if (engineReady == 0 || !engine->requestOversampling(static_cast<int32_t>(factor))) return 0;
    oversamplingFactor = static_cast<int32_t>(factor);
    publishLatency();
    return 1;
}

int32_t MultibandEffect::changeAntialiasing(float on) {
    if (!validSwitch(on) || engineReady == 0) return 0;
    antialiasingOn = on == 1.0f;
    engine->requestAntialiasing(antialiasingOn);
    publishLatency();
    return 1;
}

// A setting is taken when its argument is valid and the engine exists; the audio thread hands
// it to the engine at the start of the next block.
template <typename Store>
int32_t MultibandEffect::takeSetting(bool valid, Store store) {
    if (!valid || engineReady == 0) return 0;
    store();
    return 1;
}

// Hosts read the record's latency again when told that the inputs and outputs changed.
void MultibandEffect::publishLatency() {
    const int32_t latency = engine->latency();
    if (latency == record.latency) return;
    assignLatency(latency);
    tellIoChanged();
}

}  // namespace marrowfold
