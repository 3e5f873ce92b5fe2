#include "host/HostParameters.h"

#include <strings.h>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "host/ToolError.h"

namespace marrowfold {

namespace {

constexpr float kLevelRange = 12.0f;  // band levels, dB
constexpr float kGainRange = 20.0f;   // input and output gain, dB
constexpr float kLastShape = 4.0f;
constexpr float kDecibelStep = 0.1f;

constexpr std::array<HostParameterRange, kHostParameters> kRanges{{
    {"Band1", -kLevelRange, kLevelRange, kDecibelStep},
    {"Band2", -kLevelRange, kLevelRange, kDecibelStep},
    {"Band3", -kLevelRange, kLevelRange, kDecibelStep},
    {"Band4", -kLevelRange, kLevelRange, kDecibelStep},
    {"In", -kGainRange, kGainRange, kDecibelStep},
    {"Out", -kGainRange, kGainRange, kDecibelStep},
    {"Shape", 0.0f, kLastShape, 1.0f},
    {"Preset", 0.0f, 1.0f, 0.0f},
}};

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

}  // namespace

const std::array<HostParameterRange, kHostParameters>& hostParameterRanges() {
    return kRanges;
}

int32_t findHostParameter(std::string_view name) {
    for (int32_t i = 0; i < kHostParameters; ++i) {
        const std::string_view known = kRanges[i].name;
        if (known.size() == name.size() && strncasecmp(known.data(), name.data(), name.size()) == 0)
            return i;
    }
    return -1;
}

HostParameterWrite parseParameterSetting(std::string_view setting) {
    const size_t equals = setting.find('=');
    if (equals == std::string_view::npos)
        throw ToolError("--set needs NAME=VALUE, got '" + std::string(setting) + "'");
    const std::string_view name = setting.substr(0, equals);
    const int32_t index = findHostParameter(name);
    if (index < 0) {
        std::string known;
        for (const HostParameterRange& range : kRanges)
            known += (known.empty() ? "" : ", ") + std::string(range.name);
        throw ToolError("unknown parameter '" + std::string(name) + "' (known: " + known + ")");
    }
    const HostParameterRange& range = kRanges[index];
    const double value = parseNumber(setting.substr(equals + 1), range.name);
    if (value < range.minValue || value > range.maxValue)
        throw ToolError("value " + formatNumber(static_cast<float>(value)) + " for " +
                        std::string(range.name) + " is outside " + formatNumber(range.minValue) +
                        ".." + formatNumber(range.maxValue));
    const double span = range.maxValue - range.minValue;
    if (range.step <= 0.0f)
        return {index, static_cast<float>((value - range.minValue) / span),
                static_cast<float>(value)};
    const double steps = std::round(span / range.step);
    const double k = std::round((value - range.minValue) / range.step);
    return {index, static_cast<float>(k / steps),
            static_cast<float>(range.minValue + k * range.step)};
}

}  // namespace marrowfold
