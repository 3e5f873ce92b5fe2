#include "params/PresetBankEdits.h"

#include <algorithm>
#include <cmath>

#include "core/Numeric.h"

namespace marrowfold {

namespace {

bool isInBank(int32_t index) {
    return static_cast<uint32_t>(index) < kBankRecordCount;
}

bool isInUse(const DistortionParameters& model, int32_t index) {
    return index >= 0 && index < model.presetCount();
}

void writePreset(DistortionParameters& model, const PresetRecord& record, int32_t index) {
    model.setData(ParamBank, &record, kPresetRecordSize, index);
}

void copyPreset(DistortionParameters& model, int32_t from, int32_t to) {
    writePreset(model, readPreset(model, from), to);
}

// Sets the count of presets in use and selects index among them.
void setCountAndSelect(DistortionParameters& model, int32_t count, int32_t index) {
    model.setValue(ParamPresetCount, static_cast<float>(count));
    model.setValue(ParamPreset, static_cast<float>(index) / static_cast<float>(count));
}

void storeBands(PresetRecord& buffer, const BandLayout& bands) {
    for (int32_t e = 0; e < kEdgeCount; ++e) {
        buffer.bandEdge[e] = static_cast<float>(std::exp2(static_cast<double>(bands.edgeLog2[e])));
    }
    for (int32_t b = 0; b < kBandCount; ++b)
        buffer.bandDrive[b] = bands.drive[b];
}

// Reads record index into buffer, lays the bands into it, sets "Modify" (unless negative) and
// writes the record back; the bank's changed mark comes after the code, as the engine needs.
void commitBands(DistortionParameters& model, int32_t index, PresetRecord& buffer,
                 const BandLayout& bands, int32_t modifyCode) {
    buffer = readPreset(model, index);
    storeBands(buffer, bands);
    if (modifyCode >= 0) model.setValue(ParamModify, static_cast<float>(modifyCode));
    writePreset(model, buffer, index);
}

// The "Modify" code named by the band editor's change flags, or -1 for a selection only.
int32_t modifyCodeFor(int32_t changeFlags) {
    const int32_t item = changeFlags & kFlagIndexMask;
    if ((changeFlags & kDriveChangedFlag) != 0) return item;
    if ((changeFlags & kEdgeMovedFlag) != 0) return item + kFirstEdgeModifyCode;
    return -1;
}

}  // namespace

PresetRecord readPreset(const DistortionParameters& model, int32_t index) {
    PresetRecord record{};
    model.getData(ParamBank, &record, kPresetRecordSize, index);
    return record;
}

std::optional<int32_t> presetForSelector(const DistortionParameters& model, float value,
                                         int32_t currentIndex) {
    // Capped at the bank size so the answer is always a record of the bank.
    const int32_t choices =
        std::min(truncateToInt32(static_cast<double>(model.getValue(ParamPresetCount)) + 0.5),
                 kBankRecordCount);
    // Single precision, as the selector's value is a float: a value computed as (N - 1.5) / N
    // then lands on the last preset, where double arithmetic falls just short of it.
    const int32_t index = truncateToInt32(value * static_cast<float>(choices) + 0.5f);
    if (index == currentIndex || index < 0 || index >= choices) return std::nullopt;
    return index;
}

int32_t followCurrentPreset(DistortionParameters& model, PresetRecord& buffer) {
    BusyScope busy(model);
    const int32_t index = model.currentPreset();
    buffer = readPreset(model, index);
    model.setValue(ParamModify, static_cast<float>(kModifyAll));
    model.markChanged(ParamBank);
    return index;
}

std::optional<int32_t> createPreset(DistortionParameters& model, int32_t currentIndex,
                                    const char* name, const BandEdges& edges) {
    const int32_t count = model.presetCount();
    if (count >= kBankRecordCount || !isInUse(model, currentIndex)) return std::nullopt;
    BusyScope busy(model);
    for (int32_t s = count; s >= currentIndex + 2; --s)
        copyPreset(model, s - 1, s);
    const int32_t created = currentIndex + 1;
    writePreset(model, makeNewPreset(name, edges), created);
    setCountAndSelect(model, count + 1, created);
    return created;
}

std::optional<int32_t> deletePreset(DistortionParameters& model, int32_t currentIndex) {
    const int32_t count = model.presetCount();
    if (count < 2 || !isInUse(model, currentIndex)) return std::nullopt;
    BusyScope busy(model);
    for (int32_t i = currentIndex + 1; i < count; ++i)
        copyPreset(model, i, i - 1);
    const int32_t next = currentIndex > 0 ? currentIndex - 1 : 0;
    setCountAndSelect(model, count - 1, next);
    return next;
}

bool commitBandEdit(DistortionParameters& model, int32_t index, PresetRecord& buffer,
                    const BandLayout& bands, int32_t changeFlags, int32_t selectedBand) {
    if (!isInBank(index)) return false;
    BusyScope busy(model);
    commitBands(model, index, buffer, bands, modifyCodeFor(changeFlags));
    if (model.getValue(ParamSolo) >= 0.0f) {
        model.setValue(ParamSolo, static_cast<float>(selectedBand));
    }
    return true;
}

bool commitBandLayout(DistortionParameters& model, int32_t index, PresetRecord& buffer,
                      const BandLayout& bands, int32_t modifyCode) {
    if (!isInBank(index)) return false;
    BusyScope busy(model);
    commitBands(model, index, buffer, bands, modifyCode);
    return true;
}

bool commitSampleRateChange(DistortionParameters& model, int32_t index, PresetRecord& buffer,
                            const BandLayout& bands) {
    return commitBandLayout(model, index, buffer, bands, kModifyAll);
}

}  // namespace marrowfold
