#include "lv2/BundleFacts.h"

#include <stdexcept>

#include "host/ChunkFormat.h"
#include "host/ParameterProtocol.h"
#include "host/PluginHost.h"

namespace marrowfold::lv2 {

namespace {

constexpr float kFactsSampleRate = 44100.0f;
constexpr int32_t kFactsBlock = 512;

// The started module as the ports read it. The facts' host never asks for oversampling,
// anti-aliasing, mix or bypass, so the module keeps its defaults.
struct StartedModule {
    PluginHost& host;
    float getParameter(int32_t index) { return host.getParameter(index); }
    int32_t program() { return host.program(); }
    int32_t oversampling() const { return kDefaultOversamplingFactor; }
    int32_t latency() const { return host.record()->latency; }
    float mix() const { return kFullMixPercent; }
    bool enabled() const { return true; }
    bool antialiasing() const { return false; }
    BandControls bands() { return readModuleBands(*host.record()); }
    bool autoGain() const { return false; }
    float autoGainDecibels() const { return 0.0f; }
};

// Every control's value in its port's units.
std::array<float, HostControlCount> controlValues(PluginHost& host) {
    StartedModule started{host};
    std::array<float, HostControlCount> values{};
    for (int32_t control = 0; control < HostControlCount; ++control)
        values[static_cast<size_t>(control)] = currentPortValue(started, control);
    return values;
}

// The render tool's --program P --preset N: the program, then the preset as the editor selects
// it.
std::array<float, HostControlCount> selectPreset(PluginHost& host, int32_t program, int32_t index,
                                                 size_t count) {
    host.setProgram(program);
    selectPresetAndWriteBack(*host.record(),
                             presetSelectorValue(index, static_cast<int32_t>(count)));
    return controlValues(host);
}

}  // namespace

BundleFacts readBundleFacts(const std::string& modulePath) {
    PluginModule module;
    if (!module.open(modulePath)) throw std::runtime_error(module.error());
    PluginHost host;
    if (!host.create(module)) throw std::runtime_error(modulePath + " refused to start");
    if (host.record()->programCount != kProgramCount)
        throw std::runtime_error(modulePath + " does not have four programs");
    if (const std::optional<TitleMismatch> mismatch = findTitleMismatch(*host.record()))
        throw std::runtime_error(mismatch->describe());
    host.setSampleRate(kFactsSampleRate);
    host.setBlockSize(kFactsBlock);

    BundleFacts facts;
    for (int32_t control = 0; control < HostControlCount; ++control) {
        const HostControl& info = hostControl(control);
        facts.units[static_cast<size_t>(control)] =
            info.isParameter() ? host.parameterUnit(info.parameter) : std::string(info.unit);
    }
    facts.defaults = controlValues(host);
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
