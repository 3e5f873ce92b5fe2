#pragma once

#include <string>

namespace marrowfold {

// The main job without any input of the user's: writes the built-in demo signal into `folder`,
// renders it through the first preset of each of the module's four programs, draws a picture
// of each result beside it, and prints what it wrote and the real-time factor. Throws
// ToolError on failure.
void runDemo(const std::string& folder, const std::string& modulePath, double pictureScale = 1.0);

}  // namespace marrowfold
