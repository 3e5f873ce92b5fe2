#pragma once

// Small questions a test asks about Win32 windows: their children, class names and texts.

#include <windows.h>

#include <string>
#include <vector>

namespace marrowfold::testing {

std::vector<HWND> childrenOf(HWND parent);
std::string classNameOf(HWND window);
std::string textOf(HWND window);

}  // namespace marrowfold::testing
