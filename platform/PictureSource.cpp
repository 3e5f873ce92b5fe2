#include "platform/PictureSource.h"

#include <atomic>

namespace marrowfold {

namespace {

std::atomic<PictureSource> installedSource{nullptr};
std::atomic<int32_t> installedLargestScale{1};

}  // namespace

void setPictureSource(PictureSource source, int32_t largestScale) {
    installedLargestScale.store(largestScale);
    installedSource.store(source);
}

EmbeddedPicture embeddedPicture(int32_t resourceId, int32_t scale) {
    const PictureSource source = installedSource.load();
    return source != nullptr ? source(resourceId, scale) : EmbeddedPicture{};
}

int32_t largestPictureScale() {
    return installedSource.load() != nullptr ? installedLargestScale.load() : 1;
}

}  // namespace marrowfold
