#include "gui/EmbeddedBitmaps.h"

// On Windows the platform loads bitmaps from the module's own resources (the resource script);
// elsewhere the PNGs are compiled in and the platform decodes them from here.
#ifndef _WIN32
#include "platform/PictureSource.h"
#include "resources/bitmaps/BitmapResources.h"
#endif

namespace marrowfold {

#ifndef _WIN32
namespace {

EmbeddedPicture compiledInPicture(int32_t resourceId, int32_t scale) {
    const BitmapResource resource = findScaledBitmapResource(resourceId, scale);
    return {resource.data, resource.size};
}

}  // namespace
#endif

void offerEmbeddedBitmaps() {
#ifndef _WIN32
    setPictureSource(&compiledInPicture, kLargestBitmapScale);
#endif
}

}  // namespace marrowfold
