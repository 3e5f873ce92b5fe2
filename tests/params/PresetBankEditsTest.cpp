// Preset bank edits as the editor drives them: create, delete, select, band edits, solo, the
// Shape selector and the clip hand-over.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "params/DistortionParameters.h"
#include "params/EditorProtocol.h"
#include "params/PresetBankEdits.h"
#include "params/PresetTemplate.h"

namespace marrowfold {
namespace {

// A model with count presets named "R0", "R1", ... and record c current.
void fillNamedBank(DistortionParameters& model, int32_t count, int32_t current) {
    model.setValue(ParamPresetCount, static_cast<float>(count));
    for (int32_t r = 0; r < kBankRecordCount; ++r) {
        char name[8];
        std::snprintf(name, sizeof name, "R%d", static_cast<int>(r));
        const PresetRecord record = makeNewPreset(name, defaultBandEdges(44100.0f));
        model.setData(ParamBank, &record, kPresetRecordSize, r);
    }
    model.setValue(ParamPreset, static_cast<float>(current) / static_cast<float>(count));
}

std::vector<std::string> names(const DistortionParameters& model, int32_t count) {
    std::vector<std::string> result;
    for (int32_t r = 0; r < count; ++r)
        result.emplace_back(readPreset(model, r).name);
    return result;
}

using Names = std::vector<std::string>;

TEST(PresetTemplate, DefaultEdgesAreLogEvenFrom25HzToNyquist) {
    const BandEdges at44100 = defaultBandEdges(44100.0f);
    // 25 x 882^(i/4) and 25 x 960^(i/4), worked out separately in double precision.
    const double expected44100[] = {25.0, 136.240791, 742.462120, 4046.145048, 22050.0};
    const double expected48000[] = {25.0, 139.157884, 774.596669, 4311.649344, 24000.0};
    const BandEdges at48000 = defaultBandEdges(48000.0f);
    for (int32_t e = 0; e < kEdgeCount; ++e) {
        EXPECT_NEAR(at44100[e], expected44100[e], 0.001);
        EXPECT_NEAR(at48000[e], expected48000[e], 0.001);
    }
    EXPECT_EQ(at44100[0], 25.0f);
    EXPECT_EQ(at44100[4], 22050.0f);
}

TEST(PresetTemplate, NewPresetCutsTheNameTo17Characters) {
    const PresetRecord record =
        makeNewPreset("ABCDEFGHIJKLMNOPQRSTUVWXYZ", defaultBandEdges(44100));
    EXPECT_STREQ(record.name, "ABCDEFGHIJKLMNOPQ");
    for (int32_t i = 17; i < kPresetNameSize; ++i)
        EXPECT_EQ(record.name[i], 0);
    EXPECT_EQ(record.recordTag, 18);
    EXPECT_EQ(record.shape, 0);
    EXPECT_EQ(record.inputGain, 0.0f);
    EXPECT_EQ(makeNewPreset(nullptr, defaultBandEdges(44100)).name[0], 0);
}

TEST(PresetBankEdits, CreateInsertsAfterTheCurrentRecord) {
    DistortionParameters model;
    fillNamedBank(model, 5, 2);
    const auto created = createPreset(model, 2, "New", defaultBandEdges(48000.0f));
    ASSERT_TRUE(created.has_value());
    EXPECT_EQ(*created, 3);
    EXPECT_EQ(names(model, 7), (Names{"R0", "R1", "R2", "New", "R3", "R4", "R6"}));
    EXPECT_EQ(model.getValue(ParamPresetCount), 6.0f);
    EXPECT_EQ(model.currentPreset(), 3);
    EXPECT_EQ(model.getValue(ParamPreset), 0.5f);
    EXPECT_EQ(readPreset(model, 3).bandEdge[4], 24000.0f);
    EXPECT_EQ(model.busyCount(), 0);
    // Creating after the last record in use shifts nothing.
    EXPECT_EQ(createPreset(model, 5, "Tail", defaultBandEdges(44100)).value_or(-1), 6);
    EXPECT_EQ(names(model, 8)[6], "Tail");
    EXPECT_EQ(names(model, 8)[7], "R7");
}

TEST(PresetBankEdits, CreateDoesNothingOnAFullBankOrAStrayIndex) {
    DistortionParameters model;
    fillNamedBank(model, 64, 10);
    EXPECT_FALSE(createPreset(model, 10, "X", defaultBandEdges(44100)).has_value());
    EXPECT_EQ(readPreset(model, 11).name, std::string("R11"));
    EXPECT_EQ(model.getValue(ParamPresetCount), 64.0f);
    fillNamedBank(model, 5, 0);
    EXPECT_FALSE(createPreset(model, 5, "X", defaultBandEdges(44100)).has_value());
    EXPECT_FALSE(createPreset(model, -1, "X", defaultBandEdges(44100)).has_value());
    EXPECT_EQ(names(model, 7), (Names{"R0", "R1", "R2", "R3", "R4", "R5", "R6"}));
}

TEST(PresetBankEdits, DeleteShiftsDownAndSelectsThePreviousRecord) {
    DistortionParameters model;
    fillNamedBank(model, 5, 0);
    EXPECT_EQ(deletePreset(model, 0).value_or(-1), 0);
    EXPECT_EQ(names(model, 5), (Names{"R1", "R2", "R3", "R4", "R4"}));
    EXPECT_EQ(model.getValue(ParamPresetCount), 4.0f);
    EXPECT_EQ(model.currentPreset(), 0);

    fillNamedBank(model, 5, 3);
    EXPECT_EQ(deletePreset(model, 3).value_or(-1), 2);
    // The last record in use keeps its contents beyond the new count.
    EXPECT_EQ(names(model, 5), (Names{"R0", "R1", "R2", "R4", "R4"}));
    EXPECT_EQ(model.currentPreset(), 2);
    EXPECT_EQ(model.getValue(ParamPreset), 0.5f);

    fillNamedBank(model, 1, 0);
    EXPECT_FALSE(deletePreset(model, 0).has_value());
    EXPECT_EQ(model.getValue(ParamPresetCount), 1.0f);
    EXPECT_EQ(readPreset(model, 0).name, std::string("R0"));
}

TEST(PresetBankEdits, SelectorPicksARecordOtherThanTheCurrentOne) {
    DistortionParameters model;                                    // 17 presets
    EXPECT_EQ(presetForSelector(model, 0.5f, 0).value_or(-1), 9);  // 8.5 + 0.5
    EXPECT_EQ(presetForSelector(model, 16.0f / 17.0f, 0).value_or(-1), 16);
    EXPECT_FALSE(presetForSelector(model, 0.5f, 9).has_value());
    EXPECT_FALSE(presetForSelector(model, 1.0f, 0).has_value());   // 17.5 -> 17 >= 17
    EXPECT_FALSE(presetForSelector(model, -0.5f, 0).has_value());  // -8
    // The selector reaches the last preset from (N - 1.5) / N on, as its float value gives it.
    EXPECT_EQ(presetForSelector(model, 15.5f / 17.0f, 0).value_or(-1), 16);
    EXPECT_EQ(presetForSelector(model, std::nextafter(15.5f / 17.0f, 0.0f), 0).value_or(-1), 15);
    // M = 17 although 16 are in use.
    model.setValue(ParamPresetCount, 16.6f);
    EXPECT_EQ(presetForSelector(model, 16.0f / 17.0f, 0).value_or(-1), 16);
    // The choices stop at the bank's 64 records.
    model.setValue(ParamPresetCount, 5000.0f);
    EXPECT_EQ(presetForSelector(model, 63.0f / 64.0f, 0).value_or(-1), 63);
    EXPECT_FALSE(presetForSelector(model, 1.0f, 0).has_value());
}

TEST(PresetBankEdits, FollowingASelectionReappliesTheWholeRecord) {
    DistortionParameters model;
    fillNamedBank(model, 5, 0);
    model.setValue(ParamPreset, 0.6f);
    for (int32_t i = 0; i < ParamCount; ++i)
        model.takeValue(i);
    PresetRecord buffer{};
    EXPECT_EQ(followCurrentPreset(model, buffer), 3);
    EXPECT_STREQ(buffer.name, "R3");
    EXPECT_EQ(model.getValue(ParamModify), 18.0f);
    EXPECT_TRUE(model.isChanged(ParamBank));
    EXPECT_TRUE(model.isChanged(ParamModify));
}

BandLayout layoutWithEdgesAt(const float (&log2Edges)[kEdgeCount]) {
    BandLayout bands{};
    for (int32_t e = 0; e < kEdgeCount; ++e)
        bands.edgeLog2[e] = log2Edges[e];
    const float drives[] = {-3.0f, 6.5f, 12.0f, 0.0f};
    for (int32_t b = 0; b < kBandCount; ++b)
        bands.drive[b] = drives[b];
    return bands;
}

TEST(PresetBankEdits, BandEditStoresHzAndNamesTheChangedField) {
    DistortionParameters model;
    fillNamedBank(model, 5, 1);
    const BandLayout bands = layoutWithEdgesAt({5.0f, 7.5f, 10.0f, 12.0f, 14.0f});
    PresetRecord buffer{};
    ASSERT_TRUE(commitBandEdit(model, 1, buffer, bands, 32 + 2, 2));  // drive of band 2
    EXPECT_EQ(model.getValue(ParamModify), 2.0f);
    const PresetRecord stored = readPreset(model, 1);
    const float hz[] = {32.0f, 181.01933f, 1024.0f, 4096.0f, 16384.0f};
    for (int32_t e = 0; e < kEdgeCount; ++e)
        EXPECT_FLOAT_EQ(stored.bandEdge[e], hz[e]);
    EXPECT_EQ(stored.bandDrive[1], 6.5f);
    EXPECT_STREQ(stored.name, "R1");
    EXPECT_EQ(std::memcmp(&stored, &buffer, sizeof buffer), 0);
    EXPECT_TRUE(model.isChanged(ParamBank));

    ASSERT_TRUE(commitBandEdit(model, 1, buffer, bands, 16 + 0, 2));  // lowest edge
    EXPECT_EQ(model.getValue(ParamModify), 4.0f);
    ASSERT_TRUE(commitBandEdit(model, 1, buffer, bands, 16 + 4, 2));
    EXPECT_EQ(model.getValue(ParamModify), 8.0f);
    ASSERT_TRUE(commitBandEdit(model, 1, buffer, bands, 64 + 3, 3));  // selection only
    EXPECT_EQ(model.getValue(ParamModify), 8.0f);
    EXPECT_EQ(model.getValue(ParamSolo), -1.0f);  // solo off stays off
    EXPECT_FALSE(commitBandEdit(model, 64, buffer, bands, 32, 0));
    EXPECT_EQ(model.busyCount(), 0);
}

TEST(PresetBankEdits, SoloFollowsTheEditedBand) {
    DistortionParameters model;
    const BandLayout bands = layoutWithEdgesAt({5.0f, 7.0f, 9.0f, 11.0f, 13.0f});
    PresetRecord buffer{};
    EXPECT_EQ(setSolo(model, 1.0f, -1).selectedBand, 0);  // no band selected: band 0
    EXPECT_EQ(model.getValue(ParamSolo), 0.0f);
    commitBandEdit(model, 0, buffer, bands, 32 + 3, 3);
    EXPECT_EQ(model.getValue(ParamSolo), 3.0f);
    const SoloState off = setSolo(model, 0.0f, 3);
    EXPECT_FALSE(off.shown);
    EXPECT_EQ(model.getValue(ParamSolo), -1.0f);
    EXPECT_TRUE(setSolo(model, 1.0f, 2).shown);
    EXPECT_EQ(model.getValue(ParamSolo), 2.0f);
}

TEST(PresetBankEdits, SampleRateChangeReappliesEverything) {
    DistortionParameters model;
    fillNamedBank(model, 3, 2);
    PresetRecord buffer{};
    const BandLayout bands = layoutWithEdgesAt({4.0f, 6.0f, 8.0f, 10.0f, 12.0f});
    ASSERT_TRUE(commitSampleRateChange(model, 2, buffer, bands));
    EXPECT_EQ(model.getValue(ParamModify), 18.0f);
    EXPECT_EQ(readPreset(model, 2).bandEdge[4], 4096.0f);
    EXPECT_EQ(readPreset(model, 2).bandDrive[2], 12.0f);
}

TEST(EditorProtocol, ShapeSelectorSnapsToFiveShapes) {
    DistortionParameters model;
    const float selector[] = {0.0f,    0.0999f, 0.1f,    0.2999f, 0.3f,
                              0.5499f, 0.55f,   0.7999f, 0.8f,    1.0f};
    const int32_t shapes[] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4};
    for (size_t i = 0; i < std::size(selector); ++i) {
        model.setNormalized(ParamShape, snapShapeValue(selector[i]));
        EXPECT_EQ(readPreset(model, 0).shape, shapes[i]) << selector[i];
    }
}

TEST(EditorProtocol, ClipIsPublishedOnlyWhenAskedAndNotBeingRead) {
    DistortionParameters model;
    EXPECT_TRUE(clipPublishDue(model));  // asked for at construction
    model.setValue(ParamClip, 1.0f);     // the audio side publishes ...
    model.setClipRequest(0);             // ... and waits for the next request
    EXPECT_FALSE(clipPublishDue(model));
    {
        ClipReadScope reading(model);
        EXPECT_EQ(reading.clipValue(), 1.0f);
        EXPECT_FALSE(clipPublishDue(model));
    }
    EXPECT_EQ(model.clipRequest(), 1);
    EXPECT_EQ(model.clipReading(), 0);
    EXPECT_TRUE(clipPublishDue(model));
}

}  // namespace
}  // namespace marrowfold
