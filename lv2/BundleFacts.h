#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lv2/PortLayout.h"

namespace marrowfold::lv2 {

// One factory preset as the host's preset menu shows it, with the control values that select it.
struct PresetFacts {
    int32_t program = 0;
    int32_t index = 0;
    std::string label;                             // "Program / Preset"
    std::array<float, HostControlCount> values{};  // by control, in port units
};

// What the bundle's description says about the module, read from the module itself.
struct BundleFacts {
    // The module's units of its parameters, the table's of other controls.
    std::array<std::string, HostControlCount> units;
    std::array<float, HostControlCount> defaults{};  // as after the factory bank loads
    std::string vendor;
    std::array<std::string, kProgramCount> programNames;
    std::vector<PresetFacts> presets;
};

// Starts the module once and reads units, defaults, program and preset names, and each preset's
// control values as selecting it leaves them. Throws std::runtime_error when the module cannot
// be started or is not the effect the ports describe.
BundleFacts readBundleFacts(const std::string& modulePath);

}  // namespace marrowfold::lv2
