#include "host/HostParameters.h"

#include <strings.h>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "host/ToolError.h"

namespace marrowfold {

namespace {

consteval std::array<HostParameterRange, kHostParameters> settableControls() {
    std::array<HostParameterRange, kHostParameters> ranges{};
    size_t next = 0;
    for (const HostControl& control : kHostControls) {
        if (!control.isParameter()) continue;
        ranges[next++] = {control.name, control.range.minimum(), control.range.maximum(),
                          control.range.step(), control.parameter};
    }
    return ranges;
}

constexpr std::array<HostParameterRange, kHostParameters> kRanges = settableControls();

std::string formatNumber(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

double parseNumber(std::string_view text, std::string_view name) {
    // from_chars takes no plus sign, which people write for gains.
    const std::string_view digits =
        text.size() > 1 && text[0] == '+' && text[1] != '-' ? text.substr(1) : text;
    double value = 0.0;
    const char* end = digits.data() + digits.size();
    const auto [stop, status] = std::from_chars(digits.data(), end, value);
    if (digits.empty() || status != std::errc() || stop != end || !std::isfinite(value))
        throw ToolError("value '" + std::string(text) + "' for " + std::string(name) +
                        " is not a number");
    return value;
}

const HostParameterRange* findRange(std::string_view name) {
    for (const HostParameterRange& range : kRanges) {
        const std::string_view known = range.name;
        if (known.size() == name.size() && strncasecmp(known.data(), name.data(), name.size()) == 0)
            return &range;
    }
    return nullptr;
}

}  // namespace

const std::array<HostParameterRange, kHostParameters>& hostParameterRanges() {
    return kRanges;
}

int32_t findHostParameter(std::string_view name) {
    const HostParameterRange* range = findRange(name);
    return range != nullptr ? range->parameter : -1;
}

HostParameterWrite parseParameterSetting(std::string_view setting) {
    const size_t equals = setting.find('=');
    if (equals == std::string_view::npos)
        throw ToolError("--set needs NAME=VALUE, got '" + std::string(setting) + "'");
    const std::string_view name = setting.substr(0, equals);
    const HostParameterRange* range = findRange(name);
    if (range == nullptr) {
        std::string known;
        for (const HostParameterRange& each : kRanges)
            known += (known.empty() ? "" : ", ") + std::string(each.name);
        throw ToolError("unknown parameter '" + std::string(name) + "' (known: " + known + ")");
    }
    const double value = parseNumber(setting.substr(equals + 1), range->name);
    if (value < range->minValue || value > range->maxValue)
        throw ToolError("value " + formatNumber(static_cast<float>(value)) + " for " +
                        std::string(range->name) + " is outside " + formatNumber(range->minValue) +
                        ".." + formatNumber(range->maxValue));
    const ParameterRange::StepValue step = parameterSpec(range->parameter).range.nearestStep(value);
    return {range->parameter, step.normalized, step.real};
}

}  // namespace marrowfold
