// The steps every host of ours shares: the title check, against the module and against one whose
// titles differ, and the preset selection, which leaves the module playing each factory preset
// as its bank stores it.
#include "host/ParameterProtocol.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "host/ChunkFormat.h"
#include "host/PluginHost.h"
#include "host/PluginModule.h"
#include "params/HostControls.h"

namespace marrowfold {
namespace {

// A record that only answers title requests, with the names of the host controls except where
// a test renames one.
struct TitleRecord {
    static inline std::array<std::string, kHostParameterCount> titles;

    static intptr_t dispatch(EffectRecord*, int32_t opcode, int32_t index, intptr_t, void* ptr,
                             float) {
        if (opcode == ReqParamTitle && index >= 0 && index < kHostParameterCount)
            std::strcpy(static_cast<char*>(ptr), titles[static_cast<size_t>(index)].c_str());
        return 0;
    }

    static EffectRecord make() {
        EffectRecord record{};
        record.dispatchEntry = &dispatch;
        for (const HostControl& control : kHostControls)
            if (control.isParameter())
                titles[static_cast<size_t>(control.parameter)] = std::string(control.name);
        return record;
    }
};

TEST(ParameterProtocol, TitleCheckNamesTheFirstParameterThatDiffers) {
    struct Case {
        int32_t renamed;  // -1: none
        const char* title;
        const char* message;  // empty: the check passes
    };
    const Case cases[] = {
        {-1, "", ""},
        {3, "Drive", "the module's parameter 3 is 'Drive', not 'Band4'"},
        {6, "shape", "the module's parameter 6 is 'shape', not 'Shape'"},
        {7, "", "the module's parameter 7 is '', not 'Preset'"},
    };
    for (const Case& c : cases) {
        EffectRecord record = TitleRecord::make();
        if (c.renamed >= 0) TitleRecord::titles[static_cast<size_t>(c.renamed)] = c.title;
        const std::optional<TitleMismatch> mismatch = findTitleMismatch(record);
        EXPECT_EQ(mismatch ? mismatch->describe() : "", c.message) << c.renamed;
    }
}

// Each factory preset of each program, selected through the shared steps, leaves every
// parameter kept in presets at the bank's stored value.
TEST(ParameterProtocol, SelectingAPresetPlaysItAsTheBankStoresIt) {
    PluginModule module;
    ASSERT_TRUE(module.open(MARROWFOLD_MODULE_PATH)) << module.error();
    PluginHost host;
    ASSERT_TRUE(host.create(module));
    EffectRecord& record = *host.record();
    EXPECT_FALSE(findTitleMismatch(record));
    const std::vector<ChunkProgram> programs = decodeBankChunk(host.saveChunk(false));
    for (size_t p = 0; p < programs.size(); ++p) {
        host.setProgram(static_cast<int32_t>(p));
        const auto count = static_cast<int32_t>(programs[p].presets.size());
        for (int32_t k = count - 1; k >= 0; --k) {
            selectPresetAndWriteBack(record, presetSelectorValue(k, count));
            const ChunkPreset& stored = programs[p].presets[static_cast<size_t>(k)];
            const float expected[] = {stored.bandLevel[0],
                                      stored.bandLevel[1],
                                      stored.bandLevel[2],
                                      stored.bandLevel[3],
                                      stored.inputGain,
                                      stored.outputGain,
                                      static_cast<float>(stored.shape)};
            for (int32_t i = 0; i < static_cast<int32_t>(std::size(expected)); ++i) {
                ASSERT_TRUE(hostControl(controlOfParameter(i)).has(kStoredInPreset));
                EXPECT_EQ(host.getParameter(i), parameterSpec(i).range.toNormalized(expected[i]))
                    << "program " << p << " preset " << k << " parameter " << i;
            }
            EXPECT_EQ(host.getParameter(kPresetSelectorParameter), presetSelectorValue(k, count));
        }
    }
}

}  // namespace
}  // namespace marrowfold
