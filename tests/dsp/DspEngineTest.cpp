// The engine with the real parameter model: which parameter reaches which setting, "Modify"
// codes, clip publication, accumulating mode, and recovery from broken input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "dsp/DspEngine.h"
#include "params/DistortionParameters.h"
#include "params/ParameterIndex.h"
#include "tests/dsp/DspTestSupport.h"

namespace marrowfold {
namespace {

using test::kPi;

constexpr int32_t kBlock = 512;
constexpr double kRate = 44100.0;

double gain(double decibels) {
    return std::pow(10.0, decibels / 20.0);
}

// Two channels of one block, filled from a generator of (channel, sample index).
struct StereoBlock {
    std::vector<float> channel[2] = {std::vector<float>(kBlock), std::vector<float>(kBlock)};
    float* pointers[2] = {};

    float** data() {
        pointers[0] = channel[0].data();
        pointers[1] = channel[1].data();
        return pointers;
    }

    template <typename Generator>
    void fill(Generator generator) {
        for (int32_t ch = 0; ch < 2; ++ch) {
            for (int32_t n = 0; n < kBlock; ++n)
                channel[ch][n] = generator(ch, n);
        }
    }
};

// A tone, optionally with a second one, starting at sample start of the signal.
auto tones(int64_t start, double hz, double amplitude, double hz2 = 0.0, double amplitude2 = 0.0) {
    return [=](int32_t ch, int32_t n) {
        const double t = static_cast<double>(start + n) / kRate;
        return static_cast<float>(amplitude * std::sin(2.0 * kPi * hz * t) +
                                  amplitude2 * std::sin(2.0 * kPi * (hz2 + ch) * t));
    };
}

TEST(DspEngineTest, ChangedParametersReachTheirSettings) {
    DistortionParameters model;
    DspEngine engine(kBlock, 2, kRate, 0);
    EXPECT_EQ(engine.outputChannels(), 2);
    EXPECT_EQ(engine.latency(), 0);
    engine.applyChanges(model);
    model.setValue(ParamBand2, 6.0f);
    model.setValue(ParamIn, -10.0f);
    model.setValue(ParamOut, 3.0f);
    model.setValue(ParamShape, 3.0f);
    model.setValue(ParamSolo, 2.0f);
    engine.applyChanges(model);
    const BandShaper& shaper = engine.shaper();
    EXPECT_NEAR(shaper.levelGain(1), gain(6.0), 1e-6);
    EXPECT_EQ(shaper.levelGain(0), 1.0f);
    EXPECT_NEAR(shaper.inputGain(), gain(-10.0), 1e-6);
    EXPECT_NEAR(shaper.outputGain(), gain(3.0), 1e-6);
    EXPECT_NEAR(shaper.makeupGain(), 0.45186, 5e-6);
    EXPECT_TRUE(shaper.soloActive());
    EXPECT_EQ(shaper.soloBand(), 2);
    EXPECT_EQ(model.changedMask(), 0u);

    for (const float noSolo : {-1.0f, 4.0f}) {
        model.setValue(ParamSolo, noSolo);
        engine.applyChanges(model);
        EXPECT_FALSE(engine.shaper().soloActive()) << noSolo;
    }
}

TEST(DspEngineTest, ModifyCodeSelectsThePresetFieldsToApply) {
    DistortionParameters model;
    DspEngine engine(kBlock, 2, kRate, 2);
    engine.applyChanges(model);
    const BandShaper& shaper = engine.shaper();
    const PresetRecord record = {
        {6, -3, 0, 12}, {30, 200, 1500, 6000, 18000}, {}, 0.0f, 0.0f, 0, "", kRecordTag};
    const auto applyWithCode = [&](float code) {
        model.setData(ParamBank, &record, kPresetRecordSize, model.currentPreset());
        model.setValue(ParamModify, code);
        engine.applyChanges(model);
    };

    applyWithCode(5.0f);  // edge 1 only: band 0's upper and band 1's lower edge
    EXPECT_DOUBLE_EQ(shaper.bandSpec(0).upper, 200.0);
    EXPECT_DOUBLE_EQ(shaper.bandSpec(1).lower, 200.0);
    EXPECT_DOUBLE_EQ(shaper.bandSpec(0).lower, 20.0);
    EXPECT_NEAR(shaper.bandSpec(1).upper, 664.08, 0.005);
    EXPECT_EQ(shaper.driveGain(0), 1.0f);

    applyWithCode(3.0f);  // the drive of band 4 only
    EXPECT_NEAR(shaper.driveGain(3), gain(12.0), 1e-5);
    EXPECT_EQ(shaper.driveGain(1), 1.0f);

    applyWithCode(12.0f);  // names no field
    EXPECT_EQ(shaper.driveGain(0), 1.0f);
    EXPECT_NEAR(shaper.bandSpec(3).upper, 22050.0, 1e-9);

    applyWithCode(18.0f);  // every drive and edge
    for (int32_t b = 0; b < kBandCount; ++b) {
        EXPECT_NEAR(shaper.driveGain(b), gain(record.bandDrive[b]), 1e-5) << b;
        EXPECT_DOUBLE_EQ(shaper.bandSpec(b).lower, record.bandEdge[b]) << b;
        EXPECT_DOUBLE_EQ(shaper.bandSpec(b).upper, record.bandEdge[b + 1]) << b;
    }
}

TEST(DspEngineTest, ClipIsPublishedOnceAndThenReadsClearAgain) {
    DistortionParameters model;
    DspEngine engine(kBlock, 2, kRate, 2);
    engine.applyChanges(model);
    StereoBlock in, out;
    engine.publishClip(model);
    EXPECT_EQ(model.getValue(ParamClip), 0.0f);

    // At +20 dB a 1 kHz tone of 0.15 is driven to about 1.5 in band 2.
    model.setValue(ParamIn, 20.0f);
    engine.applyChanges(model);
    in.fill(tones(0, 1000.0, 0.15));
    engine.process(in.data(), out.data(), kBlock, OutputMode::Replace);
    // The over is remembered through later quiet blocks until it is published.
    in.fill([](int32_t, int32_t) { return 0.0f; });
    for (int32_t block = 0; block < 90; ++block)
        engine.process(in.data(), out.data(), kBlock, OutputMode::Replace);
    engine.publishClip(model);
    EXPECT_EQ(model.getValue(ParamClip), 1.0f);
    engine.process(in.data(), out.data(), kBlock, OutputMode::Replace);
    engine.publishClip(model);
    EXPECT_EQ(model.getValue(ParamClip), 0.0f);
}

TEST(DspEngineTest, AccumulatingModeReplacesTheInputsAndAddsToTheOutputs) {
    StereoBlock input, expected;
    input.fill([](int32_t ch, int32_t n) { return 0.4f * std::sin(0.05f * n + ch); });
    StereoBlock replacingIn = input;
    DspEngine(kBlock, 2, kRate, 2)
        .process(replacingIn.data(), expected.data(), kBlock, OutputMode::Replace);
    ASSERT_EQ(replacingIn.channel[0], input.channel[0]);  // replacing leaves the input alone

    // Outputs 0 means one output per input; with one output the second is not touched.
    for (const int32_t outputs : {0, 2, 1}) {
        StereoBlock in = input, out;
        out.fill([](int32_t, int32_t) { return 0.25f; });
        DspEngine(kBlock, 2, kRate, outputs)
            .process(in.data(), out.data(), kBlock, OutputMode::Accumulate);
        for (int32_t ch = 0; ch < 2; ++ch) {
            EXPECT_EQ(in.channel[ch], expected.channel[ch]) << outputs;
            const bool added = outputs == 0 || ch < outputs;
            for (int32_t n = 0; n < kBlock; ++n) {
                ASSERT_EQ(out.channel[ch][n], added ? 0.25f + expected.channel[ch][n] : 0.25f)
                    << outputs << " " << ch << " " << n;
            }
        }
    }
}

// The engine forgets broken input and plays the clean signal again a second later.
void expectBrokenInputForgotten(int32_t factor, KernelSet set) {
    DspEngine broken(kBlock, 2, kRate, 2);
    DspEngine clean(kBlock, 2, kRate, 2);
    for (DspEngine* engine : {&broken, &clean}) {
        engine->useKernelSet(set);
        engine->requestOversampling(factor);
    }
    StereoBlock in, cleanIn, out, cleanOut;
    const int32_t secondAfterBurst = 20 + static_cast<int32_t>(kRate / kBlock) + 1;
    for (int32_t block = 0; block <= secondAfterBurst; ++block) {
        const auto music = tones(int64_t{block} * kBlock, 440.0, 0.3, 70.0, 0.1);
        in.fill(music);
        cleanIn.fill(music);
        if (block == 10) {
            in.channel[0][5] = std::numeric_limits<float>::quiet_NaN();
            in.channel[1][9] = std::numeric_limits<float>::infinity();
        }
        if (block == 20) {
            for (int32_t n = 100; n < 356; ++n)
                in.channel[0][n] = in.channel[1][n] = 1e30f;
        }
        broken.process(in.data(), out.data(), kBlock, OutputMode::Replace);
        clean.process(cleanIn.data(), cleanOut.data(), kBlock, OutputMode::Replace);
        for (int32_t ch = 0; ch < 2; ++ch) {
            for (int32_t n = 0; n < kBlock; ++n)
                ASSERT_TRUE(std::isfinite(out.channel[ch][n]));
        }
    }
    for (int32_t ch = 0; ch < 2; ++ch) {
        for (int32_t n = 0; n < kBlock; ++n) {
            ASSERT_NEAR(out.channel[ch][n], cleanOut.channel[ch][n], 1e-4) << ch << " " << n;
        }
    }
}

// At every oversampling factor, on the lane kernels and on the reference kernels.
TEST(DspEngineTest, BrokenInputIsForgottenAndTheSoundReturns) {
    for (const int32_t factor : {1, 2, 16}) {
        for (const KernelSet set : {fastestKernelSet(), KernelSet::Reference}) {
            SCOPED_TRACE("factor " + std::to_string(factor) + ", " + kernelSetName(set));
            expectBrokenInputForgotten(factor, set);
        }
    }
}

TEST(DspEngineTest, BlockLongerThanTheEngineIsProcessedInPieces) {
    const int32_t frames = 3 * 64 + 17;
    StereoBlock in, small, large;
    in.fill([](int32_t ch, int32_t n) { return 0.5f * std::cos(0.11f * n * (ch + 1)); });
    DspEngine tight(64, 2, kRate, 2);
    DspEngine roomy(kBlock, 2, kRate, 2);
    tight.process(in.data(), small.data(), frames, OutputMode::Replace);
    roomy.process(in.data(), large.data(), frames, OutputMode::Replace);
    EXPECT_EQ(small.channel[0], large.channel[0]);
    EXPECT_EQ(small.channel[1], large.channel[1]);
    EXPECT_EQ(tight.blockSize(), 64);
}

}  // namespace
}  // namespace marrowfold
