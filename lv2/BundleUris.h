#pragma once

namespace marrowfold::lv2 {

// The names hosts store in sessions; they never change once released.
inline constexpr char kPluginUri[] = "urn:marrowfold:lv2:marrowfold";
inline constexpr char kUiUri[] = "urn:marrowfold:lv2:marrowfold#ui";

}  // namespace marrowfold::lv2
