// Gain glides, edge crossfades, the dry/wet mix and bypass on the engine: how loud the click of a
// change between blocks is, that the default and up-front settings stay exact, and that the dry
// path lines up.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "dsp/DspEngine.h"
#include "dsp/GlideCurve.h"
#include "params/DistortionParameters.h"
#include "params/ParameterIndex.h"
#include "tests/common/ClickTest.h"

namespace marrowfold {
namespace {

using namespace clicktest;

using Change = std::function<void(DistortionParameters&, DspEngine&)>;

struct Rig {
    int32_t factor = 1;
    KernelSet set = fastestKernelSet();
    bool smoothing = true;
};

std::string describe(const Rig& setup) {
    return "factor " + std::to_string(setup.factor) + ", " + kernelSetName(setup.set) +
           (setup.smoothing ? ", smoothing" : ", no smoothing");
}

// A mono engine at the default preset plays the tone in blocks; change runs before block
// kChangeBlock, as a host's automation would between two blocks.
std::vector<float> play(const Rig& setup, const Change& change) {
    DistortionParameters model;
    model.setValue(ParamModify, static_cast<float>(kModifyAll));
    model.markChanged(ParamBank);
    DspEngine engine(kBlock, 1, kRate, 1);
    engine.useKernelSet(setup.set);
    engine.requestOversampling(setup.factor);
    engine.setSmoothing(setup.smoothing);
    engine.applyChanges(model);
    std::vector<float> signal = sine(kBlocks * kBlock);
    for (int32_t block = 0; block < kBlocks; ++block) {
        if (block == kChangeBlock) {
            change(model, engine);
            engine.applyChanges(model);
        }
        float* samples = signal.data() + block * kBlock;
        engine.process(&samples, &samples, kBlock, OutputMode::Replace);
    }
    return signal;
}

int32_t toneBand(const DspEngine& engine) {
    for (int32_t b = 0; b < kBandCount; ++b) {
        const BandSpec& spec = engine.shaper().bandSpec(b);
        if (spec.lower <= kToneHz && kToneHz < spec.upper) return b;
    }
    return 0;
}

void raise(DistortionParameters& model, int32_t index, float decibels) {
    model.setValue(index, model.getValue(index) + decibels);
    model.markChanged(index);
}

// The "Modify" code of the drive of the band that holds the tone, found when the edit runs.
constexpr int32_t kToneBandDrive = -1;

// Edits the current preset's record and applies the fields modifyCode names.
Change editPreset(int32_t modifyCode, const std::function<void(PresetRecord&, int32_t)>& edit) {
    return [=](DistortionParameters& model, DspEngine& engine) {
        const int32_t code = modifyCode == kToneBandDrive ? toneBand(engine) : modifyCode;
        PresetRecord record{};
        model.getData(ParamBank, &record, kPresetRecordSize, model.currentPreset());
        edit(record, toneBand(engine));
        model.setData(ParamBank, &record, kPresetRecordSize, model.currentPreset());
        model.setValue(ParamModify, static_cast<float>(code));
    };
}

// Every drive 3 dB up and every edge 10 % down, as in another preset.
void moveEverything(PresetRecord& record, int32_t) {
    for (float& drive : record.bandDrive)
        drive += 3.0f;
    for (float& edge : record.bandEdge)
        edge *= 0.9f;
}

struct ChangeCase {
    const char* name;
    Change change;
};

const std::vector<ChangeCase>& changeCases() {
    static const std::vector<ChangeCase> cases = {
        {"Out +6 dB", [](auto& model, auto&) { raise(model, ParamOut, 6.0f); }},
        {"level of the tone's band +6 dB",
         [](auto& model, auto& engine) { raise(model, ParamBand1 + toneBand(engine), 6.0f); }},
        {"In +6 dB", [](auto& model, auto&) { raise(model, ParamIn, 6.0f); }},
        {"drive of the tone's band +6 dB",
         editPreset(kToneBandDrive, [](PresetRecord& r, int32_t b) { r.bandDrive[b] += 6.0f; })},
        {"edge above the tone 20 % lower",
         editPreset(kModifyAll, [](PresetRecord& r, int32_t b) { r.bandEdge[b + 1] *= 0.8f; })},
        {"every drive and edge of another preset", editPreset(kModifyAll, moveEverything)},
    };
    return cases;
}

TEST(SmoothingTest, ChangesBetweenBlocksGlideBelowTheClickLimit) {
    for (const Rig& setup : {Rig{}, Rig{1, KernelSet::Reference}, Rig{4}}) {
        for (const ChangeCase& c : changeCases()) {
            SCOPED_TRACE(std::string(c.name) + ", " + describe(setup));
            const std::vector<float> output = play(setup, c.change);
            Rig stepping = setup;
            stepping.smoothing = false;
            const double stepped = clickOf(play(stepping, c.change));
            const double glided = clickOf(output);
            std::printf("%-40s %-28s floor %7.1f  stepped %7.1f  glided %7.1f dBFS\n", c.name,
                        describe(setup).c_str(), floorOf(output), stepped, glided);
            EXPECT_GT(stepped, kClickLimit);
            EXPECT_LE(glided, kClickLimit);
        }
    }
}

// Once the glide is over, the output is the stepped engine's, bit for bit: the glide ends on
// the new factors exactly and the kernels take over again.
TEST(SmoothingTest, GlideEndsExactlyOnTheNewSettings) {
    const Change change = [](auto& model, auto&) { raise(model, ParamOut, -9.0f); };
    for (const KernelSet set : {fastestKernelSet(), KernelSet::Reference}) {
        const std::vector<float> glided = play({1, set}, change);
        const std::vector<float> stepped = play({1, set, false}, change);
        const size_t settled = kStepAt + static_cast<size_t>(glideLength(kRate));
        EXPECT_NE(glided, stepped);
        EXPECT_TRUE(std::equal(glided.begin() + settled, glided.end(), stepped.begin() + settled))
            << kernelSetName(set);
    }
}

// Settings made before any audio hold from the first sample, so a static render with smoothing
// on is the render without it.
TEST(SmoothingTest, SettingsBeforeAudioDoNotGlide) {
    const auto withSettings = [](bool smoothing) {
        DistortionParameters model;
        model.setValue(ParamOut, -7.0f);
        model.setValue(ParamIn, 5.0f);
        model.setValue(ParamBand2, 4.0f);
        for (int32_t k : {ParamOut, ParamIn, ParamBand2})
            model.markChanged(k);
        DspEngine engine(kBlock, 1, kRate, 1);
        engine.setSmoothing(smoothing);
        engine.applyChanges(model);
        std::vector<float> signal = sine(8 * kBlock);
        for (int32_t done = 0; done < 8 * kBlock; done += kBlock) {
            float* samples = signal.data() + done;
            engine.process(&samples, &samples, kBlock, OutputMode::Replace);
        }
        return signal;
    };
    EXPECT_EQ(withSettings(true), withSettings(false));
}

}  // namespace
}  // namespace marrowfold
