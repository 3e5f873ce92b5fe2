// The bundle's plug-in binary in this process, driven through its descriptor as a host drives it:
// every block length, the in-place buffers hosts pass, the controls (handed to the module only
// when they change, clamped to their ranges) and the state extension, each compared sample for
// sample with the module's own processing.
#include <gtest/gtest.h>
#include <lv2/atom/atom.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "core/VendorRequests.h"
#include "host/ParameterProtocol.h"
#include "lv2/Bridge.h"
#include "params/HostControls.h"
#include "tests/lv2/BundleHost.h"
#include "tests/lv2/HostRun.h"
#include "tests/lv2/ModuleReference.h"

namespace marrowfold::testing {
namespace {

constexpr int64_t kFrames = 22050;
constexpr int32_t kReferenceBlock = 1024;
constexpr uint32_t kProgramControl = 8;
constexpr uint32_t kOversamplingControl = 9;
constexpr uint32_t kLatencyControl = 10;
constexpr char kBankKey[] = "urn:marrowfold:lv2:state#bank";
constexpr char kProgramKey[] = "urn:marrowfold:lv2:state#program";
constexpr char kPortsKey[] = "urn:marrowfold:lv2:state#ports";

// Writes the module's parameters 0..6 back after a preset selection, as the editor does.
void selectPreset(PluginHost& host, float value) {
    host.setParameter(7, value);
    for (int32_t i = 0; i < 7; ++i)
        host.setParameter(i, host.getParameter(i));
}

std::vector<float> bridgeOutput(const std::vector<float>& signal, uint32_t frames, bool inPlace,
                                int32_t maxBlock, const std::function<void(BundleHost&)>& set) {
    BundleHost host(bundleFolder(), maxBlock);
    EXPECT_TRUE(host.instantiate());
    if (set) set(host);
    host.activate();
    return host.process(signal, frames, inPlace);
}

TEST(BridgeBlocks, EveryBlockLengthAndInPlaceBuffersGiveTheModulesOwnOutput) {
    const std::vector<float> signal = testSignal(kFrames);
    const auto program = [](BundleHost& host) { host.control(kProgramControl) = 1.0f; };
    const std::vector<float> reference =
        moduleOutput(signal, kReferenceBlock, [](PluginHost& host) { host.setProgram(1); });
    struct Case {
        uint32_t frames;
        int32_t maxBlock;  // 0: the host offers no options
    };
    // One frame per call (lv2apply), Ardour's lengths, an odd ending, blocks longer than the
    // announced maximum and than the fallback used without options.
    for (const Case& c :
         {Case{1, 1024}, Case{256, 1024}, Case{1023, 1024}, Case{5000, 1024}, Case{10000, 0}}) {
        for (const bool inPlace : {false, true}) {
            EXPECT_EQ(bridgeOutput(signal, c.frames, inPlace, c.maxBlock, program), reference)
                << c.frames << " frames per call, maximum " << c.maxBlock
                << (inPlace ? ", in place" : "");
        }
    }
}

// A tone in band 2 of the default preset: the meter ports read the peak of the last run's input
// and output within 0.5 dB, and band 2 reads well above the other bands.
TEST(BridgeMeters, MeterPortsReadTheLastRunsPeaks) {
    constexpr uint32_t kRun = 512;
    constexpr float kAmplitude = 0.4f;
    std::vector<float> tone(2 * 8 * kRun);
    for (size_t n = 0; n < tone.size() / 2; ++n)
        tone[2 * n] = tone[2 * n + 1] =
            kAmplitude * static_cast<float>(std::sin(2.0 * 3.14159265358979 * 300.0 * n / 44100.0));
    BundleHost host(bundleFolder());
    ASSERT_TRUE(host.instantiate());
    host.connectMeters();
    host.activate();
    const std::vector<float> output = host.process(tone, kRun);
    float outputPeak = 0.0f;
    float inputPeak = 0.0f;
    for (size_t i = output.size() - 2 * kRun; i < output.size(); ++i) {
        outputPeak = std::max(outputPeak, std::fabs(output[i]));
        inputPeak = std::max(inputPeak, std::fabs(tone[i]));
    }
    const auto decibels = [](float x) { return 20.0f * std::log10(x); };
    EXPECT_NEAR(host.meter(4), decibels(inputPeak), 0.5f);
    EXPECT_NEAR(host.meter(5), decibels(outputPeak), 0.5f);
    for (const uint32_t band : {0u, 2u, 3u})
        EXPECT_LT(host.meter(band), host.meter(1) - 10.0f) << "band " << band + 1;
}

TEST(BridgeControls, ChangedPortsReachTheModuleInTheirOwnUnitsAndWithinTheirRanges) {
    const std::vector<float> signal = testSignal(kFrames);
    struct Case {
        const char* what;
        std::function<void(BundleHost&)> ports;
        std::function<void(PluginHost&)> module;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"Band1 at 6 dB", [](BundleHost& h) { h.control(0) = 6.0f; },
         [](PluginHost& h) { h.setParameter(0, 0.75f); }},
        {"Out at -7.5 dB, Shape 3",
         [](BundleHost& h) { h.control(5) = -7.5f, h.control(6) = 3.0f; },
         [](PluginHost& h) { h.setParameter(5, 0.3125f), h.setParameter(6, 0.75f); }},
        {"Band4 far above its range", [](BundleHost& h) { h.control(3) = 100.0f; },
         [](PluginHost& h) { h.setParameter(3, 1.0f); }},
        {"In as NaN, Shape 2.6", [nan](BundleHost& h) { h.control(4) = nan, h.control(6) = 2.6f; },
         [](PluginHost& h) { h.setParameter(4, 0.0f), h.setParameter(6, 0.75f); }},
        // The other ports stay at their defaults and must not undo the program's values.
        {"program 2 alone", [](BundleHost& h) { h.control(kProgramControl) = 2.0f; },
         [](PluginHost& h) { h.setProgram(2); }},
        {"program 3, preset 5 of 8, Band2 at -3.3 dB",
         [](BundleHost& h) {
             h.control(kProgramControl) = 3.0f, h.control(7) = 0.625f, h.control(1) = -3.3f;
         },
         [](PluginHost& h) {
             h.setProgram(3), selectPreset(h, 0.625f),
                 h.setParameter(1, static_cast<float>(87.0 / 240.0));
         }},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bridgeOutput(signal, 512, false, kReferenceBlock, c.ports),
                  moduleOutput(signal, kReferenceBlock, c.module))
            << c.what;
    }
}

