// The factory bank compiled into the module: its hexadecimal text, and the programs and presets
// it loads, checked against the published factory list.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "params/DistortionParameters.h"
#include "params/FactoryBank.h"
#include "params/FactoryBankData.h"
#include "params/PresetBankEdits.h"
#include "params/ProgramStore.h"
#include "tests/common/FactoryNames.h"

namespace marrowfold {
namespace {

using Bytes = std::vector<unsigned char>;

TEST(BankText, EncodesUpperCaseDigitPairs) {
    const unsigned char bytes[] = {0x00, 0xAB, 0xFF, 0x3F, 0x09, 0xC0};
    EXPECT_EQ(encodeBankText(bytes, 6), "00ABFF3F09C0");
}

TEST(BankText, DecodesOnlyAMatchingLengthOfHexDigits) {
    // Programs of 3 bytes: 4 x 3 bytes, 24 digits, length word 25.
    const char* text = "00ABFF3F09C0123456789abc";
    EXPECT_EQ(decodeBankText(text, 25, 3),
              (Bytes{0x00, 0xAB, 0xFF, 0x3F, 0x09, 0xC0, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}));
    EXPECT_TRUE(decodeBankText(text, 24, 3).empty());
    EXPECT_TRUE(decodeBankText(text, 26, 3).empty());
    EXPECT_TRUE(decodeBankText("00ABFF3F09C0123456789ab", 25, 3).empty());  // too short
    EXPECT_TRUE(decodeBankText("00ABFF3F09C0123456789aXc", 25, 3).empty());
    EXPECT_TRUE(decodeBankText(nullptr, 25, 3).empty());
    EXPECT_TRUE(decodeBankText(text, 1, 0).empty());
}

// The model and storage right after the effect has loaded the factory bank.
class FactoryBank : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(factoryBankLength(), 52001);
        ASSERT_EQ(std::strlen(factoryBankText()), 52000u);
        const Bytes chunk =
            decodeBankText(factoryBankText(), factoryBankLength(), store.programSize());
        ASSERT_EQ(chunk.size(), 26000u);
        ASSERT_EQ(store.restoreState(chunk.data(), 26000, false, 0, model, nullptr), 0);
    }

    std::vector<std::string> presetNames(int32_t program) {
        store.loadProgram(program, model, nullptr);
        std::vector<std::string> names;
        for (int32_t r = 0; r < model.presetCount(); ++r)
            names.push_back(readPreset(model, r).name);
        return names;
    }

    DistortionParameters model;
    ProgramStore store{model};
};

TEST_F(FactoryBank, HoldsTheFourProgramsAndTheir41Presets) {
    const auto& expected = testing::factoryPresetNames();
    const auto& programNames = testing::kFactoryProgramNames;
    for (int32_t p = 0; p < 4; ++p) {
        EXPECT_EQ(presetNames(p), expected[p]);
        EXPECT_EQ(model.currentPreset(), 0);
        EXPECT_EQ(model.getValue(ParamPreset), 0.0f);
        char name[64];
        store.copyProgramName(p, name);
        EXPECT_STREQ(name, programNames[p]);
    }
}

TEST_F(FactoryBank, ProgramZeroStartsOnTheDefaultPreset) {
    EXPECT_EQ(model.getValue(ParamPresetCount), 17.0f);
    const PresetRecord preset = readPreset(model, model.currentPreset());
    EXPECT_STREQ(preset.name, "Default");
    const float edges[] = {25.0f, 136.24f, 742.46f, 4046.14f, 22050.0f};
    for (int32_t e = 0; e < kEdgeCount; ++e)
        EXPECT_NEAR(preset.bandEdge[e], edges[e], 0.01);
    // The bank stores the levels of "Default" as exact zeros ...
    const unsigned char* stored = store.contents(true, 0).data + 32 + 36;
    EXPECT_EQ(Bytes(stored, stored + 24), Bytes(24, 0));
    // ... and loading the program sets them from host value 0.5, one step above 0 dB.
    for (int32_t i = 0; i < kBandCount; ++i)
        EXPECT_EQ(model.getValue(i), std::ldexp(3.0f, -24));
    EXPECT_EQ(model.getValue(ParamIn), std::ldexp(5.0f, -24));
    EXPECT_EQ(model.getValue(ParamOut), std::ldexp(5.0f, -24));
    const ChunkView chunk = store.saveState(false, 0, model);
    EXPECT_EQ(Bytes(chunk.data, chunk.data + 4), (Bytes{0x3F, 0x00, 0x00, 0x00}));
}

