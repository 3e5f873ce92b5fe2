// The editor window: its size and layout when it opens, expanding and collapsing, who owns the
// right-half views, what the controls show at first, and pictures of both layouts.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "core/VendorRequests.h"
#include "editor/AboutSplash.h"
#include "editor/AutoGainReadout.h"
#include "editor/BandEditorView.h"
#include "editor/PresetNameView.h"
#include "gui/Bitmap.h"
#include "gui/ButtonGroup.h"
#include "gui/Knob.h"
#include "gui/NumberField.h"
#include "gui/Slider.h"
#include "gui/ToggleButton.h"
#include "tests/common/FactoryNames.h"
#include "tests/editor/EditorFixture.h"

namespace marrowfold::testing {
namespace {

constexpr Point kEditButton{330, 195};
constexpr Point kFirstValueField{62, 62};

std::vector<View*> rightHalf(const EditorPanel& p) {
    return {p.bandView, p.soloButton, p.createButton, p.deleteButton, p.shapeGroup};
}

std::vector<View*> allViews(const EditorPanel& p) {
    std::vector<View*> all = rightHalf(p);
    for (View* v :
         std::vector<View*>{p.splash, p.presetSlider, p.editButton, p.clipLed, p.presetNameView}) {
        all.push_back(v);
    }
    all.insert(all.end(), p.knobs.begin(), p.knobs.end());
    all.insert(all.end(), p.displays.begin(), p.displays.end());
    return all;
}

TEST(BitmapTableTest, HoldsTheThirteenPanelBitmapsAtTheirSizes) {
    BitmapTable table(1000, 13);
    const int sizes[13][2] = {{728, 213}, {365, 213}, {31, 26},  {11, 22}, {11, 22},
                              {15, 30},   {31, 26},   {31, 26},  {31, 26}, {31, 26},
                              {31, 26},   {27, 13},   {32, 2016}};
    for (int32_t i = 0; i < 13; ++i) {
        ASSERT_NE(table.bitmap(1000 + i), nullptr) << 1000 + i;
        EXPECT_EQ(table.bitmap(1000 + i)->resourceId(), 1000 + i);
        EXPECT_EQ(table.width(1000 + i), sizes[i][0]) << 1000 + i;
        EXPECT_EQ(table.height(1000 + i), sizes[i][1]) << 1000 + i;
    }
    EXPECT_EQ(table.bitmap(999), nullptr);
    EXPECT_EQ(table.bitmap(1013), nullptr);
    EXPECT_EQ(table.width(1013), 0);
    EXPECT_EQ(table.height(-5), 0);
}

TEST_F(EditorTest, OpensCompactEvenWhenItWasExpandedWhenLastClosed) {
    open();
    click(kEditButton);
    ASSERT_EQ(windowWidth(), 728);
    ASSERT_EQ(model->getValue(ParamEdit), 1.0f);
    close();

    open();
    EXPECT_EQ(windowWidth(), 364);
    EXPECT_EQ(model->getValue(ParamEdit), 0.0f);
    EXPECT_EQ(panel().editButton->getValue(), 0.0f);
    EXPECT_TRUE(panel().editButton->mouseEnabled());
    EditorRect* rect = nullptr;
    editor->getBounds(&rect);
    EXPECT_EQ(rect->right, 364);
    EXPECT_EQ(rect->bottom, 213);
    EXPECT_EQ(countEvents(kProductOpcode), 2);
    for (View* view : rightHalf(panel())) {
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(occurrences(view), 0);
    }
}

TEST_F(EditorTest, AHostWithoutAProductNameGetsTheLockedExpandedEditor) {
    setProductName("");
    open();
    EXPECT_EQ(windowWidth(), 728);
    EXPECT_EQ(model->getValue(ParamEdit), 1.0f);
    EXPECT_FALSE(panel().editButton->mouseEnabled());
    EXPECT_EQ(panel().editButton->getValue(), 1.0f);
    click(kEditButton);
    EXPECT_EQ(windowWidth(), 728) << "a locked Edit button does not collapse";
    for (View* view : rightHalf(panel()))
        EXPECT_EQ(occurrences(view), 1);
}

TEST_F(EditorTest, AFreshHostGetsTheLockedExpandedEditor) {
    editor->setHostFreshFlag(1);
    open();
    EXPECT_EQ(windowWidth(), 728);
    EXPECT_TRUE(editor->isEditLocked());
    EXPECT_EQ(model->getValue(ParamEdit), 1.0f);
}

TEST_F(EditorTest, EditTogglesTheRightHalfAndAsksTheHostToResize) {
    open();
    for (int round = 0; round < 2; ++round) {
        click(kEditButton);
        EXPECT_EQ(windowWidth(), 728);
        EXPECT_EQ(model->getValue(ParamEdit), 1.0f);
        for (View* view : rightHalf(panel()))
            EXPECT_EQ(occurrences(view), 1);
        click(kEditButton);
        EXPECT_EQ(windowWidth(), 364);
        EXPECT_EQ(model->getValue(ParamEdit), 0.0f);
        for (View* view : rightHalf(panel()))
            EXPECT_EQ(occurrences(view), 0);
    }
    click(kEditButton);
    for (View* view : allViews(panel()))
        EXPECT_EQ(occurrences(view), 1);
    EXPECT_EQ(countEvents(kResizeOpcode), 5);
    std::vector<intptr_t> sizes;
    for (const HostEvent& e : events()) {
        if (e.opcode == kResizeOpcode) sizes.push_back(e.index * 1000 + e.value);
    }
    EXPECT_EQ(sizes, (std::vector<intptr_t>{728213, 364213, 728213, 364213, 728213}));
    EXPECT_EQ(countEvents(kAutomateOpcode, ParamEdit), 0) << "Edit is not automated";
}

// Every view keeps one reference of ours through the close: afterwards it must be ours alone,
// so the frame gave back exactly the one it held.
void expectFrameReleasesEachViewOnce(MultibandEditor& editor) {
    const std::vector<View*> views = allViews(editor.panel());
    for (View* view : views) {
        ASSERT_NE(view, nullptr);
        view->retain();
    }
    editor.detach();
    for (View* view : views) {
        EXPECT_EQ(view->retainCount(), 1);
        view->release();
    }
    EXPECT_EQ(editor.panel().bandView, nullptr);
    EXPECT_FALSE(editor.isOpen());
}

TEST_F(EditorTest, ClosingCollapsedOrExpandedReleasesEveryViewOnce) {
    open();
    expectFrameReleasesEachViewOnce(*editor);
    open();
    click(kEditButton);
    expectFrameReleasesEachViewOnce(*editor);
}

// A program load can set Edit while the window is open; the right half still ends up in the
// frame exactly once, and Edit still works.
TEST_F(EditorTest, EditChangedBehindTheEditorsBackKeepsViewsSingle) {
    open();
    effect->writeParameter(ParamEdit, 1.0f);
    EXPECT_EQ(occurrences(panel().bandView), 0);
    expectFrameReleasesEachViewOnce(*editor);

    open();
    click(kEditButton);
    effect->writeParameter(ParamEdit, 0.0f);
    click(kEditButton);  // the button read 0: it switches to 1 again
    for (View* view : rightHalf(panel()))
        EXPECT_EQ(occurrences(view), 1);
}

// Hosts that open twice without closing, or delete the effect with the window open and a value
// being typed, leave no window and no view behind (the sanitizer build sees the views), and the
// typed value goes nowhere: the effect's parameters are already gone.
TEST_F(EditorTest, HostsThatSkipTheCloseRequestLeaveNothingBehind) {
    open();
    const size_t windows = headless().windowCount();
    open();
    EXPECT_EQ(headless().windowCount(), windows);
    click(kFirstValueField);
    ASSERT_NE(headless().openField(), nullptr);
    headless().openField()->text = "7";
    const int32_t automated = countEvents(kAutomateOpcode);
    effect.reset();
    editor = nullptr;
    EXPECT_EQ(headless().windowCount(), windows - 1) << "only the host's window is left";
    EXPECT_EQ(headless().openFieldCount(), 0u);
    EXPECT_EQ(countEvents(kAutomateOpcode), automated);
}

TEST_F(EditorTest, ValueFieldsTakeTheRangeOfTheirOwnParameter) {
    open();
    const float ranges[6][2] = {{-12, 12}, {-12, 12}, {-12, 12}, {-12, 12}, {-20, 20}, {-20, 20}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(panel().displays[i]->minimum(), ranges[i][0]) << i;
        EXPECT_EQ(panel().displays[i]->maximum(), ranges[i][1]) << i;
        EXPECT_EQ(panel().displays[i]->tag(), i + 1);
        EXPECT_EQ(panel().knobs[i]->tag(), i + 1);
    }
    effect->writeParameter(ParamOut, 0.75f);  // 400 steps of 0.1 dB from -20: step 300 = +10
    EXPECT_EQ(panel().displays[5]->text(), "10.0");
    EXPECT_EQ(panel().knobs[5]->getValue(), 0.75f);
}

TEST_F(EditorTest, ControlsStartWithTheCurrentPresetAndParameters) {
    effect->writeParameter(ParamPreset, 4.0f / 17.0f);
    model->setValue(ParamSolo, 2.0f);
    const PresetRecord preset = record(4);
    open();
    EXPECT_EQ(panel().presetNameView->name(), factoryPresetNames()[0][4]);
    EXPECT_FLOAT_EQ(panel().presetSlider->getValue(), 4.0f / 17.0f);
    EXPECT_FLOAT_EQ(panel().knobs[0]->getValue(), (preset.bandLevel[0] + 12.0f) / 24.0f);
    EXPECT_FLOAT_EQ(panel().knobs[4]->getValue(), (preset.inputGain + 20.0f) / 40.0f);
    EXPECT_FLOAT_EQ(panel().shapeGroup->getValue(), static_cast<float>(preset.shape) / 4.0f);
    EXPECT_FLOAT_EQ(panel().soloButton->getValue(), 3.0f / 5.0f);
    EXPECT_TRUE(panel().bandView->soloShown());
    EXPECT_EQ(panel().bandView->selectedBand(), 2);
    EXPECT_NEAR(std::exp2(panel().bandView->edgeLog(1)), preset.bandEdge[1], 0.01);
    EXPECT_FALSE(panel().clipLed->mouseEnabled());
    EXPECT_EQ(panel().splash->textLine(1).text,
              std::string("Version: ") + MARROWFOLD_PROJECT_VERSION);
}

TEST_F(EditorTest, CompactAndExpandedPanelsLookAsRecorded) {
    constexpr uint32_t kPanelBlue = 0x000f43;
    constexpr int kBelowHeader = 31;
    constexpr int kPanelHeight = 213;
    constexpr int kCompactLastColumn = 363;
    open();
    editor->redrawFrame();
    EXPECT_EQ(countPixels(surface(), kPanelBlue, kCompactLastColumn, kBelowHeader,
                          kCompactLastColumn + 1, kPanelHeight),
              kPanelHeight - kBelowHeader)
        << "the compact panel ends on plain blue, without a piece of the divider";
    expectMatchesGolden(surface(), "editor_compact", 24);
    click(kEditButton);
    editor->redrawFrame();
    EXPECT_NE(pixelAt(surface(), kCompactLastColumn + 1, kPanelHeight / 2), kPanelBlue)
        << "the divider stands right of the compact half";
    expectMatchesGolden(surface(), "editor_expanded", 24);
}

// While auto gain is on, a readout beside Out shows the gain it applies; switched off, the panel
// under it looks as before again. (Never switched on, the readout draws nothing: the recorded
// pictures hold.)
TEST_F(EditorTest, AutoGainShowsItsGainBesideOutWhileOn) {
    constexpr int32_t kFrames = 512;
    constexpr int32_t kBlocks = 100;
    const auto setAutoGain = [&](bool on) {
        ASSERT_EQ(effect->vendorSpecific(kAutoGainRequestIndex, kAutoGainRequestValue, nullptr,
                                         on ? 1.0f : 0.0f),
                  1);
    };
    std::vector<float> left(kFrames);
    std::vector<float> right(kFrames);
    const auto play = [&](int32_t blocks) {
        for (int32_t block = 0; block < blocks; ++block) {
            for (int32_t n = 0; n < kFrames; ++n)
                left[n] = right[n] =
                    0.5f * std::sin(0.05f * static_cast<float>(n + block * kFrames));
            float* channels[] = {left.data(), right.data()};
            effect->processReplace(channels, channels, kFrames);
        }
    };
    open();
    const Rect& readout = panel().autoGain->bounds();
    const auto pixels = [&] {
        std::vector<uint32_t> shown;
        for (int32_t y = readout.top; y < readout.bottom; ++y) {
            for (int32_t x = readout.left; x < readout.right; ++x)
                shown.push_back(pixelAt(surface(), x, y));
        }
        return shown;
    };
    const std::vector<uint32_t> bare = pixels();
    setAutoGain(true);
    play(kBlocks);
    editor->idle();
    editor->redrawFrame();
    char expected[32];
    std::snprintf(expected, sizeof expected, "AUTO %+.1f dB",
                  static_cast<double>(effect->autoGainDecibels()));
    EXPECT_LT(effect->autoGainDecibels(), -0.5f);
    EXPECT_EQ(panel().autoGain->text(), expected);
    EXPECT_NE(pixels(), bare);

    setAutoGain(false);
    play(1);
    editor->idle();
    editor->redrawFrame();
    EXPECT_EQ(panel().autoGain->text(), "");
    EXPECT_EQ(pixels(), bare);
}

}  // namespace
}  // namespace marrowfold::testing
