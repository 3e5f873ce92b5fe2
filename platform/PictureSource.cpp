#include "platform/PictureSource.h"

#include <atomic>

namespace marrowfold {

namespace {

std::atomic<PictureSource> installedSource{nullptr};

}  // namespace

void setPictureSource(PictureSource source) {
    installedSource.store(source);
}

EmbeddedPicture embeddedPicture(int32_t resourceId) {
    const PictureSource source = installedSource.load();
    return source != nullptr ? source(resourceId) : EmbeddedPicture{};
}

}  // namespace marrowfold
