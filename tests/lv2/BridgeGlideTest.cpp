// The band ports, the solo and the preset and program ports moved while audio runs, in this
// process as a host drives them: the click test's tone in 512-frame blocks at every oversampling
// factor, each change held against its aim on the click meter (what it adds above 5 kHz to the
// settled outputs around it) and, where a burst could come, against the settled peak.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "params/HostControls.h"
#include "tests/common/GlideMeasure.h"
#include "tests/lv2/BundleHost.h"
#include "tests/lv2/HostRun.h"
#include "tests/lv2/ModuleReference.h"

namespace marrowfold::testing {
namespace {

using namespace clicktest;

// Runs before block kChangeBlock + step for each step of a change, or ahead of activation.
using Script = std::function<void(BundleHost&, int32_t step)>;

constexpr int32_t kSettleBlocks = 40;
constexpr int32_t kDragSteps = 60;
constexpr int32_t kSecondOfBlocks = static_cast<int32_t>(kRate / kBlock) + 1;
// The preset port's value of "Default / Acoustigrel" in the factory preset files.
constexpr float kAcoustigrel = 0.529411793f;

PlayedChange play(int32_t factor, const Script& before, const Script& change, int32_t steps) {
    BundleHost host(bundleFolder(), kBlock);
    EXPECT_TRUE(host.instantiate(kRate));
    host.control(ControlOversampling) = static_cast<float>(factor);
    before(host, 0);
    host.activate();
    const int32_t blocks = kChangeBlock + steps + kSettleBlocks;
    PlayedChange played{{}, kStepAt + static_cast<size_t>(steps - 1) * kBlock};
    for (int32_t block = 0; block < blocks; ++block) {
        const int32_t step = block - kChangeBlock;
        if (step >= 0 && step < steps) change(host, step);
        std::vector<float> stereo(2 * kBlock);
        const std::vector<float> samples = sine((block + 1) * kBlock);
        for (int32_t n = 0; n < kBlock; ++n)
            stereo[2 * n] = stereo[2 * n + 1] = samples[static_cast<size_t>(block * kBlock + n)];
        const std::vector<float> out = host.process(stereo, kBlock);
        for (int32_t n = 0; n < kBlock; ++n)
            played.output.push_back(out[2 * n]);
    }
    return played;
}

const Script kNothing = [](BundleHost&, int32_t) {};

Script set(HostControlKey control, float value) {
    return [=](BundleHost& host, int32_t) { host.control(control) = value; };
}

enum class Holds { Limit, NoBurst, Switch };

struct Aim {
    const char* change;
    Script before;
    Script script;
    int32_t steps;
    double limit;
    Holds holds;
};

// The default preset holds the tone in band 3, between edges 3 and 4.
std::vector<Aim> aims() {
    const BandControls start = startingBands();
    const float edge3 = start.edgeHz[2];
    const float edge4 = start.edgeHz[3];
    const Script drag = [=](BundleHost& host, int32_t block) {
        const double seconds = block * kBlock / kRate;
        const int32_t due = std::min(kDragSteps, static_cast<int32_t>(seconds * kDragSteps) + 1);
        host.control(ControlEdge4) = edge4 * std::exp2(-static_cast<float>(due) / kDragSteps);
    };
    return {
        {"edge 4 20 % lower", kNothing, set(ControlEdge4, edge4 * 0.8f), 1, -90, Holds::Limit},
        {"edge 3 two octaves up", kNothing, set(ControlEdge3, edge3 * 4), 1, -80, Holds::NoBurst},
        {"edge 4 two octaves down", kNothing, set(ControlEdge4, edge4 / 4), 1, -80, Holds::NoBurst},
        {"edge 4 dragged an octave down in 60 steps", kNothing, drag, kSecondOfBlocks, -85,
         Holds::Limit},
        {"drive 3 +6 dB", kNothing, set(ControlDrive3, start.driveDb[2] + 6), 1, -95, Holds::Limit},
        {"solo on band 3", kNothing, set(ControlSolo, 3), 1, -90, Holds::Limit},
        {"solo moved to band 3", set(ControlSolo, 2), set(ControlSolo, 3), 1, -90, Holds::Limit},
        {"solo off", set(ControlSolo, 3), set(ControlSolo, 0), 1, -90, Holds::Limit},
        {"preset Default to Acoustigrel", kNothing, set(ControlPreset, kAcoustigrel), 1, -85,
         Holds::Switch},
        {"preset Acoustigrel to Default", set(ControlPreset, kAcoustigrel), set(ControlPreset, 0),
         1, -85, Holds::Switch},
        {"program Default to Guitar", kNothing, set(ControlProgram, 1), 1, -85, Holds::Switch},
    };
}

double idealFor(int32_t factor, const Aim& aim) {
    const Script after = [&](BundleHost& host, int32_t step) {
        aim.before(host, step);
        aim.script(host, step);
    };
    return idealAddedDecibels(play(factor, aim.before, kNothing, 1).output,
                              play(factor, after, kNothing, 1).output);
}

TEST(BridgeGlides, EveryMoveOfTheBandsPresetsAndProgramsMeetsItsAimAtEveryFactor) {
    for (const int32_t factor : {1, 2, 4, 8, 16}) {
        for (const Aim& aim : aims()) {
            SCOPED_TRACE(std::string(aim.change) + ", factor " + std::to_string(factor));
            const Measured glided = measure(play(factor, aim.before, aim.script, aim.steps));
            const double ideal = aim.holds == Holds::Switch ? idealFor(factor, aim) : kNoClick;
            const double limit = std::max(aim.limit, ideal + kIdealMarginDecibels);
            std::printf(
                "%-42s %2dx  meter: floor %6.1f, around %6.1f; added %6.1f dBFS (ideal %6.1f); "
                "peak %+5.2f dB\n",
                aim.change, factor, glided.floor, glided.click, glided.added, ideal, glided.burst);
            EXPECT_LE(glided.added, limit);
            if (aim.holds != Holds::Limit) {
                EXPECT_LE(glided.burst, kBurstDecibels);
            }
        }
    }
}

}  // namespace
}  // namespace marrowfold::testing
