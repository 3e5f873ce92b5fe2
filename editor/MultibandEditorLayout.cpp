// The editor window's construction: the panel's views, where they lie, which bitmaps they show,
// and the state they start in.
#include <cstdio>
#include <new>

#include "core/KeyedTable.h"
#include "core/Numeric.h"
#include "editor/AboutSplash.h"
#include "editor/AutoGainReadout.h"
#include "editor/BandEditorView.h"
#include "editor/DisplayFeed.h"
#include "editor/LevelMeterView.h"
#include "editor/MultibandEditor.h"
#include "editor/PanelColours.h"
#include "editor/PresetNameView.h"
#include "editor/VersionText.h"
#include "effect/MultibandEffect.h"
#include "gui/ButtonGroup.h"
#include "gui/Frame.h"
#include "gui/Knob.h"
#include "gui/NumberField.h"
#include "gui/Slider.h"
#include "gui/ToggleButton.h"
#include "params/DistortionParameters.h"
#include "params/HostControls.h"

namespace marrowfold {

namespace {

constexpr Color kPanelBlue = colorOf(palette::kPanelBlue);
constexpr Color kSlate = colorOf(palette::kSlate);
constexpr Color kLightBlue = colorOf(palette::kLightBlue);
constexpr Color kPaleCyan = colorOf(palette::kPaleCyan);

// Hosts write at most a few dozen characters; the buffer ends with a zero whatever they write.
constexpr size_t kProductTextBytes = 256;

constexpr Rect kSplashClickArea{224, 6, 331, 24};
constexpr Rect kSplashTextArea{108, 132, 246, 152};
constexpr int32_t kSplashVersionLine = 1;

constexpr Rect kPresetSliderRect{118, 149, 248, 161};

constexpr Point kEditButtonCorner{323, 189};
constexpr Point kSoloButtonCorner{527, 11};
constexpr Point kCreateButtonCorner{463, 11};
constexpr Point kDeleteButtonCorner{398, 11};
constexpr Point kClipCorner{34, 186};

constexpr Rect kShapeGroupRect{683, 48, 717, 182};
constexpr int32_t kShapeButtonLeft = 683;
constexpr std::array<int32_t, kShapeBitmapCount> kShapeButtonTops = {50, 80, 110, 140, 170};

constexpr int32_t kValueFont = 6;

// Where the knob and the value field of each level control lie, by the tag both report with.
// The meter stands right of its knob, clear of the knob's scale dots; Out's stands left, as its
// label is on the right.
struct LevelPlace {
    Point knobCorner;
    Rect valueField;
    Rect meter;
};
constexpr KeyedEntry<LevelPlace> kLevelPlaces[] = {
    {TagBand1, {{46, 74}, {42, 57, 82, 68}, {86, 75, 90, 105}}},
    {TagBand2, {{127, 74}, {122, 57, 162, 68}, {167, 75, 171, 105}}},
    {TagBand3, {{207, 74}, {202, 57, 242, 68}, {247, 75, 251, 105}}},
    {TagBand4, {{287, 74}, {282, 57, 322, 68}, {327, 75, 331, 105}}},
    {TagIn, {{47, 144}, {42, 127, 82, 138}, {87, 145, 91, 175}}},
    {TagOut, {{287, 144}, {282, 127, 322, 138}, {276, 145, 280, 175}}},
};
static_assert(keyCoverage<kLevelControlCount>(TagBand1, kLevelPlaces) == KeyCoverage::Complete,
              "every level control has one place");

constexpr Rect kPresetNameRect{122, 127, 242, 138};
// Under Out's knob, clear of its scale dots and of the Edit button.
constexpr Rect kAutoGainRect{266, 177, 342, 188};
constexpr Rect kBandViewRect{390, 32, 638, 183};

void formatOneDecimal(float value, char* text) {
    std::snprintf(text, kTextBytes, "%.1f", static_cast<double>(value));
}

}  // namespace

int32_t MultibandEditor::attach(void* parentWindow) {
    EditorBase::attach(parentWindow);
    if (model == nullptr) return 0;
    // A host that opens the window twice without closing it gets one window, not two.
    if (frame) detach();
    try {
        buildPanel(reinterpret_cast<WindowId>(parentWindow));
    } catch (const std::bad_alloc&) {
        // What was built stays in the frame; detach deletes it.
    }
    if (frame) spectrum->open(sampleRate);
    return 0;
}

void MultibandEditor::buildPanel(WindowId parent) {
    chooseInitialLayout();
    const int32_t width = panelWidth(expandedView);
    const int32_t height = panelHeight();
    bounds = EditorRect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
    frame = new Frame({0, 0, width, height}, parent, this);
    frame->setBackdrop(bitmaps->bitmap(PanelBitmap));
    addSplash();
    addKnobs();
    addPresetSlider();
    addButtons();
    addShapeGroup();
    addValueFields();
    addClipIndicator();
    addMeters();
    addAutoGainReadout();
    addPresetNameView();
    makeBandView();
    opened = true;
    arrangeRightHalf();
    showInitialState();
}

// The window opens compact, as parameter 10's default says, unless the host gives no product
// name or has not yet announced a block size: then it opens expanded with the Edit button locked.
void MultibandEditor::chooseInitialLayout() {
    const ParameterDesc* edit = model->descriptor(ParamEdit);
    expandedView = edit != nullptr && edit->defaultValue != 0.0f;
    effect->writeParameter(ParamEdit, expandedView ? 1.0f : 0.0f);
    char product[kProductTextBytes] = {};
    effect->askHostProduct(product);
    product[kProductTextBytes - 1] = '\0';
    editLocked = product[0] == '\0' || hostFreshFlag != 0;
    if (editLocked) {
        expandedView = true;
        effect->writeParameter(ParamEdit, 1.0f);
    }
}

template <typename T>
T* MultibandEditor::place(T* view) {
    if (!frame->insertView(view)) {
        view->release();
        throw std::bad_alloc();
    }
    return view;
}

void MultibandEditor::addSplash() {
    Bitmap* picture = bitmaps->bitmap(SplashBitmap);
    const Rect display{0, 0, bitmaps->width(SplashBitmap), bitmaps->height(SplashBitmap)};
    views.splash =
        place(new AboutSplash(kSplashClickArea, this, TagSplash, picture, display, {0, 0}));
    views.splash->setTextLine(kSplashVersionLine, moduleVersionLine().c_str(), kSplashTextArea,
                              kWhite, Canvas::kAlignCentre);
}

void MultibandEditor::addKnobs() {
    Bitmap* strip = bitmaps->bitmap(KnobStripBitmap);
    const int32_t size = bitmaps->width(KnobStripBitmap);
    const int32_t frameHeight = bitmaps->height(KnobStripBitmap) / kKnobFrameCount;
    for (const auto& [tag, spot] : kLevelPlaces) {
        const Point corner = spot.knobCorner;
        const Rect rect{corner.h, corner.v, corner.h + size, corner.v + size};
        auto* knob =
            new FilmstripKnob(rect, this, tag, kKnobFrameCount, frameHeight, strip, corner);
        knob->setSeeThrough(true);
        views.knobs[levelSlot(tag)] = place(knob);
    }
}

// The handle travels from the slider's left edge until its right end meets the slider's.
void MultibandEditor::addPresetSlider() {
    const Rect& r = kPresetSliderRect;
    const int32_t handleWidth = bitmaps->width(SliderHandleBitmap);
    views.presetSlider =
        place(new Slider(r, this, TagPresetSlider, r.left, r.right - handleWidth,
                         bitmaps->bitmap(SliderHandleBitmap), bitmaps->bitmap(PanelBitmap),
                         {r.left, r.top}, Slider::kGrowsRight | Slider::kHorizontal));
}

void MultibandEditor::addButtons() {
    // A two-state button is as wide as its bitmap and half as tall.
    auto button = [this](Point corner, int32_t bitmapId, int32_t tag) {
        const Rect rect{corner.h, corner.v, corner.h + bitmaps->width(bitmapId),
                        corner.v + bitmaps->height(bitmapId) / 2};
        return place(new ToggleButton(rect, this, tag, bitmaps->bitmap(bitmapId)));
    };
    views.editButton = button(kEditButtonCorner, EditBitmap, TagEdit);
    views.editButton->setValue(model->getValue(ParamEdit));
    views.editButton->enableMouse(!editLocked);
    views.soloButton = button(kSoloButtonCorner, LampBitmap, TagSolo);
    views.createButton = button(kCreateButtonCorner, LampBitmap, TagCreate);
    views.createButton->setValue(model->getValue(ParamCreate));
    views.deleteButton = button(kDeleteButtonCorner, DeleteBitmap, TagDelete);
    views.deleteButton->setValue(model->getValue(ParamDelete));
}

void MultibandEditor::addShapeGroup() {
    std::array<int32_t, kShapeBitmapCount> lefts;
    lefts.fill(kShapeButtonLeft);
    std::array<Bitmap*, kShapeBitmapCount> pictures;
    for (int32_t i = 0; i < kShapeBitmapCount; ++i)
        pictures[static_cast<size_t>(i)] = bitmaps->bitmap(FirstShapeBitmap + i);
    views.shapeGroup =
        place(new ButtonGroup(kShapeGroupRect, this, TagShape, kShapeBitmapCount, lefts.data(),
                              kShapeButtonTops.data(), pictures.data()));
}

// Each field shows its own parameter's real value within that parameter's range.
void MultibandEditor::addValueFields() {
    for (const auto& [tag, spot] : kLevelPlaces) {
        auto* field = new NumberField(spot.valueField, this, tag, "", nullptr, 0);
        field->selectFont(kValueFont);
        field->setTextColour(kWhite);
        field->setFillColour(kPanelBlue);
        field->setValueFormatter(formatOneDecimal);
        if (const ParameterDesc* desc = model->descriptor(parameterOfTag(tag))) {
            field->setMinimum(desc->range.minimum());
            field->setMaximum(desc->range.maximum());
        }
        views.displays[levelSlot(tag)] = place(field);
    }
}

// Level tags run Band1..Band4, In, Out, as the host meters do.
static_assert(int32_t{MeterInput} == ParamIn && int32_t{MeterOutput} == ParamOut,
              "meters in the knobs' order");

void MultibandEditor::addMeters() {
    for (const auto& [tag, spot] : kLevelPlaces) {
        views.meters[levelSlot(tag)] =
            place(new LevelMeterView(spot.meter, bitmaps->bitmap(PanelBitmap)));
    }
}

void MultibandEditor::addAutoGainReadout() {
    views.autoGain = place(new AutoGainReadout(kAutoGainRect, bitmaps->bitmap(PanelBitmap)));
}

void MultibandEditor::addClipIndicator() {
    const Rect rect{kClipCorner.h, kClipCorner.v, kClipCorner.h + bitmaps->width(ClipBitmap),
                    kClipCorner.v + bitmaps->height(ClipBitmap) / 2};
    views.clipLed = place(new ToggleButton(rect, this, TagClip, bitmaps->bitmap(ClipBitmap)));
    views.clipLed->enableMouse(false);
    views.clipLed->setValue(0.0f);
}

void MultibandEditor::addPresetNameView() {
    auto* name = new PresetNameView(kPresetNameRect, nullptr, 0);
    name->chooseFont(kValueFont);
    name->chooseTextColour(kWhite);
    name->setBackdropColour(kPanelBlue);
    name->showName(presetName().c_str());
    views.presetNameView = place(name);
}

// The band editor enters the frame only when the editor is expanded (arrangeRightHalf).
void MultibandEditor::makeBandView() {
    views.bandView = new BandEditorView(kBandViewRect, this, TagBandView, kBandCount,
                                        truncateToInt32(sampleRate), nullptr);
    views.bandView->setGestureListener(this);
    views.bandView->setBackdropColour(kPanelBlue);
    views.bandView->setGridColour(kSlate);
    views.bandView->setBandColour(kLightBlue);
    views.bandView->setSelectedBandColour(kPaleCyan);
    views.bandView->showSpectrum(spectrumShown);
    loadBandView();
}

// Expanded, the band editor joins the other right-half views in the frame; compact, they all
// stay outside it.
void MultibandEditor::arrangeRightHalf() {
    showRightHalf(expandedView);
}

void MultibandEditor::showSoloState() {
    const float solo = model->getValue(ParamSolo);
    views.bandView->showSolo(solo > -1.0f);
    if (solo > -1.0f) views.bandView->selectBand(truncateToInt32(solo));
    views.soloButton->setValue(model->getNormalized(ParamSolo));
}

void MultibandEditor::showInitialState() {
    followHostBandEdit();
    showSoloState();
    loadBandView();
    views.presetSlider->setValue(presetFraction(editorPreset));
    views.presetNameView->showName(presetName().c_str());
    for (const HostControl& control : kHostControls) {
        if (control.has(kStoredInPreset))
            parameterChanged(control.parameter, model->getNormalized(control.parameter));
    }
    requestRefresh();
}

}  // namespace marrowfold
