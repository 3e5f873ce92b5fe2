// What the panel's controls do to the effect and what the host hears of it, and how parameter
// changes from the host come back into the controls.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "core/VendorRequests.h"
#include "editor/BandEditorView.h"
#include "editor/PresetNameView.h"
#include "gui/ButtonGroup.h"
#include "gui/Knob.h"
#include "gui/NumberField.h"
#include "gui/Slider.h"
#include "gui/ToggleButton.h"
#include "params/BandControls.h"
#include "params/HostControls.h"
#include "tests/common/FactoryNames.h"
#include "tests/editor/EditorFixture.h"

namespace marrowfold::testing {
namespace {

constexpr Point kEditButton{330, 195};
constexpr Point kSoloButton{532, 16};
constexpr int32_t kFactoryPresets = 17;  // in the "Default" program

class WiringTest : public EditorTest {
  protected:
    void TearDown() override {
        editor->chooseKnobMode(0);
        EditorTest::TearDown();
    }
    void expectEveryHostCallWhileBusy() {
        for (const HostEvent& e : events()) {
            if (e.opcode == kAutomateOpcode) {
                EXPECT_GT(e.busy, 0) << "index " << e.index;
            }
        }
    }
    // A press on the band editor at a point relative to the view.
    void pressBandView(Point local, uint32_t state) {
        const Rect& r = panel().bandView->bounds();
        click({r.left + local.h, r.top + local.v}, state);
    }
};

TEST_F(WiringTest, KnobDragReachesTheHostAsAutomationInsideBeginAndEndEdit) {
    open();
    editor->chooseKnobMode(2);  // linear: 200 pixels cover the range
    drag({62, 90}, {{62, 70, kMouseLeft, 1}, {62, 40, kMouseLeft, 1}, {62, 40, 0, 1}});
    const std::vector<float> sent = automatedValues(ParamBand1);
    ASSERT_FALSE(sent.empty());
    EXPECT_FLOAT_EQ(sent.back(), 0.75f);
    EXPECT_FLOAT_EQ(model->getValue(ParamBand1), 6.0f);  // 0.75 of -12..12 dB
    EXPECT_EQ(panel().displays[0]->text(), "6.0");
    // The knob's tag names the parameter of its gesture: Band1's knob has tag 1.
    ASSERT_EQ(countEvents(kBeginEditOpcode), 1);
    ASSERT_EQ(countEvents(kEndEditOpcode), 1);
    EXPECT_EQ(countEvents(kBeginEditOpcode, 1), 1);
    size_t begin = 0, end = 0, firstAutomation = 0;
    for (size_t i = 0; i < events().size(); ++i) {
        if (events()[i].opcode == kBeginEditOpcode) begin = i;
        if (events()[i].opcode == kEndEditOpcode) end = i;
        if (events()[i].opcode == kAutomateOpcode && !firstAutomation) firstAutomation = i;
    }
    EXPECT_LT(begin, firstAutomation);
    EXPECT_GT(end, firstAutomation);
    expectEveryHostCallWhileBusy();
    EXPECT_EQ(model->busyCount(), 0);
}

TEST_F(WiringTest, TypedValueReachesTheEffect) {
    open();
    click({62, 132});  // the In field
    ASSERT_NE(headless().openField(), nullptr);
    headless().typeAndEnter("3,5");
    EXPECT_FLOAT_EQ(model->getValue(ParamIn), 3.5f);
    ASSERT_EQ(automatedValues(ParamIn).size(), 1u);
    EXPECT_FLOAT_EQ(automatedValues(ParamIn)[0], 23.5f / 40.0f);
    EXPECT_EQ(panel().displays[4]->text(), "3.5");
}

TEST_F(WiringTest, ShapeSelectorValuesSnapToTheFiveShapes) {
    open();
    const float given[] = {0.05f, 0.2f, 0.4f, 0.6f, 0.9f};
    const float expected[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
    for (int i = 0; i < 5; ++i) {
        panel().shapeGroup->setValue(given[i]);
        editor->controlChanged(nullptr, panel().shapeGroup);
        EXPECT_FLOAT_EQ(automatedValues(ParamShape).back(), expected[i]);
        EXPECT_EQ(model->getValue(ParamShape), static_cast<float>(i));
    }
    click(kEditButton);
    click({690, 115});  // the third Shape button
    EXPECT_FLOAT_EQ(automatedValues(ParamShape).back(), 0.5f);
    EXPECT_EQ(model->getValue(ParamShape), 2.0f);
}

TEST_F(WiringTest, PresetSelectorValuesAboveTheLastPresetChangeNothing) {
    open();
    ASSERT_EQ(model->getValue(ParamPresetCount), static_cast<float>(kFactoryPresets));
    const float n = kFactoryPresets;
    for (float v : {(n - 0.5f) / n + 1e-6f, 1.0f}) {
        panel().presetSlider->setValue(v);
        editor->controlChanged(nullptr, panel().presetSlider);
    }
    EXPECT_EQ(editor->shownPreset(), 0);
    EXPECT_TRUE(automatedValues(ParamPreset).empty());

    // Just below (N - 1.5) / N the selector still means preset 15; from there on, 16.
    panel().presetSlider->setValue((n - 1.5f) / n - 1e-4f);
    editor->controlChanged(nullptr, panel().presetSlider);
    EXPECT_EQ(editor->shownPreset(), 15);
    panel().presetSlider->setValue(std::nextafter((n - 1.5f) / n, 1.0f));
    editor->controlChanged(nullptr, panel().presetSlider);
    EXPECT_EQ(editor->shownPreset(), 16);
    EXPECT_EQ(panel().presetNameView->name(), factoryPresetNames()[0][16]);
}

TEST_F(WiringTest, SelectingAPresetShowsItAndSetsTheHostsParameters) {
    open();
    const PresetRecord third = record(3);
    // The handle's centre follows the cursor: 103 pixels of travel from x = 130.
    drag({148, 155}, {{148, 155, 0, 1}});
    EXPECT_EQ(editor->shownPreset(), 3);
    EXPECT_EQ(model->currentPreset(), 3);
    EXPECT_EQ(panel().presetNameView->name(), factoryPresetNames()[0][3]);
    EXPECT_EQ(countEvents(kBeginEditOpcode, ParamPreset), 1);
    ASSERT_EQ(automatedValues(ParamPreset).size(), 1u);
    EXPECT_FLOAT_EQ(automatedValues(ParamPreset)[0], 3.0f / 17.0f);
    const float levels[6] = {third.bandLevel[0], third.bandLevel[1], third.bandLevel[2],
                             third.bandLevel[3], third.inputGain,    third.outputGain};
    for (int i = 0; i < 6; ++i) {
        const float range = i < 4 ? 12.0f : 20.0f;
        ASSERT_EQ(automatedValues(i).size(), 1u) << i;
        EXPECT_NEAR(automatedValues(i)[0], (levels[i] + range) / (2 * range), 1e-6f) << i;
        EXPECT_NEAR(panel().knobs[i]->getValue(), (levels[i] + range) / (2 * range), 1e-6f);
    }
    EXPECT_FLOAT_EQ(automatedValues(ParamShape)[0], static_cast<float>(third.shape) / 4.0f);
    EXPECT_EQ(model->getValue(ParamModify), 18.0f);
    EXPECT_TRUE(model->isChanged(ParamBank));
    expectEveryHostCallWhileBusy();
}

TEST_F(WiringTest, SoloFollowsTheButtonAndTheBandBeingEdited) {
    open();
    click(kEditButton);
    click(kSoloButton);
    EXPECT_EQ(model->getValue(ParamSolo), 0.0f) << "no band was selected: band 0 solos";
    EXPECT_TRUE(panel().bandView->soloShown());

    // A click inside band 3 away from every handle selects it, and the solo follows.
    const BandEditorView& view = *panel().bandView;
    const int32_t x = (view.edgePoint(3).h + view.edgePoint(4).h) / 2 + 20;
    const int32_t y = view.drivePoint(3).v > 60 ? 30 : 100;
    pressBandView({x, y}, kMouseLeft);
    EXPECT_EQ(model->getValue(ParamSolo), 3.0f);

    click(kSoloButton);
    EXPECT_EQ(model->getValue(ParamSolo), -1.0f);
    EXPECT_FALSE(panel().bandView->soloShown());
}

TEST_F(WiringTest, BandEditsAreStoredInTheShownPresetWithTheirModifyCode) {
    effect->writeParameter(ParamPreset, 5.0f / 17.0f);  // edge 2 at 752.64 Hz, free to move
    open();
    click(kEditButton);
    model->takeData(ParamBank, nullptr, 0, 0);  // the engine has taken the selection
    const PresetRecord neighbour = record(4);
    const Point edge = panel().bandView->edgePoint(2);

    pressBandView(edge, kMouseLeft | kKeyShift);  // Shift snaps the edge to its default
    EXPECT_NEAR(record(5).bandEdge[2], 742.46f, 0.01f);
    EXPECT_NEAR(editor->shownPresetRecord().bandEdge[2], 742.46f, 0.01f);
    EXPECT_EQ(model->getValue(ParamModify), 6.0f) << "edge 2";
    EXPECT_TRUE(model->isChanged(ParamBank));
    const PresetRecord after = record(4);
    EXPECT_EQ(std::memcmp(&after, &neighbour, sizeof after), 0) << "other presets untouched";
}

// A drag of an edge's or a drive's handle reaches a host that asked for band gestures as one
// gesture, taken and let go once, named by the handle's band control; a host that did not ask
// hears nothing of it.
TEST_F(WiringTest, BandHandleDragsAreOneGestureForAHostThatAskedForThem) {
    constexpr int32_t kVendorOpcode = 35;
    open();
    click(kEditButton);
    const BandEditorView& view = *panel().bandView;
    struct Case {
        bool asked;
        bool edge;
        int32_t item;
        Point by;
        int32_t control;
    };
    const Case cases[] = {
        {false, true, 2, {-30, 0}, ControlEdge3},
        {true, true, 2, {-30, 0}, ControlEdge3},
        {true, false, 1, {0, 20}, ControlDrive2},
    };
    for (const Case& c : cases) {
        if (c.asked) {
            ASSERT_EQ(effect->vendorSpecific(kBandGestureIndex, kBandGestureOnValue, nullptr, 0.0f),
                      1);
        }
        const Point handle = c.edge ? view.edgePoint(c.item) : view.drivePoint(c.item);
        const Point from{view.bounds().left + handle.h, view.bounds().top + handle.v};
        const Point to{from.h + c.by.h, from.v + c.by.v};
        const PresetRecord before = record(0);
        events().clear();
        drag(from, {{to.h, to.v, kMouseLeft, 1}, {to.h, to.v, 0, 1}});
        const PresetRecord after = record(0);
        EXPECT_NE(std::memcmp(&before, &after, sizeof after), 0) << c.control;
        std::vector<float> gestures;
        for (const HostEvent& e : events()) {
            if (e.opcode != kVendorOpcode) continue;
            EXPECT_EQ(e.index, kBandGestureIndex);
            EXPECT_EQ(e.value, c.control);
            gestures.push_back(e.opt);
        }
        const std::vector<float> expected =
            c.asked ? std::vector<float>{1.0f, 0.0f} : std::vector<float>{};
        EXPECT_EQ(gestures, expected) << c.control;
    }
}

TEST_F(WiringTest, ALowerSampleRateClampsTheShownPresetsTopEdge) {
    open();
    model->setValue(ParamModify, 0.0f);
    effect->changeSampleRate(22050.0f);
    EXPECT_FLOAT_EQ(record(0).bandEdge[4], 11025.0f);
    EXPECT_NEAR(record(0).bandEdge[3], 4046.14f, 0.01f);
    EXPECT_EQ(model->getValue(ParamModify), 18.0f);
}

TEST_F(WiringTest, HostChangesReachTheControls) {
    open();
    effect->writeParameter(ParamShape, 0.5f);
    EXPECT_EQ(panel().shapeGroup->button(2)->getValue(), 1.0f);
    effect->writeParameter(ParamEdit, 1.0f);
    EXPECT_EQ(panel().editButton->getValue(), 1.0f);
    effect->writeParameter(ParamPreset, 5.0f / 17.0f);
    EXPECT_EQ(editor->shownPreset(), 5);
    EXPECT_FLOAT_EQ(panel().presetSlider->getValue(), 5.0f / 17.0f);
    EXPECT_EQ(panel().presetNameView->name(), factoryPresetNames()[0][5]);
    EXPECT_TRUE(automatedValues(ParamPreset).empty()) << "the host's own change is not echoed";

    model->setValue(ParamClip, 1.0f);
    editor->idle();
    EXPECT_EQ(panel().clipLed->getValue(), 1.0f);
    EXPECT_EQ(model->clipRequest(), 1);
}

// A host's edit of the bands through the module's band request reaches the open editor at its
// next idle: the handle stands at the new edge, and the solo button and band show the solo.
TEST_F(WiringTest, AHostsBandEditMovesTheHandleAndShowsTheSoloAtTheNextIdle) {
    open();
    BandControls bands{};
    ASSERT_EQ(effect->vendorSpecific(kBandsRequestIndex, kBandsReadValue, &bands, 0.0f), 1);
    bands.edgeHz[3] = 3000.0f;
    bands.solo = 2.0f;
    ASSERT_EQ(effect->vendorSpecific(kBandsRequestIndex, kBandsEditValue, &bands, 0.0f), 1);
    EXPECT_NE(std::exp2(panel().bandView->edgeLog(3)), 3000.0f) << "moved before the idle";
    editor->idle();
    EXPECT_NEAR(std::exp2(panel().bandView->edgeLog(3)), 3000.0f, 0.01f);
    EXPECT_NEAR(editor->shownPresetRecord().bandEdge[3], 3000.0f, 0.01f);
    EXPECT_EQ(panel().bandView->selectedBand(), 1);
    EXPECT_NE(panel().soloButton->getValue(), 0.0f);
}

TEST_F(WiringTest, DefaultValuesAreTheParametersDefaults) {
    open();
    EXPECT_EQ(editor->defaultValueFor(panel().soloButton), -1.0f);
    EXPECT_EQ(editor->defaultValueFor(panel().knobs[5]), 0.0f);
    EXPECT_EQ(editor->defaultValueFor(panel().createButton), 0.0f);
    EXPECT_EQ(editor->defaultValueFor(nullptr), 0.0f);
}

}  // namespace
}  // namespace marrowfold::testing
