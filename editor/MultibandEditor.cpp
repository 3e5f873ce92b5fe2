#include "editor/MultibandEditor.h"

#include <cstring>

#include "core/Numeric.h"
#include "editor/AutoGainReadout.h"
#include "editor/BandEditorView.h"
#include "editor/DisplayFeed.h"
#include "editor/EmbeddedBitmaps.h"
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
#include "params/PresetBankEdits.h"

namespace marrowfold {

namespace {

// The panel's bitmaps, once their source is installed.
std::unique_ptr<BitmapTable> loadPanelBitmaps() {
    offerEmbeddedBitmaps();
    return std::make_unique<BitmapTable>(PanelBitmap, kPanelBitmapCount);
}

}  // namespace

EditorNotifications* MultibandEditor::create(MultibandEffect& effect, DistortionParameters& model) {
    return new MultibandEditor(effect, model);
}

MultibandEditor::MultibandEditor(MultibandEffect& owner, DistortionParameters& parameters)
    : EditorBase(&owner),
      owner(owner),
      model(&parameters),
      bitmaps(loadPanelBitmaps()),
      spectrum(std::make_unique<DisplayFeed>(owner.analysisTap())) {
    bounds = EditorRect{0, 0, static_cast<int16_t>(panelHeight()),
                        static_cast<int16_t>(panelWidth(true))};
}

// The effect deletes its model before its editor: nothing here may touch the model. A window
// the host never closed goes with the editor; a value field still open reports its text as the
// frame closes it, and without a model that report changes nothing.
MultibandEditor::~MultibandEditor() {
    model = nullptr;
    if (frame) MultibandEditor::detach();
}

int32_t MultibandEditor::panelWidth(bool expanded) const {
    const int32_t full = bitmaps->width(PanelBitmap);
    return expanded ? full : full / 2;
}

int32_t MultibandEditor::panelHeight() const {
    return bitmaps->height(PanelBitmap);
}

// The right-half views leave the frame only while the editor is compact; the frame must own
// them again before it is deleted, whatever parameter 10 says meanwhile.
void MultibandEditor::detach() {
    spectrum->close();
    if (views.bandView) spectrumShown = views.bandView->spectrumShown();
    if (frame) {
        returnRightHalfToFrame();
        delete frame;
        frame = nullptr;
    }
    views = EditorPanel{};
    opened = false;
}

// Each view enters the frame at most once; leaving keeps the view alive for the editor.
void MultibandEditor::showRightHalf(bool shown) {
    for (View* view : rightHalfViews()) {
        if (view == nullptr) continue;
        if (!shown) {
            frame->takeOutView(view, false);
        } else if (!frame->containsView(view)) {
            frame->insertView(view);
        }
    }
}

// A view the frame cannot take back is released here instead.
void MultibandEditor::returnRightHalfToFrame() {
    showRightHalf(true);
    for (View* view : rightHalfViews()) {
        if (view && !frame->containsView(view)) view->release();
    }
}

std::array<View*, 5> MultibandEditor::rightHalfViews() const {
    return {views.bandView, views.soloButton, views.createButton, views.deleteButton,
            views.shapeGroup};
}

// The clip hand-over: while the indicator reads parameter 14 the audio side does not publish,
// and afterwards it is asked for a fresh state.
void MultibandEditor::idle() {
    if (model == nullptr) return;
    ClipReadScope reading(*model);
    clipShown = reading.clipValue();
    if (views.clipLed) views.clipLed->setValue(clipShown);
    followHostBandEdit();
    if (views.autoGain) views.autoGain->show(owner.autoGain(), owner.autoGainDecibels());
    if (frame && spectrum->refresh(expandedView ? views.bandView : nullptr, views.meters.data(),
                                   frame->tickCount())) {
        views.bandView->setNeedsRedraw(true);
    }
    EditorBase::idle();
}

void MultibandEditor::parameterChanged(int32_t index, float value) {
    if (model == nullptr) return;
    {
        BusyScope busy(*model);
        if (index >= ParamBand1 && index <= ParamOut) {
            if (views.knobs[index]) views.knobs[index]->setValue(value);
            if (views.displays[index]) views.displays[index]->setValue(value);
        } else if (index == ParamShape) {
            if (views.shapeGroup) views.shapeGroup->setValue(value);
        } else if (index == ParamPreset) {
            // A new current preset: the editor shows and edits it, and the engine re-applies
            // every drive and edge of it.
            const std::lock_guard<std::mutex> shown(shownPresetLock);
            editorPreset = followCurrentPreset(*model, presetBuffer);
            showPresetInViews();
            if (views.presetSlider) views.presetSlider->setValue(value);
        } else if (index == ParamEdit) {
            if (views.editButton) views.editButton->setValue(value);
        } else if (index == ParamBank || index == ParamSolo) {
            hostEditedBands = true;
        }
    }
    requestRefresh();
}

void MultibandEditor::dataChanged(int32_t index, const void* data, int32_t length, int32_t slot) {
    if (model == nullptr) return;
    BusyScope busy(*model);
    model->setData(index, data, length, slot);
    if (index != ParamBank) return;
    presetBuffer = readPreset(*model, editorPreset);
    showPresetInViews();
}

// The band editor may clamp edges to the new frequency range; the preset takes them over and
// the engine redesigns every band.
void MultibandEditor::sampleRateChanged(float rate) {
    sampleRate = rate;
    spectrum->setSampleRate(rate);
    if (model == nullptr || views.bandView == nullptr) return;
    BusyScope busy(*model);
    views.bandView->setSampleRate(truncateToInt32(rate));
    commitSampleRateChange(*model, editorPreset, presetBuffer, currentBandLayout());
}

void MultibandEditor::setHostFreshFlag(int32_t flag) {
    hostFreshFlag = flag;
}

float MultibandEditor::defaultValueFor(Control* control) {
    if (control == nullptr || model == nullptr) return 0.0f;
    const int32_t tag = control->tag();
    if (tag < 0 || tag >= TagCount) return 0.0f;
    const ParameterDesc* desc = model->descriptor(controlRoles[static_cast<size_t>(tag)].parameter);
    return desc ? desc->defaultValue : 0.0f;
}

bool MultibandEditor::askPresetName() {
    return askNewPresetName(dialogOwner(), newPresetName);
}

bool MultibandEditor::confirmDelete() {
    return confirmPresetDelete(dialogOwner(), presetName());
}

WindowId MultibandEditor::dialogOwner() const {
    return frame ? frame->window() : kNoWindow;
}

// The name field need not hold a terminating zero when it came from a chunk.
std::string MultibandEditor::presetName() const {
    return std::string(presetBuffer.name, strnlen(presetBuffer.name, sizeof presetBuffer.name));
}

// Parameter 7's value for a preset index: index / number of presets in use.
float MultibandEditor::presetFraction(int32_t index) const {
    return static_cast<float>(index) / static_cast<float>(model->presetCount());
}

void MultibandEditor::showPresetInViews() {
    loadBandView();
    if (views.presetNameView) views.presetNameView->showName(presetName().c_str());
}

BandLayout MultibandEditor::currentBandLayout() const {
    BandLayout layout{};
    for (int32_t e = 0; e < kEdgeCount; ++e)
        layout.edgeLog2[e] = views.bandView->edgeLog(e);
    for (int32_t b = 0; b < kBandCount; ++b)
        layout.drive[b] = views.bandView->drive(b);
    return layout;
}

void MultibandEditor::followHostBandEdit() {
    if (!hostEditedBands.exchange(false)) return;
    const std::lock_guard<std::mutex> shown(shownPresetLock);
    presetBuffer = readPreset(*model, editorPreset);
    loadBandView();
    if (views.bandView && views.soloButton) showSoloState();
}

void MultibandEditor::loadBandView() {
    if (views.bandView) views.bandView->loadBands(presetBuffer.bandEdge, presetBuffer.bandDrive);
}

}  // namespace marrowfold
