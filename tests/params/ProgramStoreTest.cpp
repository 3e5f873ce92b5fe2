// Program storage: the block layout, the big-endian program format, the load order, program
// names and the chunk requests with their refused lengths.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "params/DistortionParameters.h"
#include "params/PresetBankEdits.h"
#include "params/PresetTemplate.h"
#include "params/ProgramStore.h"

namespace marrowfold {
namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesAt(const unsigned char* start, size_t count) {
    return Bytes(start, start + count);
}

Bytes bankOf(const DistortionParameters& model) {
    Bytes bank(kBankSize);
    model.getData(ParamBank, bank.data(), kBankSize, 0);
    return bank;
}

std::vector<float> valuesOf(const DistortionParameters& model) {
    std::vector<float> values;
    for (int32_t i = 0; i < ParamCount; ++i)
        values.push_back(model.getValue(i));
    return values;
}

// A load sets parameters 0..6 from host values, which puts them on the step grid (an exact
// 0 dB becomes 1.788139e-7). Values that went through the host path already lie there.
void settleOnHostGrid(DistortionParameters& model) {
    for (int32_t i = 0; i <= ParamShape; ++i)
        model.setNormalized(i, model.getNormalized(i));
}

void writeNamedPreset(DistortionParameters& model, int32_t index, const char* name) {
    const PresetRecord record = makeNewPreset(name, defaultBandEdges(44100.0f));
    model.setData(ParamBank, &record, kPresetRecordSize, index);
}

// Records every call in order, with the busy count seen at that moment.
class RecordingObserver : public ProgramLoadObserver {
  public:
    explicit RecordingObserver(const ParameterSet& model) : model_(model) {}
    void dataLoaded(int32_t index, const void* bytes, int32_t size) override {
        calls.push_back({index, static_cast<float>(size)});
        firstRecord = bytesAt(static_cast<const unsigned char*>(bytes), kPresetRecordSize);
        busyDuringCalls = busyDuringCalls && model_.busyCount() > 0;
    }
    void parameterLoaded(int32_t index, float value) override {
        calls.push_back({index, value});
        busyDuringCalls = busyDuringCalls && model_.busyCount() > 0;
    }
    std::vector<std::pair<int32_t, float>> calls;
    Bytes firstRecord;
    bool busyDuringCalls = true;

  private:
    const ParameterSet& model_;
};

TEST(ProgramStore, BlockHoldsPointerTablesThenContiguousPrograms) {
    DistortionParameters model;
    ProgramStore store(model);
    EXPECT_EQ(store.programSize(), 6500);
    const size_t pointer = sizeof(void*);
    ASSERT_EQ(store.headerSize(), static_cast<int32_t>(4 * pointer + 4 * 11 * pointer));
    const unsigned char* block = store.block();
    const unsigned char* programs = block + store.headerSize();
    using Entry = unsigned char* const*;
    const auto* table = reinterpret_cast<const Entry*>(block);
    for (int p = 0; p < 4; ++p) {
        Entry entry = table[p];
        EXPECT_EQ(reinterpret_cast<const unsigned char*>(entry),
                  block + 4 * pointer + 11 * pointer * p);
        const unsigned char* program = programs + 6500 * p;
        for (int i = 0; i <= 8; ++i)
            EXPECT_EQ(entry[i], program + 4 * i) << p << " " << i;
        EXPECT_EQ(entry[9], program + 6432);
        EXPECT_EQ(entry[10], program + 6436);  // the name
    }
    EXPECT_EQ(store.contents(false, 0).data, programs);
    EXPECT_EQ(store.contents(false, 0).length, 26000);
    EXPECT_EQ(store.contents(true, 2).data, programs + 13000);
    EXPECT_EQ(store.contents(true, 4).data, nullptr);
}

TEST(ProgramStore, StoresBigEndianWordsAndPlainNames) {
    DistortionParameters model;
    writeNamedPreset(model, 0, "Default");
    model.setValue(ParamPreset, 2.0f / 17.0f);
    model.setNormalized(ParamBand1, 0.5f);
    model.setValue(ParamShape, 3.0f);
    ProgramStore store(model);
    const unsigned char* program = store.contents(true, 1).data;
    EXPECT_EQ(bytesAt(program, 4), (Bytes{0x3F, 0x00, 0x00, 0x00}));         // 0.5
    EXPECT_EQ(bytesAt(program + 24, 4), (Bytes{0x3F, 0x40, 0x00, 0x00}));    // Shape 3 -> 0.75
    EXPECT_EQ(bytesAt(program + 28, 4), (Bytes{0x3D, 0xF0, 0xF0, 0xF1}));    // 2 / 17
    EXPECT_EQ(bytesAt(program + 6432, 4), (Bytes{0x41, 0x88, 0x00, 0x00}));  // 17
    // Every group of four name characters is reversed as a word.
    EXPECT_EQ(bytesAt(program + 32 + 64, 8),
              (Bytes{0x61, 0x66, 0x65, 0x44, 0x00, 0x74, 0x6C, 0x75}));
    EXPECT_EQ(bytesAt(program + 32 + 96, 4), (Bytes{0x00, 0x00, 0x00, 0x12}));  // recordTag
    EXPECT_EQ(bytesAt(program + 32 + 20, 4), (Bytes{0x43, 0x08, 0x3D, 0xA4}));  // 136.24 Hz
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(program + 6436)), "Init 2");
}

