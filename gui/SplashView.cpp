#include "gui/SplashView.h"

#include "gui/Frame.h"

namespace marrowfold {

SplashView::SplashView(const Rect& clickArea, ValueListener* listener, int32_t tag, Bitmap* bitmap,
                       const Rect& displayRect, const Point& offset)
    : Control(clickArea, listener, tag, bitmap),
      displayRect_(displayRect),
      savedRect_(clickArea),
      offset_(offset) {}

void SplashView::draw(Canvas* context) {
    if (context && value_ != 0.0f) drawBitmap(background_, *context, displayRect_, offset_);
}

void SplashView::mousePressed(Canvas* context, Point) {
    if (!mouseEnabled() || !leftButtonHeld(context)) return;
    if (value_ == 0.0f) {
        open(context);
    } else {
        close(context);
    }
    setNeedsRedraw(true);
}

// A frame that will not make the splash exclusive leaves it closed, so that the next click does
// not restore a click area that was never saved.
void SplashView::open(Canvas* context) {
    Frame* frame = parentFrame();
    if (!frame || !frame->setExclusiveView(this)) return;
    value_ = 1.0f;
    savedRect_ = size_;
    size_ = displayRect_;
    draw(context);
    reportChange(context);
}

void SplashView::close(Canvas* context) {
    value_ = 0.0f;
    size_ = savedRect_;
    if (Frame* frame = parentFrame()) {
        frame->setExclusiveView(nullptr);
        if (context) {
            frame->draw(context);
        } else {
            frame->redrawNow(nullptr);
        }
    }
    reportChange(context);
}

}  // namespace marrowfold
