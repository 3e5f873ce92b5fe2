#pragma once

#include <string>

#include "lv2/BundleFacts.h"

namespace marrowfold::lv2 {

// File names inside the bundle folder.
struct BundleFiles {
    std::string pluginBinary;
    std::string uiBinary;
};

// The bundle's description in Turtle: the manifest, the plug-in with its ports and UI, and the
// factory presets.
std::string manifestTtl(const BundleFiles& files, const BundleFacts& facts);
std::string pluginTtl(const BundleFacts& facts);
std::string presetsTtl(const BundleFacts& facts);

// A float as a Turtle decimal that reads back as the same float. Throws std::runtime_error for a
// value without such a form (infinities, NaN).
std::string turtleDecimal(float value);

inline constexpr char kPluginTtlFile[] = "marrowfold.ttl";
inline constexpr char kPresetsTtlFile[] = "presets.ttl";

}  // namespace marrowfold::lv2