TEST(ProgramStore, NamesAreCutTo63Characters) {
    DistortionParameters model;
    ProgramStore store(model);
    char name[64];
    for (int p = 0; p < 4; ++p) {
        store.copyProgramName(p, name);
        EXPECT_EQ(std::string(name), "Init " + std::to_string(p + 1));
    }
    const std::string longName(100, 'x');
    store.setProgramName(2, longName.c_str());
    store.copyProgramName(2, name);
    EXPECT_EQ(std::string(name), longName.substr(0, 63));
    store.setProgramName(2, "Short");
    store.copyProgramName(2, name);
    EXPECT_EQ(std::string(name), "Short");
    store.copyProgramName(-1, name);
    EXPECT_EQ(name[0], '\0');
    // A restored name without its terminating zero is still read as 63 characters.
    Bytes chunk(6500, 'N');
    ASSERT_EQ(store.restoreState(chunk.data(), 6500, true, 0, model, nullptr), 0);
    store.copyProgramName(0, name);
    EXPECT_EQ(std::string(name), std::string(63, 'N'));
}

TEST(ProgramStore, LoadSetsCountBankPresetThenLevelsWithBusyRaised) {
    DistortionParameters model;
    model.setValue(ParamPresetCount, 5.0f);
    writeNamedPreset(model, 0, "First");
    model.setValue(ParamPreset, 3.0f / 5.0f);
    model.setNormalized(ParamBand2, 0.75f);
    model.setValue(ParamShape, 2.0f);
    settleOnHostGrid(model);
    ProgramStore store(model);
    const Bytes storedBank = bankOf(model);
    // Leave the model elsewhere: another count, another record selected and edited.
    model.setValue(ParamPresetCount, 17.0f);
    model.setValue(ParamPreset, 0.0f);
    model.setValue(ParamBand2, -9.0f);
    writeNamedPreset(model, 0, "Other");

    RecordingObserver observer(model);
    ASSERT_TRUE(store.loadProgram(1, model, &observer));
    const std::vector<int32_t> order = {8, 7, 0, 1, 2, 3, 4, 5, 6};
    ASSERT_EQ(observer.calls.size(), order.size());
    for (size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(observer.calls[i].first, order[i]);
    EXPECT_EQ(observer.calls[0].second, 6400.0f);
    EXPECT_EQ(observer.calls[1].second, 0.6f);  // host value of preset 3 of 5
    EXPECT_EQ(observer.firstRecord, bytesAt(storedBank.data(), kPresetRecordSize));
    EXPECT_TRUE(observer.busyDuringCalls);
    EXPECT_EQ(model.busyCount(), 0);
    EXPECT_EQ(model.getValue(ParamPresetCount), 5.0f);
    EXPECT_EQ(model.currentPreset(), 3);
    EXPECT_EQ(bankOf(model), storedBank);  // every record as stored, levels included
    EXPECT_EQ(model.getValue(ParamShape), 2.0f);
    EXPECT_FALSE(store.loadProgram(4, model, nullptr));
    EXPECT_FALSE(store.loadProgram(-1, model, nullptr));
}

TEST(ProgramStore, SwitchingAwayAndBackRestoresEveryValue) {
    DistortionParameters model;
    ProgramStore store(model);
    model.setValue(ParamPreset, 5.0f / 17.0f);
    model.setNormalized(ParamIn, 0.73f);
    model.setNormalized(ParamBand4, 0.21f);
    writeNamedPreset(model, 9, "Kept");
    settleOnHostGrid(model);
    const std::vector<float> values = valuesOf(model);
    const Bytes bank = bankOf(model);
    store.storeProgram(0, model);
    ASSERT_TRUE(store.loadProgram(1, model, nullptr));
    EXPECT_NE(model.currentPreset(), 5);
    model.setNormalized(ParamOut, 0.9f);
    store.storeProgram(1, model);
    ASSERT_TRUE(store.loadProgram(0, model, nullptr));
    EXPECT_EQ(valuesOf(model), values);
    EXPECT_EQ(bankOf(model), bank);
    // Loading the same program twice gives the same model: storage keeps the chunk format.
    ASSERT_TRUE(store.loadProgram(0, model, nullptr));
    EXPECT_EQ(valuesOf(model), values);
}

TEST(ProgramStore, WrongChunkLengthsAreRefusedWithNothingChanged) {
    DistortionParameters model;
    ProgramStore store(model);
    model.setValue(ParamPreset, 4.0f / 17.0f);
    const ChunkView saved = store.saveState(false, 1, model);
    const Bytes before = bytesAt(store.block() + store.headerSize(), 26000);
    const std::vector<float> values = valuesOf(model);
    Bytes junk(30000, 0x5A);
    const std::pair<bool, int32_t> refused[] = {{true, 6499},   {true, 6501},  {true, 0},
                                                {true, -1},     {true, 26000}, {false, 25999},
                                                {false, 26001}, {false, 6500}, {false, 0}};
    for (const auto& [isProgram, length] : refused) {
        EXPECT_EQ(store.restoreState(junk.data(), length, isProgram, 1, model, nullptr), -1)
            << isProgram << " " << length;
    }
    EXPECT_EQ(store.restoreState(nullptr, 26000, false, 1, model, nullptr), -1);
    EXPECT_EQ(store.restoreState(junk.data(), 6500, true, 4, model, nullptr), -1);
    EXPECT_EQ(bytesAt(saved.data, 26000), before);
    EXPECT_EQ(valuesOf(model), values);
}

TEST(ProgramStore, ChunksRoundTripByteForByte) {
    DistortionParameters model;
    ProgramStore store(model);
    model.setValue(ParamPreset, 7.0f / 17.0f);
    model.setNormalized(ParamOut, 0.3f);
    store.setProgramName(3, "Kept name");
    settleOnHostGrid(model);
    const ChunkView bank = store.saveState(false, 2, model);
    const Bytes saved = bytesAt(bank.data, bank.length);
    const std::vector<float> values = valuesOf(model);

    ASSERT_TRUE(store.loadProgram(0, model, nullptr));
    store.storeProgram(2, model);  // overwrite the saved program 2 with other values
    ASSERT_EQ(store.restoreState(saved.data(), 26000, false, 2, model, nullptr), 0);
    EXPECT_EQ(valuesOf(model), values);
    EXPECT_EQ(bytesAt(store.saveState(false, 2, model).data, 26000), saved);
    char name[64];
    store.copyProgramName(3, name);
    EXPECT_EQ(std::string(name), "Kept name");

    // A program chunk lands in the current program only; the host may hand back our own bytes.
    const ChunkView program = store.saveState(true, 2, model);
    ASSERT_EQ(store.restoreState(program.data, program.length, true, 2, model, nullptr), 0);
    EXPECT_EQ(valuesOf(model), values);
    const Bytes programBytes = bytesAt(program.data, 6500);
    ASSERT_EQ(store.restoreState(programBytes.data(), 6500, true, 0, model, nullptr), 0);
    EXPECT_EQ(bytesAt(store.contents(true, 0).data, 6500), programBytes);
    EXPECT_EQ(valuesOf(model), values);
}

TEST(ProgramStore, RandomChunksLoadWithinBounds) {
    std::mt19937 random(1234);
    for (int trial = 0; trial < 20; ++trial) {
        DistortionParameters model;
        ProgramStore store(model);
        Bytes chunk(26000);
        for (unsigned char& byte : chunk)
            byte = static_cast<unsigned char>(random());
        ASSERT_EQ(store.restoreState(chunk.data(), 26000, false, trial % 4, model, nullptr), 0);
        for (int p = 0; p < 4; ++p) {
            store.storeProgram((p + 3) % 4, model);
            ASSERT_TRUE(store.loadProgram(p, model, nullptr));
            EXPECT_GE(model.currentPreset(), 0);
            EXPECT_LT(model.currentPreset(), 64);
            model.setValue(ParamPreset, static_cast<float>(random() % 100) / 50.0f);
            PresetRecord buffer{};
            const int32_t followed = followCurrentPreset(model, buffer);
            EXPECT_LT(followed, model.presetCount());
            deletePreset(model, followed);
            createPreset(model, model.currentPreset(), "Fresh", defaultBandEdges(44100.0f));
            valuesOf(model);
            char name[64];
            store.copyProgramName(p, name);
            EXPECT_LT(std::strlen(name), 64u);
        }
    }
}

}  // namespace
}  // namespace marrowfold
