#include "editor/MultibandEditor.h"

#include "core/MultibandEffect.h"
#include "params/DistortionParameters.h"
#include "params/EditorProtocol.h"
#include "params/PresetBankEdits.h"

namespace marrowfold {

EffectEditor* MultibandEditor::create(MultibandEffect& effect, DistortionParameters& model) {
    return new MultibandEditor(effect, model);
}

MultibandEditor::MultibandEditor(MultibandEffect& owner, DistortionParameters& parameters)
    : EditorBase(&owner), model(&parameters) {
    bounds = EditorRect{0, 0, kPanelHeight, kPanelWidth};
}

// The effect deletes its model before its editor: nothing here may touch the model.
MultibandEditor::~MultibandEditor() = default;

// The clip hand-over: while the indicator reads parameter 14 the audio side does not publish,
// and afterwards it is asked for a fresh state.
void MultibandEditor::idle() {
    if (model == nullptr) return;
    {
        ClipReadScope reading(*model);
        clipShown = reading.clipValue();
    }
    EditorBase::idle();
}

void MultibandEditor::parameterChanged(int32_t index, float) {
    if (model == nullptr) return;
    {
        BusyScope busy(*model);
        // A new current preset: the editor shows and edits it, and the engine re-applies every
        // drive and edge of it.
        if (index == ParamPreset) editorPreset = followCurrentPreset(*model, presetBuffer);
    }
    requestRefresh();
}

void MultibandEditor::dataChanged(int32_t index, const void* data, int32_t length, int32_t slot) {
    if (model == nullptr) return;
    BusyScope busy(*model);
    model->setData(index, data, length, slot);
    if (index == ParamBank) refreshPresetBuffer();
}

void MultibandEditor::sampleRateChanged(float rate) {
    sampleRate = rate;
}

void MultibandEditor::setHostFreshFlag(int32_t flag) {
    hostFreshFlag = flag;
}

void MultibandEditor::refreshPresetBuffer() {
    presetBuffer = readPreset(*model, editorPreset);
}

}  // namespace marrowfold
