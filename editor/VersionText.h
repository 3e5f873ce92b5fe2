#pragma once

#include <string>

namespace marrowfold {

// The about splash's version line: "Version: " followed by the file version the module carries,
// or nothing after it when the module carries none.
std::string versionLine(const std::string& fileVersion);

// The version line of this module, as the platform reads its file version.
std::string moduleVersionLine();

}  // namespace marrowfold
