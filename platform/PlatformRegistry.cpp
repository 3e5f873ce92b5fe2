#include <utility>

#include "platform/Platform.h"
#include "platform/WindowSystem.h"

namespace marrowfold {

namespace {
std::unique_ptr<Platform>& installed() {
    static std::unique_ptr<Platform> platform;
    return platform;
}
}  // namespace

Platform& currentPlatform() {
    std::unique_ptr<Platform>& platform = installed();
    if (!platform) platform = makeWindowSystemPlatform();
    return *platform;
}

std::unique_ptr<Platform> replacePlatform(std::unique_ptr<Platform> platform) {
    return std::exchange(installed(), std::move(platform));
}

}  // namespace marrowfold
