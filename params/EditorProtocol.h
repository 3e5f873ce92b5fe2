#pragma once

#include <cstdint>

#include "params/DistortionParameters.h"

namespace marrowfold {

// Model-side steps of the editor's Shape selector, Solo button and clip indicator.

// Snaps the Shape selector's value to the host value of one of the five shapes:
// below 0.1 -> 0, below 0.3 -> 0.25, below 0.55 -> 0.5, below 0.8 -> 0.75, else 1.
float snapShapeValue(float selectorValue);

struct SoloState {
    bool shown;            // the band editor shows the solo band
    int32_t selectedBand;  // the band editor's selected band afterwards
};

// Solo button: 0 switches solo off (parameter 11 = -1); any other value solos the selected
// band, band 0 when none is selected.
SoloState setSolo(DistortionParameters& model, float buttonValue, int32_t selectedBand);

// The editor's side of the clip hand-over: while it exists the audio side does not publish
// parameter 14; on leaving it asks for a fresh clip state.
class ClipReadScope {
  public:
    explicit ClipReadScope(ParameterSet& model);
    ~ClipReadScope();
    ClipReadScope(const ClipReadScope&) = delete;
    ClipReadScope& operator=(const ClipReadScope&) = delete;

    float clipValue() const;

  private:
    ParameterSet& model_;
};

// Audio thread: true when the editor has asked for a clip state and is not reading one.
bool clipPublishDue(const ParameterSet& model);

}  // namespace marrowfold
