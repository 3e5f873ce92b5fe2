#include "gui/OffscreenCanvas.h"

#include <algorithm>

namespace marrowfold {

OffscreenPicture::OffscreenPicture(int32_t width, int32_t height)
    : picture_(currentPlatform().createPicture(std::max(width, 0), std::max(height, 0))) {}

OffscreenCanvas::OffscreenCanvas(Frame* frame, int32_t width, int32_t height,
                                 const Color& background)
    : OffscreenPicture(width, height),
      Canvas(frame, picture_.get()),
      width_(width),
      height_(height),
      background_(background) {
    if (picture_) picture_->fillRect({0, 0, width, height}, background.packed());
}

void OffscreenCanvas::copyTo(Canvas& target, const Rect& rect, const Point& source) const {
    if (!target.surface() || !picture_) return;
    target.surface()->copyFrom(*picture_, target.place(rect), {source.h, source.v});
}

}  // namespace marrowfold
