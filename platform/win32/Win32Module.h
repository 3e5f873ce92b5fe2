#pragma once

#include <windows.h>

namespace marrowfold::win32 {

// The instance handle of the module (DLL or program) that holds this code, for its resources and
// its window class; null when the system cannot tell.
HINSTANCE moduleInstance();

}  // namespace marrowfold::win32
