#pragma once

#include <cstddef>
#include <cstdint>

namespace marrowfold {

// PNG data compiled into the module.
struct BitmapResource {
    const unsigned char* data = nullptr;
    size_t size = 0;
};

// The PNG of bitmap resource id, or no data when the module has none of that id.
BitmapResource findBitmapResource(int32_t id);

}  // namespace marrowfold
