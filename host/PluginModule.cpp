#include "host/PluginModule.h"

#include <dlfcn.h>

namespace marrowfold {

namespace {
constexpr char kEntrySymbol[] = "main";
}

PluginModule::~PluginModule() {
    if (handle != nullptr) dlclose(handle);
}

bool PluginModule::open(const std::string& path) {
    handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* reason = dlerror();
        lastError = reason ? reason : "cannot open " + path;
        return false;
    }
    entryPoint = reinterpret_cast<PluginEntry>(dlsym(handle, kEntrySymbol));
    if (entryPoint == nullptr) {
        lastError = path + " has no entry point";
        return false;
    }
    return true;
}

}  // namespace marrowfold
