#pragma once

#include <string>

namespace marrowfold::win32 {

// The FileVersion string in the version block of a module file, for the block's first
// translation; empty when the file has no version block or no translation.
std::string fileVersionOf(const std::string& path);

// The file name of the module (DLL or program) that holds this code; empty when unknown.
std::string thisModuleFileName();

}  // namespace marrowfold::win32
