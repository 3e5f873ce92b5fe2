#pragma once

#include <cstdint>

#include "platform/PictureSource.h"

namespace marrowfold {

// Every bitmap is drawn at the whole scales 1 up to this one.
inline constexpr int32_t kLargestBitmapScale = 3;

// The PNG compiled into the module of bitmap resource id drawn at a whole scale
// (1..kLargestBitmapScale): scale times the 1x picture's width and height. No data for other ids
// or scales. It has the form of the platform's picture source, which the editor makes it.
EmbeddedPicture findScaledBitmapResource(int32_t id, int32_t scale);

}  // namespace marrowfold
