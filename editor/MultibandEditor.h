#pragma once

#include <cstdint>

#include "core/EffectEditor.h"
#include "gui/EditorBase.h"
#include "params/PresetRecord.h"

namespace marrowfold {

class DistortionParameters;
class MultibandEffect;

// The plug-in's editor object. It lives as long as the effect; while its window is closed it
// still follows the parameter model, so that the preset it shows and edits (`editorPreset`,
// `presetBuffer`) and the sample rate are current whenever the window opens.
class MultibandEditor : public EditorBase, public EffectEditor {
  public:
    static constexpr int32_t kPanelWidth = 728;
    static constexpr int32_t kPanelHeight = 213;

    // The factory the effect calls; the editor registers itself with the effect.
    static EffectEditor* create(MultibandEffect& effect, DistortionParameters& model);

    MultibandEditor(MultibandEffect& owner, DistortionParameters& parameters);
    ~MultibandEditor() override;

    void idle() override;

    // Called from whatever thread writes the parameter; touches no window.
    void parameterChanged(int32_t index, float value) override;
    void dataChanged(int32_t index, const void* data, int32_t length, int32_t slot) override;
    void sampleRateChanged(float rate) override;
    void setHostFreshFlag(int32_t flag) override;

    int32_t shownPreset() const { return editorPreset; }
    const PresetRecord& shownPresetRecord() const { return presetBuffer; }
    float editorSampleRate() const { return sampleRate; }
    int32_t hostFresh() const { return hostFreshFlag; }
    float clipIndicator() const { return clipShown; }

  private:
    void refreshPresetBuffer();

    int32_t hostFreshFlag = 0;
    DistortionParameters* model;
    int32_t editorPreset = 0;
    float sampleRate = 0.0f;
    PresetRecord presetBuffer{};
    float clipShown = 0.0f;
};

}  // namespace marrowfold
