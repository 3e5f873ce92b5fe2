#include "gui/FontTable.h"

#include <array>
#include <cstddef>

namespace marrowfold {

namespace {

constexpr std::array<FontEntry, kFontCount> kFonts{{
    {12, "Arial", true, false},
    {18, "Arial", false, false},
    {14, "Arial", false, false},
    {12, "Arial", false, false},
    {11, "Arial", false, false},
    {10, "Arial", false, false},
    {9, "Arial", false, false},
    {13, "Symbol", false, true},
}};

}  // namespace

int32_t validFontId(int32_t id) {
    return id >= 0 && id < kFontCount ? id : 0;
}

const FontEntry& fontEntry(int32_t id) {
    return kFonts[static_cast<size_t>(validFontId(id))];
}

}  // namespace marrowfold
