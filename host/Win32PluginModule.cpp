// The loader library's module on Windows: LoadLibraryA and GetProcAddress, as a host does.
#include <windows.h>

#include "host/PluginModule.h"

namespace marrowfold {

namespace {
constexpr char kEntrySymbol[] = "main";

std::string systemErrorText(DWORD code) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, text, sizeof text, nullptr);
    std::string result(text, length);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r'))
        result.pop_back();
    return result.empty() ? "error " + std::to_string(code) : result;
}
}  // namespace

PluginModule::~PluginModule() {
    if (handle != nullptr) FreeLibrary(static_cast<HMODULE>(handle));
}

bool PluginModule::open(const std::string& path) {
    HMODULE library = LoadLibraryA(path.c_str());
    if (library == nullptr) {
        lastError = "cannot open " + path + ": " + systemErrorText(GetLastError());
        return false;
    }
    handle = library;
    entryPoint = reinterpret_cast<PluginEntry>(
        reinterpret_cast<void*>(GetProcAddress(library, kEntrySymbol)));
    if (entryPoint == nullptr) {
        lastError = path + " has no entry point";
        return false;
    }
    return true;
}

}  // namespace marrowfold
