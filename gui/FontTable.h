#pragma once

#include <cstdint>
#include <string>

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

// The installed family that stands in for a face, as fontconfig resolves it (a metric-compatible
// family such as Liberation Sans for Arial). Resolved once per face.
const std::string& installedFamily(const std::string& face);

}  // namespace marrowfold
