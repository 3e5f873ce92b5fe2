#include "editor/EmbeddedBitmaps.h"

#ifndef _WIN32
#include <mutex>

#include "platform/PictureSource.h"
#include "resources/bitmaps/BitmapResources.h"
#endif

namespace marrowfold {

void offerEmbeddedBitmaps() {
#ifndef _WIN32
    static std::once_flag offered;
    std::call_once(offered,
                   [] { setPictureSource(&findScaledBitmapResource, kLargestBitmapScale); });
#endif
}

}  // namespace marrowfold
