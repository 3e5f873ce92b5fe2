#pragma once

#include <cstdint>

#include "params/DistortionParameters.h"
#include "params/PresetRecord.h"

namespace marrowfold {

// The band editor's values as hosts see them: the current preset's edges and drives, and the
// soloed band. The module's band request passes this record both ways.
struct BandControls {
    float edgeHz[kEdgeCount];
    float driveDb[kBandCount];
    float solo;  // 0 when no band is soloed, else the soloed band counted from 1
};

BandControls readBandControls(const DistortionParameters& model);

// Edits the current preset as the band editor does: the preset as the editor loads it, then each
// edge and drive of wanted that differs from the stored one through the editor's clamps, edges
// from the highest down and again from the lowest up (so that a whole layout moved either way
// gets past its old neighbours); the engine is told the one field that changed, or to take every
// edge and drive. A solo outside 0..4 is taken as the nearest band or none. Raises busyCount
// while it runs, allocates nothing. False when nothing changed.
bool editBandControls(DistortionParameters& model, const BandControls& wanted, int32_t sampleRate);

}  // namespace marrowfold
