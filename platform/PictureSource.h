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
// resources. The platform layer carries no pictures of its own: the code that draws them
// installs their source before it loads the first one. Any thread.
using PictureSource = EmbeddedPicture (*)(int32_t resourceId);
void setPictureSource(PictureSource source);

// The picture of that id from the installed source; no data without a source or that id.
EmbeddedPicture embeddedPicture(int32_t resourceId);

}  // namespace marrowfold
