#pragma once

namespace marrowfold {

// The version the module file carries; the build passes the project's version.
inline constexpr const char* kModuleVersionText = MARROWFOLD_VERSION_TEXT;

}  // namespace marrowfold
