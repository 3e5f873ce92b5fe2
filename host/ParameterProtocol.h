#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/EffectRecord.h"
#include "params/BandControls.h"

namespace marrowfold {

// The module's host-visible parameters as every host of ours meets them (the tools, the LV2
// plug-in and its description generator): titles checked against the host controls, and presets
// selected the way the editor selects them.

// A parameter whose title is not the one the host controls know.
struct TitleMismatch {
    int32_t parameter;
    std::string title;     // what the module calls it
    std::string expected;  // what the host controls call it

    // "the module's parameter 3 is 'Drive', not 'Band4'"
    std::string describe() const;
};

// Asks the module for the title of each module parameter among the host controls; the first
// that differs, or nothing when all agree. On the thread that set up the instance.
std::optional<TitleMismatch> findTitleMismatch(EffectRecord& record);

// The preset selector's host value for preset `index` of `count`.
float presetSelectorValue(int32_t index, int32_t count);

// Selects a preset through the selector's host value, then writes every parameter kept in
// presets back with the value the module now reports, which tells the engine to take the preset
// as stored, as the editor does after a selection. Only record calls, nothing allocated or
// locked, so the LV2 plug-in runs it on the audio thread.
void selectPresetAndWriteBack(EffectRecord& record, float selectorValue);

// The band editor's values of the current preset and the solo, through the module's band
// request; all zero when the module does not answer. Record calls only, like the selection.
BandControls readModuleBands(EffectRecord& record);
// Edits them as the band editor does: each value that differs from the module's passes through
// the editor's clamps. False when the module refused.
bool editModuleBands(EffectRecord& record, BandControls& wanted);

}  // namespace marrowfold