// A control that returns to a value the module already holds is not handed over again.
TEST(BridgeControls, APortChangedAndRestoredBetweenBlocksFollowsTheHost) {
    const std::vector<float> signal = testSignal(kFrames);
    BundleHost host(bundleFolder());
    ASSERT_TRUE(host.instantiate());
    host.activate();
    host.control(2) = 12.0f;
    host.process(signal, 512);
    host.control(2) = 0.0f;
    const std::vector<float> afterwards = host.process(signal, 512);
    BundleHost fresh(bundleFolder());
    ASSERT_TRUE(fresh.instantiate());
    fresh.activate();
    fresh.process(signal, 512);
    const std::vector<float> expected = fresh.process(signal, 512);
    // The plug-in smooths: the return glides over its first block, then the outputs agree.
    const auto glided = static_cast<ptrdiff_t>(2 * 512);
    EXPECT_NE(std::vector<float>(afterwards.begin(), afterwards.begin() + glided),
              std::vector<float>(expected.begin(), expected.begin() + glided));
    EXPECT_TRUE(
        std::equal(afterwards.begin() + glided, afterwards.end(), expected.begin() + glided));
}

void requestOversampling(PluginHost& host, int32_t factor) {
    ASSERT_EQ(host.dispatch(ReqVendorSpecific, kOversamplingRequestIndex, kOversamplingRequestValue,
                            nullptr, static_cast<float>(factor)),
              1);
}

// The port's factor reaches the module as its own request would, a value off the list as the
// nearest listed factor, and the latency port reports the record's delay for it.
TEST(BridgeControls, TheOversamplingPortSetsTheFactorAndTheLatencyPortReportsItsDelay) {
    const std::vector<float> signal = testSignal(kFrames);
    struct Case {
        float port;
        int32_t factor;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const Case& c : {Case{8.0f, 8}, Case{5.0f, 4}, Case{100.0f, 16}, Case{nan, 1},
                          Case{1.0f, 1}, Case{2.4f, 2}}) {
        BundleHost host(bundleFolder());
        ASSERT_TRUE(host.instantiate());
        host.control(kOversamplingControl) = c.port;
        host.control(kLatencyControl) = -1.0f;
        host.activate();
        const std::vector<float> output = host.process(signal, 512);
        int32_t latency = 0;
        const auto configure = [&](PluginHost& h) {
            requestOversampling(h, c.factor);
            latency = h.record()->latency;
        };
        EXPECT_EQ(output, moduleOutput(signal, kReferenceBlock, configure)) << c.port;
        EXPECT_EQ(host.control(kLatencyControl), static_cast<float>(latency)) << c.port;
        EXPECT_EQ(latency > 0, c.factor > 1) << c.port;
        EXPECT_LE(static_cast<float>(latency), kLatencyPortMaximum) << c.port;
    }
}

