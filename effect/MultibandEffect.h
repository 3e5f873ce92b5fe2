#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "core/HostEffectExt.h"
#include "effect/AnalysisTap.h"
#include "effect/EditorRelay.h"
#include "effect/HostMeterLevels.h"

namespace marrowfold {

struct BandControls;
class DistortionParameters;
class DspEngine;
enum class OutputMode;
class MultibandEffect;

// Makes the editor object for an effect; the editor registers itself with the effect.
using EditorFactory = EditorNotifications* (*)(MultibandEffect& effect,
                                               DistortionParameters& model);

// The four-band distortion: owns the parameter model, the processing engine, the stored
// programs and the editor object, and answers the host's requests about them.
class MultibandEffect : public HostEffectExt {
  public:
    explicit MultibandEffect(HostCallback hostCallback, EditorFactory factory = nullptr);
    ~MultibandEffect() override;

    // Parameters and programs.
    void writeParameter(int32_t index, float value) override;
    float readParameter(int32_t index) override;
    void selectProgram(int32_t program) override;
    void renameProgram(char* name) override;
    void copyProgramName(char* dst) override;
    void copyParameterUnit(int32_t index, char* dst) override;
    void copyParameterText(int32_t index, char* dst) override;
    void copyParameterTitle(int32_t index, char* dst) override;
    int32_t saveState(void** data, bool isProgram) override;
    int32_t restoreState(void* data, int32_t bytes, bool isProgram) override;

    // Audio thread.
    void processAdd(float** inputs, float** outputs, int32_t frames) override;
    void processReplace(float** inputs, float** outputs, int32_t frames) override;

    void onClose() override;
    void changeSampleRate(float rate) override;
    void changeBlockSize(int32_t frames) override;
    void onActivate() override;
    int32_t pluginCategory() override;
    bool vendorName(char* text) override;
    int32_t vendorSpecific(int32_t index, intptr_t value, void* ptr, float opt) override;

    virtual bool initialize();
    virtual EditorNotifications* createEditor();
    virtual DspEngine* createEngine(int32_t inputs, double rate, int32_t outputs);
    virtual void storeProgram(int32_t program);
    virtual int32_t loadProgram(int32_t program);

    int32_t countInputs();
    int32_t countOutputs();

    // State a host cannot see; read by tests and the editor.
    DistortionParameters* parameterModel() const { return model.get(); }
    DspEngine* processingEngine() const { return engine.get(); }
    bool isEngineReady() const { return engineReady.load() != 0; }
    int32_t inputChannels() const { return activeInputs; }
    int32_t outputChannels() const { return activeOutputs; }
    int32_t storedProgramSize() const { return programSize; }
    // What an open editor window shows of the audio. Shared, because the editor object outlives
    // the effect's own members.
    const std::shared_ptr<AnalysisTap>& analysisTap() const { return tap; }

    int32_t oversampling() const { return oversamplingFactor.load(); }
    bool antialiasing() const { return antialiasingOn.load(); }
    bool smoothing() const { return smoothingOn.load(); }
    float mixShare() const { return wetShare.load(); }
    bool isBypassed() const { return bypassed.load(); }
    bool autoGain() const { return autoGainOn.load(); }
    // Whether the host asked to hear when band editor handles are taken and let go.
    bool bandGestures() const { return bandGesturesOn.load(); }
    // The gain auto gain applied in the last block, in dB; 0 while it is off.
    float autoGainDecibels() const { return appliedGain.load(); }

  private:
    bool engineNeedsRebuild(int32_t frames) const;
    int32_t changeOversampling(float factor);
    int32_t changeAntialiasing(float on);
    int32_t bandsRequest(intptr_t value, BandControls& controls);
    template <typename Store>
    int32_t takeSetting(bool valid, Store store);
    void publishLatency();
    void runEngine(float** inputs, float** outputs, int32_t frames, OutputMode mode);
    BandLevels* startMetering(float** inputs, int32_t channels, int32_t frames);
    void finishMetering(float** produced, int32_t channels, int32_t frames,
                        const BandLevels* bands);
    bool buildProgramStore();
    void loadFactoryPrograms();

    int32_t programSize = 0;
    std::unique_ptr<DistortionParameters> model;
    std::unique_ptr<DspEngine> engine;
    std::unique_ptr<ProgramStore> programStore;
    int32_t activeInputs = 2;
    int32_t activeOutputs = 2;
    // Cleared before the engine is replaced and set once the new engine has its parameters.
    std::atomic<int16_t> engineReady{0};
    // Live outside the engine, so that a rebuilt engine keeps them, and outside the chunk.
    std::atomic<int32_t> oversamplingFactor{1};
    std::atomic<bool> antialiasingOn{false};
    // Set on any thread; read by the audio thread at the start of each block.
    std::atomic<bool> smoothingOn{false};
    std::atomic<float> wetShare{1.0f};
    std::atomic<bool> bypassed{false};
    std::atomic<bool> autoGainOn{false};
    std::atomic<bool> bandGesturesOn{false};
    // Written by the audio thread after each block; a rebuilt engine starts from it.
    std::atomic<float> appliedGain{0.0f};
    EditorFactory editorFactory;
    EditorNotifications* editorEvents = nullptr;
    EditorRelay editorRelay;
    std::shared_ptr<AnalysisTap> tap = std::make_shared<AnalysisTap>();
    HostMeterLevels hostMeters;
    BandLevels hostMeterBands;  // the bands' levels of a block the editor does not take
};

}  // namespace marrowfold
