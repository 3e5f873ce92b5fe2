#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "core/VendorRequests.h"

namespace marrowfold {

class EffectSession;

// What both tools' command lines say about the module's session: which module, the frames per
// process call, the oversampling, the anti-aliasing, the mix and auto gain. Each tool's options
// extend it.
struct SessionOptions {
    std::string modulePath;  // empty: the module beside the executable
    int32_t blockSize = 512;
    int32_t oversampling = kDefaultOversamplingFactor;
    bool antialiasing = false;
    float mixPercent = kFullMixPercent;
    bool autoGain = false;
};

// Takes a session option without a value (--antialiasing, --auto-gain); false for any other
// argument.
bool takeSessionSwitch(SessionOptions& options, const std::string& argument);

// The frames per process call that a tool's --block option gives. Throws ToolError for anything
// but a whole number from 1 to the largest block a tool offers.
int32_t parseBlockSize(const std::string& text);

// The factor a tool's --oversampling option gives. Throws ToolError for anything but one of the
// module's oversampling factors.
int32_t parseOversampling(const std::string& text);

// The factors as a tool lists them: "1, 2, 4, 8 or 16", with markDefault "1 (default), 2, ...".
std::string oversamplingChoices(bool markDefault);

// The percentage a tool's --mix option gives. Throws ToolError for anything but a number from 0
// to 100.
float parseMixPercent(const std::string& text);

using SessionOptionSetter = std::function<void(SessionOptions&, const std::string&)>;

// The session's options by name (--block, --module, --oversampling, --mix), each with the setter
// that parses its value.
const std::map<std::string, SessionOptionSetter>& sessionOptionSetters();

// A tool's own value options together with the session's, for the tool's Options (a
// SessionOptions).
template <class Options>
std::map<std::string, std::function<void(Options&, const std::string&)>> withSessionOptions(
    std::map<std::string, std::function<void(Options&, const std::string&)>> own) {
    for (const auto& [name, set] : sessionOptionSetters())
        own.emplace(name,
                    [set](Options& options, const std::string& value) { set(options, value); });
    return own;
}

// The module a tool loads: the one the command line names, else the one the tool finds from its
// own folder (ModuleLocation.h); programName is how the tool was started.
std::string modulePathFor(const SessionOptions& options, const std::string& programName);

// Asks a prepared session for the oversampling, the anti-aliasing, the mix and auto gain where
// they differ from the defaults.
// Throws ToolError when the module refuses one.
void requestSessionOptions(EffectSession& session, const SessionOptions& options);

}  // namespace marrowfold