using PortValues = std::vector<std::pair<HostControlKey, float>>;

// The band ports edit the current preset through the editor's clamps: a value within reach is
// taken, one past a neighbour stops half an octave short of it, NaN and values beyond the range
// end at the nearest limit, and a whole layout moved at once gets past its old neighbours. The
// module's own band request with the same port values sounds the same.
TEST(BridgeControls, BandPortsEditThePresetThroughTheEditorsClamps) {
    const std::vector<float> signal = testSignal(kFrames);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float halfOctave = std::sqrt(2.0f);
    const BandControls start = startingBands();
    const float* edge = start.edgeHz;
    struct Case {
        const char* what;
        PortValues ports;
        PortValues expected;
    };
    const Case cases[] = {
        {"edge 4 at 3 kHz", {{ControlEdge4, 3000.0f}}, {{ControlEdge4, 3000.0f}}},
        {"edge 4 onto edge 3", {{ControlEdge4, 800.0f}}, {{ControlEdge4, edge[2] * halfOctave}}},
        {"edge 1 past edge 2", {{ControlEdge1, 5000.0f}}, {{ControlEdge1, edge[1] / halfOctave}}},
        {"edge 2 NaN", {{ControlEdge2, nan}}, {{ControlEdge2, edge[0] * halfOctave}}},
        {"edge 5 far above", {{ControlEdge5, 1e6f}}, {{ControlEdge5, 22050.0f}}},
        {"drives NaN and beyond",
         {{ControlDrive2, nan}, {ControlDrive3, 100.0f}},
         {{ControlDrive2, -20.0f}, {ControlDrive3, 20.0f}}},
        {"solo 2.6", {{ControlSolo, 2.6f}}, {{ControlSolo, 3.0f}}},
        {"every edge an octave down",
         {{ControlEdge1, edge[0] / 2},
          {ControlEdge2, edge[1] / 2},
          {ControlEdge3, edge[2] / 2},
          {ControlEdge4, edge[3] / 2},
          {ControlEdge5, edge[4] / 2}},
         {{ControlEdge1, 25.0f},
          {ControlEdge2, edge[1] / 2},
          {ControlEdge3, edge[2] / 2},
          {ControlEdge4, edge[3] / 2},
          {ControlEdge5, edge[4] / 2}}},
    };
    for (const Case& c : cases) {
        BundleHost host(bundleFolder());
        ASSERT_TRUE(host.instantiate());
        for (const auto& [control, value] : c.ports)
            host.control(control) = value;
        host.activate();
        const std::vector<float> output = host.process(signal, 512);
        BandControls held = static_cast<lv2::Bridge*>(host.handle())->module().bands();
        for (const auto& [control, value] : c.expected)
            EXPECT_NEAR(lv2::bandValue(held, control), value, 1e-5f * std::fabs(value)) << c.what;
        const auto request = [&](PluginHost& h) {
            BandControls wanted = readModuleBands(*h.record());
            for (const auto& [control, value] : c.ports)
                lv2::bandValue(wanted, control) = lv2::clampToControl(control, value);
            EXPECT_TRUE(editModuleBands(*h.record(), wanted));
        };
        EXPECT_EQ(output, moduleOutput(signal, kReferenceBlock, request)) << c.what;
    }
}

// The port values of the factory preset file "Default / Default", as a host sets them.
void applyDefaultPresetFile(BundleHost& host) {
    const BandControls clean = startingBands();
    host.control(kProgramControl) = 0.0f;
    host.control(ControlPreset) = 0.0f;
    for (int32_t control = ControlBand1; control <= ControlShape; ++control)
        host.control(control) = 0.0f;
    for (int32_t e = 0; e < kEdgeCount; ++e)
        host.control(ControlEdge1 + e) = clean.edgeHz[e];
    for (int32_t b = 0; b < kBandCount; ++b)
        host.control(ControlDrive1 + b) = clean.driveDb[b];
}

