#include "params/BandControls.h"

#include <cmath>

#include "core/Numeric.h"
#include "params/BandLimits.h"
#include "params/PresetBankEdits.h"

namespace marrowfold {

namespace {

float soloControl(float soloParameter) {
    const int32_t band = truncateToInt32(soloParameter);
    return band >= 0 && band < kBandCount ? static_cast<float>(band + 1) : 0.0f;
}

// The model's solo for a control value: NaN and values outside 0..kBandCount go to the nearest
// end, others to the nearest band; -1 is no solo.
float soloParameter(float control) {
    const float band = control >= 0.5f ? std::round(std::fmin(control, kBandCount)) : 0.0f;
    return band - 1.0f;
}

// The preset's bands as the band editor loads them: stored edges by their magnitude, each
// through the edge clamp from the highest down, and every drive through the drive clamp.
BandLayout loadedLayout(const PresetRecord& preset, float highestHz) {
    BandLayout layout{};
    for (int32_t e = kBandCount; e >= 0; --e) {
        layout.edgeLog2[e] = clampedEdge(layout.edgeLog2, kBandCount, e,
                                         std::log2(std::fabs(preset.bandEdge[e])), highestHz);
        keepOuterEdgesInRange(layout.edgeLog2, kBandCount, highestHz);
    }
    for (int32_t b = 0; b < kBandCount; ++b)
        layout.drive[b] = clampedDrive(preset.bandDrive[b]);
    return layout;
}

// Counts the fields of wanted that differ from the stored preset and keeps the last one's
// "Modify" code.
struct FieldChanges {
    int32_t count = 0;
    int32_t modifyCode = -1;

    void add(int32_t code) {
        ++count;
        modifyCode = code;
    }
};

void moveEdge(BandLayout& layout, int32_t e, float hz, float highestHz) {
    layout.edgeLog2[e] = clampedEdge(layout.edgeLog2, kBandCount, e, std::log2(hz), highestHz);
    keepOuterEdgesInRange(layout.edgeLog2, kBandCount, highestHz);
}

FieldChanges applyWanted(BandLayout& layout, const PresetRecord& stored, const BandControls& wanted,
                         float highestHz) {
    FieldChanges changes;
    const auto edgeMoves = [&](int32_t e) { return !(wanted.edgeHz[e] == stored.bandEdge[e]); };
    for (int32_t e = kBandCount; e >= 0; --e) {
        if (!edgeMoves(e)) continue;
        moveEdge(layout, e, wanted.edgeHz[e], highestHz);
        changes.add(kFirstEdgeModifyCode + e);
    }
    for (int32_t e = 0; e <= kBandCount; ++e)
        if (edgeMoves(e)) moveEdge(layout, e, wanted.edgeHz[e], highestHz);
    for (int32_t b = 0; b < kBandCount; ++b) {
        if (wanted.driveDb[b] == stored.bandDrive[b]) continue;
        layout.drive[b] = clampedDrive(wanted.driveDb[b]);
        changes.add(b);
    }
    return changes;
}

}  // namespace

BandControls readBandControls(const DistortionParameters& model) {
    const PresetRecord preset = readPreset(model, model.currentPreset());
    BandControls controls{};
    for (int32_t e = 0; e < kEdgeCount; ++e)
        controls.edgeHz[e] = preset.bandEdge[e];
    for (int32_t b = 0; b < kBandCount; ++b)
        controls.driveDb[b] = preset.bandDrive[b];
    controls.solo = soloControl(model.getValue(ParamSolo));
    return controls;
}

bool editBandControls(DistortionParameters& model, const BandControls& wanted, int32_t sampleRate) {
    BusyScope busy(model);
    bool changed = false;
    const float solo = soloParameter(wanted.solo);
    if (solo != soloParameter(soloControl(model.getValue(ParamSolo)))) {
        model.setValue(ParamSolo, solo);
        changed = true;
    }
    const int32_t index = model.currentPreset();
    PresetRecord buffer = readPreset(model, index);
    const float highestHz = highestEdgeHz(sampleRate, kBandCount);
    BandLayout layout = loadedLayout(buffer, highestHz);
    const FieldChanges changes = applyWanted(layout, buffer, wanted, highestHz);
    if (changes.count == 0) return changed;
    // A second edit before the engine took the first would overwrite the first one's code.
    const bool one = changes.count == 1 && !model.isChanged(ParamBank);
    commitBandLayout(model, index, buffer, layout, one ? changes.modifyCode : kModifyAll);
    return true;
}

}  // namespace marrowfold
