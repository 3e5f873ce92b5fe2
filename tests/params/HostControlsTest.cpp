// The controls hosts see, held against what hosts have saved (port symbols, their order and
// ranges), and the conversions hosts use for them.
#include "params/HostControls.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "params/ParameterIndex.h"

namespace marrowfold {
namespace {

// Hosts save controls by symbol and LV2 port index, and their values in the control's own units:
// a control that moves, changes its range or turns from input into output breaks saved sessions.
TEST(HostControls, KeepTheSymbolsOrderAndRangesHostsHaveSaved) {
    struct Saved {
        HostControlKey key;
        const char* symbol;
        int32_t parameter;  // -1: not a module parameter
        bool keptInPreset;
        float minimum;
        float maximum;
        bool output;
    };
    // clang-format off
    const Saved saved[] = {
        {ControlBand1, "band1", 0, true, -12.f, 12.f, false},
        {ControlBand2, "band2", 1, true, -12.f, 12.f, false},
        {ControlBand3, "band3", 2, true, -12.f, 12.f, false},
        {ControlBand4, "band4", 3, true, -12.f, 12.f, false},
        {ControlIn, "input", 4, true, -20.f, 20.f, false},
        {ControlOut, "output", 5, true, -20.f, 20.f, false},
        {ControlShape, "shape", 6, true, 0.f, 4.f, false},
        {ControlPreset, "preset", 7, false, 0.f, 1.f, false},
        {ControlProgram, "program", -1, false, 0.f, 3.f, false},
        {ControlOversampling, "oversampling", -1, false, 1.f, 16.f, false},
        {ControlLatency, "latency", -1, false, 0.f, 64.f, true},
        {ControlMix, "mix", -1, false, 0.f, 100.f, false},
        {ControlEnabled, "enabled", -1, false, 0.f, 1.f, false},
        {ControlAntialiasing, "antialiasing", -1, false, 0.f, 1.f, false},
        {ControlEdge1, "edge1", -1, false, 25.f, 24000.f, false},
        {ControlEdge2, "edge2", -1, false, 25.f, 24000.f, false},
        {ControlEdge3, "edge3", -1, false, 25.f, 24000.f, false},
        {ControlEdge4, "edge4", -1, false, 25.f, 24000.f, false},
        {ControlEdge5, "edge5", -1, false, 25.f, 24000.f, false},
        {ControlDrive1, "drive1", -1, false, -20.f, 20.f, false},
        {ControlDrive2, "drive2", -1, false, -20.f, 20.f, false},
        {ControlDrive3, "drive3", -1, false, -20.f, 20.f, false},
        {ControlDrive4, "drive4", -1, false, -20.f, 20.f, false},
        {ControlSolo, "solo", -1, false, 0.f, 4.f, false},
        {ControlAutoGain, "auto_gain", -1, false, 0.f, 1.f, false},
        {ControlAutoGainApplied, "auto_gain_applied", -1, false, -48.f, 12.f, true},
    };
    // clang-format on
    ASSERT_EQ(std::size(saved), static_cast<size_t>(HostControlCount));
    for (const Saved& s : saved) {
        const HostControl& control = hostControl(s.key);
        EXPECT_EQ(control.symbol, s.symbol);
        EXPECT_EQ(control.isParameter() ? control.parameter : -1, s.parameter) << s.symbol;
        EXPECT_EQ(control.has(kStoredInPreset), s.keptInPreset) << s.symbol;
        EXPECT_EQ(control.range.minimum(), s.minimum) << s.symbol;
        EXPECT_EQ(control.range.maximum(), s.maximum) << s.symbol;
        EXPECT_EQ(control.has(kOutput), s.output) << s.symbol;
        if (s.parameter >= 0) {
            EXPECT_EQ(controlOfParameter(s.parameter), s.key) << s.symbol;
        }
    }
    EXPECT_EQ(hostControl(presetSelectorControl()).symbol, "preset");
    EXPECT_EQ(controlOfParameter(ParamBank), -1);
}

// An enumerated parameter has a label for each of its values; listed values lie in their control's
// range in rising order, whole where the control takes whole numbers; only the session's own
// settings (the solo among them) and outputs stay out of factory presets.
TEST(HostControls, ListedValuesFitTheirControls) {
    for (const HostControl& control : kHostControls) {
        const bool presetValue =
            control.isParameter() || control.source == ControlSource::ProgramNumber ||
            control.source == ControlSource::BandEdge || control.source == ControlSource::BandDrive;
        EXPECT_EQ(control.inFactoryPresets(), presetValue) << control.symbol;
        if (control.isParameter() && control.has(kEnumeration)) {
            EXPECT_EQ(control.labels.size(), static_cast<size_t>(control.range.stepCount()) + 1)
                << control.symbol;
        }
        if (control.labelValues.empty()) continue;
        ASSERT_EQ(control.labelValues.size(), control.labels.size()) << control.symbol;
        EXPECT_EQ(control.labelValue(0), control.range.minimum()) << control.symbol;
        EXPECT_EQ(control.labelValues.back(), control.range.maximum()) << control.symbol;
        for (size_t k = 1; k < control.labelValues.size(); ++k) {
            EXPECT_LT(control.labelValue(k - 1), control.labelValue(k)) << control.symbol;
            if (control.has(kWholeNumbers)) {
                EXPECT_EQ(control.labelValue(k), std::round(control.labelValue(k)));
            }
        }
    }
}

// A value on a stepped control's grid, as a user writes it, reaches the module as exactly
// k / steps through the render tool's rounding; the module's own rounding is biased upwards.
TEST(HostControls, GridValuesReachTheModuleAsExactSteps) {
    for (const HostControl& control : kHostControls) {
        const ParameterRange& range = control.range;
        if (range.step() <= 0.0f) continue;
        const auto steps = static_cast<int32_t>(std::lround(range.stepCount()));
        for (int32_t k = 0; k <= steps; ++k) {
            const double real = range.minimum() + k * (static_cast<double>(range.span()) / steps);
            const float expected = static_cast<float>(static_cast<double>(k) / steps);
            ASSERT_EQ(range.nearestStep(real).normalized, expected) << control.symbol << " " << k;
        }
    }
    // Off the grid: to the nearest step; a continuous range keeps the value.
    const ParameterRange& gain = hostControl(ControlIn).range;
    EXPECT_EQ(gain.nearestStep(6.04).normalized, 0.65f);
    EXPECT_EQ(gain.nearestStep(6.06).normalized, 0.6525f);
    EXPECT_EQ(hostControl(ControlPreset).range.nearestStep(0.3).normalized, 0.3f);
}

// The ports' plain maps are not the module's stepped conversion: the middle of a level is 0 dB
// on a port, where the module snaps to 1.788139e-7.
TEST(HostControls, PortMapsArePlainLinearMaps) {
    struct Case {
        HostControlKey key;
        float normalized;
        float real;
    };
    const Case cases[] = {
        {ControlBand1, 0.5f, 0.0f}, {ControlBand1, 0.0f, -12.0f}, {ControlBand1, 1.0f, 12.0f},
        {ControlIn, 0.65f, 6.0f},   {ControlShape, 0.75f, 3.0f},  {ControlPreset, 0.25f, 0.25f},
    };
    for (const Case& c : cases) {
        const ParameterRange& range = hostControl(c.key).range;
        EXPECT_FLOAT_EQ(range.linearReal(c.normalized), c.real) << c.key;
        EXPECT_FLOAT_EQ(range.linearNormalized(c.real), c.normalized) << c.key;
    }
    EXPECT_EQ(hostControl(ControlBand1).range.linearReal(0.5f), 0.0f);
    EXPECT_NE(hostControl(ControlBand1).range.toReal(0.5f), 0.0f);
}

}  // namespace
}  // namespace marrowfold
