// The effect's lifecycle: what initialisation builds, when the engine is rebuilt, how the two
// process entry points differ, and what the editor object hears about.
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ProbeEffect.h"
#include "core/VendorRequests.h"
#include "dsp/AntialiasedShaping.h"
#include "dsp/DspEngine.h"
#include "effect/EditorNotifications.h"
#include "effect/MultibandEffect.h"
#include "params/DistortionParameters.h"

namespace marrowfold {
namespace {

using testing::RecordingHost;

// An editor object that records the effect's notifications.
class ListeningEditor : public HostEditor, public EditorNotifications {
  public:
    explicit ListeningEditor(MultibandEffect& owner) : HostEditor(&owner) {
        owner.registerEditor(this);
    }
    static EditorNotifications* create(MultibandEffect& effect, DistortionParameters&) {
        return new ListeningEditor(effect);
    }
    void parameterChanged(int32_t index, float value) override {
        changes.push_back({index, value});
    }
    void dataChanged(int32_t index, const void*, int32_t length, int32_t) override {
        dataIndex = index;
        dataLength = length;
    }
    void sampleRateChanged(float rate) override { rates.push_back(rate); }
    void setHostFreshFlag(int32_t flag) override { hostFresh = flag; }
    int32_t wheelTurned(float) override { return wheelAnswer; }

    struct Change {
        int32_t index;
        float value;
    };
    std::vector<Change> changes;
    std::vector<float> rates;
    int32_t dataIndex = -1;
    int32_t dataLength = 0;
    int32_t hostFresh = -1;
    int32_t wheelAnswer = 1;
};

// An effect whose engine can be made to fail, as when memory runs out.
class EngineLessEffect : public MultibandEffect {
  public:
    using MultibandEffect::MultibandEffect;
    DspEngine* createEngine(int32_t inputs, double rate, int32_t outputs) override {
        return failEngine ? nullptr : MultibandEffect::createEngine(inputs, rate, outputs);
    }
    bool failEngine = false;
};

class MultibandEffectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordingHost::reset();
        ASSERT_TRUE(effect.initialize());
        editor = static_cast<ListeningEditor*>(effect.editorObject());
        ASSERT_NE(editor, nullptr);
    }

    size_t wiringQuestions() const {
        size_t count = 0;
        for (const auto& call : RecordingHost::calls)
            count += call.opcode == HostPinConnected;
        return count;
    }

    // Processes one block of a 1 kHz tone and answers the output energy.
    float processTone(int32_t frames, bool accumulate = false) {
        input.assign(2, std::vector<float>(frames));
        output.assign(2, std::vector<float>(frames, 0.0f));
        for (int32_t n = 0; n < frames; ++n) {
            input[0][n] = input[1][n] =
                0.3f * std::sin(2.0f * 3.14159265f * 1000.0f * n / 44100.0f);
        }
        float* in[2] = {input[0].data(), input[1].data()};
        float* out[2] = {output[0].data(), output[1].data()};
        if (accumulate) {
            effect.processAdd(in, out, frames);
        } else {
            effect.processReplace(in, out, frames);
        }
        float energy = 0.0f;
        for (float sample : output[0])
            energy += sample * sample;
        return energy;
    }

    EngineLessEffect effect{&RecordingHost::receive, &ListeningEditor::create};
    ListeningEditor* editor = nullptr;
    std::vector<std::vector<float>> input, output;
};

TEST_F(MultibandEffectTest, InitialisationBuildsEverythingAndRegistersTheEditor) {
    EXPECT_EQ(effect.effectRecord()->flags, 57);
    EXPECT_TRUE(effect.isEngineReady());
    EXPECT_NE(effect.parameterModel(), nullptr);
    EXPECT_EQ(effect.storedProgramSize(), 6500);
    EXPECT_EQ(effect.programIndex(), 0);
    EXPECT_EQ(editor->hostFresh, 1);
    ASSERT_FALSE(editor->rates.empty());
    EXPECT_EQ(editor->rates.front(), 44100.0f);
    EXPECT_EQ(editor->dataIndex, 8) << "the factory load hands the bank to the editor";
    EXPECT_EQ(editor->dataLength, 6400);
}

TEST_F(MultibandEffectTest, WithoutAnEditorTheFlagsStayAt56) {
    MultibandEffect bare(&RecordingHost::receive);
    ASSERT_TRUE(bare.initialize());
    EXPECT_EQ(bare.effectRecord()->flags, 56);
    EXPECT_EQ(bare.vendorSpecific(0x78704D57, 0x57686565, nullptr, 1.0f), 0);
}

