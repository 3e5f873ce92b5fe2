#include "editor/VersionText.h"

#include "platform/Platform.h"

namespace marrowfold {

namespace {
constexpr const char* kVersionPrefix = "Version: ";
}

std::string versionLine(const std::string& fileVersion) {
    return kVersionPrefix + fileVersion;
}

std::string moduleVersionLine() {
    return versionLine(currentPlatform().moduleFileVersion());
}

}  // namespace marrowfold
