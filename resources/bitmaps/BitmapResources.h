#pragma once

#include <cstddef>
#include <cstdint>

namespace marrowfold {

// PNG data compiled into the module.
struct BitmapResource {
    const unsigned char* data = nullptr;
    size_t size = 0;
};

// Every bitmap is drawn at the whole scales 1 up to this one.
inline constexpr int32_t kLargestBitmapScale = 3;

// The PNG of bitmap resource id, or no data when the module has none of that id.
BitmapResource findBitmapResource(int32_t id);
// The PNG of bitmap resource id drawn at a whole scale (1..kLargestBitmapScale): scale times the
// 1x picture's width and height. No data for other ids or scales.
BitmapResource findScaledBitmapResource(int32_t id, int32_t scale);

}  // namespace marrowfold
