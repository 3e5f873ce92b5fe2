#include "gui/FontTable.h"

#include <fontconfig/fontconfig.h>

#include <array>
#include <map>

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

std::string resolveFamily(const std::string& face) {
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(face.c_str()));
    if (!pattern) return face;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string family = face;
    FcChar8* name = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) {
        family = reinterpret_cast<const char*>(name);
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return family;
}

}  // namespace

int32_t validFontId(int32_t id) {
    return id >= 0 && id < kFontCount ? id : 0;
}

const FontEntry& fontEntry(int32_t id) {
    return kFonts[static_cast<size_t>(validFontId(id))];
}

const std::string& installedFamily(const std::string& face) {
    static std::map<std::string, std::string> resolved;
    auto it = resolved.find(face);
    if (it == resolved.end()) it = resolved.emplace(face, resolveFamily(face)).first;
    return it->second;
}

}  // namespace marrowfold
