#include "host/ProgramListing.h"

#include <cstdio>

#include "params/HostControls.h"

namespace marrowfold {

namespace {

constexpr size_t kLineSize = 160;

std::string programHeading(size_t index, const ChunkProgram& program, const std::string& unit) {
    char line[kLineSize];
    std::snprintf(line, sizeof line, "program %zu \"%s\" (%zu presets)\n", index,
                  program.name.c_str(), program.presets.size());
    std::string text = line;
    const auto title = [&unit](HostControlKey control) {
        const std::string name(hostControl(control).name);
        return unit.empty() ? name : name + " " + unit;
    };
    const std::string inTitle = title(ControlIn);
    const std::string outTitle = title(ControlOut);
    std::snprintf(line, sizeof line, "  %3s  %-20s %5s %8s %8s\n", "#", "preset", "shape",
                  inTitle.c_str(), outTitle.c_str());
    return text + line;
}

std::string presetLine(size_t index, const ChunkPreset& preset) {
    char line[kLineSize];
    std::snprintf(line, sizeof line, "  %3zu  %-20s %5d %8.1f %8.1f\n", index, preset.name.c_str(),
                  preset.shape, static_cast<double>(preset.inputGain),
                  static_cast<double>(preset.outputGain));
    return line;
}

}  // namespace

std::string formatProgramListing(const std::vector<ChunkProgram>& programs,
                                 const std::string& gainUnit) {
    std::string text;
    for (size_t p = 0; p < programs.size(); ++p) {
        if (p > 0) text += "\n";
        text += programHeading(p, programs[p], gainUnit);
        for (size_t i = 0; i < programs[p].presets.size(); ++i)
            text += presetLine(i, programs[p].presets[i]);
    }
    return text;
}

}  // namespace marrowfold