TEST_F(MultibandEffectTest, BlockSizeChangesAlwaysRebuildAndClearHostFreshness) {
    RecordingHost::reset();
    effect.changeBlockSize(1024);
    EXPECT_EQ(wiringQuestions(), 4u) << "same size, still rebuilt";
    EXPECT_EQ(editor->hostFresh, 0);
    EXPECT_EQ(effect.processingEngine()->blockSize(), 1024);
    EXPECT_EQ(editor->rates.back(), 44100.0f);
}

TEST_F(MultibandEffectTest, SampleRateChangeRebuildsAndTellsTheEditor) {
    effect.changeSampleRate(48000.0f);
    EXPECT_EQ(effect.currentSampleRate(), 48000.0f);
    EXPECT_EQ(editor->rates.back(), 48000.0f);
    EXPECT_EQ(effect.processingEngine()->shaper().sampleRate(), 48000.0f);
}

TEST_F(MultibandEffectTest, ARebuiltEngineReceivesEveryValueAgain) {
    DistortionParameters& model = *effect.parameterModel();
    model.setNormalized(ParamOut, 0.0f);
    model.takeValue(ParamOut);  // as if an old engine had taken it already
    effect.changeSampleRate(44100.0f);
    EXPECT_NEAR(effect.processingEngine()->shaper().outputGain(), 0.1f, 1e-6f);
}

TEST_F(MultibandEffectTest, RatesThatAreNotPositiveNumbersAreIgnored) {
    for (float rate : {0.0f, -44100.0f, NAN, INFINITY}) {
        effect.changeSampleRate(rate);
        EXPECT_EQ(effect.currentSampleRate(), 44100.0f) << rate;
        EXPECT_TRUE(effect.isEngineReady());
    }
}

TEST_F(MultibandEffectTest, WheelRequestNeedsBothCodesAndAnEditorAnsweringOne) {
    EXPECT_EQ(effect.vendorSpecific(0x78704D57, 0x57686565, nullptr, 2.0f), 1);
    editor->wheelAnswer = 2;
    EXPECT_EQ(effect.vendorSpecific(0x78704D57, 0x57686565, nullptr, 2.0f), 0);
    editor->wheelAnswer = 1;
    EXPECT_EQ(effect.vendorSpecific(0x78704D57, 0x57686566, nullptr, 2.0f), 0);
    EXPECT_EQ(effect.vendorSpecific(0x78704D58, 0x57686565, nullptr, 2.0f), 0);
}

TEST_F(MultibandEffectTest, HostWritesRaiseBusyOnlyWhileTheyRunAndReachTheEditor) {
    DistortionParameters& model = *effect.parameterModel();
    model.raiseBusy();
    effect.writeParameter(ParamIn, 0.75f);
    EXPECT_EQ(model.busyCount(), 1) << "back where it was";
    model.lowerBusy();
    ASSERT_FALSE(editor->changes.empty());
    EXPECT_EQ(editor->changes.back().index, ParamIn);
    EXPECT_EQ(editor->changes.back().value, 0.75f);
    EXPECT_FLOAT_EQ(model.getValue(ParamIn), 10.0f);
    effect.writeParameter(ParamSolo, 2.0f);
    EXPECT_EQ(model.getValue(ParamSolo), 2.0f) << "editor parameters travel as real values";
    EXPECT_EQ(effect.readParameter(ParamSolo), 0.0f);
    EXPECT_FLOAT_EQ(effect.readParameter(ParamIn), 0.75f);
}

TEST_F(MultibandEffectTest, ChangesWaitWhileTheModelIsBusy) {
    processTone(512);
    const BandShaper& shaper = effect.processingEngine()->shaper();
    DistortionParameters& model = *effect.parameterModel();
    model.raiseBusy();
    model.setNormalized(ParamOut, 0.0f);  // -20 dB
    processTone(512);
    EXPECT_EQ(shaper.outputGain(), 1.0f) << "the block runs with the old settings";
    model.lowerBusy();
    processTone(512);
    EXPECT_NEAR(shaper.outputGain(), 0.1f, 1e-6f);
}

