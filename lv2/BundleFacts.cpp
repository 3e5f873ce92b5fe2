#include "lv2/BundleFacts.h"

#include <stdexcept>

#include "host/ChunkFormat.h"
#include "host/PluginHost.h"

namespace marrowfold::lv2 {

namespace {

constexpr float kFactsSampleRate = 44100.0f;
constexpr int32_t kFactsBlock = 512;

std::array<float, kParameterPorts> portValues(PluginHost& host) {
    std::array<float, kParameterPorts> values{};
    for (int32_t i = 0; i < kParameterPorts; ++i)
        values[static_cast<size_t>(i)] = toPortValue(i, host.getParameter(i));
    return values;
}

// The render tool's --program P --preset N: the program, the preset's host value, then the
// preset's values written back.
std::array<float, kParameterPorts> selectPreset(PluginHost& host, int32_t program, int32_t index,
                                                size_t count) {
    host.setProgram(program);
    host.setParameter(kModulePresetParameter,
                      static_cast<float>(index) / static_cast<float>(count));
    for (int32_t i = 0; i < kModulePresetParameter; ++i)
        host.setParameter(i, host.getParameter(i));
    return portValues(host);
}

void checkTitles(PluginHost& host) {
    for (int32_t i = 0; i < kParameterPorts; ++i) {
        const std::string title = host.parameterTitle(i);
        if (title != parameterPort(i).name)
            throw std::runtime_error("the module's parameter " + std::to_string(i) + " is '" +
                                     title + "', not '" + std::string(parameterPort(i).name) + "'");
    }
}

}  // namespace

BundleFacts readBundleFacts(const std::string& modulePath) {
    PluginModule module;
    if (!module.open(modulePath)) throw std::runtime_error(module.error());
    PluginHost host;
    if (!host.create(module)) throw std::runtime_error(modulePath + " refused to start");
    if (host.record()->programCount != kProgramCount)
        throw std::runtime_error(modulePath + " does not have four programs");
    checkTitles(host);
    host.setSampleRate(kFactsSampleRate);
    host.setBlockSize(kFactsBlock);

    BundleFacts facts;
    for (int32_t i = 0; i < kParameterPorts; ++i)
        facts.units[static_cast<size_t>(i)] = host.parameterUnit(i);
    facts.defaults = portValues(host);
    facts.defaultProgram = host.program();
    facts.vendor = host.vendorName();
    const std::vector<ChunkProgram> programs = decodeBankChunk(host.saveChunk(false));
    for (int32_t p = 0; p < kProgramCount; ++p) {
        const ChunkProgram& program = programs[static_cast<size_t>(p)];
        facts.programNames[static_cast<size_t>(p)] = program.name;
        for (size_t k = 0; k < program.presets.size(); ++k) {
            const auto index = static_cast<int32_t>(k);
            facts.presets.push_back({p, index, program.name + " / " + program.presets[k].name,
                                     selectPreset(host, p, index, program.presets.size())});
        }
    }
    return facts;
}

}  // namespace marrowfold::lv2
