// Requests reach the right operation with the right arguments and answer in the host's terms.
#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "ProbeEffect.h"

namespace marrowfold {
namespace {

using testing::ProbeEditor;
using testing::ProbeEffect;

intptr_t send(ProbeEffect& effect, int32_t opcode, int32_t index = 0, intptr_t value = 0,
              void* ptr = nullptr, float opt = 0.0f) {
    EffectRecord* record = effect.effectRecord();
    return record->dispatchEntry(record, opcode, index, value, ptr, opt);
}

TEST(HostEffectConstruction, RecordStartsWithTheNeutralIdentity) {
    ProbeEffect effect;
    const EffectRecord& record = *effect.effectRecord();
    EXPECT_EQ(record.magic, 0x506C6750);
    EXPECT_EQ(record.programCount, 4);
    EXPECT_EQ(record.parameterCount, 8);
    EXPECT_EQ(record.inputCount, 1);
    EXPECT_EQ(record.outputCount, 2);
    EXPECT_EQ(record.flags, 0);
    EXPECT_EQ(record.latency, 0);
    EXPECT_EQ(record.rateRatio, 1.0f);
    EXPECT_EQ(record.owner, static_cast<void*>(&effect));
    EXPECT_EQ(record.hostData, 0);
    EXPECT_EQ(record.pluginId, 0x4E6F4566);
    EXPECT_EQ(record.pluginVersion, 1);
    for (char byte : record.spare)
        EXPECT_EQ(byte, 0);
    EXPECT_EQ(effect.storedSampleRate(), 44100.0f);
    EXPECT_EQ(effect.storedBlockSize(), 1024);
}

TEST(Dispatcher, FixedAnswers) {
    ProbeEffect effect;
    EXPECT_EQ(send(effect, ReqIdentify), 0x4E764566);
    EXPECT_EQ(send(effect, ReqInterfaceVersion), 2200);
    EXPECT_EQ(send(effect, ReqKeysNeeded), 1) << "inverted: keys are not needed";
    EXPECT_EQ(send(effect, ReqCanAutomate, 3), 1);
    EXPECT_EQ(send(effect, ReqCategoryCount), 1);
    EXPECT_EQ(send(effect, ReqMidiCurrentProgram), -1);
    EXPECT_EQ(send(effect, ReqCategory), 0);
    effect.enableInstrument(true);
    EXPECT_EQ(send(effect, ReqCategory), 2);
}

TEST(Dispatcher, UnknownOpcodesAnswerZero) {
    ProbeEffect effect;
    for (int32_t opcode : {16, 17, 18, 20, 21, 69, 100, -1, std::numeric_limits<int32_t>::min(),
                           std::numeric_limits<int32_t>::max()}) {
        EXPECT_EQ(send(effect, opcode, 1, 1), 0) << opcode;
    }
    EXPECT_EQ(effect.activations + effect.deactivations, 0);
}

TEST(Dispatcher, WiringRequestsAlwaysAnswerOne) {
    ProbeEffect effect;
    EXPECT_EQ(send(effect, ReqInputWired, 0, 0), 1);
    EXPECT_EQ(send(effect, ReqInputWired, 7, 1), 1);
    EXPECT_EQ(send(effect, ReqOutputWired, -3, 0), 1);
}

TEST(Dispatcher, MeterIsScaledAndTruncated) {
    ProbeEffect effect;
    EXPECT_EQ(send(effect, ReqMeter), 0);
    effect.meter = 0.5f;
    EXPECT_EQ(send(effect, ReqMeter), 16383);
    effect.meter = -0.5f;
    EXPECT_EQ(send(effect, ReqMeter), -16383);
    effect.meter = 1.0f / 40000.0f;
    EXPECT_EQ(send(effect, ReqMeter), 0) << "magnitudes below one after scaling";
    effect.meter = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(send(effect, ReqMeter), 0);
}

TEST(Dispatcher, BlockAndRateStoreWithoutReaction) {
    ProbeEffect effect;
    EXPECT_EQ(send(effect, ReqBlockAndRate, 0, 4096, nullptr, 48000.0f), 1);
    EXPECT_EQ(effect.storedBlockSize(), 4096);
    EXPECT_EQ(effect.storedSampleRate(), 48000.0f);
    EXPECT_EQ(effect.sampleRateChanges, 0);
    EXPECT_EQ(effect.blockSizeChanges, 0);
    send(effect, ReqSetSampleRate, 0, 0, nullptr, 96000.0f);
    send(effect, ReqSetBlockSize, 0, 256);
    EXPECT_EQ(effect.sampleRateChanges, 1);
    EXPECT_EQ(effect.storedSampleRate(), 96000.0f);
    EXPECT_EQ(effect.storedBlockSize(), 256);
}

TEST(Dispatcher, AnyNonZeroValueActivates) {
    ProbeEffect effect;
    send(effect, ReqSetActive, 0, 2);
    send(effect, ReqSetActive, 0, -1);
    send(effect, ReqSetActive, 0, 0);
    EXPECT_EQ(effect.activations, 2);
    EXPECT_EQ(effect.deactivations, 1);
}

TEST(Dispatcher, ProgramNumbersAreComparedSigned) {
    ProbeEffect effect;
    EXPECT_EQ(send(effect, ReqSetProgram, 0, 4), 0);
    send(effect, ReqSetProgram, 0, 3);
    send(effect, ReqSetProgram, 0, -2);
    ASSERT_EQ(effect.selectedPrograms.size(), 2u);
    EXPECT_EQ(effect.selectedPrograms[0], 3);
    EXPECT_EQ(effect.selectedPrograms[1], -2);
    EXPECT_EQ(send(effect, ReqGetProgram), -2);
}

TEST(Dispatcher, ArgumentsAreMappedAsDocumented) {
    ProbeEffect effect;
    EXPECT_EQ(send(effect, ReqIndexedProgramName, 5, 9), 1);
    EXPECT_EQ(effect.lastCategory, 9) << "category comes from value";
    EXPECT_EQ(effect.lastIndex, 5) << "program comes from index";
    EXPECT_EQ(send(effect, ReqBypass, 0, 3), 1);
    EXPECT_TRUE(effect.bypassed);
    EXPECT_EQ(send(effect, ReqBypass, 0, 0), 0);
    EXPECT_EQ(send(effect, ReqParamFromText, 0, 0, nullptr), 0);
}

TEST(Dispatcher, TextDefaultsWriteEmptyTexts) {
    ProbeEffect effect;
    char text[16] = "leftover";
    send(effect, ReqParamTitle, 2, 0, text);
    EXPECT_STREQ(text, "");
    std::strcpy(text, "leftover");
    send(effect, ReqGetProgramName, 0, 0, text);
    EXPECT_STREQ(text, "");
    std::strcpy(text, "leftover");
    EXPECT_EQ(send(effect, ReqVendorName, 0, 0, text), 0);
    EXPECT_STREQ(text, "leftover") << "the base class writes no vendor";
}

TEST(Dispatcher, EditorRequestsWithoutEditorAnswerZero) {
    ProbeEffect effect;
    EditorRect* rect = reinterpret_cast<EditorRect*>(0x1);
    for (int32_t opcode : {ReqEditorRect, ReqEditorOpen, ReqEditorClose, ReqEditorIdle, ReqKeyDown,
                           ReqKeyUp, ReqKnobMode}) {
        EXPECT_EQ(send(effect, opcode, 1, 1, &rect, 1.0f), 0) << opcode;
    }
}

TEST(Dispatcher, EditorRequestsReachTheEditor) {
    ProbeEffect effect;
    auto* editor = new ProbeEditor(&effect);
    effect.registerEditor(editor);
    EXPECT_EQ(effect.effectRecord()->flags & FlagEditor, FlagEditor);
    EditorRect* rect = nullptr;
    EXPECT_EQ(send(effect, ReqEditorRect, 0, 0, &rect), 1);
    EXPECT_EQ(rect, &editor->bounds);
    int window = 0;
    send(effect, ReqEditorOpen, 0, 0, &window);
    EXPECT_EQ(editor->attachedTo, &window);
    send(effect, ReqEditorIdle);
    send(effect, ReqEditorClose);
    EXPECT_EQ(editor->idles, 1);
    EXPECT_EQ(editor->detaches, 1);
    EXPECT_EQ(send(effect, ReqKnobMode, 0, 2), 1);
    EXPECT_EQ(editor->knobMode, 2);
}

TEST(Dispatcher, KeyRecordTakesLowBytes) {
    ProbeEffect effect;
    auto* editor = new ProbeEditor(&effect);
    effect.registerEditor(editor);
    EXPECT_EQ(send(effect, ReqKeyDown, 'a', 0x1FF, nullptr, 300.7f), 1);
    EXPECT_EQ(editor->lastKey.character, 'a');
    EXPECT_EQ(editor->lastKey.virtualKey, 0xFF);
    EXPECT_EQ(editor->lastKey.modifiers, 300 & 0xFF);
    EXPECT_EQ(send(effect, ReqKeyUp, 13, 0x0D, nullptr, -1.9f), 2);
    EXPECT_EQ(editor->lastKey.modifiers, static_cast<uint8_t>(-1)) << "-1.9 truncates to -1";
    EXPECT_EQ(send(effect, ReqKeyUp, 13, 0x0D, nullptr, 1e30f), 2);
}

TEST(Dispatcher, CloseAnswersOneAndDeletesTheEffectAndItsEditor) {
    bool effectGone = false;
    bool editorGone = false;
    auto* effect = new ProbeEffect(nullptr, &effectGone);
    effect->registerEditor(new ProbeEditor(effect, &editorGone));
    EffectRecord* record = effect->effectRecord();
    EXPECT_EQ(record->dispatchEntry(record, ReqClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_TRUE(effectGone);
    EXPECT_TRUE(editorGone);
}

TEST(Dispatcher, AThrowingOperationAnswersZeroInsteadOfEscaping) {
    ProbeEffect effect;
    EXPECT_EQ(send(effect, ReqTailSize), 7);
    effect.throwOnTail = true;
    EXPECT_EQ(send(effect, ReqTailSize), 0);
}

TEST(Dispatcher, ParameterEntriesUseTheBaseDefaults) {
    ProbeEffect effect;
    EffectRecord* record = effect.effectRecord();
    record->setParameterEntry(record, 3, 0.5f);
    EXPECT_EQ(record->getParameterEntry(record, 3), 0.0f);
    float sample = 0.25f;
    float* channels[2] = {&sample, &sample};
    record->processReplaceEntry(record, channels, channels, 1);
    EXPECT_EQ(sample, 0.25f);
}

TEST(RecordFlags, EachSwitchOwnsOneBit) {
    ProbeEffect effect;
    effect.enableMono(true);
    effect.enableReplacing(true);
    effect.enableChunkState(true);
    EXPECT_EQ(effect.effectRecord()->flags, 56);
    effect.enableVuMeter(true);
    effect.enableClipMeter(true);
    effect.enableNoTail(true);
    effect.enableAsync(true);
    effect.enableExternalBuffer(true);
    EXPECT_EQ(effect.effectRecord()->flags, 56 + 4 + 2 + 512 + 1024 + 2048);
    effect.enableReplacing(false);
    effect.enableVuMeter(false);
    EXPECT_EQ(effect.effectRecord()->flags, 40 + 2 + 512 + 1024 + 2048);
}

}  // namespace
}  // namespace marrowfold
