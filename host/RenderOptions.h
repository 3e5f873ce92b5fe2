#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/AudioFile.h"
#include "host/HostParameters.h"
#include "host/SessionOptions.h"

namespace marrowfold {

enum class RenderMode { Render, List, Demo, Help };

// Everything the command line asks for, checked as far as it can be without the module.
struct RenderOptions : SessionOptions {
    RenderMode mode = RenderMode::Render;
    std::string input;
    std::string output;
    std::string demoFolder;
    SampleFormat sampleFormat = SampleFormat::AsInput;
    std::optional<std::string> program;
    std::optional<std::string> preset;
    std::vector<HostParameterWrite> settings;
    std::string stateIn;
    std::string stateOut;
    std::string bankOut;
    double pictureScale = 1.0;
};

// Throws ToolError for an unknown option, a missing or bad value, or missing files.
RenderOptions parseRenderOptions(const std::vector<std::string>& arguments);

// The text --help prints.
std::string renderUsage();

}  // namespace marrowfold
