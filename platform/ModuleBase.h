#pragma once

#include <cstdint>

namespace marrowfold {

// The address at which the module holding this code is loaded (its instance handle on
// Windows); 0 when the system cannot tell.
uintptr_t thisModuleBase();

}  // namespace marrowfold
