#include "tests/stress/StressSupport.h"

#include <dlfcn.h>
#include <link.h>
#include <malloc.h>

#include <cstdlib>
#include <set>
#include <string>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MARROWFOLD_SANITIZED_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MARROWFOLD_SANITIZED_HEAP 1
#endif
#endif

#ifdef MARROWFOLD_SANITIZED_HEAP
// Provided by the address and thread sanitizer runtimes.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace marrowfold::testing {

namespace {
constexpr std::chrono::milliseconds kDefaultStress{3000};
// Twice what an empty module costs the address sanitizer per load and unload.
constexpr size_t kSanitizerBytesPerModuleLoad = 128;

int collectLibrary(dl_phdr_info* info, size_t, void* names) {
    if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0')
        static_cast<std::set<std::string>*>(names)->insert(info->dlpi_name);
    return 0;
}

std::set<std::string> loadedLibraries() {
    std::set<std::string> names;
    dl_iterate_phdr(collectLibrary, &names);
    return names;
}

}  // namespace

void keepModuleDependenciesLoaded(const char* modulePath) {
    const std::set<std::string> before = loadedLibraries();
    void* module = dlopen(modulePath, RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) return;
    for (const std::string& name : loadedLibraries()) {
        if (before.count(name) == 0 && name != modulePath)
            dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
    dlclose(module);
}

std::chrono::milliseconds stressDuration() {
    const char* seconds = std::getenv("MARROWFOLD_STRESS_SECONDS");
    if (seconds == nullptr) return kDefaultStress;
    const long value = std::strtol(seconds, nullptr, 10);
    return value > 0 ? std::chrono::milliseconds(value * 1000) : kDefaultStress;
}

size_t moduleLoadBookkeepingBytes() {
#ifdef MARROWFOLD_SANITIZED_HEAP
    return kSanitizerBytesPerModuleLoad;
#else
    return 0;
#endif
}

size_t liveHeapBytes() {
#ifdef MARROWFOLD_SANITIZED_HEAP
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

}  // namespace marrowfold::testing
