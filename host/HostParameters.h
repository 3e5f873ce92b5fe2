#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "params/HostControls.h"

namespace marrowfold {

// The controls a tool sets with --set NAME=VALUE, in real units: every module parameter among
// the host controls (the program has an option of its own).
struct HostParameterRange {
    std::string_view name;
    float minValue;
    float maxValue;
    float step;  // 0 = continuous
    int32_t parameter;
};

consteval int32_t countSettableControls() {
    int32_t count = 0;
    for (const HostControl& control : kHostControls)
        count += control.isParameter() ? 1 : 0;
    return count;
}
inline constexpr int32_t kHostParameters = countSettableControls();

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
