// Creating and deleting presets through the buttons with the dialogs answered by the script, and
// the about splash with the module's version.

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "editor/AboutSplash.h"
#include "editor/EditorDialogs.h"
#include "editor/PresetNameView.h"
#include "editor/VersionText.h"
#include "gui/Knob.h"
#include "gui/ToggleButton.h"
#include "tests/common/FactoryNames.h"
#include "tests/editor/EditorFixture.h"

namespace marrowfold::testing {
namespace {

constexpr Point kEditButton{330, 195};
constexpr Point kCreateButton{468, 16};
constexpr Point kDeleteButton{403, 16};

// Pixels inside [x0, x1) x [y0, y1) bright in every channel, as text drawn in white leaves them.
int brightPixels(cairo_surface_t* surface, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const uint32_t p = pixelAt(surface, x, y);
            n += (p >> 16 & 0xff) > 180 && (p >> 8 & 0xff) > 180 && (p & 0xff) > 180;
        }
    }
    return n;
}

class PresetButtonsTest : public EditorTest {
  protected:
    void SetUp() override {
        EditorTest::SetUp();
        open();
        click(kEditButton);
    }
    std::vector<unsigned char> bank() const {
        std::vector<unsigned char> bytes(kBankSize);
        model->getData(ParamBank, bytes.data(), kBankSize, 0);
        return bytes;
    }
    const std::vector<std::string>& names() const { return factoryPresetNames()[0]; }
};

TEST_F(PresetButtonsTest, CreateInsertsANamedDefaultPresetAfterTheShownOne) {
    effect->writeParameter(ParamPreset, 2.0f / 17.0f);
    headless().queueNameAnswers({{true, "Fuzz"}});
    click(kCreateButton);
    EXPECT_EQ(headless().nameDialogsShown(), 1);
    EXPECT_EQ(model->getValue(ParamPresetCount), 18.0f);
    EXPECT_EQ(editor->shownPreset(), 3);
    EXPECT_EQ(model->currentPreset(), 3);
    const PresetRecord created = record(3);
    EXPECT_STREQ(created.name, "Fuzz");
    const float edges[5] = {25.0f, 136.24f, 742.46f, 4046.14f, 22050.0f};
    for (int e = 0; e < 5; ++e)
        EXPECT_NEAR(created.bandEdge[e], edges[e], 0.01f) << e;
    EXPECT_EQ(created.bandDrive[1], 0.0f);
    EXPECT_EQ(created.shape, 0);
    EXPECT_STREQ(record(4).name, names()[3].c_str());
    EXPECT_STREQ(record(17).name, names()[16].c_str());
    EXPECT_EQ(panel().presetNameView->name(), "Fuzz");
    ASSERT_EQ(automatedValues(ParamPreset).size(), 1u);
    EXPECT_FLOAT_EQ(automatedValues(ParamPreset)[0], 3.0f / 18.0f);
    EXPECT_EQ(panel().createButton->getValue(), 0.0f);
    EXPECT_EQ(model->getValue(ParamCreate), 1.0f);
}

TEST_F(PresetButtonsTest, NameDialogKeepsSeventeenCharactersAndStaysOpenWhenEmpty) {
    headless().queueNameAnswers({{true, "ABCDEFGHIJKLMNOPQRST"}});
    click(kCreateButton);
    EXPECT_STREQ(record(1).name, "ABCDEFGHIJKLMNOPQ");

    headless().queueNameAnswers({{true, ""}, {true, "Second"}});
    click(kCreateButton);
    EXPECT_EQ(headless().nameDialogsShown(), 2) << "OK on an empty field did not close it";
    EXPECT_STREQ(record(2).name, "Second");
    EXPECT_EQ(model->getValue(ParamPresetCount), 19.0f);
}

TEST_F(PresetButtonsTest, CancelledNameOrNoToDeleteChangesNothing) {
    const std::vector<unsigned char> before = bank();
    headless().queueNameAnswers({{false, "Ignored"}});
    click(kCreateButton);
    headless().queueYesNoAnswers({false});
    click(kDeleteButton);
    EXPECT_EQ(bank(), before);
    EXPECT_EQ(model->getValue(ParamPresetCount), 17.0f);
    EXPECT_EQ(editor->shownPreset(), 0);
    EXPECT_TRUE(automatedValues(ParamPreset).empty());
    EXPECT_EQ(panel().createButton->getValue(), 0.0f);
    EXPECT_EQ(panel().deleteButton->getValue(), 0.0f);
}