TEST_F(MultibandEffectTest, LongerBlockRebuildsOnceThenRuns) {
    for (const bool accumulate : {false, true}) {
        SCOPED_TRACE(accumulate ? "processAdd" : "processReplace");
        effect.changeBlockSize(1024);
        ASSERT_EQ(effect.processingEngine()->blockSize(), 1024);
        RecordingHost::reset();
        EXPECT_GT(processTone(1500, accumulate), 0.0f);
        EXPECT_EQ(wiringQuestions(), 4u);
        EXPECT_EQ(effect.processingEngine()->blockSize(), 1500);
        processTone(1500, !accumulate);
        EXPECT_EQ(wiringQuestions(), 4u) << "no second rebuild for the same length";
    }
}

// Auto gain takes 1 or 0 alone; its gain, read through its own request, carries over an engine
// rebuilt for a longer block instead of starting again from 0 dB.
TEST_F(MultibandEffectTest, AutoGainTakesOnOrOffAndItsGainOutlivesARebuild) {
    const auto request = [&](float opt) {
        return effect.vendorSpecific(kAutoGainRequestIndex, kAutoGainRequestValue, nullptr, opt);
    };
    const auto applied = [&] {
        float decibels = 99.0f;
        EXPECT_EQ(
            effect.vendorSpecific(kAutoGainReadingIndex, kAutoGainReadingValue, &decibels, 0.0f),
            1);
        return decibels;
    };
    for (const float bad : {0.5f, 2.0f, -1.0f, std::nanf("")})
        EXPECT_EQ(request(bad), 0) << bad;
    EXPECT_FALSE(effect.autoGain());
    ASSERT_EQ(request(1.0f), 1);
    effect.changeBlockSize(1024);
    for (int32_t block = 0; block < 100; ++block)
        processTone(1024);
    const float settled = applied();
    EXPECT_LT(settled, -0.5f);
    processTone(2048);
    EXPECT_EQ(effect.processingEngine()->blockSize(), 2048);
    EXPECT_NEAR(applied(), settled, 0.5f);
    ASSERT_EQ(request(0.0f), 1);
    processTone(1024);
    EXPECT_EQ(applied(), 0.0f);
}

TEST_F(MultibandEffectTest, AnnouncedBlockSizeWithoutRebuildStillGetsAnEngineLongEnough) {
    effect.setBlockAndRate(4096, 44100.0f);
    EXPECT_EQ(effect.processingEngine()->blockSize(), 1024);
    EXPECT_GT(processTone(4096), 0.0f);
    EXPECT_GE(effect.processingEngine()->blockSize(), 4096);
    EXPECT_EQ(effect.currentBlockSize(), 4096);
}

TEST_F(MultibandEffectTest, WithoutAnEngineOutputsAreLeftAlone) {
    effect.failEngine = true;
    effect.changeSampleRate(44100.0f);
    ASSERT_FALSE(effect.isEngineReady());
    std::vector<float> in(2048, 0.5f), out(2048, 7.0f);
    float* ins[2] = {in.data(), in.data()};
    float* outs[2] = {out.data(), out.data()};
    effect.processAdd(ins, outs, 256);
    effect.processReplace(ins, outs, 256);
    for (float sample : out)
        ASSERT_EQ(sample, 7.0f);
    effect.failEngine = false;
    effect.processAdd(ins, outs, 2048);
    EXPECT_FALSE(effect.isEngineReady()) << "the accumulating entry checks readiness first";
    effect.processReplace(ins, outs, 2048);
    EXPECT_TRUE(effect.isEngineReady()) << "the replacing entry rebuilds for a longer block";
}

TEST_F(MultibandEffectTest, AccumulatingAddsToTheOutput) {
    const float replaced = processTone(512);
    const std::vector<float> first = output[0];
    effect.changeSampleRate(44100.0f);  // fresh filter state for the same block
    input.assign(2, std::vector<float>(512));
    for (int32_t n = 0; n < 512; ++n) {
        input[0][n] = input[1][n] = 0.3f * std::sin(2.0f * 3.14159265f * 1000.0f * n / 44100.0f);
    }
    output.assign(2, std::vector<float>(512, 0.25f));
    float* in[2] = {input[0].data(), input[1].data()};
    float* out[2] = {output[0].data(), output[1].data()};
    effect.processAdd(in, out, 512);
    EXPECT_GT(replaced, 0.0f);
    for (int32_t n = 0; n < 512; ++n)
        ASSERT_FLOAT_EQ(output[0][n], first[n] + 0.25f) << n;
}

