// The parameter model: registration, host value conversions, preset selection, change masks,
// counters and the bounds of the bank's data operations.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "params/DistortionParameters.h"
#include "params/PresetBankEdits.h"

namespace marrowfold {
namespace {

PresetRecord recordWithLevels(float base, int32_t shape) {
    PresetRecord record{};
    for (int32_t b = 0; b < kBandCount; ++b)
        record.bandLevel[b] = base + b;
    record.inputGain = base + 10.0f;
    record.outputGain = base + 11.0f;
    record.shape = shape;
    return record;
}

TEST(ParameterModel, RegistersTheTableWithSinglePrecisionStepCounts) {
    DistortionParameters model;
    ASSERT_EQ(model.count(), 16u);
    const char* names[] = {"Band1",  "Band2",  "Band3", "Band4",      "In",   "Out",
                           "Shape",  "Preset", "",      "NrOfPreset", "Edit", "Solo",
                           "Delete", "Create", "Clip",  "Modify"};
    // (max - min) / step in float: 24 / 0.1f and 40 / 0.1f land exactly on 240 and 400.
    const float stepCounts[] = {240, 240, 240, 240, 400, 400, 4, 0, 0, 63, 1, 5, 1, 1, 1, 18};
    for (int32_t i = 0; i < ParamCount; ++i) {
        SCOPED_TRACE(i);
        const ParameterDesc* desc = model.descriptor(i);
        ASSERT_NE(desc, nullptr);
        EXPECT_STREQ(desc->name, names[i]);
        EXPECT_STREQ(desc->unit, i <= ParamOut ? "dB" : "");
        EXPECT_EQ(desc->range.stepCount(), stepCounts[i]);
        EXPECT_EQ(desc->dataSize, i == ParamBank ? 6400 : 4);
        EXPECT_EQ(model.hasData(i), i == ParamBank);
    }
    EXPECT_EQ(model.descriptor(16), nullptr);
    EXPECT_EQ(model.descriptor(-1), nullptr);
    EXPECT_EQ(model.descriptor(ParamPreset)->range.scale(), 1.0f);
    EXPECT_EQ(model.descriptor(ParamSolo)->defaultValue, -1.0f);
    // Followed by the engine: the levels, gains, Shape, the bank, Solo and Modify.
    const uint32_t followed = 0x7Fu | 1u << 8 | 1u << 11 | 1u << 15;
    EXPECT_EQ(model.notifyMask(), followed);
    EXPECT_EQ(model.changedMask(), followed);
    EXPECT_EQ(model.getValue(ParamPresetCount), 17.0f);
    EXPECT_EQ(model.descriptor(ParamPresetCount)->defaultValue, 1.0f);
    EXPECT_FLOAT_EQ(model.getNormalized(ParamPresetCount), 16.0f / 63.0f);
}

TEST(ParameterModel, HostValuesQuantiseWithTheBiasedStep) {
    DistortionParameters model;
    // 120 x 0.1f - 12 = 24 x 2^-27: the float step is slightly above 0.1.
    model.setNormalized(ParamBand1, 0.5f);
    EXPECT_EQ(model.getValue(ParamBand1), std::ldexp(3.0f, -24));
    // 165 steps: 4.5 + 33 x 2^-27, which rounds up to the float after 4.5.
    model.setNormalized(ParamBand3, 0.6875f);
    EXPECT_EQ(model.getValue(ParamBand3), std::nextafter(4.5f, 5.0f));
    model.setNormalized(ParamShape, 0.1f);  // 0.4 + 0.65 reaches step 1
    EXPECT_EQ(model.getValue(ParamShape), 1.0f);
    model.setNormalized(ParamShape, 0.08f);  // 0.32 + 0.65 stays below 1
    EXPECT_EQ(model.getValue(ParamShape), 0.0f);
    model.setNormalized(ParamIn, 1.0f);
    EXPECT_FLOAT_EQ(model.getValue(ParamIn), 20.0f);
    model.setNormalized(ParamEdit, 0.34f);  // 0.34 + 0.65 < 1
    EXPECT_EQ(model.getValue(ParamEdit), 0.0f);
    // Nothing clamps: host values outside 0..1 give values outside the range.
    model.setNormalized(ParamOut, 1.5f);
    EXPECT_FLOAT_EQ(model.getValue(ParamOut), 40.0f);
    EXPECT_FLOAT_EQ(model.toNormalized(ParamIn, -20.0f), 0.0f);
    EXPECT_FLOAT_EQ(model.toNormalized(ParamBand2, 6.0f), 0.75f);
    EXPECT_EQ(model.toReal(ParamPreset, 0.3f), 0.3f);
}

TEST(ParameterModel, ShapeTruncatesTowardZero) {
    DistortionParameters model;
    model.setValue(ParamShape, 3.9f);
    EXPECT_EQ(readPreset(model, 0).shape, 3);
    EXPECT_EQ(model.getValue(ParamShape), 3.0f);
    model.setValue(ParamShape, -2.5f);
    EXPECT_EQ(readPreset(model, 0).shape, -2);
    model.setValue(ParamShape, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(readPreset(model, 0).shape, 0);
}

TEST(ParameterModel, PresetSelectionStoresAMultipleOfOneOverN) {
    DistortionParameters model;
    model.setValue(ParamPreset, 1.0f);
    EXPECT_EQ(model.currentPreset(), 16);
    EXPECT_EQ(model.getValue(ParamPreset), 16.0f / 17.0f);
    model.setValue(ParamPreset, 0.03f);  // 0.51 + 0.5
    EXPECT_EQ(model.currentPreset(), 1);
    EXPECT_EQ(model.getValue(ParamPreset), 1.0f / 17.0f);
    model.setValue(ParamPreset, 0.02f);  // 0.34 + 0.5
    EXPECT_EQ(model.currentPreset(), 0);
    model.setValue(ParamPreset, -0.5f);
    EXPECT_EQ(model.currentPreset(), 0);
    EXPECT_EQ(model.getValue(ParamPreset), 0.0f);
}

TEST(ParameterModel, SelectionSwitchesTheRecordBehindParametersZeroToSix) {
    DistortionParameters model;
    const PresetRecord second = recordWithLevels(-5.0f, 2);
    model.setData(ParamBank, &second, kPresetRecordSize, 2);
    model.takeValue(ParamBank);
    for (int32_t i = 0; i <= ParamShape; ++i)
        model.takeValue(i);
    model.setValue(ParamPreset, 2.0f / 17.0f);
    const float expected[] = {-5, -4, -3, -2, 5, 6, 2};
    for (int32_t i = 0; i <= ParamShape; ++i)
        EXPECT_EQ(model.getValue(i), expected[i]) << i;
    // Selecting marks neither the bank nor the record's parameters changed.
    EXPECT_EQ(model.changedMask() & 0x17Fu, 0u);
    model.setValue(ParamOut, 3.0f);
    EXPECT_EQ(readPreset(model, 2).outputGain, 3.0f);
    EXPECT_EQ(readPreset(model, 0).outputGain, 0.0f);
}

TEST(ParameterModel, OddPresetCountsKeepTheSelectionInsideTheBank) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const float counts[] = {0.0f, -5.0f, 1000.0f, nan, inf, -inf, 0.5f, 64.9f};
    const float selections[] = {-1.0f, 0.0f, 0.5f, 0.99f, 1.0f, 2.0f, nan, inf, -inf};
    for (float count : counts) {
        DistortionParameters model;
        model.setValue(ParamPresetCount, count);
        const int32_t n = model.presetCount();
        EXPECT_GE(n, 1);
        EXPECT_LE(n, 64);
        for (float selection : selections) {
            model.setValue(ParamPreset, selection);
            EXPECT_GE(model.currentPreset(), 0);
            EXPECT_LT(model.currentPreset(), n);
            const float stored = model.getValue(ParamPreset);
            EXPECT_TRUE(stored >= 0.0f && stored < 1.0f) << count << " " << selection;
            model.setValue(ParamBand1, 1.0f);  // writes into the selected record
            EXPECT_EQ(model.getValue(ParamBand1), 1.0f);
        }
    }
    DistortionParameters model;
    model.setValue(ParamPresetCount, 1000.0f);
    model.setValue(ParamPreset, 1.0f);
    EXPECT_EQ(model.currentPreset(), 63);
}

TEST(ParameterModel, OutOfRangeIndicesAreIgnored) {
    DistortionParameters model;
    const uint32_t before = model.changedMask();
    for (int32_t index : {16, -1, 40}) {
        model.setValue(index, 5.0f);
        model.setNormalized(index, 0.5f);
        model.markChanged(index);
        EXPECT_EQ(model.getValue(index), 0.0f);
        EXPECT_EQ(model.getNormalized(index), 0.0f);
        EXPECT_EQ(model.takeValue(index), 0.0f);
        EXPECT_FALSE(model.isChanged(index));
    }
    EXPECT_EQ(model.changedMask(), before);
    unsigned char dest[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(model.getData(ParamBand4, dest, 8, 0), 0);
    EXPECT_EQ(dest[0], 1);
    EXPECT_EQ(dest[7], 8);
}

TEST(ParameterModel, ChangeMasksFollowWritesAndTakes) {
    DistortionParameters model;
    for (int32_t i = 0; i < ParamCount; ++i)
        model.takeValue(i);
    EXPECT_EQ(model.changedMask(), 0u);
    model.setValue(ParamEdit, 1.0f);  // not followed by the engine
    EXPECT_FALSE(model.isChanged(ParamEdit));
    model.setValue(ParamSolo, 2.0f);
    EXPECT_TRUE(model.isChanged(ParamSolo));
    model.markChanged(ParamClip);  // marks even a parameter the engine does not follow
    EXPECT_TRUE(model.isChanged(ParamClip));
    EXPECT_EQ(model.takeValue(ParamSolo), 2.0f);
    EXPECT_FALSE(model.isChanged(ParamSolo));
    // A take keeps only followed bits, so the mark of Clip goes too.
    EXPECT_FALSE(model.isChanged(ParamClip));
    PresetRecord record = recordWithLevels(1.0f, 1);
    model.setData(ParamBank, &record, kPresetRecordSize, 5);
    EXPECT_TRUE(model.isChanged(ParamBank));
    PresetRecord taken{};
    EXPECT_EQ(model.takeData(ParamBank, &taken, kPresetRecordSize, 5), kPresetRecordSize);
    EXPECT_EQ(std::memcmp(&taken, &record, sizeof record), 0);
    EXPECT_FALSE(model.isChanged(ParamBank));
    model.markAllNotifyChanged();
    EXPECT_EQ(model.changedMask(), model.notifyMask());
}

TEST(ParameterModel, CountersNeverGoBelowZero) {
    DistortionParameters model;
    EXPECT_EQ(model.clipRequest(), 1);
    EXPECT_EQ(model.clipReading(), 0);
    model.lowerBusy();
    EXPECT_EQ(model.busyCount(), 0);
    {
        BusyScope outer(model);
        BusyScope inner(model);
        EXPECT_EQ(model.busyCount(), 2);
    }
    EXPECT_EQ(model.busyCount(), 0);
    model.raiseClipReading();
    model.lowerClipReading();
    model.lowerClipReading();
    EXPECT_EQ(model.clipReading(), 0);
}

TEST(ParameterModel, BankStartsAsNewPresetsAt44100) {
    DistortionParameters model;
    const float edges[] = {25.0f, 136.24f, 742.46f, 4046.14f, 22050.0f};
    for (int32_t r = 0; r < kBankRecordCount; ++r) {
        const PresetRecord record = readPreset(model, r);
        EXPECT_EQ(record.recordTag, 18);
        EXPECT_EQ(record.bandDrive[3], 0.0f);
        for (int32_t e = 0; e < kEdgeCount; ++e)
            EXPECT_NEAR(record.bandEdge[e], edges[e], 0.01);
    }
}

TEST(ParameterModel, BankDataStaysInsideTheBank) {
    DistortionParameters model;
    std::vector<unsigned char> source(8000, 0xAB);
    std::vector<unsigned char> dest(8000, 0);
    // A length past the end is cut at the end of the bank.
    model.setData(ParamBank, source.data(), 300, 63);
    EXPECT_EQ(readPreset(model, 63).recordTag, static_cast<int32_t>(0xABABABAB));
    EXPECT_EQ(readPreset(model, 62).recordTag, 18);
    EXPECT_EQ(model.getData(ParamBank, dest.data(), 8000, 0), 6400);
    EXPECT_EQ(model.getData(ParamBank, dest.data(), 1000, 60), 400);
    // Records outside the bank, negative lengths and null pointers copy nothing.
    model.takeValue(ParamBank);
    for (int32_t record : {64, -1, 50000000}) {
        model.setData(ParamBank, source.data(), 100, record);
        EXPECT_EQ(model.getData(ParamBank, dest.data(), 100, record), 0);
    }
    model.setData(ParamBank, source.data(), -100, 0);
    model.setData(ParamBank, nullptr, 100, 0);
    EXPECT_FALSE(model.isChanged(ParamBank));
    EXPECT_EQ(model.getData(ParamBank, dest.data(), -1, 0), 0);
    EXPECT_EQ(model.getData(ParamBank, nullptr, 100, 0), 0);
    EXPECT_EQ(model.getData(ParamBank, dest.data(), std::numeric_limits<int32_t>::max(), 1), 6300);
    EXPECT_EQ(readPreset(model, 0).recordTag, 18);
}

}  // namespace
}  // namespace marrowfold
