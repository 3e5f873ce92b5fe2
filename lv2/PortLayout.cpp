#include "lv2/PortLayout.h"

#include <cmath>

namespace marrowfold::lv2 {

namespace {

constexpr std::array<AudioPortInfo, PortFirstControl> kAudioPorts{{
    {"in_l", "In L", true},
    {"in_r", "In R", true},
    {"out_l", "Out L", false},
    {"out_r", "Out R", false},
}};

float nearestLabelValue(const HostControl& info, float value) {
    float nearest = info.labelValue(0);
    for (size_t label = 1; label < info.labels.size(); ++label) {
        const float candidate = info.labelValue(label);
        if (std::fabs(candidate - value) < std::fabs(nearest - value)) nearest = candidate;
    }
    return nearest;
}

}  // namespace

const std::array<AudioPortInfo, PortFirstControl>& audioPorts() {
    return kAudioPorts;
}

float clampToControl(int32_t control, float value) {
    const HostControl& info = hostControl(control);
    const float clamped = info.range.clamp(value);
    if (!info.labelValues.empty()) return nearestLabelValue(info, clamped);
    return info.has(kWholeNumbers) ? std::round(clamped) : clamped;
}

int32_t clampToProgram(float value) {
    return static_cast<int32_t>(std::lround(hostControl(ControlProgram).range.clamp(value)));
}

float toPortValue(int32_t control, float normalized) {
    return hostControl(control).range.linearReal(normalized);
}

float toModuleValue(int32_t control, float portValue) {
    return hostControl(control).range.linearNormalized(portValue);
}

float& bandValue(BandControls& bands, int32_t control) {
    const HostControl& info = hostControl(control);
    if (info.source == ControlSource::BandEdge) return bands.edgeHz[info.item];
    if (info.source == ControlSource::BandDrive) return bands.driveDb[info.item];
    return bands.solo;
}

}  // namespace marrowfold::lv2
