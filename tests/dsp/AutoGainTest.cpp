// Auto gain: where its gain settles, that it holds through silence and after a change of the
// settings, that its own moves stay below the click limit, and that on the engine it matches the
// processed signal the same way at every oversampling factor, mix and bypass.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "dsp/AutoGain.h"
#include "dsp/DspEngine.h"
#include "params/DistortionParameters.h"
#include "params/ParameterIndex.h"
#include "tests/common/ClickTest.h"
#include "tests/common/PinkNoise.h"

namespace marrowfold {
namespace {

using namespace clicktest;

// A second in whole blocks.
constexpr int32_t kSecond = static_cast<int32_t>(kRate) / kBlock * kBlock;
constexpr double kNoiseDecibels = -18.0;

// The processed sample at a frame, made from the input sample.
using Processing = std::function<float(int32_t frame, float input)>;

// Plays input through auto gain in blocks, the processed signal made by wet; returns the output
// and the gain in dB after each block. Auto gain is switched off at switchOffAt unless it is
// negative.
struct Played {
    std::vector<float> output;
    std::vector<float> decibels;
    float at(int32_t frame) const { return decibels[static_cast<size_t>(frame / kBlock)]; }
};

Played play(const std::vector<float>& input, const Processing& wet, int32_t switchOffAt = -1) {
    AutoGain gain(kRate, 1, kBlock);
    gain.setEnabled(true);
    Played played{std::vector<float>(input.size()), {}};
    for (int32_t done = 0; done + kBlock <= static_cast<int32_t>(input.size()); done += kBlock) {
        if (done == switchOffAt) gain.setEnabled(false);
        const float* in = input.data() + done;
        float* out = played.output.data() + done;
        for (int32_t n = 0; n < kBlock; ++n)
            out[n] = wet(done + n, in[n]);
        gain.takeInput(&in, kBlock);
        gain.apply(&out, kBlock);
        played.decibels.push_back(gain.decibels());
    }
    return played;
}

std::vector<float> pink(int32_t frames) {
    return testing::pinkNoise(1, frames, kNoiseDecibels, 7);
}

float factorOf(float decibels) {
    return std::pow(10.0f, decibels / 20.0f);
}

TEST(AutoGainTest, SettlesOnTheLoudnessDifferenceWithinItsLimits) {
    struct Case {
        float wetDecibels;
        float settled;
    };
    for (const Case c :
         {Case{12.0f, -12.0f}, Case{-6.0f, 6.0f}, Case{70.0f, -48.0f}, Case{-200.0f, 12.0f}}) {
        SCOPED_TRACE(c.wetDecibels);
        const float factor = factorOf(c.wetDecibels);
        const Played played =
            play(pink(6 * kSecond), [=](int32_t, float in) { return in * factor; });
        EXPECT_NEAR(played.at(4 * kSecond), c.settled, 0.1f);
        EXPECT_NEAR(played.decibels.back(), c.settled, 0.01f);
    }
}

// The input falls silent while the processed signal rings on: the gain stays where it was.
TEST(AutoGainTest, HoldsWhileTheInputIsNearlySilent) {
    const int32_t silence = 4 * kSecond;
    std::vector<float> input = pink(8 * kSecond);
    std::fill(input.begin() + silence, input.end(), 0.0f);
    const std::vector<float> tail = testing::pinkNoise(1, 8 * kSecond, kNoiseDecibels, 9);
    const Played played = play(input, [&](int32_t frame, float in) {
        return frame < silence ? in * 4.0f : tail[static_cast<size_t>(frame)];
    });
    const float settled = played.at(silence + kSecond / 2);
    EXPECT_NEAR(settled, -12.04f, 0.1f);
    for (int32_t frame = silence + kSecond / 2; frame < 8 * kSecond; frame += kBlock)
        ASSERT_EQ(played.at(frame), settled) << frame;
}

// A tone 12 dB louder than the input: the gain falls by 12 dB and, switched off, rises back to
// unity; the energy its moves spread above the tone stays below the click limit throughout.
TEST(AutoGainTest, ItsOwnMovesStayBelowTheClickLimit) {
    const int32_t off = 3 * kSecond;
    const Played played = play(
        sine(4 * kSecond), [](int32_t, float in) { return in * 4.0f; }, off);
    EXPECT_NEAR(played.at(off - kBlock), -12.04f, 0.1f);
    // From the tone's steady state on: its own start clicks.
    EXPECT_LE(
        clickDecibels(played.output, kMeasureSpan, played.output.size(), kRate, kClickCutoffHz),
        kClickLimit);
    const std::vector<float> tone = sine(4 * kSecond);
    const size_t restored = off + kSecond / 10;
    for (size_t n = restored; n < played.output.size(); ++n)
        ASSERT_EQ(played.output[n], tone[n] * 4.0f) << n;
}

// The engine at the default preset with In raised, on pink noise.
struct EngineRun {
    int32_t factor = 1;
    float mixShare = 1.0f;
    bool bypassed = false;
};

struct EngineResult {
    float decibels;
    std::vector<float> input;
    std::vector<float> output;
    int32_t latency;
};

EngineResult runEngine(const EngineRun& run) {
    DistortionParameters model;
    model.setValue(ParamModify, static_cast<float>(kModifyAll));
    model.markChanged(ParamBank);
    model.setValue(ParamIn, 12.0f);
    DspEngine engine(kBlock, 1, kRate, 1);
    engine.requestOversampling(run.factor);
    engine.applyChanges(model);
    engine.setAutoGain(true);
    engine.setMix(run.mixShare, run.bypassed);
    EngineResult result{0.0f, pink(4 * kSecond), {}, engine.latency()};
    result.output = result.input;
    for (size_t done = 0; done + kBlock <= result.output.size(); done += kBlock) {
        float* samples = result.output.data() + done;
        engine.process(&samples, &samples, kBlock, OutputMode::Replace);
    }
    result.decibels = engine.autoGainDecibels();
    return result;
}

// The processed signal is matched before the mix, so neither the mix nor bypass moves the gain,
// and bypassed the output is the delayed input exactly; oversampling barely changes the
// processed signal's loudness, and the gain follows it.
TEST(AutoGainTest, EngineMatchesAtEveryFactorMixAndBypass) {
    const EngineResult reference = runEngine({});
    EXPECT_LT(reference.decibels, -3.0f);
    for (const int32_t factor : kOversamplingFactors) {
        for (const EngineRun run : {EngineRun{factor, 1.0f, false}, EngineRun{factor, 0.5f, false},
                                    EngineRun{factor, 1.0f, true}}) {
            SCOPED_TRACE(::testing::Message() << "factor " << factor << ", mix " << run.mixShare
                                              << (run.bypassed ? ", bypassed" : ""));
            const EngineResult result = runEngine(run);
            EXPECT_NEAR(result.decibels, reference.decibels, 0.3f);
            if (!run.bypassed) continue;
            for (size_t n = static_cast<size_t>(result.latency); n < result.output.size(); ++n)
                ASSERT_EQ(result.output[n], result.input[n - result.latency]) << n;
        }
    }
}

// A change through the parameter model while audio runs, Out raised by 6 dB or a preset switch
// that drives every band 6 dB harder: the engine holds the gain while the change is to be heard,
// then follows it (Out's 6 dB exactly).
TEST(AutoGainTest, EngineHoldsAfterAParameterOrPresetChange) {
    using Change = std::function<void(DistortionParameters&)>;
    struct Case {
        const char* name;
        Change change;
        float settledMove;  // NaN: not known in advance
    };
    const Case cases[] = {
        {"Out +6 dB", [](DistortionParameters& m) { m.setValue(ParamOut, 6.0f); }, -6.02f},
        {"preset switch",
         [](DistortionParameters& m) {
             PresetRecord record{};
             m.getData(ParamBank, &record, kPresetRecordSize, m.currentPreset());
             for (float& drive : record.bandDrive)
                 drive += 6.0f;
             m.setData(ParamBank, &record, kPresetRecordSize, m.currentPreset());
             m.setValue(ParamModify, static_cast<float>(kModifyAll));
         },
         std::nanf("")},
    };
    const int32_t change = 4 * kSecond;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DistortionParameters model;
        model.setValue(ParamModify, static_cast<float>(kModifyAll));
        model.markChanged(ParamBank);
        DspEngine engine(kBlock, 1, kRate, 1);
        engine.setAutoGain(true);
        std::vector<float> signal = pink(10 * kSecond);
        std::vector<float> decibels;
        for (int32_t done = 0; done < static_cast<int32_t>(signal.size()); done += kBlock) {
            if (done == change) c.change(model);
            engine.applyChanges(model);
            float* samples = signal.data() + done;
            engine.process(&samples, &samples, kBlock, OutputMode::Replace);
            decibels.push_back(engine.autoGainDecibels());
        }
        const auto at = [&](int32_t frame) {
            return decibels[static_cast<size_t>(frame / kBlock)];
        };
        EXPECT_EQ(at(change + 14 * kSecond / 10), at(change));
        if (!std::isnan(c.settledMove)) {
            EXPECT_NEAR(decibels.back() - at(change), c.settledMove, 0.1f);
        }
    }
}

}  // namespace
}  // namespace marrowfold
