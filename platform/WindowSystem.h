#pragma once

#include <memory>

#include "platform/Platform.h"

namespace marrowfold {

// The backend of the window system this build is for; each backend's sources define it.
std::unique_ptr<Platform> makeWindowSystemPlatform();

}  // namespace marrowfold
