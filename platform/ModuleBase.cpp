#include "platform/ModuleBase.h"

#include <dlfcn.h>

namespace marrowfold {

uintptr_t thisModuleBase() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&thisModuleBase), &info) && info.dli_fbase) {
        return reinterpret_cast<uintptr_t>(info.dli_fbase);
    }
    return 0;
}

}  // namespace marrowfold
