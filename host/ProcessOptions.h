#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/SessionOptions.h"

namespace marrowfold {

// The command line of marrowfold-process: raw interleaved float32 stereo in and out.
struct ProcessOptions : SessionOptions {
    std::string input;
    std::string output;
    // Set by --write-demo: the built-in demo signal is written here and nothing is processed.
    std::string demoOutput;
    std::optional<std::string> program;
    std::optional<std::string> preset;
    bool help = false;
};

// Throws ToolError for an unknown option, a missing or bad value, or missing file names.
ProcessOptions parseProcessOptions(const std::vector<std::string>& arguments);

std::string processUsage();

}  // namespace marrowfold
