// Programs, parameter texts and chunks as a host sees them, and the factory bank every start
// loads, read back from the bank chunk in its documented byte layout.
#include <cstring>
#include <random>
#include <string>

#include "ModuleFixture.h"
#include "params/ChunkLayout.h"
#include "tests/common/FactoryNames.h"

namespace marrowfold {
namespace {

using testing::ModuleTest;
using testing::StereoBuffers;

uint32_t bigEndianWord(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 |
           uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
}

float bigEndianFloat(const std::vector<uint8_t>& bytes, size_t at) {
    const uint32_t word = bigEndianWord(bytes, at);
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

// A preset as stored in a chunk: every 4-byte group of the record is byte-reversed.
struct StoredPreset {
    std::string name;
    float drive[kBandCount], edge[kEdgeCount], level[kBandCount], in, out;
    int32_t shape, tag;
};

// Offsets of the layout the module writes, so a test reads what a host reads.
StoredPreset presetAt(const std::vector<uint8_t>& bank, int program, int index) {
    const size_t at = program * kProgramChunkSize + kChunkBankOffset + index * kPresetRecordSize;
    const auto word = [&](size_t field, int i) { return at + field + kChunkWordSize * i; };
    StoredPreset preset{};
    for (int i = 0; i < kBandCount; ++i) {
        preset.drive[i] = bigEndianFloat(bank, word(offsetof(PresetRecord, bandDrive), i));
        preset.level[i] = bigEndianFloat(bank, word(offsetof(PresetRecord, bandLevel), i));
    }
    for (int i = 0; i < kEdgeCount; ++i)
        preset.edge[i] = bigEndianFloat(bank, word(offsetof(PresetRecord, bandEdge), i));
    preset.in = bigEndianFloat(bank, word(offsetof(PresetRecord, inputGain), 0));
    preset.out = bigEndianFloat(bank, word(offsetof(PresetRecord, outputGain), 0));
    preset.shape =
        static_cast<int32_t>(bigEndianWord(bank, word(offsetof(PresetRecord, shape), 0)));
    char name[kPresetNameSize + 1] = {};
    for (int group = 0; group < kPresetNameSize / 4; ++group) {
        for (int byte = 0; byte < 4; ++byte)
            name[4 * group + byte] = bank[word(offsetof(PresetRecord, name), group) + 3 - byte];
    }
    preset.name = name;
    preset.tag =
        static_cast<int32_t>(bigEndianWord(bank, word(offsetof(PresetRecord, recordTag), 0)));
    return preset;
}

int presetCount(const std::vector<uint8_t>& bank, int program) {
    return static_cast<int>(
        bigEndianFloat(bank, program * kProgramChunkSize + kChunkPresetCountOffset));
}

std::string programName(const std::vector<uint8_t>& bank, int program) {
    return reinterpret_cast<const char*>(
        &bank[program * kProgramChunkSize + kChunkProgramNameOffset]);
}

TEST_F(ModuleTest, ParameterNamesUnitsAndTexts) {
    const char* names[] = {"Band1", "Band2", "Band3", "Band4", "In", "Out", "Shape", "Preset"};
    for (int32_t i = 0; i < 8; ++i)
        EXPECT_EQ(host.parameterTitle(i), names[i]);
    EXPECT_EQ(host.parameterUnit(0), "dB");
    EXPECT_EQ(host.parameterUnit(5), "dB");
    EXPECT_EQ(host.parameterUnit(6), "");
    EXPECT_EQ(host.parameterTitle(9), "NrOfPreset") << "internal parameters answer too";
    EXPECT_EQ(host.parameterTitle(16), "");
    EXPECT_EQ(host.parameterTitle(-1), "");
    EXPECT_EQ(host.parameterUnit(1000), "");
    host.setParameter(0, 1.0f);
    EXPECT_EQ(host.parameterText(0), "12.0");
    host.setParameter(0, 8.5f / 24.0f);
    EXPECT_EQ(host.parameterText(0), "-3.5");
    EXPECT_EQ(host.parameterText(9), "17.0");
}

TEST_F(ModuleTest, HostReadsOnlyTheEightHostParameters) {
    EXPECT_EQ(host.getParameter(8), 0.0f);
    EXPECT_EQ(host.getParameter(9), 0.0f);
    EXPECT_FLOAT_EQ(host.getParameter(0), 0.5f);
    host.setParameter(4, 0.75f);
    EXPECT_FLOAT_EQ(host.getParameter(4), 0.75f);
}

TEST_F(ModuleTest, ProgramSwitchAndBackRestoresValuesExactly) {
    const float written[] = {0.1f, 0.9f, 0.25f, 0.6f, 0.7f, 0.3f, 0.5f};
    for (int32_t i = 0; i < 7; ++i)
        host.setParameter(i, written[i]);
    std::vector<float> before;
    for (int32_t i = 0; i < 8; ++i)
        before.push_back(host.getParameter(i));
    host.setProgram(1);
    EXPECT_EQ(host.program(), 1);
    EXPECT_EQ(host.programName(), "Guitar");
    EXPECT_FLOAT_EQ(host.getParameter(6), 1.0f) << "Clean Licks uses shape 4";
    host.setProgram(0);
    for (int32_t i = 0; i < 8; ++i)
        EXPECT_EQ(host.getParameter(i), before[i]) << i;
}

TEST_F(ModuleTest, RenamedProgramKeepsItsNameAcrossSwitches) {
    host.renameProgram("My Grit");
    host.setProgram(2);
    EXPECT_EQ(host.programName(), "Bass");
    host.setProgram(0);
    EXPECT_EQ(host.programName(), "My Grit");
    host.renameProgram(std::string(80, 'x'));
    EXPECT_EQ(host.programName(), std::string(63, 'x')) << "cut to the 64-byte field";
}

TEST_F(ModuleTest, ChunkBytesFollowTheStoredLayout) {
    const std::vector<uint8_t> program = host.saveChunk(true);
    ASSERT_EQ(program.size(), kProgramChunkSize);
    EXPECT_EQ(bigEndianWord(program, 0), 0x3F000000u) << "Band1 of program 0 at 0.5";
    const uint8_t defaultName[] = {0x61, 0x66, 0x65, 0x44, 0x00, 0x74, 0x6C, 0x75};
    EXPECT_EQ(std::memcmp(&program[kChunkBankOffset + offsetof(PresetRecord, name)], defaultName,
                          sizeof defaultName),
              0);
    EXPECT_EQ(programName(program, 0), "Default");
    EXPECT_EQ(host.saveChunk(false).size(), kBankChunkSize);
}

TEST_F(ModuleTest, ChunksOfAnyOtherLengthAreRefusedWithoutChange) {
    const std::vector<uint8_t> bank = host.saveChunk(false);
    for (size_t length : {kProgramChunkSize - 1, kProgramChunkSize + 1, size_t{0}}) {
        EXPECT_EQ(host.restoreChunk(std::vector<uint8_t>(length, 0xAB), true), -1) << length;
    }
    for (size_t length : {kBankChunkSize - 1, kBankChunkSize + 1, size_t{0}, kProgramChunkSize}) {
        EXPECT_EQ(host.restoreChunk(std::vector<uint8_t>(length, 0xAB), false), -1) << length;
    }
    EXPECT_EQ(host.saveChunk(false), bank);
}

TEST_F(ModuleTest, BankChunkRoundTripsByteForByte) {
    host.setProgram(2);
    host.setParameter(3, 0.8f);
    const std::vector<uint8_t> bank = host.saveChunk(false);
    PluginHost other;
    ASSERT_TRUE(other.create(testing::builtModule()));
    other.setProgram(2);
    EXPECT_EQ(other.restoreChunk(bank, false), 0);
    EXPECT_EQ(other.saveChunk(false), bank);
    EXPECT_FLOAT_EQ(other.getParameter(3), host.getParameter(3));
    const std::vector<uint8_t> program = host.saveChunk(true);
    EXPECT_EQ(other.restoreChunk(program, true), 0);
    EXPECT_EQ(other.saveChunk(true), program);
}

TEST_F(ModuleTest, FactoryBankHoldsFourProgramsAndFortyOnePresets) {
    const std::vector<uint8_t> bank = host.saveChunk(false);
    const auto& programs = testing::kFactoryProgramNames;
    const auto& presets = testing::factoryPresetNames();
    const int counts[] = {17, 8, 8, 8};
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(programName(bank, p), programs[p]);
        ASSERT_EQ(presetCount(bank, p), counts[p]);
        for (int i = 0; i < counts[p]; ++i) {
            const StoredPreset preset = presetAt(bank, p, i);
            EXPECT_EQ(preset.name, presets[p][i]) << p << "/" << i;
            EXPECT_EQ(preset.tag, 18);
        }
    }
    const StoredPreset licks = presetAt(bank, 1, 0);
    EXPECT_EQ(licks.shape, 4);
    EXPECT_NEAR(licks.in, 6.0f, 1e-5f);
    EXPECT_NEAR(licks.out, 6.0f, 1e-5f);
    EXPECT_NEAR(licks.edge[0], 101.71f, 0.005f);
}

TEST_F(ModuleTest, FactoryRecordsPastTheCountAreZeroOrTheSixtiesLeadCopy) {
    const std::vector<uint8_t> bank = host.saveChunk(false);
    const StoredPreset lead = presetAt(bank, 0, 16);
    for (int p = 0; p < 4; ++p) {
        for (int i = presetCount(bank, p); i < 64; ++i) {
            const StoredPreset record = presetAt(bank, p, i);
            if (p > 0 && i >= 8 && i < 16) {
                EXPECT_EQ(record.name, "G_60s Lead") << p << "/" << i;
                EXPECT_EQ(std::memcmp(record.drive, lead.drive, sizeof lead.drive), 0);
                EXPECT_EQ(std::memcmp(record.edge, lead.edge, sizeof lead.edge), 0);
            } else {
                const size_t at = p * kProgramChunkSize + kChunkBankOffset + i * kPresetRecordSize;
                for (size_t b = 0; b < kPresetRecordSize; ++b)
                    ASSERT_EQ(bank[at + b], 0) << p << "/" << i;
            }
        }
    }
}

TEST_F(ModuleTest, RandomChunksOfTheRightLengthNeverBreakThePlugIn) {
    std::mt19937 random(20261208);
    StereoBuffers buffers(512);
    for (int round = 0; round < 12; ++round) {
        std::vector<uint8_t> chunk(round % 2 ? kProgramChunkSize : kBankChunkSize);
        for (uint8_t& byte : chunk)
            byte = static_cast<uint8_t>(random());
        EXPECT_EQ(host.restoreChunk(chunk, round % 2 == 1), 0);
        for (int32_t n = 0; n < 512; ++n)
            buffers.left[n] = buffers.right[n] = 0.1f * (n % 7);
        host.processReplace(buffers.inputs(), buffers.outputs(), 512);
        host.setProgram(round % 4);
        host.setParameter(7, static_cast<float>(round) / 12.0f);
        host.processReplace(buffers.inputs(), buffers.outputs(), 512);
        EXPECT_FALSE(host.saveChunk(false).empty());
        EXPECT_FALSE(host.programName().size() > 63);
    }
}

}  // namespace
}  // namespace marrowfold
