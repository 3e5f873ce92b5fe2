#pragma once

// The module's pictures at the larger scales are PNG data resources, decoded by the system's
// imaging component (WIC) when a surface at such a scale first needs one.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace marrowfold::win32 {

struct DecodedPicture {
    int32_t width = 0;
    int32_t height = 0;
    // Top row first, 0x00RRGGBB each, as GDI keeps the pixels of a 32-bit DIB section.
    std::vector<uint32_t> pixels;
};

// The PNG held as raw data resource id of module, decoded; nothing when the module has no such
// resource or WIC cannot decode it.
std::optional<DecodedPicture> decodePngResource(HINSTANCE module, int32_t resourceId);

}  // namespace marrowfold::win32