TEST_F(FactoryBank, StoredValuesCarryTheHostQuantisation) {
    store.loadProgram(0, model, nullptr);
    const PresetRecord smasher = readPreset(model, 1);
    EXPECT_EQ(smasher.bandLevel[3], std::nextafter(4.5f, 5.0f));  // 4.5000005
    EXPECT_EQ(smasher.bandDrive[0], 53.0f / 3.0f);                // 17.67
    EXPECT_EQ(smasher.recordTag, 18);
    const PresetRecord doom = readPreset(model, 3);
    EXPECT_EQ(doom.bandLevel[2], std::ldexp(3.0f, -24));  // 0 dB as 1.788139e-7
    EXPECT_EQ(doom.bandDrive[1], 32.0f / 3.0f);           // 10.67
    EXPECT_EQ(doom.bandDrive[2], 1.0f / 3.0f);            // 0.33
    EXPECT_FLOAT_EQ(doom.bandEdge[1], 233.31f);
    EXPECT_FLOAT_EQ(doom.outputGain, -17.0f);
    // 4046.14 in the second place is the default edge 3, not the float nearest 4046.14.
    EXPECT_NEAR(smasher.bandEdge[2], 4046.145, 0.001);
}

TEST_F(FactoryBank, GuitarStartsOnCleanLicks) {
    store.loadProgram(1, model, nullptr);
    EXPECT_EQ(model.getValue(ParamPresetCount), 8.0f);
    const PresetRecord licks = readPreset(model, 0);
    EXPECT_STREQ(licks.name, "Clean Licks");
    EXPECT_EQ(licks.shape, 4);
    EXPECT_FLOAT_EQ(licks.inputGain, 6.0f);
    EXPECT_FLOAT_EQ(licks.outputGain, 6.0f);
}

TEST_F(FactoryBank, ProgramHostValuesAreThoseOfPresetZero) {
    const float expected[4][7] = {{0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.0f},
                                  {0.25f, 0.3333f, 0.375f, 0.4375f, 0.65f, 0.65f, 1.0f},
                                  {0.625f, 0.625f, 0.75f, 0.625f, 0.35f, 0.575f, 0.75f},
                                  {0.5f, 0.0f, 0.6042f, 0.5f, 0.5f, 0.425f, 0.75f}};
    for (int32_t p = 0; p < 4; ++p) {
        const unsigned char* program = store.contents(true, p).data;
        for (int32_t i = 0; i < 7; ++i) {
            const unsigned char word[4] = {program[4 * i + 3], program[4 * i + 2],
                                           program[4 * i + 1], program[4 * i]};
            float value;
            std::memcpy(&value, word, 4);
            EXPECT_NEAR(value, expected[p][i], 1e-4) << p << " " << i;
        }
    }
}

TEST_F(FactoryBank, RecordsPastTheCountAreZeroOrCopiesOf60sLead) {
    store.loadProgram(0, model, nullptr);
    PresetRecord lead = readPreset(model, 16);
    ASSERT_STREQ(lead.name, "60s Lead");
    std::memset(lead.name, 0, sizeof lead.name);
    std::strcpy(lead.name, "G_60s Lead");
    const PresetRecord zero{};
    for (int32_t r = 17; r < kBankRecordCount; ++r) {
        const PresetRecord record = readPreset(model, r);
        EXPECT_EQ(std::memcmp(&record, &zero, sizeof zero), 0) << r;
    }
    for (int32_t p = 1; p < 4; ++p) {
        store.loadProgram(p, model, nullptr);
        for (int32_t r = 8; r < kBankRecordCount; ++r) {
            const PresetRecord record = readPreset(model, r);
            const PresetRecord& expected = r < 16 ? lead : zero;
            EXPECT_EQ(std::memcmp(&record, &expected, sizeof record), 0) << p << " " << r;
        }
    }
}

}  // namespace
}  // namespace marrowfold