TEST_F(PresetButtonsTest, DeleteAsksByNameAndSelectsThePresetBefore) {
    effect->writeParameter(ParamPreset, 3.0f / 17.0f);
    headless().queueYesNoAnswers({true});
    click(kDeleteButton);
    EXPECT_EQ(headless().lastQuestionTitle(), "Delete");
    EXPECT_EQ(headless().lastQuestion(), "Do you realy want to delete \" DrumsOfDoom \"?");
    EXPECT_EQ(model->getValue(ParamPresetCount), 16.0f);
    EXPECT_EQ(editor->shownPreset(), 2);
    EXPECT_STREQ(record(3).name, names()[4].c_str());
    EXPECT_EQ(panel().presetNameView->name(), names()[2]);
    EXPECT_FLOAT_EQ(automatedValues(ParamPreset).back(), 2.0f / 16.0f);
    EXPECT_EQ(panel().deleteButton->getValue(), 0.0f);
}

// A name field that a chunk filled to the last byte is named whole, and nothing beyond it.
TEST_F(PresetButtonsTest, DeleteQuestionNamesAnUnterminatedNameWhole) {
    PresetRecord preset = record(0);
    std::memset(preset.name, 'x', sizeof preset.name);
    preset.recordTag = 0x41414141;
    editor->dataChanged(ParamBank, &preset, kPresetRecordSize, 0);
    click(kDeleteButton);
    EXPECT_EQ(headless().lastQuestion(), deleteQuestion(std::string(32, 'x')));
    EXPECT_EQ(panel().presetNameView->name(), std::string(32, 'x'));
}

TEST_F(PresetButtonsTest, FullBankOrLastPresetOnlyResetTheButton) {
    model->setValue(ParamPresetCount, 64.0f);
    click(kCreateButton);
    EXPECT_EQ(headless().nameDialogsShown(), 0) << "no name is asked for that cannot be used";
    EXPECT_EQ(model->getValue(ParamPresetCount), 64.0f);
    EXPECT_EQ(panel().createButton->getValue(), 0.0f);

    model->setValue(ParamPresetCount, 1.0f);
    headless().queueYesNoAnswers({true});
    click(kDeleteButton);
    EXPECT_EQ(headless().lastQuestion(), "");
    EXPECT_EQ(model->getValue(ParamPresetCount), 1.0f);
    EXPECT_EQ(panel().deleteButton->getValue(), 0.0f);
    EXPECT_TRUE(automatedValues(ParamPreset).empty());
}

TEST_F(EditorTest, SplashOpensOnItsClickAreaOnlyAndShowsTheVersion) {
    open();
    AboutSplash* splash = panel().splash;
    click({223, 6});
    EXPECT_FALSE(splash->isOpen());
    click({224, 6});
    EXPECT_TRUE(splash->isOpen());
    EXPECT_EQ(frame()->exclusiveView(), splash);
    editor->idle();
    // The version line is the only text in its area of the picture.
    EXPECT_GT(brightPixels(surface(), 108, 132, 246, 152), 20);
    expectMatchesGolden(surface(), "editor_splash", 24);
    click({100, 100});
    EXPECT_FALSE(splash->isOpen());
    EXPECT_EQ(frame()->exclusiveView(), nullptr);
    click({331, 24});
    EXPECT_TRUE(splash->isOpen());
    EXPECT_TRUE(automatedValues(ParamBand1).empty());
}

TEST_F(EditorTest, AClickOnAKnobUnderTheOpenSplashOnlyClosesIt) {
    open();
    editor->chooseKnobMode(2);
    click({230, 10});
    const float before = panel().knobs[1]->getValue();
    drag({143, 90}, {{143, 60, kMouseLeft, 1}, {143, 30, kMouseLeft, 1}, {143, 30, 0, 1}});
    editor->chooseKnobMode(0);
    EXPECT_FALSE(panel().splash->isOpen());
    EXPECT_EQ(panel().knobs[1]->getValue(), before);
    EXPECT_TRUE(automatedValues(ParamBand2).empty());
    EXPECT_EQ(countEvents(kBeginEditOpcode), 0);
}

TEST(VersionTextTest, PrefixesTheFileVersion) {
    EXPECT_EQ(versionLine("1.1.0"), "Version: 1.1.0");
    EXPECT_EQ(versionLine(""), "Version: ");
}

}  // namespace
}  // namespace marrowfold::testing
