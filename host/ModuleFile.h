#pragma once

#include <string>

namespace marrowfold {

// The file name of the module as this build makes it ("marrowfold.so", "marrowfold.dll"): the
// tools look for it beside themselves and the LV2 bundle carries it.
const char* moduleFileName();

// The module in a folder; the folder may end in a separator or not, and may be empty.
std::string moduleFileIn(std::string folder);

}  // namespace marrowfold
