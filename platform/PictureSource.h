#pragma once

#include <cstddef>
#include <cstdint>

namespace marrowfold {

// PNG data of one bitmap resource of the module.
struct EmbeddedPicture {
    const unsigned char* data = nullptr;
    size_t size = 0;
};

// Where the backends that decode pictures themselves (headless, X11) find the module's bitmap
// resources, each drawn at whole scales 1 up to the source's largest (scale times the 1x size).
// The platform layer carries no pictures of its own: the code that draws them installs their
// source before it loads the first one. Any thread.
using PictureSource = EmbeddedPicture (*)(int32_t resourceId, int32_t scale);
void setPictureSource(PictureSource source, int32_t largestScale);

// The picture of that id at that scale from the installed source; no data without a source, or
// for an id or scale it does not have.
EmbeddedPicture embeddedPicture(int32_t resourceId, int32_t scale = 1);
// The largest scale the installed source draws at; 1 without a source.
int32_t largestPictureScale();

}  // namespace marrowfold
