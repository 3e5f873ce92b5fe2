// Glides on the engine, held against their aims: how loud the click of a change between blocks is
// (gains, band edges, drags, solo, preset and program switches, at every oversampling factor),
// that no change bursts, and that the default and up-front settings stay exact.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "dsp/DspEngine.h"
#include "dsp/Glide.h"
#include "dsp/GlideCurve.h"
#include "params/DistortionParameters.h"
#include "params/FactoryBank.h"
#include "params/FactoryBankData.h"
#include "params/ParameterIndex.h"
#include "params/PresetBankEdits.h"
#include "params/ProgramStore.h"
#include "tests/common/GlideMeasure.h"

namespace marrowfold {
namespace {

using namespace clicktest;

struct Rig {
    int32_t factor = 1;
    KernelSet set = fastestKernelSet();
    bool smoothing = true;
    bool antialiased = false;
};

std::string describe(const Rig& setup) {
    return "factor " + std::to_string(setup.factor) + ", " + kernelSetName(setup.set) +
           (setup.antialiased ? ", anti-aliased" : "");
}

// A mono engine with the factory bank as the module starts it (program 0, preset 0), and the
// changes the editor and the host make, applied between blocks.
struct Player {
    explicit Player(const Rig& setup) : engine(kBlock, 1, kRate, 1) {
        const std::vector<unsigned char> bank =
            decodeBankText(factoryBankText(), factoryBankLength(), store.programSize());
        store.restoreState(bank.data(), static_cast<int32_t>(bank.size()), false, 0, model,
                           nullptr);
        selectProgram(0);
        engine.useKernelSet(setup.set);
        engine.requestOversampling(setup.factor);
        engine.requestAntialiasing(setup.antialiased);
        engine.setSmoothing(setup.smoothing);
        engine.applyChanges(model);
    }

    // As the editor follows a new preset and the host writes back the values kept in it.
    void selectPreset(int32_t index) {
        model.setValue(ParamPreset, static_cast<float>(index) / model.presetCount());
        followCurrentPreset(model, buffer);
        for (int32_t k = ParamBand1; k <= ParamShape; ++k)
            model.setNormalized(k, model.getNormalized(k));
    }
    void selectProgram(int32_t program) {
        store.loadProgram(program, model, nullptr);
        followCurrentPreset(model, buffer);
    }
    // Edits the current preset's record and names the fields changed in "Modify".
    void editPreset(int32_t modifyCode, const std::function<void(PresetRecord&)>& edit) {
        PresetRecord record = readPreset(model, model.currentPreset());
        edit(record);
        model.setValue(ParamModify, static_cast<float>(modifyCode));
        model.setData(ParamBank, &record, kPresetRecordSize, model.currentPreset());
    }
    void set(int32_t index, float value) {
        model.setValue(index, value);
        model.markChanged(index);
    }
    int32_t toneBand() const {
        for (int32_t b = 0; b < kBandCount; ++b) {
            const BandSpec& spec = engine.shaper().bandSpec(b);
            if (spec.lower <= kToneHz && kToneHz < spec.upper) return b;
        }
        return 0;
    }

