#include "lv2/PortLayout.h"

#include <cmath>

#include "host/HostParameters.h"

namespace marrowfold::lv2 {

namespace {

constexpr std::array<AudioPortInfo, PortFirstParameter> kAudioPorts{{
    {"in_l", "In L", true},
    {"in_r", "In R", true},
    {"out_l", "Out L", false},
    {"out_r", "Out R", false},
}};

constexpr std::array<std::string_view, kParameterPorts> kParameterSymbols{
    "band1", "band2", "band3", "band4", "input", "output", "shape", "preset"};

std::array<ParameterPortInfo, kParameterPorts> makeParameterPorts() {
    std::array<ParameterPortInfo, kParameterPorts> ports{};
    for (int32_t i = 0; i < kParameterPorts; ++i) {
        const HostParameterRange& range = hostParameterRanges()[static_cast<size_t>(i)];
        ports[static_cast<size_t>(i)] = {kParameterSymbols[static_cast<size_t>(i)], range.name,
                                         range.minValue, range.maxValue,
                                         i == kModuleShapeParameter};
    }
    return ports;
}

const std::array<ParameterPortInfo, kParameterPorts> kParameterPortTable = makeParameterPorts();

}  // namespace

const std::array<AudioPortInfo, PortFirstParameter>& audioPorts() {
    return kAudioPorts;
}

const ParameterPortInfo& parameterPort(int32_t parameter) {
    return kParameterPortTable[static_cast<size_t>(parameter)];
}

std::string_view programSymbol() {
    return "program";
}

float clampToPort(int32_t parameter, float value) {
    const ParameterPortInfo& port = parameterPort(parameter);
    if (!(value >= port.minValue)) return port.minValue;
    if (value > port.maxValue) return port.maxValue;
    return port.isInteger ? std::round(value) : value;
}

int32_t clampToProgram(float value) {
    if (!(value >= 0.0f)) return 0;
    if (value > static_cast<float>(kProgramCount - 1)) return kProgramCount - 1;
    return static_cast<int32_t>(std::lround(value));
}

float toPortValue(int32_t parameter, float normalized) {
    const ParameterPortInfo& port = parameterPort(parameter);
    const double span = static_cast<double>(port.maxValue) - port.minValue;
    return static_cast<float>(port.minValue + static_cast<double>(normalized) * span);
}

float toModuleValue(int32_t parameter, float portValue) {
    const ParameterPortInfo& port = parameterPort(parameter);
    const double span = static_cast<double>(port.maxValue) - port.minValue;
    return static_cast<float>((static_cast<double>(portValue) - port.minValue) / span);
}

}  // namespace marrowfold::lv2
