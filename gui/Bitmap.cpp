#include "gui/Bitmap.h"

#include "gui/Canvas.h"
#include "platform/Platform.h"

namespace marrowfold {

Bitmap::Bitmap(int32_t resourceId) : Bitmap(resourceId, currentPlatform().loadBitmap(resourceId)) {}

Bitmap::Bitmap(int32_t resourceId, std::unique_ptr<DrawingSurface> picture)
    : resourceId_(resourceId), picture_(std::move(picture)) {
    if (!picture_) return;
    width_ = picture_->width();
    height_ = picture_->height();
}

Bitmap::~Bitmap() = default;

void Bitmap::release() {
    if (--referenceCount_ <= 0) delete this;
}

void Bitmap::setKeyColour(const Color& colour) {
    keyColour_ = colour;
}

void Bitmap::draw(Canvas& canvas, const Rect& rect, const Point& offset) {
    if (!picture_ || !canvas.surface()) return;
    canvas.surface()->copyFrom(*picture_, canvas.place(rect), {offset.h, offset.v});
}

void Bitmap::drawKeyed(Canvas& canvas, const Rect& rect, const Point& offset) {
    if (!picture_ || !canvas.surface()) return;
    canvas.surface()->copyKeyedFrom(*picture_, canvas.place(rect), {offset.h, offset.v},
                                    keyColour_.packed());
}

}  // namespace marrowfold
