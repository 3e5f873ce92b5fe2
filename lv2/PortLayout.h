#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "params/BandControls.h"
#include "params/HostControls.h"
#include "params/HostMeters.h"

namespace marrowfold::lv2 {

// The host controls that came before the meters. Their ports lie in front of the meters'; a
// control added since takes a port after the meters, so that no released port moves.
inline constexpr int32_t kControlsBeforeMeters = ControlLatency + 1;

// The plug-in's ports in index order: the audio ports, one control port for each host control
// before the meters in the order of its key, one output control port for each host meter in the
// order of its key, then one control port for each later control in the order of its key. Their
// indices and symbols are what hosts store in sessions and presets, so they never change once
// released.
enum Port : uint32_t {
    PortInLeft = 0,
    PortInRight,
    PortOutLeft,
    PortOutRight,
    PortFirstControl,
    PortFirstMeter = PortFirstControl + kControlsBeforeMeters,
    PortFirstLaterControl = PortFirstMeter + HostMeterCount,
    PortCount = PortFirstLaterControl + (HostControlCount - kControlsBeforeMeters)
};

inline constexpr int32_t kAudioChannels = 2;

struct AudioPortInfo {
    std::string_view symbol;
    std::string_view name;
    bool isInput;
};

const std::array<AudioPortInfo, PortFirstControl>& audioPorts();

inline constexpr uint32_t portOfControl(int32_t control) {
    if (control < kControlsBeforeMeters) return PortFirstControl + static_cast<uint32_t>(control);
    return PortFirstLaterControl + static_cast<uint32_t>(control - kControlsBeforeMeters);
}
// The port of a module parameter that hosts see.
inline constexpr uint32_t portOfParameter(int32_t parameter) {
    return portOfControl(controlOfParameter(parameter));
}
inline constexpr uint32_t portOfMeter(int32_t meter) {
    return PortFirstMeter + static_cast<uint32_t>(meter);
}
inline constexpr bool isMeterPort(uint32_t port) {
    return port >= PortFirstMeter && port < PortFirstLaterControl;
}
inline constexpr uint32_t programPort() {
    return portOfControl(ControlProgram);
}

// A host's value taken into the control's range (NaN becomes the minimum) and, for whole-number
// controls, to the nearest whole number; for controls with labelled values of their own, to the
// nearest of those.
float clampToControl(int32_t control, float value);
int32_t clampToProgram(float value);

// A module parameter's 0..1 value in its control's units and back (the range's plain linear
// maps, so that values on the parameters' 0.1 dB grid convert exactly as the render tool
// converts them).
float toPortValue(int32_t control, float normalized);
float toModuleValue(int32_t control, float portValue);

// Where a band edge, band drive or solo control keeps its value among the band controls.
float& bandValue(BandControls& bands, int32_t control);

// A control's current value in its port's units, read from an instance of the module (anything
// with getParameter, program, oversampling, latency, mix, enabled, antialiasing, bands, autoGain
// and autoGainDecibels). Every source of controls has its case here.
template <typename Instance>
float currentPortValue(Instance& instance, int32_t control) {
    const HostControl& info = hostControl(control);
    switch (info.source) {
        case ControlSource::ModuleParameter:
            return toPortValue(control, instance.getParameter(info.parameter));
        case ControlSource::ProgramNumber:
            return static_cast<float>(instance.program());
        case ControlSource::Oversampling:
            return static_cast<float>(instance.oversampling());
        case ControlSource::Latency:
            return static_cast<float>(instance.latency());
        case ControlSource::Mix:
            return instance.mix();
        case ControlSource::Enabled:
            return instance.enabled() ? 1.0f : 0.0f;
        case ControlSource::Antialiasing:
            return instance.antialiasing() ? 1.0f : 0.0f;
        case ControlSource::BandEdge:
        case ControlSource::BandDrive:
        case ControlSource::Solo: {
            BandControls bands = instance.bands();
            return bandValue(bands, control);
        }
        case ControlSource::AutoGain:
            return instance.autoGain() ? 1.0f : 0.0f;
        case ControlSource::AutoGainApplied:
            return instance.autoGainDecibels();
    }
    return 0.0f;
}

}  // namespace marrowfold::lv2
