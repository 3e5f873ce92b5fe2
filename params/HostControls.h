#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/KeyedTable.h"
#include "core/ParameterRange.h"
#include "core/VendorRequests.h"
#include "params/BandLimits.h"
#include "params/ChunkLayout.h"
#include "params/ParameterIndex.h"
#include "params/ParameterTable.h"

namespace marrowfold {

// The controls that hosts see: the module's host-visible parameters, its program number, its
// oversampling and anti-aliasing and the delay they bring. The LV2 plug-in offers them as control
// ports, the render tool as options, and the editor writes the parameters among them. Each key
// names a control; the keys' order is the order of the LV2 control ports, which hosts save with
// their sessions, so a new control takes a new key at the end.
enum HostControlKey : int32_t {
    ControlBand1,
    ControlBand2,
    ControlBand3,
    ControlBand4,
    ControlIn,
    ControlOut,
    ControlShape,
    ControlPreset,
    ControlProgram,
    ControlOversampling,
    ControlLatency,
    ControlMix,
    ControlEnabled,
    ControlAntialiasing,
    ControlEdge1,
    ControlEdge2,
    ControlEdge3,
    ControlEdge4,
    ControlEdge5,
    ControlDrive1,
    ControlDrive2,
    ControlDrive3,
    ControlDrive4,
    ControlSolo,
    ControlAutoGain,
    ControlAutoGainApplied,
    HostControlCount
};

// Where a control's value lives.
enum class ControlSource : uint8_t {
    ModuleParameter,  // a host-visible parameter of the module's record
    ProgramNumber,    // the record's current program
    Oversampling,     // the shaping's oversampling factor, set through the vendor request
    Latency,          // the record's latency, in whole samples
    Mix,              // the dry/wet mix in percent, set through the vendor request
    Enabled,          // 1 while the module processes, 0 while it is bypassed (vendor request)
    Antialiasing,     // 1 while the shaping is anti-aliased, else 0 (vendor request)
    BandEdge,         // an edge of the current preset in Hz, through the band request
    BandDrive,        // a drive of the current preset in dB, through the band request
    Solo,             // the soloed band from 1, 0 for none, through the band request
    AutoGain,         // 1 while auto gain is on (vendor request)
    AutoGainApplied,  // the gain auto gain applies, in dB (vendor request)
};

// What hosts and tools do with a control beyond its range.
enum ControlFlag : uint32_t {
    kWholeNumbers = 1u << 0,    // whole values only
    kStoredInPreset = 1u << 1,  // kept in a preset: written back once a preset is selected
    kSelectsPreset = 1u << 2,   // chooses a preset of the current program
    kEnumeration = 1u << 3,     // one of the labelled values only
    kToggle = 1u << 4,          // off (0) or on (1)
    kOutput = 1u << 5,          // the module reports it; hosts only read it
    kReportsLatency = 1u << 6,  // the module's delay, which hosts compensate
    kSessionOnly = 1u << 7,     // saved with the host's session, never in a factory preset
    kBypassSwitch = 1u << 8,    // the host's on/off switch: 1 processes, 0 bypasses
    kLogarithmic = 1u << 9,     // shown and automated on a logarithmic scale
};

struct HostControl {
    std::string_view symbol;  // the LV2 port's symbol, which hosts save: it never changes
    std::string_view name;    // the module's title of the parameter, or the control's own name
    std::string_view unit;
    ParameterRange range;
    ControlSource source;
    int32_t parameter;  // the module's parameter of a ModuleParameter control, else -1
    uint32_t flags;
    // What each listed value means; empty when the module names them (the programs).
    std::span<const std::string_view> labels;
    // The value each label stands for; empty when label k stands for k.
    std::span<const float> labelValues;
    // Which edge or band a band edge or drive control is, from 0.
    int32_t item = 0;

