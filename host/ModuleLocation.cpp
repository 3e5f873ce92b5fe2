#include "host/ModuleLocation.h"

#include <climits>
#include <filesystem>

#ifdef __linux__
#include <unistd.h>
#endif

#include "host/ModuleFile.h"

namespace marrowfold {

namespace {

std::string folderOf(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

}  // namespace

std::string programFolder(const std::string& programName) {
#ifdef __linux__
    // A program started through PATH has no folder in its name; the kernel knows where it is.
    char executable[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", executable, sizeof executable - 1);
    if (length > 0) return folderOf(std::string(executable, static_cast<size_t>(length)));
#endif
    return folderOf(programName);
}

std::string moduleBeside(const std::string& folder) {
    return moduleFileIn(folder);
}

std::string moduleInInstalledBundle(const std::string& folder) {
    return moduleFileIn(folder + MARROWFOLD_INSTALLED_BUNDLE_FROM_TOOLS);
}

std::string defaultModulePath(const std::string& folder,
                              const std::function<bool(const std::string&)>& exists) {
    for (const std::string& place : {moduleBeside(folder), moduleInInstalledBundle(folder)}) {
        if (exists(place)) return place;
    }
    return moduleBeside(folder);
}

std::string defaultModulePath(const std::string& folder) {
    return defaultModulePath(folder, [](const std::string& path) {
        std::error_code error;
        return std::filesystem::is_regular_file(path, error);
    });
}

}  // namespace marrowfold