// A host applies a factory preset file as its port values in one go (Ardour, jalv): over
// another program's preset, "Default / Default" sounds as the module's own selection of it once
// the switch has glided.
TEST(BridgeControls, AFactoryPresetFileOverAnotherProgramSoundsAsTheModulesSelection) {
    const std::vector<float> signal = testSignal(kFrames);
    BundleHost host(bundleFolder());
    ASSERT_TRUE(host.instantiate());
    host.control(kProgramControl) = 1.0f;
    host.control(ControlOut) = -6.0f;
    host.activate();
    host.process(signal, 512);
    applyDefaultPresetFile(host);
    host.process(signal, 512);
    const std::vector<float> output = host.process(signal, 512);
    const std::vector<float> expected = moduleOutput(signal, kReferenceBlock);
    float largest = 0.0f, loudest = 0.0f;
    for (size_t i = output.size() / 2; i < output.size(); ++i) {
        largest = std::max(largest, std::fabs(output[i] - expected[i]));
        loudest = std::max(loudest, std::fabs(expected[i]));
    }
    EXPECT_LT(largest, 1e-4f * loudest);
}

void applySession(BundleHost& host) {
    host.control(kProgramControl) = 2.0f;
    host.control(7) = 0.25f;
    host.control(2) = -4.0f;
    host.control(5) = 3.5f;
}

TEST(BridgeState, ASavedStateRestoredInAFreshInstanceSoundsTheSame) {
    const std::vector<float> signal = testSignal(kFrames);
    BundleHost original(bundleFolder());
    ASSERT_TRUE(original.instantiate());
    applySession(original);
    original.activate();
    const std::vector<float> played = original.process(signal, 512);
    StoredState state;
    ASSERT_EQ(original.save(state), LV2_STATE_SUCCESS);
    ASSERT_EQ(state.count(kBankKey), 1u);
    EXPECT_EQ(state[kBankKey].typeUri, LV2_ATOM__Chunk);
    EXPECT_EQ(state[kBankKey].bytes.size(), 26000u);
    EXPECT_EQ(state[kProgramKey].typeUri, LV2_ATOM__Int);
    ASSERT_EQ(state[kProgramKey].bytes.size(), 4u);
    int32_t program = -1;
    std::memcpy(&program, state[kProgramKey].bytes.data(), sizeof program);
    EXPECT_EQ(program, 2);

    // Restored before activation (jalv) and after it (Ardour); the host sets the port values it
    // saved beside the state, Ardour before the restore and lilv after it.
    for (const bool activeFirst : {false, true}) {
        BundleHost reopened(bundleFolder());
        ASSERT_TRUE(reopened.instantiate());
        if (activeFirst) reopened.activate();
        if (activeFirst) applySession(reopened);
        ASSERT_EQ(reopened.restore(state), LV2_STATE_SUCCESS);
        if (!activeFirst) applySession(reopened);
        if (!activeFirst) reopened.activate();
        EXPECT_EQ(reopened.process(signal, 512), played) << activeFirst;
        StoredState again;
        ASSERT_EQ(reopened.save(again), LV2_STATE_SUCCESS);
        EXPECT_EQ(again[kBankKey].bytes, state[kBankKey].bytes);
    }
}

// Ardour saves the port values it has set, but a plug-in's ports see them only at the next run,
// so a session saved right after a preset file was loaded holds a bank that lags its ports (the
// bank of "Guitar / Clean Licks" under the ports of "Default / Default"). Reopened, the plug-in
// sounds as the ports say, the program first, and a port equal to its start-up value counts.
TEST(BridgeState, PortsSavedAheadOfTheBankAreWhatAReopenedSessionPlays) {
    const std::vector<float> signal = testSignal(kFrames);
    BundleHost original(bundleFolder());
    ASSERT_TRUE(original.instantiate());
    original.control(kProgramControl) = 1.0f;
    original.control(ControlOut) = -6.0f;
    original.activate();
    original.process(signal, 512);
    StoredState lagging;
    ASSERT_EQ(original.save(lagging), LV2_STATE_SUCCESS);
    struct Case {
        const char* what;
        std::function<void(BundleHost&)> ports;
        std::function<void(PluginHost&)> module;
    };
    const Case cases[] = {
        {"Default / Default", applyDefaultPresetFile, {}},
        {"Default / Default with Band1 at -6 dB, as the lagging bank has it",
         [](BundleHost& h) { applyDefaultPresetFile(h), h.control(ControlBand1) = -6.0f; },
         [](PluginHost& h) { h.setParameter(0, 0.25f); }},
    };
    for (const Case& c : cases) {
        BundleHost reopened(bundleFolder());
        ASSERT_TRUE(reopened.instantiate());
        c.ports(reopened);
        ASSERT_EQ(reopened.restore(lagging), LV2_STATE_SUCCESS);
        reopened.activate();
        EXPECT_EQ(reopened.process(signal, 512), moduleOutput(signal, kReferenceBlock, c.module))
            << c.what;
    }
}

