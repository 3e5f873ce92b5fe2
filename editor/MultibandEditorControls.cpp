// What the panel's controls do: each tag's change becomes a parameter change of the effect or
// one of the preset bank's edits, and a new preset is shown and announced to the host.
#include <optional>

#include "core/KeyedTable.h"
#include "core/VendorRequests.h"
#include "editor/BandEditorView.h"
#include "editor/MultibandEditor.h"
#include "editor/PresetNameView.h"
#include "effect/MultibandEffect.h"
#include "gui/ButtonGroup.h"
#include "gui/Frame.h"
#include "gui/Knob.h"
#include "gui/NumberField.h"
#include "gui/Slider.h"
#include "gui/ToggleButton.h"
#include "params/DistortionParameters.h"
#include "params/EditorProtocol.h"
#include "params/HostControls.h"

namespace marrowfold {

namespace {

// Draws a view that changed into the context of the change that caused it.
void redrawInto(Canvas* context, View* view) {
    if (context && view) view->redrawIfDirty(context);
}

// The real value a preset keeps for a parameter: a band level, a gain or the shape.
float storedValue(const PresetRecord& preset, int32_t index) {
    if (index < kBandCount) return preset.bandLevel[index];
    if (index == ParamShape) return static_cast<float>(preset.shape);
    return index == ParamIn ? preset.inputGain : preset.outputGain;
}

}  // namespace

struct MultibandEditor::Controls {
    static constexpr KeyedEntry<ControlRole> entries[] = {
        {TagSplash, {-1, nullptr}},  // the splash changes no parameter
        {TagBand1, {ParamBand1, &MultibandEditor::levelChanged}},
        {TagBand2, {ParamBand2, &MultibandEditor::levelChanged}},
        {TagBand3, {ParamBand3, &MultibandEditor::levelChanged}},
        {TagBand4, {ParamBand4, &MultibandEditor::levelChanged}},
        {TagIn, {ParamIn, &MultibandEditor::levelChanged}},
        {TagOut, {ParamOut, &MultibandEditor::levelChanged}},
        {TagPresetSlider, {ParamPreset, &MultibandEditor::presetSelected}},
        {TagEdit, {ParamEdit, &MultibandEditor::editToggled}},
        {TagBandView, {ParamBank, &MultibandEditor::bandsEdited}},
        {TagSolo, {ParamSolo, &MultibandEditor::soloToggled}},
        {TagShape, {ParamShape, &MultibandEditor::shapeChosen}},
        {TagDelete, {ParamDelete, &MultibandEditor::deletePressed}},
        {TagCreate, {ParamCreate, &MultibandEditor::createPressed}},
        {TagClip, {ParamClip, nullptr}},  // the clip indicator only shows
    };
};

constinit const std::array<MultibandEditor::ControlRole, TagCount> MultibandEditor::controlRoles =
    tableByKey<ControlRole, TagCount>(TagSplash, Controls::entries);

int32_t MultibandEditor::parameterOfTag(int32_t tag) {
    return controlRoles[static_cast<size_t>(tag)].parameter;
}

size_t MultibandEditor::levelSlot(int32_t tag) {
    return static_cast<size_t>(parameterOfTag(tag));
}

// Only a host that asked for them hears of the gestures; it takes them as a knob's begin and end
// of an edit.
void MultibandEditor::handleTaken(int32_t handleFlags, bool taken) {
    const int32_t control = controlOfBandHandle(handleFlags);
    if (control < 0 || !owner.bandGestures()) return;
    owner.askHostVendorSpecific(kBandGestureIndex, control, nullptr, taken ? 1.0f : 0.0f);
}

// The audio side applies no parameter change while the editor is in the middle of one. Once the
// window is open, every view of the panel exists.
void MultibandEditor::controlChanged(Canvas* context, Control* control) {
    if (control == nullptr || model == nullptr || !opened) return;
    {
        BusyScope busy(*model);
        const int32_t tag = control->tag();
        if (tag >= 0 && tag < TagCount) {
            if (ControlHandler handler = controlRoles[static_cast<size_t>(tag)].handler) {
                (this->*handler)(context, control);
            }
        }
    }
    redrawInto(context, control);
}

// Knobs and value fields both exchange normalised values.
void MultibandEditor::levelChanged(Canvas*, Control* control) {
    effect->writeParameterAutomated(parameterOfTag(control->tag()), control->getValue());
}

void MultibandEditor::presetSelected(Canvas* context, Control* control) {
    const std::optional<int32_t> chosen =
        presetForSelector(*model, control->getValue(), editorPreset);
    if (!chosen) return;
    editorPreset = *chosen;
    presetRefresh(context);
}

void MultibandEditor::editToggled(Canvas*, Control* control) {
    effect->writeParameter(ParamEdit, control->getValue());
    expandedView = model->getValue(ParamEdit) != 0.0f;
    if (expandedView) {
        frame->resizeWindow(panelWidth(true), panelHeight());
        showRightHalf(true);
    } else {
        showRightHalf(false);
        frame->resizeWindow(panelWidth(false), panelHeight());
    }
}

void MultibandEditor::bandsEdited(Canvas*, Control*) {
    const int32_t flags = views.bandView->takeChangeFlags();
    commitBandEdit(*model, editorPreset, presetBuffer, currentBandLayout(), flags,
                   views.bandView->selectedBand());
}

void MultibandEditor::soloToggled(Canvas*, Control* control) {
    const SoloState solo = setSolo(*model, control->getValue(), views.bandView->selectedBand());
    views.bandView->showSolo(solo.shown);
    views.bandView->selectBand(solo.selectedBand);
}

void MultibandEditor::shapeChosen(Canvas*, Control* control) {
    effect->writeParameterAutomated(ParamShape, snapShapeValue(control->getValue()));
}

// With a single preset left nothing can be deleted: the question is not even asked.
void MultibandEditor::deletePressed(Canvas* context, Control* control) {
    effect->writeParameter(ParamDelete, control->getValue());
    if (model->presetCount() >= 2 && confirmDelete()) {
        if (const std::optional<int32_t> next = deletePreset(*model, editorPreset)) {
            editorPreset = *next;
            presetRefresh(context);
        }
    }
    control->setValue(0.0f);
}

// With a full bank nothing can be created: no name is asked for that would then be lost.
void MultibandEditor::createPressed(Canvas* context, Control* control) {
    effect->writeParameter(ParamCreate, control->getValue());
    if (model->presetCount() < kBankRecordCount && askPresetName()) {
        BandEdges edges{};
        for (int32_t e = 0; e < kEdgeCount; ++e)
            edges[static_cast<size_t>(e)] = views.bandView->defaultEdge(e);
        if (const std::optional<int32_t> created =
                createPreset(*model, editorPreset, newPresetName, edges)) {
            editorPreset = *created;
            presetRefresh(context);
        }
    }
    control->setValue(0.0f);
}

// Selects the editor's preset through the host and sets the host's parameters kept in presets to
// its values.
// Selecting reaches parameterChanged for the preset selector, which reloads presetBuffer before it
// is read here.
void MultibandEditor::presetRefresh(Canvas* context) {
    effect->writeParameterAutomated(ParamPreset, presetFraction(editorPreset));
    redrawInto(context, views.presetNameView);
    for (const HostControl& control : kHostControls) {
        if (!control.has(kStoredInPreset)) continue;
        const int32_t index = control.parameter;
        effect->writeParameterAutomated(
            index, model->toNormalized(index, storedValue(presetBuffer, index)));
        if (static_cast<size_t>(index) < views.knobs.size()) {
            redrawInto(context, views.knobs[static_cast<size_t>(index)]);
            redrawInto(context, views.displays[static_cast<size_t>(index)]);
        }
    }
    if (expandedView) {
        redrawInto(context, views.shapeGroup);
        redrawInto(context, views.bandView);
    }
}

}  // namespace marrowfold
