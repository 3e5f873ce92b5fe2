#include "platform/win32/Win32ModuleVersion.h"

#include <windows.h>

#include "platform/win32/Win32Module.h"

#include <cstdio>
#include <vector>

namespace marrowfold::win32 {

namespace {

// The longest module file name asked for, without the terminating zero.
constexpr DWORD kLongestFileName = 254;
constexpr char kTranslationKey[] = "\\VarFileInfo\\Translation";
constexpr char kStringKeyFormat[] = "\\StringFileInfo\\%08lx\\%s";
constexpr char kFileVersionName[] = "FileVersion";
constexpr int kKeyLength = 64;

// The first translation as language x 65536 + code page; false without one.
bool firstTranslation(std::vector<char>& block, unsigned long& translation) {
    WORD* entry = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), kTranslationKey, reinterpret_cast<void**>(&entry), &length) ||
        entry == nullptr || length < 2 * sizeof(WORD))
        return false;
    translation = (static_cast<unsigned long>(entry[0]) << 16) | entry[1];
    return true;
}

}  // namespace

std::string fileVersionOf(const std::string& path) {
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return {};
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return {};
    unsigned long translation = 0;
    if (!firstTranslation(block, translation)) return {};
    char key[kKeyLength];
    std::snprintf(key, sizeof key, kStringKeyFormat, translation, kFileVersionName);
    char* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), key, reinterpret_cast<void**>(&text), &length) ||
        text == nullptr)
        return {};
    return std::string(text, strnlen(text, length));
}

std::string thisModuleFileName() {
    HINSTANCE module = moduleInstance();
    if (module == nullptr) return {};
    char name[kLongestFileName + 1] = {};
    const DWORD length = GetModuleFileNameA(module, name, kLongestFileName);
    return std::string(name, length);
}

}  // namespace marrowfold::win32