// The factor request: taken factors move the record's latency and tell the host when it changed;
// refused ones answer 0 and change nothing. The chunk does not carry the factor, and a rebuilt
// engine keeps it.
TEST_F(MultibandEffectTest, OversamplingRequestSetsTheFactorAndTheLatency) {
    struct Row {
        float factor;
        intptr_t answer;
        int32_t factorAfter;
    };
    const Row kRows[] = {{8.0f, 1, 8},  {8.0f, 1, 8},  {3.0f, 0, 8}, {2.5f, 0, 8},
                         {32.0f, 0, 8}, {-4.0f, 0, 8}, {NAN, 0, 8},  {16.0f, 1, 16},
                         {2.0f, 1, 2},  {1e30f, 0, 2}, {1.0f, 1, 1}, {4.0f, 1, 4}};
    void* chunk = nullptr;
    const int32_t bytes = effect.saveState(&chunk, false);
    const std::vector<char> plainChunk(static_cast<char*>(chunk),
                                       static_cast<char*>(chunk) + bytes);
    int32_t latency = effect.effectRecord()->latency;
    EXPECT_EQ(latency, 0);
    for (const Row& row : kRows) {
        SCOPED_TRACE("factor " + std::to_string(row.factor));
        RecordingHost::reset();
        EXPECT_EQ(effect.vendorSpecific(kOversamplingRequestIndex, kOversamplingRequestValue,
                                        nullptr, row.factor),
                  row.answer);
        EXPECT_EQ(effect.oversampling(), row.factorAfter);
        const int32_t expected = oversamplingLatency(row.factorAfter);
        EXPECT_EQ(effect.effectRecord()->latency, expected);
        size_t told = 0;
        for (const auto& call : RecordingHost::calls)
            told += call.opcode == HostIoChanged;
        EXPECT_EQ(told, expected != latency ? 1u : 0u);
        latency = expected;
    }
    EXPECT_EQ(effect.vendorSpecific(kOversamplingRequestIndex, fourCharCode("Whee"), nullptr, 2.0f),
              0);
    EXPECT_EQ(effect.oversampling(), 4);
    chunk = nullptr;
    ASSERT_EQ(effect.saveState(&chunk, false), bytes);
    EXPECT_EQ(std::memcmp(chunk, plainChunk.data(), plainChunk.size()), 0);

    effect.changeBlockSize(1024);
    EXPECT_EQ(effect.processingEngine()->oversampling(), 4);
    EXPECT_EQ(effect.effectRecord()->latency, oversamplingLatency(4));

    effect.failEngine = true;
    effect.changeBlockSize(512);
    EXPECT_EQ(
        effect.vendorSpecific(kOversamplingRequestIndex, kOversamplingRequestValue, nullptr, 8.0f),
        0)
        << "no engine yet";
    EXPECT_EQ(effect.oversampling(), 4);
}

// Anti-aliasing takes on and off only; its delay counts in the latency at every factor and the
// host hears of each change, a rebuilt engine keeps it, the chunk does not, and without an
// engine it is refused.
TEST_F(MultibandEffectTest, AntialiasingRequestTakesOnOrOffAndCountsInTheLatency) {
    struct Row {
        float factor;
        float argument;
        intptr_t answer;
        bool onAfter;
    };
    const Row kRows[] = {{1.0f, 1.0f, 1, true},  {1.0f, 0.5f, 0, true},   {4.0f, NAN, 0, true},
                         {4.0f, 2.0f, 0, true},  {16.0f, 0.0f, 1, false}, {16.0f, 1.0f, 1, true},
                         {2.0f, -1.0f, 0, true}, {2.0f, 1.0f, 1, true}};
    void* chunk = nullptr;
    const int32_t bytes = effect.saveState(&chunk, false);
    const std::vector<char> plainChunk(static_cast<char*>(chunk),
                                       static_cast<char*>(chunk) + bytes);
    for (const Row& row : kRows) {
        SCOPED_TRACE("factor " + std::to_string(row.factor) + ", " + std::to_string(row.argument));
        effect.vendorSpecific(kOversamplingRequestIndex, kOversamplingRequestValue, nullptr,
                              row.factor);
        const int32_t before = effect.effectRecord()->latency;
        RecordingHost::reset();
        EXPECT_EQ(effect.vendorSpecific(kAntialiasingRequestIndex, kAntialiasingRequestValue,
                                        nullptr, row.argument),
                  row.answer);
        EXPECT_EQ(effect.antialiasing(), row.onAfter);
        const int32_t expected = oversamplingLatency(static_cast<int32_t>(row.factor),
                                                     row.onAfter ? kAntialiasingDelay : 0);
        EXPECT_EQ(effect.effectRecord()->latency, expected);
        size_t told = 0;
        for (const auto& call : RecordingHost::calls)
            told += call.opcode == HostIoChanged;
        EXPECT_EQ(told, expected != before ? 1u : 0u);
    }
    chunk = nullptr;
    ASSERT_EQ(effect.saveState(&chunk, false), bytes);
    EXPECT_EQ(std::memcmp(chunk, plainChunk.data(), plainChunk.size()), 0);

    effect.changeBlockSize(1024);
    EXPECT_TRUE(effect.processingEngine()->antialiasing());
    EXPECT_EQ(effect.effectRecord()->latency, oversamplingLatency(2, kAntialiasingDelay));

    effect.failEngine = true;
    effect.changeBlockSize(512);
    EXPECT_EQ(
        effect.vendorSpecific(kAntialiasingRequestIndex, kAntialiasingRequestValue, nullptr, 0.0f),
        0)
        << "no engine yet";
    EXPECT_TRUE(effect.antialiasing());
}

