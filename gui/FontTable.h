#pragma once

#include <cstdint>

namespace marrowfold {

inline constexpr int32_t kFontCount = 8;

struct FontEntry {
    int32_t height;    // character height in pixels
    const char* face;  // the face the toolkit asks for
    bool alwaysBold;
    bool decorative;
};

// The toolkit's fonts by id; an id outside the table gives font 0.
const FontEntry& fontEntry(int32_t id);
int32_t validFontId(int32_t id);

}  // namespace marrowfold
