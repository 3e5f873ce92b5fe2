#include "host/SessionOptions.h"

#include <charconv>

#include "host/EffectSession.h"
#include "host/ModuleLocation.h"
#include "host/ToolError.h"

namespace marrowfold {

namespace {

constexpr int32_t kLargestBlock = 65536;

// True when text is a whole number from 1 to largest, which then is in value.
bool wholeNumberUpTo(const std::string& text, int32_t largest, int32_t& value) {
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    return status == std::errc() && stop == end && value >= 1 && value <= largest;
}

}  // namespace

int32_t parseBlockSize(const std::string& text) {
    int32_t value = 0;
    if (!wholeNumberUpTo(text, kLargestBlock, value))
        throw ToolError("--block needs a whole number from 1 to " + std::to_string(kLargestBlock) +
                        ", got '" + text + "'");
    return value;
}

int32_t parseOversampling(const std::string& text) {
    int32_t value = 0;
    if (!wholeNumberUpTo(text, kMaxOversamplingFactor, value) || !validOversamplingFactor(value))
        throw ToolError("--oversampling takes " + oversamplingChoices(false) + ", got '" + text +
                        "'");
    return value;
}

std::string oversamplingChoices(bool markDefault) {
    std::string text;
    for (size_t k = 0; k < kOversamplingFactors.size(); ++k) {
        if (k > 0) text += k + 1 == kOversamplingFactors.size() ? " or " : ", ";
        text += std::to_string(kOversamplingFactors[k]);
        if (markDefault && kOversamplingFactors[k] == kDefaultOversamplingFactor)
            text += " (default)";
    }
    return text;
}

float parseMixPercent(const std::string& text) {
    float value = 0.0f;
    const char* end = text.data() + text.size();
    const auto [stop, status] = std::from_chars(text.data(), end, value);
    if (status != std::errc() || stop != end || !validMixPercent(value))
        throw ToolError("--mix takes a percentage from 0 to " +
                        std::to_string(static_cast<int32_t>(kFullMixPercent)) + ", got '" + text +
                        "'");
    return value;
}

bool takeSessionSwitch(SessionOptions& options, const std::string& argument) {
    static const std::map<std::string, bool SessionOptions::*> kSwitches{
        {"--antialiasing", &SessionOptions::antialiasing},
        {"--auto-gain", &SessionOptions::autoGain},
    };
    const auto found = kSwitches.find(argument);
    if (found == kSwitches.end()) return false;
    options.*(found->second) = true;
    return true;
}

const std::map<std::string, SessionOptionSetter>& sessionOptionSetters() {
    static const std::map<std::string, SessionOptionSetter> kSetters{
        {"--block",
         [](SessionOptions& o, const std::string& v) { o.blockSize = parseBlockSize(v); }},
        {"--module", [](SessionOptions& o, const std::string& v) { o.modulePath = v; }},
        {"--oversampling",
         [](SessionOptions& o, const std::string& v) { o.oversampling = parseOversampling(v); }},
        {"--mix",
         [](SessionOptions& o, const std::string& v) { o.mixPercent = parseMixPercent(v); }},
    };
    return kSetters;
}

std::string modulePathFor(const SessionOptions& options, const std::string& programName) {
    return options.modulePath.empty() ? defaultModulePath(programFolder(programName))
                                      : options.modulePath;
}

void requestSessionOptions(EffectSession& session, const SessionOptions& options) {
    if (options.oversampling != kDefaultOversamplingFactor)
        session.setOversampling(options.oversampling);
    if (options.antialiasing) session.setAntialiasing();
    if (options.mixPercent != kFullMixPercent) session.setMix(options.mixPercent);
    if (options.autoGain) session.setAutoGain(true);
}

}  // namespace marrowfold
