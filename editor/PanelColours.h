#pragma once

#include "gui/Geometry.h"
#include "resources/bitmaps/PanelBitmaps.h"

namespace marrowfold {

// A colour of the panel's palette as the canvas takes it.
constexpr Color colorOf(PaletteColour colour) {
    return {colour.red, colour.green, colour.blue, 0};
}

}  // namespace marrowfold
