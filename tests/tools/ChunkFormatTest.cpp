// Reading programs and presets out of chunks: a chunk laid out by hand byte for byte, and the
// factory bank as the module hands it out, checked against the published factory values.
#include "host/ChunkFormat.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>

#include "host/PluginHost.h"
#include "host/PluginModule.h"

namespace marrowfold {
namespace {

void putWord(std::vector<uint8_t>& chunk, size_t offset, std::initializer_list<uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), chunk.begin() + static_cast<std::ptrdiff_t>(offset));
}

// A program of three presets with preset 2 selected; record 1 carries values worked out by
// hand in big-endian bytes.
std::vector<uint8_t> handMadeProgram() {
    std::vector<uint8_t> chunk(kProgramChunkSize, 0);
    putWord(chunk, 28, {0x3F, 0x2A, 0xAA, 0xAB});    // "Preset" 2/3
    putWord(chunk, 6432, {0x40, 0x40, 0x00, 0x00});  // three presets
    std::memcpy(&chunk[6436], "My Program", 11);
    const size_t record = 32 + 100;
    putWord(chunk, record + 0, {0xC1, 0xA0, 0x00, 0x00});   // drive 1: -20
    putWord(chunk, record + 12, {0x41, 0x40, 0x00, 0x00});  // drive 4: 12
    putWord(chunk, record + 16, {0x41, 0xC8, 0x00, 0x00});  // lowest edge: 25 Hz
    putWord(chunk, record + 32, {0x46, 0xAC, 0x44, 0x00});  // highest edge: 22050 Hz
    putWord(chunk, record + 44, {0xBF, 0xC0, 0x00, 0x00});  // Band3: -1.5
    putWord(chunk, record + 52, {0x40, 0xC0, 0x00, 0x00});  // In: 6
    putWord(chunk, record + 56, {0xC1, 0x90, 0x00, 0x00});  // Out: -18
    putWord(chunk, record + 60, {0x00, 0x00, 0x00, 0x04});  // Shape 4
    // "Default", each group of four characters reversed.
    putWord(chunk, record + 64, {0x61, 0x66, 0x65, 0x44});
    putWord(chunk, record + 68, {0x00, 0x74, 0x6C, 0x75});
    return chunk;
}

TEST(ChunkFormat, ReadsAHandMadeProgram) {
    const ChunkProgram program = decodeProgramChunk(handMadeProgram());
    EXPECT_EQ(program.name, "My Program");
    ASSERT_EQ(program.presets.size(), 3u);
    EXPECT_EQ(program.selectedPreset(), 2);
    const ChunkPreset& preset = program.presets[1];
    EXPECT_EQ(preset.name, "Default");
    EXPECT_EQ(preset.bandDrive[0], -20.0f);
    EXPECT_EQ(preset.bandDrive[3], 12.0f);
    EXPECT_EQ(preset.bandEdge[0], 25.0f);
    EXPECT_EQ(preset.bandEdge[4], 22050.0f);
    EXPECT_EQ(preset.bandLevel[2], -1.5f);
    EXPECT_EQ(preset.inputGain, 6.0f);
    EXPECT_EQ(preset.outputGain, -18.0f);
    EXPECT_EQ(preset.shape, 4);
    EXPECT_EQ(program.presets[0].name, "");
}

TEST(ChunkFormat, PresetCountAndSelectionStayWithinTheBank) {
    std::vector<uint8_t> chunk = handMadeProgram();
    putWord(chunk, 6432, {0x00, 0x00, 0x00, 0x00});  // 0 presets
    EXPECT_EQ(decodeProgramChunk(chunk).presets.size(), 1u);
    EXPECT_EQ(decodeProgramChunk(chunk).selectedPreset(), 0);
    putWord(chunk, 6432, {0x42, 0xC8, 0x00, 0x00});  // 100 presets
    EXPECT_EQ(decodeProgramChunk(chunk).presets.size(), 64u);
    putWord(chunk, 6432, {0x7F, 0xC0, 0x00, 0x00});  // not a number
    EXPECT_EQ(decodeProgramChunk(chunk).presets.size(), 1u);
    putWord(chunk, 6432, {0x41, 0x00, 0x00, 0x00});  // 8 presets
    putWord(chunk, 28, {0x3F, 0x80, 0x00, 0x00});    // "Preset" 1.0
    EXPECT_EQ(decodeProgramChunk(chunk).selectedPreset(), 7);
    putWord(chunk, 28, {0x3D, 0xCC, 0xCC, 0xCD});  // 0.1: 0.8 + 0.5 truncates to 1
    EXPECT_EQ(decodeProgramChunk(chunk).selectedPreset(), 1);
}

TEST(ChunkFormat, RefusesBuffersOfTheWrongLength) {
    EXPECT_THROW(decodeProgramChunk(std::vector<uint8_t>(kProgramChunkSize - 1)),
                 std::invalid_argument);
    EXPECT_THROW(decodeBankChunk(std::vector<uint8_t>(kProgramChunkSize)), std::invalid_argument);
    EXPECT_THROW(decodeBankChunk(std::vector<uint8_t>(kBankChunkSize + 1)), std::invalid_argument);
}

TEST(ChunkFormat, FactoryBankFromTheModuleMatchesThePublishedPresets) {
    PluginModule module;
    ASSERT_TRUE(module.open(MARROWFOLD_MODULE_PATH)) << module.error();
    PluginHost host;
    ASSERT_TRUE(host.create(module));
    const std::vector<ChunkProgram> programs = decodeBankChunk(host.saveChunk(false));
    ASSERT_EQ(programs.size(), 4u);
    const std::vector<std::pair<std::string, size_t>> expected = {
        {"Default", 17}, {"Guitar", 8}, {"Bass", 8}, {"Drums", 8}};
    for (size_t p = 0; p < expected.size(); ++p) {
        EXPECT_EQ(programs[p].name, expected[p].first);
        EXPECT_EQ(programs[p].presets.size(), expected[p].second);
        EXPECT_EQ(programs[p].selectedPreset(), 0);
    }
    const ChunkPreset& licks = programs[1].presets[0];
    EXPECT_EQ(licks.name, "Clean Licks");
    EXPECT_EQ(licks.shape, 4);
    EXPECT_NEAR(licks.inputGain, 6.0f, 1e-4f);
    EXPECT_NEAR(licks.outputGain, 6.0f, 1e-4f);
    const float drives[] = {-4.67f, 0.0f, 7.33f, 13.67f};
    const float edges[] = {101.71f, 368.1f, 742.46f, 2687.19f, 9725.7f};
    const float levels[] = {-6.0f, -4.0f, -3.0f, -1.5f};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_NEAR(licks.bandDrive[k], drives[k], 0.005f);
        EXPECT_NEAR(licks.bandLevel[k], levels[k], 1e-4f);
    }
    for (size_t k = 0; k < 5; ++k)
        EXPECT_NEAR(licks.bandEdge[k], edges[k], 0.01f);
    EXPECT_EQ(programs[0].presets[16].name, "60s Lead");
    EXPECT_EQ(programs[2].presets[4].name, "Grel Bass Deluxe");
    EXPECT_EQ(programs[3].presets[7].name, "Grel Drums");
    EXPECT_NEAR(programs[3].presets[4].bandEdge[4], 6650.79f, 0.01f);
    // The current program's chunk is the same program.
    EXPECT_EQ(decodeProgramChunk(host.saveChunk(true)).presets[16].name, "60s Lead");
}

}  // namespace
}  // namespace marrowfold