// Smoothing, mix and bypass take exactly their valid arguments, reach the engine at the next
// block, survive a rebuilt engine, stay out of the chunk, and are refused without an engine.
TEST_F(MultibandEffectTest, SoundSettingRequestsTakeValidArgumentsOnly) {
    struct Row {
        int32_t index;
        int32_t value;
        float argument;
        intptr_t answer;
    };
    const Row kRows[] = {
        {kMixRequestIndex, kMixRequestValue, 25.0f, 1},
        {kMixRequestIndex, kMixRequestValue, -5.0f, 0},
        {kMixRequestIndex, kMixRequestValue, NAN, 0},
        {kMixRequestIndex, kMixRequestValue, 100.5f, 0},
        {kMixRequestIndex, kMixRequestValue, INFINITY, 0},
        {kMixRequestIndex, kBypassRequestValue, 50.0f, 0},
        {kSmoothingRequestIndex, kSmoothingRequestValue, 1.0f, 1},
        {kSmoothingRequestIndex, kSmoothingRequestValue, 2.0f, 0},
        {kBypassRequestIndex, kBypassRequestValue, 0.5f, 0},
        {kBypassRequestIndex, kBypassRequestValue, NAN, 0},
        {kBypassRequestIndex, kBypassRequestValue, 1.0f, 1},
    };
    void* chunk = nullptr;
    const int32_t bytes = effect.saveState(&chunk, false);
    const std::vector<char> plainChunk(static_cast<char*>(chunk),
                                       static_cast<char*>(chunk) + bytes);
    for (const Row& row : kRows) {
        SCOPED_TRACE("argument " + std::to_string(row.argument));
        EXPECT_EQ(effect.vendorSpecific(row.index, row.value, nullptr, row.argument), row.answer);
    }
    EXPECT_EQ(effect.mixShare(), 0.25f);
    EXPECT_TRUE(effect.smoothing());
    EXPECT_TRUE(effect.isBypassed());
    chunk = nullptr;
    ASSERT_EQ(effect.saveState(&chunk, false), bytes);
    EXPECT_EQ(std::memcmp(chunk, plainChunk.data(), plainChunk.size()), 0);

    // A rebuilt engine starts bypassed at once: the output is the input (no latency at 1x).
    effect.changeBlockSize(1024);
    processTone(1024);
    EXPECT_EQ(output[0], input[0]);
    EXPECT_EQ(output[1], input[1]);

    effect.failEngine = true;
    effect.changeBlockSize(512);
    for (const int32_t index : {kMixRequestIndex, kBypassRequestIndex, kSmoothingRequestIndex}) {
        const int32_t value = index == kMixRequestIndex      ? kMixRequestValue
                              : index == kBypassRequestIndex ? kBypassRequestValue
                                                             : kSmoothingRequestValue;
        EXPECT_EQ(effect.vendorSpecific(index, value, nullptr, 0.0f), 0) << "no engine yet";
    }
    EXPECT_TRUE(effect.isBypassed());
    EXPECT_EQ(effect.mixShare(), 0.25f);
}

}  // namespace
}  // namespace marrowfold
