#include "platform/win32/Win32Module.h"

#include <cstdint>

#include "platform/ModuleBase.h"

namespace marrowfold {

namespace win32 {

HINSTANCE moduleInstance() {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            reinterpret_cast<LPCSTR>(&moduleInstance), &module)) {
        return nullptr;
    }
    return module;
}

}  // namespace win32

// A module's instance handle is the address it is loaded at.
uintptr_t thisModuleBase() {
    return reinterpret_cast<uintptr_t>(win32::moduleInstance());
}

}  // namespace marrowfold