    constexpr bool has(ControlFlag flag) const { return (flags & flag) != 0; }
    constexpr bool isParameter() const { return source == ControlSource::ModuleParameter; }
    // An edge, a drive or the solo: the band editor's values, which the band request carries.
    constexpr bool isBandValue() const {
        return source == ControlSource::BandEdge || source == ControlSource::BandDrive ||
               source == ControlSource::Solo;
    }
    // Factory presets hold the controls a preset selects, never outputs or session settings.
    constexpr bool inFactoryPresets() const { return (flags & (kOutput | kSessionOnly)) == 0; }
    constexpr float labelValue(size_t label) const {
        return labelValues.empty() ? static_cast<float>(label) : labelValues[label];
    }
};

// The five transfer curves, from the softest to an almost hard limiter.
inline constexpr std::string_view kShapeLabels[] = {"Soft", "Warm", "Hot", "Stepped", "Hard"};

// The oversampling factors as the control's values, and what each is called.
using OversamplingFactorValues =
    std::array<float, std::tuple_size_v<decltype(kOversamplingFactors)>>;
consteval OversamplingFactorValues oversamplingFactorValues() {
    OversamplingFactorValues values{};
    for (size_t k = 0; k < values.size(); ++k)
        values[k] = static_cast<float>(kOversamplingFactors[k]);
    return values;
}
inline constexpr OversamplingFactorValues kOversamplingFactorValues = oversamplingFactorValues();
inline constexpr std::string_view kOversamplingLabels[] = {"Off", "2x", "4x", "8x", "16x"};
static_assert(std::size(kOversamplingLabels) == kOversamplingFactors.size(), "a label a factor");
// The delay at the highest factor stays below this many samples; the latency port's maximum.
inline constexpr float kLatencyPortMaximum = 64.f;

// The band edges' controls reach half of a 48 kHz rate, so that such a session can put the top
// edge at its own half; the module clamps every edge to the rate in use, as the editor does.
inline constexpr float kEdgeControlMaximum = 24000.f;
inline constexpr std::string_view kSoloLabels[] = {"Off", "Band 1", "Band 2", "Band 3", "Band 4"};

consteval HostControl edgeControl(std::string_view symbol, std::string_view name, int32_t edge) {
    return {symbol,
            name,
            "Hz",
            {kLowestEdgeHz, kEdgeControlMaximum},
            ControlSource::BandEdge,
            -1,
            kLogarithmic,
            {},
            {},
            edge};
}
consteval HostControl driveControl(std::string_view symbol, std::string_view name, int32_t band) {
    return {symbol, name, "dB", {kLowestDrive, kHighestDrive}, ControlSource::BandDrive, -1, 0,
            {},     {},   band};
}

// A control that is one of the module's parameters, named, measured and ranged as the module
// registers it.
consteval HostControl parameterControl(std::string_view symbol, int32_t parameter, uint32_t flags,
                                       std::span<const std::string_view> labels = {}) {
    const ParameterSpec& spec = parameterSpec(parameter);
    return {symbol,    spec.name, spec.unit, spec.range, ControlSource::ModuleParameter,
            parameter, flags,     labels,    {}};
}

// clang-format off
inline constexpr KeyedEntry<HostControl> kHostControlEntries[] = {
    {ControlBand1,  parameterControl("band1",  ParamBand1,  kStoredInPreset)},
    {ControlBand2,  parameterControl("band2",  ParamBand2,  kStoredInPreset)},
    {ControlBand3,  parameterControl("band3",  ParamBand3,  kStoredInPreset)},
    {ControlBand4,  parameterControl("band4",  ParamBand4,  kStoredInPreset)},
    {ControlIn,     parameterControl("input",  ParamIn,     kStoredInPreset)},
    {ControlOut,    parameterControl("output", ParamOut,    kStoredInPreset)},
    {ControlShape,  parameterControl("shape",  ParamShape,
                                     kStoredInPreset | kWholeNumbers | kEnumeration, kShapeLabels)},
    {ControlPreset, parameterControl("preset", ParamPreset, kSelectsPreset)},
    {ControlProgram, {"program", "Program", "", {0.f, kProgramCount - 1.f, 1.f},
                      ControlSource::ProgramNumber, -1, kWholeNumbers | kEnumeration, {}, {}}},
    {ControlOversampling, {"oversampling", "Oversampling", "",
                           {kOversamplingFactorValues.front(), kOversamplingFactorValues.back()},
                           ControlSource::Oversampling, -1,
                           kWholeNumbers | kEnumeration | kSessionOnly, kOversamplingLabels,
                           kOversamplingFactorValues}},
    {ControlLatency, {"latency", "Latency", "frames", {0.f, kLatencyPortMaximum},
                      ControlSource::Latency, -1, kWholeNumbers | kOutput | kReportsLatency, {},
                      {}}},
    {ControlMix, {"mix", "Mix", "%", {0.f, kFullMixPercent}, ControlSource::Mix, -1,
                  kSessionOnly, {}, {}}},
    {ControlEnabled, {"enabled", "Enabled", "", {0.f, 1.f}, ControlSource::Enabled, -1,
                      kWholeNumbers | kToggle | kBypassSwitch | kSessionOnly, {}, {}}},
    {ControlAntialiasing, {"antialiasing", "Anti-aliasing", "", {0.f, 1.f},
                           ControlSource::Antialiasing, -1,
                           kWholeNumbers | kToggle | kSessionOnly, {}, {}}},
    {ControlEdge1,  edgeControl("edge1", "Edge 1", 0)},
    {ControlEdge2,  edgeControl("edge2", "Edge 2", 1)},
    {ControlEdge3,  edgeControl("edge3", "Edge 3", 2)},
    {ControlEdge4,  edgeControl("edge4", "Edge 4", 3)},
    {ControlEdge5,  edgeControl("edge5", "Edge 5", 4)},
    {ControlDrive1, driveControl("drive1", "Drive 1", 0)},
    {ControlDrive2, driveControl("drive2", "Drive 2", 1)},
    {ControlDrive3, driveControl("drive3", "Drive 3", 2)},
    {ControlDrive4, driveControl("drive4", "Drive 4", 3)},
    {ControlSolo, {"solo", "Solo", "", {0.f, static_cast<float>(kBandCount)}, ControlSource::Solo,
                   -1, kWholeNumbers | kEnumeration | kSessionOnly, kSoloLabels, {}}},
    {ControlAutoGain, {"auto_gain", "Auto Gain", "", {0.f, 1.f}, ControlSource::AutoGain, -1,
                       kWholeNumbers | kToggle | kSessionOnly, {}, {}}},
    {ControlAutoGainApplied, {"auto_gain_applied", "Auto Gain Applied", "dB",
                              {kAutoGainLowestDecibels, kAutoGainHighestDecibels},
                              ControlSource::AutoGainApplied, -1, kOutput, {}, {}}},
};
// clang-format on

inline constexpr std::array<HostControl, HostControlCount> kHostControls =
    tableByKey<HostControl, HostControlCount>(ControlBand1, kHostControlEntries);

constexpr const HostControl& hostControl(int32_t key) {
    return kHostControls[static_cast<size_t>(key)];
}

// The control of a module parameter; -1 for a parameter hosts do not see.
constexpr int32_t controlOfParameter(int32_t parameter) {
    for (int32_t key = 0; key < HostControlCount; ++key)
        if (hostControl(key).isParameter() && hostControl(key).parameter == parameter) return key;
    return -1;
}

// The edge or drive control of a band editor handle, named by the change flags its moves carry;
// -1 for any other flags.
constexpr int32_t controlOfBandHandle(int32_t changeFlags) {
    const int32_t item = changeFlags & kFlagIndexMask;
    for (int32_t key = 0; key < HostControlCount; ++key) {
        const HostControl& control = hostControl(key);
        const bool edge =
            (changeFlags & kEdgeMovedFlag) != 0 && control.source == ControlSource::BandEdge;
        const bool drive =
            (changeFlags & kDriveChangedFlag) != 0 && control.source == ControlSource::BandDrive;
        if ((edge || drive) && control.item == item) return key;
    }
    return -1;
}

// The one control that selects presets, and the parameter behind it.
constexpr int32_t presetSelectorControl() {
    for (int32_t key = 0; key < HostControlCount; ++key)
        if (hostControl(key).has(kSelectsPreset)) return key;
    return -1;
}
inline constexpr int32_t kPresetSelectorParameter = hostControl(presetSelectorControl()).parameter;

// The module's record shows exactly the parameters it calls host-visible, each as one control,
// and one control selects presets.
consteval bool controlsCoverHostParameters() {
    for (int32_t parameter = 0; parameter < ParamCount; ++parameter)
        if ((controlOfParameter(parameter) >= 0) != (parameter < kHostParameterCount)) return false;
    int32_t parameters = 0;
    for (const HostControl& control : kHostControls)
        parameters += control.isParameter() ? 1 : 0;
    return parameters == kHostParameterCount && presetSelectorControl() >= 0;
}
static_assert(controlsCoverHostParameters());

}  // namespace marrowfold
