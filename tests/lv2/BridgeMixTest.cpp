// The plug-in's mix, on/off switch, auto gain and smoothing, in this process as a host drives
// them: a tone at -20 dBFS in 512-frame blocks, controls changed between two blocks. Every change
// must stay below the click limit, and the input the plug-in passes through must arrive delayed
// by exactly the latency it reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

#include "params/HostControls.h"
#include "tests/common/ClickTest.h"
#include "tests/lv2/BundleHost.h"
#include "tests/lv2/HostRun.h"

namespace marrowfold::testing {
namespace {

using namespace clicktest;

constexpr auto kFrames = static_cast<uint32_t>(kBlock);

using Controls = std::function<void(BundleHost&)>;

// The tone on both channels, interleaved.
std::vector<float> stereoTone() {
    const std::vector<float> tone = sine(kBlocks * kBlock);
    std::vector<float> stereo(2 * tone.size());
    for (size_t n = 0; n < tone.size(); ++n)
        stereo[2 * n] = stereo[2 * n + 1] = tone[n];
    return stereo;
}

struct Played {
    std::vector<float> output;  // interleaved stereo
    float latency = -1.0f;      // the latency port's value at the end
    float autoGain = 1.0f;      // the applied auto gain port's value at the end
};

// A fresh instance with `before` set ahead of activation plays the tone; `change` runs between
// blocks kChangeBlock - 1 and kChangeBlock.
Played play(const std::vector<float>& tone, const Controls& before, const Controls& change) {
    BundleHost host(bundleFolder(), kBlock);
    EXPECT_TRUE(host.instantiate(kRate));
    if (before) before(host);
    host.activate();
    const auto split = tone.begin() + 2 * kStepAt;
    Played played{host.process({tone.begin(), split}, kFrames)};
    if (change) change(host);
    const std::vector<float> rest = host.process({split, tone.end()}, kFrames);
    played.output.insert(played.output.end(), rest.begin(), rest.end());
    played.latency = host.control(ControlLatency);
    played.autoGain = host.control(ControlAutoGainApplied);
    return played;
}

std::vector<float> leftOf(const std::vector<float>& stereo) {
    std::vector<float> left(stereo.size() / 2);
    for (size_t n = 0; n < left.size(); ++n)
        left[n] = stereo[2 * n];
    return left;
}

Controls set(HostControlKey control, float value) {
    return [=](BundleHost& host) { host.control(control) = value; };
}

TEST(BridgeSmoothing, ChangesBetweenBlocksStayBelowTheClickLimit) {
    struct Case {
        const char* what;
        Controls before;
        Controls change;
    };
    const Case cases[] = {
        {"Out +6 dB", {}, set(ControlOut, 6.0f)},
        {"Out -6 dB at 4x", set(ControlOversampling, 4.0f), set(ControlOut, -6.0f)},
        {"switched off", {}, set(ControlEnabled, 0.0f)},
        {"switched on", set(ControlEnabled, 0.0f), set(ControlEnabled, 1.0f)},
        {"switched off at 4x", set(ControlOversampling, 4.0f), set(ControlEnabled, 0.0f)},
        {"mix to 0 %", {}, set(ControlMix, 0.0f)},
        {"mix to 50 %", {}, set(ControlMix, 50.0f)},
        {"auto gain on", {}, set(ControlAutoGain, 1.0f)},
    };
    const std::vector<float> tone = stereoTone();
    for (const Case& c : cases) {
        const std::vector<float> unchanged = leftOf(play(tone, c.before, {}).output);
        const std::vector<float> output = leftOf(play(tone, c.before, c.change).output);
        const double click = clickOf(output);
        std::printf("%-20s floor %7.1f  change %7.1f dBFS\n", c.what, floorOf(output), click);
        EXPECT_LE(click, kClickLimit) << c.what;
        // The change was heard: the plug-in took it.
        EXPECT_NE(std::vector<float>(output.end() - kBlock, output.end()),
                  std::vector<float>(unchanged.end() - kBlock, unchanged.end()))
            << c.what;
    }
}

// Switched off or mixed fully dry, up front or between blocks, the output is the input delayed
// by the reported latency, sample for sample on both channels, once the crossfade (shorter than
// a block) is over; before the first delayed sample it is silent.
TEST(BridgeSmoothing, TheDryAndBypassedOutputIsTheInputDelayedByTheReportedLatency) {
    const std::vector<float> tone = stereoTone();
    for (const float factor : kOversamplingFactorValues) {
        for (const HostControlKey control : {ControlEnabled, ControlMix}) {
            for (const bool upFront : {true, false}) {
                const Controls dry = set(control, 0.0f);
                const Played played = play(
                    tone,
                    [&](BundleHost& host) {
                        host.control(ControlOversampling) = factor;
                        if (upFront) dry(host);
                    },
                    upFront ? Controls{} : dry);
                const auto delay = 2 * static_cast<size_t>(played.latency);
                std::vector<float> aligned(tone.size());
                std::copy(tone.begin(), tone.end() - static_cast<ptrdiff_t>(delay),
                          aligned.begin() + static_cast<ptrdiff_t>(delay));
                const size_t from = upFront ? 0 : 2 * (kStepAt + kFrames);
                EXPECT_TRUE(std::equal(played.output.begin() + static_cast<ptrdiff_t>(from),
                                       played.output.end(),
                                       aligned.begin() + static_cast<ptrdiff_t>(from)))
                    << hostControl(control).symbol << " 0 at factor " << factor
                    << (upFront ? ", up front" : ", between blocks");
                EXPECT_EQ(played.latency > 0.0f, factor > 1.0f) << factor;
            }
        }
    }
}

// A preset far louder than its input: switched on, auto gain brings it down, and the output port
// tells by how much; off, the port reads 0 dB.
TEST(BridgeSmoothing, AutoGainReportsTheGainItApplies) {
    const std::vector<float> tone = stereoTone();
    const Controls loudPreset = [](BundleHost& host) {
        host.control(ControlProgram) = 1.0f;
        host.control(ControlPreset) = 5.0f / 8.0f;  // "Heat The Seat"
    };
    const Played plain = play(tone, loudPreset, {});
    const Played matched = play(tone, loudPreset, set(ControlAutoGain, 1.0f));
    EXPECT_EQ(plain.autoGain, 0.0f);
    EXPECT_LT(matched.autoGain, -6.0f);
    const auto loudest = [](const std::vector<float>& output) {
        float peak = 0.0f;
        for (auto n = output.end() - 2 * kBlock; n != output.end(); ++n)
            peak = std::max(peak, std::fabs(*n));
        return peak;
    };
    EXPECT_NEAR(20.0f * std::log10(loudest(matched.output) / loudest(plain.output)),
                matched.autoGain, 1.0f);
}

}  // namespace
}  // namespace marrowfold::testing
