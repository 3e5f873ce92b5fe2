// The editor object follows the effect while its window is closed: the preset it will show,
// the engine's view of a newly selected preset, the sample rate and the clip hand-over.
#include <cmath>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "dsp/DspEngine.h"
#include "editor/MultibandEditor.h"
#include "effect/MultibandEffect.h"
#include "params/DistortionParameters.h"
#include "platform/HeadlessPlatform.h"

namespace marrowfold {
namespace {

intptr_t quietHost(EffectRecord*, int32_t opcode, int32_t, intptr_t, void*, float) {
    return opcode == HostVersion ? 2400 : 0;
}

class ClosedEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previousPlatform = replacePlatform(std::make_unique<HeadlessPlatform>());
        effect = std::make_unique<MultibandEffect>(&quietHost, &MultibandEditor::create);
        ASSERT_TRUE(effect->initialize());
        editor = static_cast<MultibandEditor*>(effect->editorObject());
        model = effect->parameterModel();
    }
    void TearDown() override {
        effect.reset();
        replacePlatform(std::move(previousPlatform));
    }

    void processSilence(int32_t frames = 64) {
        std::vector<float> left(frames), right(frames);
        float* channels[2] = {left.data(), right.data()};
        effect->processReplace(channels, channels, frames);
    }

    std::unique_ptr<Platform> previousPlatform;
    std::unique_ptr<MultibandEffect> effect;
    MultibandEditor* editor = nullptr;
    DistortionParameters* model = nullptr;
};

TEST_F(ClosedEditorTest, RegistersItselfAndReportsThePanelSize) {
    EXPECT_EQ(effect->effectRecord()->flags, 57);
    EditorRect* rect = nullptr;
    EXPECT_EQ(editor->getBounds(&rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->right - rect->left, 728);
    EXPECT_EQ(rect->bottom - rect->top, 213);
    EXPECT_EQ(editor->chooseKnobMode(2), 1);
    EXPECT_EQ(editor->wheelTurned(1.0f), 0) << "no window, no wheel";
}

TEST_F(ClosedEditorTest, HostFreshnessLastsUntilTheHostAnnouncesABlockSize) {
    EXPECT_EQ(editor->hostFresh(), 1);
    effect->changeBlockSize(512);
    EXPECT_EQ(editor->hostFresh(), 0);
}

TEST_F(ClosedEditorTest, FollowsTheSampleRate) {
    EXPECT_EQ(editor->editorSampleRate(), 44100.0f);
    effect->changeSampleRate(96000.0f);
    EXPECT_EQ(editor->editorSampleRate(), 96000.0f);
}

TEST_F(ClosedEditorTest, AHostPresetChangeIsFollowedAndFullyReapplied) {
    PresetRecord third{};
    model->getData(ParamBank, &third, kPresetRecordSize, 3);
    effect->writeParameter(ParamPreset, 3.0f / 17.0f);
    EXPECT_EQ(editor->shownPreset(), 3);
    EXPECT_EQ(std::memcmp(&editor->shownPresetRecord(), &third, sizeof third), 0);
    EXPECT_EQ(model->getValue(ParamModify), 18.0f);
    EXPECT_TRUE(model->isChanged(ParamBank));
    processSilence();
    const BandShaper& shaper = effect->processingEngine()->shaper();
    for (int32_t band = 0; band < 4; ++band) {
        EXPECT_NEAR(shaper.driveGain(band), std::pow(10.0f, third.bandDrive[band] / 20.0f), 1e-5f)
            << band;
        EXPECT_NEAR(shaper.bandSpec(band).lower, third.bandEdge[band], 1e-3) << band;
    }
    EXPECT_NEAR(shaper.bandSpec(3).upper, third.bandEdge[4], 1e-3);
}

TEST_F(ClosedEditorTest, AProgramSwitchAppliesEveryDriveAndEdgeInTheFirstBlock) {
    effect->selectProgram(1);
    PresetRecord first{};
    model->getData(ParamBank, &first, kPresetRecordSize, 0);
    ASSERT_STREQ(first.name, "Clean Licks");
    EXPECT_EQ(editor->shownPreset(), 0);
    processSilence();
    const BandShaper& shaper = effect->processingEngine()->shaper();
    for (int32_t band = 0; band < 4; ++band) {
        EXPECT_NEAR(shaper.driveGain(band), std::pow(10.0f, first.bandDrive[band] / 20.0f), 1e-5f);
        EXPECT_NEAR(shaper.bandSpec(band).lower, first.bandEdge[band], 1e-3);
        EXPECT_NEAR(shaper.bandSpec(band).upper, first.bandEdge[band + 1], 1e-3);
    }
}

TEST_F(ClosedEditorTest, RestoredBankReachesTheEditorsCopy) {
    PresetRecord record{};
    model->getData(ParamBank, &record, kPresetRecordSize, 0);
    std::strcpy(record.name, "Renamed");
    std::vector<unsigned char> bank(6400);
    model->getData(ParamBank, bank.data(), 6400, 0);
    std::memcpy(bank.data(), &record, sizeof record);
    editor->dataChanged(ParamBank, bank.data(), 6400, 0);
    EXPECT_STREQ(editor->shownPresetRecord().name, "Renamed");
}

TEST_F(ClosedEditorTest, IdleHandsOverTheClipIndicator) {
    effect->writeParameter(ParamIn, 1.0f);  // +20 dB drives any real signal into the limit
    model->setClipRequest(0);
    std::vector<float> loud(256, 0.9f);
    float* channels[2] = {loud.data(), loud.data()};
    effect->processReplace(channels, channels, 256);
    EXPECT_EQ(model->getValue(ParamClip), 0.0f) << "nobody asked for it yet";
    editor->idle();
    EXPECT_EQ(model->clipRequest(), 1);
    EXPECT_EQ(model->clipReading(), 0);
    loud.assign(256, 0.9f);
    effect->processReplace(channels, channels, 256);
    EXPECT_EQ(model->getValue(ParamClip), 1.0f);
    EXPECT_EQ(model->clipRequest(), 0);
    editor->idle();
    EXPECT_EQ(editor->clipIndicator(), 1.0f);
    effect->writeParameter(ParamIn, 0.5f);
    for (int i = 0; i < 40; ++i)
        processSilence(256);
    editor->idle();
    processSilence(256);
    editor->idle();
    EXPECT_EQ(editor->clipIndicator(), 0.0f) << "no overs since the last publication";
}

}  // namespace
}  // namespace marrowfold
