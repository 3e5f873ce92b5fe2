#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace marrowfold::lv2 {

// The plug-in's ports in index order. Their symbols are what hosts store in sessions and
// presets, so they never change once released.
enum Port : uint32_t {
    PortInLeft = 0,
    PortInRight,
    PortOutLeft,
    PortOutRight,
    PortFirstParameter,  // the module's parameters 0..7 follow in their own order
    PortProgram = PortFirstParameter + 8,
    PortCount
};

inline constexpr int32_t kParameterPorts = 8;
inline constexpr int32_t kModulePresetParameter = 7;
inline constexpr int32_t kModuleShapeParameter = 6;
inline constexpr int32_t kProgramCount = 4;
inline constexpr int32_t kAudioChannels = 2;

struct AudioPortInfo {
    std::string_view symbol;
    std::string_view name;
    bool isInput;
};

const std::array<AudioPortInfo, PortFirstParameter>& audioPorts();

// A parameter port in its own units: the module's 0..1 value v stands for min + v x span.
struct ParameterPortInfo {
    std::string_view symbol;
    std::string_view name;  // the module's own title of the parameter
    float minValue;
    float maxValue;
    bool isInteger;
};

const ParameterPortInfo& parameterPort(int32_t parameter);
std::string_view programSymbol();

inline constexpr uint32_t portOfParameter(int32_t parameter) {
    return PortFirstParameter + static_cast<uint32_t>(parameter);
}
inline constexpr bool isParameterPort(uint32_t port) {
    return port >= PortFirstParameter && port < PortProgram;
}

// A host's value taken into the port's range (NaN becomes the minimum) and, for integer ports,
// to the nearest whole number.
float clampToPort(int32_t parameter, float value);
int32_t clampToProgram(float value);

// The module's 0..1 value of a parameter in port units and back, in double precision so that
// values on the parameters' 0.1 dB grid convert exactly as the render tool converts them.
float toPortValue(int32_t parameter, float normalized);
float toModuleValue(int32_t parameter, float portValue);

}  // namespace marrowfold::lv2
