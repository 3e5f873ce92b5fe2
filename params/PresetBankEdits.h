#pragma once

#include <cstdint>
#include <optional>

#include "params/DistortionParameters.h"
#include "params/PresetRecord.h"
#include "params/PresetTemplate.h"

namespace marrowfold {

// The band editor's state: edges as log2 of the frequency in Hz, drives in dB.
struct BandLayout {
    float edgeLog2[kEdgeCount];
    float drive[kBandCount];
};

// Preset bank edits as the editor performs them, each on the model and the editor's current
// index. Every edit raises busyCount while it runs, so the audio thread never applies half of
// it. Writes of parameters 7, 9 and 11 go straight to the model; an editor that must also tell
// the host does so afterwards with the values the model then holds.

// Copy of record index (a default record when index lies outside the bank).
PresetRecord readPreset(const DistortionParameters& model, int32_t index);

// Preset selector: M = trunc(N + 0.5), i = trunc(value x M + 0.5). Answers i, or nothing when i
// is the current index or lies outside 0..M-1.
std::optional<int32_t> presetForSelector(const DistortionParameters& model, float value,
                                         int32_t currentIndex);

// The editor's reaction to a new "Preset": copies the current record into buffer, sets "Modify"
// to all and marks the bank changed so the engine re-applies every drive and edge. Answers the
// current record's index, which becomes the editor's index.
int32_t followCurrentPreset(DistortionParameters& model, PresetRecord& buffer);

// Inserts a new preset (name cut to 17 characters, the given edges) after currentIndex and
// selects it. Answers the new current index, or nothing when the bank is full or currentIndex
// is not a record in use.
std::optional<int32_t> createPreset(DistortionParameters& model, int32_t currentIndex,
                                    const char* name, const BandEdges& edges);

// Removes the record at currentIndex; the one before it becomes current (record 0 stays
// current when it was deleted). Answers the new current index, or nothing when only one preset
// is left or currentIndex is not a record in use.
std::optional<int32_t> deletePreset(DistortionParameters& model, int32_t currentIndex);

// Stores the band editor's edges and drives into record index through buffer, sets "Modify"
// from changeFlags and, when a band is soloed, moves the solo to selectedBand. False (and
// nothing changed) when index lies outside the bank.
bool commitBandEdit(DistortionParameters& model, int32_t index, PresetRecord& buffer,
                    const BandLayout& bands, int32_t changeFlags, int32_t selectedBand);

// Stores edges and drives into record index through buffer with "Modify" set to modifyCode. False
// (and nothing changed) when index lies outside the bank.
bool commitBandLayout(DistortionParameters& model, int32_t index, PresetRecord& buffer,
                      const BandLayout& bands, int32_t modifyCode);

// After a sample-rate change the view's edges may have been clamped: stores them and the
// drives into record index with "Modify" set to all.
bool commitSampleRateChange(DistortionParameters& model, int32_t index, PresetRecord& buffer,
                            const BandLayout& bands);

}  // namespace marrowfold
