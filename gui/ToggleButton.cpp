#include "gui/ToggleButton.h"

#include "core/Numeric.h"
#include "gui/Bitmap.h"

namespace marrowfold {

ToggleButton::ToggleButton(const Rect& size, ValueListener* listener, int32_t tag, Bitmap* bitmap)
    : Control(size, listener, tag, bitmap) {}

void ToggleButton::draw(Canvas* context) {
    if (context && background_) {
        const int32_t state = value_ == 0.0f ? 0 : background_->height() / 2;
        drawBitmap(background_, *context, size_, {0, state});
    }
    setNeedsRedraw(false);
}

void ToggleButton::mousePressed(Canvas* context, Point) {
    if (!mouseEnabled() || !leftButtonHeld(context)) return;
    value_ = truncateToInt32(value_) != 0 ? 0.0f : 1.0f;
    idleWhileTracking();
    reportChange(context);
}

}  // namespace marrowfold