    DistortionParameters model;
    ProgramStore store{model};
    PresetRecord buffer{};
    DspEngine engine;
    float dragStart = 0.0f;
};

// Blocks played after the last step: the new setting settles long before the end.
constexpr int32_t kSettleBlocks = 40;

// Runs before block kChangeBlock + step for each step of a change; what it changes reaches the
// engine between that block and the one before, as a host's or the editor's change does.
using Script = std::function<void(Player&, int32_t step)>;

PlayedChange play(const Rig& setup, const Script& before, const Script& change, int32_t steps) {
    Player player(setup);
    before(player, 0);
    player.engine.applyChanges(player.model);
    const int32_t blocks = kChangeBlock + steps + kSettleBlocks;
    std::vector<float> signal = sine(blocks * kBlock);
    for (int32_t block = 0; block < blocks; ++block) {
        const int32_t step = block - kChangeBlock;
        if (step >= 0 && step < steps) {
            change(player, step);
            player.engine.applyChanges(player.model);
        }
        float* samples = signal.data() + block * kBlock;
        player.engine.process(&samples, &samples, kBlock, OutputMode::Replace);
    }
    return {signal, kStepAt + static_cast<size_t>(steps - 1) * kBlock};
}

// The aims: what a change adds above 5 kHz at most limit dBFS, and where it is held, no sample
// more than kBurstDecibels above the settled output.
constexpr int32_t kDragSteps = 60;
// One second of blocks.
constexpr int32_t kSecondOfBlocks = static_cast<int32_t>(kRate / kBlock) + 1;

// What an aim holds besides the limit: no burst; for a switch of preset or program, also the
// limit raised to what an ideal crossfade adds (see idealAddedDecibels).
enum class Holds { Limit, NoBurst, Switch };

struct Aim {
    const char* change;
    Script before;
    Script script;
    int32_t steps;  // blocks over which the script changes something
    double limit;
    Holds holds;
};

const Script kNothing = [](Player&, int32_t) {};

// Edge e of the current preset multiplied by factor.
Script moveEdge(int32_t e, float factor) {
    return [=](Player& p, int32_t) {
        p.editPreset(kFirstEdgeModifyCode + e, [&](PresetRecord& r) { r.bandEdge[e] *= factor; });
    };
}

// A drag reaches the model in kDragSteps steps over a second, as the editor's idle reports it:
// before each block, the last step due by then.
Script dragEdge(int32_t e, float octaves) {
    return [=](Player& p, int32_t block) {
        if (block == 0) p.dragStart = readPreset(p.model, p.model.currentPreset()).bandEdge[e];
        const double seconds = block * kBlock / kRate;
        const int32_t due = std::min(kDragSteps, static_cast<int32_t>(seconds * kDragSteps) + 1);
        const float hz = p.dragStart * std::exp2(octaves * static_cast<float>(due) / kDragSteps);
        p.editPreset(kFirstEdgeModifyCode + e, [&](PresetRecord& r) { r.bandEdge[e] = hz; });
    };
}

Script solo(int32_t band) {
    return [=](Player& p, int32_t) { p.set(ParamSolo, static_cast<float>(band)); };
}

constexpr int32_t kAcoustigrel = 9;
constexpr int32_t kHardShape = 4;

const std::vector<Aim>& aims() {
    static const std::vector<Aim> cases = {
        {"Out +6 dB", kNothing, [](Player& p, int32_t) { p.set(ParamOut, 6.0f); }, 1, -95,
         Holds::Limit},
        {"In +6 dB", kNothing, [](Player& p, int32_t) { p.set(ParamIn, 6.0f); }, 1, -95,
         Holds::Limit},
        {"level of the tone's band +6 dB", kNothing,
         [](Player& p, int32_t) { p.set(ParamBand1 + p.toneBand(), 6.0f); }, 1, -95, Holds::Limit},
        {"drive of the tone's band +6 dB", kNothing,
         [](Player& p, int32_t) {
             const int32_t b = p.toneBand();
             p.editPreset(b, [&](PresetRecord& r) { r.bandDrive[b] += 6.0f; });
         },
         1, -95, Holds::Limit},
        {"edge above the tone 20 % lower", kNothing, moveEdge(3, 0.8f), 1, -90, Holds::Limit},
        {"edge below the tone two octaves up", kNothing, moveEdge(2, 4.0f), 1, -80, Holds::NoBurst},
        {"edge above the tone two octaves down", kNothing, moveEdge(3, 0.25f), 1, -80,
         Holds::NoBurst},
        {"edge above the tone dragged an octave down in 60 steps", kNothing, dragEdge(3, -1.0f),
         kSecondOfBlocks, -85, Holds::Limit},
        {"curve Soft to Hard", kNothing,
         [](Player& p, int32_t) { p.set(ParamShape, static_cast<float>(kHardShape)); }, 1, -85,
         Holds::Switch},
        {"solo on the tone's band", kNothing, solo(2), 1, -90, Holds::Limit},
        {"solo moved to the tone's band", solo(1), solo(2), 1, -90, Holds::Limit},
        {"solo off", solo(2), solo(-1), 1, -90, Holds::Limit},
        {"preset Default to Acoustigrel", kNothing,
         [](Player& p, int32_t) { p.selectPreset(kAcoustigrel); }, 1, -85, Holds::Switch},
        {"preset Acoustigrel to Default", [](Player& p, int32_t) { p.selectPreset(kAcoustigrel); },
         [](Player& p, int32_t) { p.selectPreset(0); }, 1, -85, Holds::Switch},
        {"program Default to Guitar", kNothing, [](Player& p, int32_t) { p.selectProgram(1); }, 1,
         -85, Holds::Switch},
    };
    return cases;
}

// What the best a switch can do adds. Where a preset's own harmonics lie close to 5 kHz, their
// change alone spreads energy above the meter's cutoff.
double idealAddedDecibels(const Rig& setup, const Aim& aim) {
    const Script after = [&](Player& p, int32_t step) {
        aim.before(p, step);
        aim.script(p, step);
    };
    return clicktest::idealAddedDecibels(play(setup, aim.before, kNothing, 1).output,
                                         play(setup, after, kNothing, 1).output);
}

// Stepping is measured at factor 1 only: it is what the aims are there to improve on. The
// anti-aliased shaping glides too, shaped from its history once for each setting.
TEST(SmoothingTest, EveryChangeMeetsItsAimAtEveryFactor) {
    const std::vector<Rig> rigs = {{1},
                                   {1, KernelSet::Reference},
                                   {2},
                                   {4},
                                   {8},
                                   {16},
                                   {2, fastestKernelSet(), true, true},
                                   {4, KernelSet::Reference, true, true}};
    for (const Rig& setup : rigs) {
        for (const Aim& aim : aims()) {
            SCOPED_TRACE(std::string(aim.change) + ", " + describe(setup));
            const Measured glided = measure(play(setup, aim.before, aim.script, aim.steps));
            const double ideal =
                aim.holds == Holds::Switch ? idealAddedDecibels(setup, aim) : kNoClick;
            const double limit = std::max(aim.limit, ideal + kIdealMarginDecibels);
            std::printf(
                "%-55s %-17s meter: floor %6.1f, glided %6.1f; added %6.1f dBFS "
                "(ideal %6.1f); peak %+5.2f dB\n",
                aim.change, describe(setup).c_str(), glided.floor, glided.click, glided.added,
                ideal, glided.burst);
            EXPECT_LE(glided.added, limit);
            if (aim.holds != Holds::Limit) {
                EXPECT_LE(glided.burst, kBurstDecibels);
            }
            if (setup.factor == 1 && setup.set != KernelSet::Reference) {
                Rig stepping = setup;
                stepping.smoothing = false;
                const double stepped =
                    measure(play(stepping, aim.before, aim.script, aim.steps)).added;
                std::printf("%-55s stepped, without smoothing: added %6.1f dBFS\n", aim.change,
                            stepped);
                EXPECT_GT(stepped, limit);
            }
        }
    }
}

// Once the glide is over, the output is the stepped engine's, bit for bit: the glide ends on
// the new factors exactly and the kernels take over again. Anti-aliased, the history the new
// setting was shaped from is the one the stepped engine carried on.
TEST(SmoothingTest, GlideEndsExactlyOnTheNewSettings) {
    const Script change = [](Player& p, int32_t) {
        p.set(ParamOut, -9.0f);
        p.set(ParamIn, 6.0f);
    };
    for (const KernelSet set : {fastestKernelSet(), KernelSet::Reference}) {
        for (const bool antialiased : {false, true}) {
            const std::vector<float> glided =
                play({1, set, true, antialiased}, kNothing, change, 1).output;
            const std::vector<float> stepped =
                play({1, set, false, antialiased}, kNothing, change, 1).output;
            const size_t settled = kStepAt + static_cast<size_t>(glideLength(kRate));
            EXPECT_NE(glided, stepped);
            EXPECT_TRUE(
                std::equal(glided.begin() + settled, glided.end(), stepped.begin() + settled))
                << kernelSetName(set) << (antialiased ? ", anti-aliased" : "");
        }
    }
}

// Settings made before any audio hold from the first sample, so a static render with smoothing
// on is the render without it.
TEST(SmoothingTest, SettingsBeforeAudioDoNotGlide) {
    const Script settings = [](Player& p, int32_t) {
        p.set(ParamOut, -7.0f);
        p.set(ParamIn, 5.0f);
        p.set(ParamBand2, 4.0f);
        p.set(ParamSolo, 1.0f);
        p.selectPreset(kAcoustigrel);
        p.editPreset(kModifyAll, [](PresetRecord& r) { r.bandEdge[2] *= 1.5f; });
    };
    EXPECT_EQ(play({1, fastestKernelSet(), true}, settings, kNothing, 0).output,
              play({1, fastestKernelSet(), false}, settings, kNothing, 0).output);
}

}  // namespace
}  // namespace marrowfold
