#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace marrowfold {

// The eight parameters a host sees, with the real ranges their 0..1 host values span. The
// module tells names and units through its record but not ranges, so the tool keeps them here
// and checks the names against the module before it relies on them.
struct HostParameterRange {
    std::string_view name;
    float minValue;
    float maxValue;
    float step;  // 0 = continuous
};

inline constexpr int32_t kHostParameters = 8;
inline constexpr int32_t kPresetParameter = 7;
inline constexpr int32_t kShapeParameter = 6;

const std::array<HostParameterRange, kHostParameters>& hostParameterRanges();

// A host write: parameter index and its 0..1 value.
struct HostParameterWrite {
    int32_t index;
    float normalized;
    float realValue;
};

// Finds a parameter by name, ignoring case; -1 when there is none.
int32_t findHostParameter(std::string_view name);

// Parses "NAME=VALUE" with VALUE in the parameter's real units, taken to the nearest step of
// the parameter (the module would otherwise round its own way, biased upwards). Throws ToolError
// naming the problem: no '=', an unknown name, a value that is not a number or lies outside the
// range.
HostParameterWrite parseParameterSetting(std::string_view setting);

}  // namespace marrowfold
