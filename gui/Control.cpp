#include "gui/Control.h"

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/EditorBase.h"
#include "gui/Frame.h"
#include "platform/Platform.h"

namespace marrowfold {

namespace {
constexpr float kFineWheelShare = 0.1f;
// Marks a control as changed without a real value: -1, or 0 when the value is -1 itself.
constexpr float kUndrawn = -1.0f;
}  // namespace

Control::Control(const Rect& size, ValueListener* listener, int32_t tag, Bitmap* background)
    : View(size), listener_(listener), tag_(tag) {
    Control::setBackgroundBitmap(background);
    Control::setNeedsRedraw(false);
    View::enableMouse(true);
}

Control::~Control() {
    if (background_) background_->release();
}

bool Control::needsRedraw() const {
    return drawnValue_ != value_ || View::needsRedraw();
}

void Control::setNeedsRedraw(bool flag) {
    View::setNeedsRedraw(flag);
    if (flag) {
        drawnValue_ = value_ == kUndrawn ? 0.0f : kUndrawn;
    } else {
        drawnValue_ = value_;
    }
}

void Control::idleWhileTracking() {
    if (EditorBase* editor = ownerEditor()) editor->pumpIdle();
}

void Control::setValue(float v) {
    value_ = v;
}
float Control::getValue() const {
    return value_;
}
void Control::setValue(float v, int32_t) {
    setValue(v);
}
float Control::getValue(int32_t) const {
    return getValue();
}
void Control::setMinimum(float v) {
    range_ = ParameterRange(v, range_.maximum());
}
float Control::minimum() const {
    return range_.minimum();
}
void Control::setMaximum(float v) {
    range_ = ParameterRange(range_.minimum(), v);
}
float Control::maximum() const {
    return range_.maximum();
}
void Control::setDrawnValue(float v) {
    drawnValue_ = v;
}
float Control::drawnValue() const {
    return drawnValue_;
}
void Control::setResetValue(float v) {
    resetValue_ = v;
}
float Control::resetValue() const {
    return resetValue_;
}
void Control::assignTag(int32_t t) {
    tag_ = t;
}

void Control::setBackgroundBitmap(Bitmap* bitmap) {
    if (background_) background_->release();
    background_ = bitmap;
    if (background_) background_->retain();
}

Bitmap* Control::getBackgroundBitmap() const {
    return background_;
}
void Control::setWheelStep(float v) {
    wheelStep_ = v;
}
float Control::wheelStep() const {
    return wheelStep_;
}

void Control::clampValue() {
    value_ = range_.clamp(value_);
}

uint32_t Control::currentMouseState(Canvas* context) {
    return context ? context->mouseState() : currentPlatform().mouseState();
}

Point Control::cursorPosition(Canvas* context, Point fallback) const {
    Point where = fallback;
    if (context) {
        context->mousePosition(where);
    } else if (Frame* frame = parentFrame()) {
        frame->cursorPosition(where);
    }
    return where;
}

bool Control::leftButtonHeld(Canvas* context) {
    return currentMouseState(context) & kMouseLeft;
}

void Control::reportChange(Canvas* context) {
    if (listener_) listener_->controlChanged(context, this);
}

void Control::reportIfDirty(Canvas* context) {
    if (needsRedraw()) reportChange(context);
}

bool Control::turnByWheel(Canvas* context, float distance) {
    if (!mouseEnabled()) return false;
    const bool fine = currentMouseState(context) & kKeyShift;
    value_ += distance * (fine ? kFineWheelShare * wheelStep_ : wheelStep_);
    clampValue();
    reportIfDirty(context);
    return true;
}

void Control::drawBitmap(Bitmap* bitmap, Canvas& canvas, const Rect& rect, const Point& offset) {
    if (!bitmap) return;
    if (isSeeThrough()) {
        bitmap->drawKeyed(canvas, rect, offset);
    } else {
        bitmap->draw(canvas, rect, offset);
    }
}

void EditorControl::fetchEditor() {
    if (parentFrame()) editor_ = parentFrame()->ownerEditor();
}

}  // namespace marrowfold