StoredProperty intProperty(int32_t value) {
    StoredProperty property{LV2_ATOM__Int, LV2_STATE_IS_POD, std::vector<uint8_t>(4)};
    std::memcpy(property.bytes.data(), &value, sizeof value);
    return property;
}

TEST(BridgeState, BadOrForeignStateIsRefusedWithNothingChanged) {
    const std::vector<float> signal = testSignal(kFrames / 4);
    BundleHost host(bundleFolder());
    ASSERT_TRUE(host.instantiate());
    applySession(host);
    host.activate();
    host.process(signal, 512);
    StoredState good;
    ASSERT_EQ(host.save(good), LV2_STATE_SUCCESS);
    const auto with = [&good](const char* key, StoredProperty property) {
        StoredState state = good;
        state[key] = std::move(property);
        return state;
    };
    const StoredProperty bank = good[kBankKey];
    const StoredState bad[] = {
        with(kBankKey, {LV2_ATOM__String, 0, bank.bytes}),
        with(kBankKey, {LV2_ATOM__Chunk, 0, std::vector<uint8_t>(25999)}),
        with(kBankKey, {LV2_ATOM__Chunk, 0, std::vector<uint8_t>(26001)}),
        with(kBankKey, {LV2_ATOM__Chunk, 0, std::vector<uint8_t>(6500)}),
        with(kProgramKey, intProperty(4)),
        with(kProgramKey, intProperty(-1)),
        with(kProgramKey, {LV2_ATOM__Float, 0, good[kProgramKey].bytes}),
        with(kProgramKey, {LV2_ATOM__Int, 0, std::vector<uint8_t>(8)}),
        with(kPortsKey, {LV2_ATOM__Int, 0, good[kPortsKey].bytes}),
        with(kPortsKey,
             {LV2_ATOM__Chunk, 0, std::vector<uint8_t>(good[kPortsKey].bytes.size() - 1)}),
    };
    for (size_t i = 0; i < std::size(bad); ++i) {
        // The bank's bytes differ from the live ones, so a partial restore would show.
        StoredState state = bad[i];
        std::fill(state[kBankKey].bytes.begin(), state[kBankKey].bytes.end(), uint8_t{0x3F});
        EXPECT_NE(host.restore(state), LV2_STATE_SUCCESS) << "case " << i;
        StoredState after;
        ASSERT_EQ(host.save(after), LV2_STATE_SUCCESS);
        EXPECT_EQ(after[kBankKey].bytes, good[kBankKey].bytes) << "case " << i;
        EXPECT_EQ(after[kProgramKey].bytes, good[kProgramKey].bytes) << "case " << i;
    }
    // A host's start-up state without a bank changes nothing and is no error.
    EXPECT_EQ(host.restore(StoredState{}), LV2_STATE_SUCCESS);
    StoredState after;
    ASSERT_EQ(host.save(after), LV2_STATE_SUCCESS);
    EXPECT_EQ(after[kBankKey].bytes, good[kBankKey].bytes);
}

TEST(BridgeState, WithoutTheUridMapTheBridgeRunsButKeepsNoState) {
    const std::vector<float> signal = testSignal(kFrames / 4);
    BundleHost host(bundleFolder(), 0, false);
    ASSERT_TRUE(host.instantiate());
    host.activate();
    EXPECT_EQ(host.process(signal, 4096), moduleOutput(signal, 4096));
    StoredState state;
    EXPECT_NE(host.save(state), LV2_STATE_SUCCESS);
    EXPECT_TRUE(state.empty());
}

}  // namespace
}  // namespace marrowfold::testing
