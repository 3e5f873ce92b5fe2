#include "gui/Slider.h"

#include <algorithm>

#include "core/Numeric.h"
#include "gui/Bitmap.h"
#include "gui/Frame.h"

namespace marrowfold {

namespace {
constexpr float kFineZoom = 10.0f;  // Shift makes moves this much finer
}  // namespace

Slider::Slider(const Rect& size, ValueListener* listener, int32_t tag, int32_t minimumPosition,
               int32_t maximumPosition, Bitmap* handle, Bitmap* background,
               const Point& backgroundOffset, int32_t style)
    : Control(size, listener, tag, background),
      backgroundOffset_(backgroundOffset),
      handle_(handle),
      rangePx_(maximumPosition - minimumPosition),
      style_(style),
      minimumPosition_(minimumPosition) {
    if (handle_) {
        handle_->retain();
        handleWidth_ = handle_->width();
        handleHeight_ = handle_->height();
    }
    setHandleOffset({0, 0});
}

Slider::~Slider() {
    if (handle_) handle_->release();
}

void Slider::setHandleOffset(const Point& offset) {
    handleOffset_ = offset;
    if (horizontal()) {
        minPosRel_ = offset.h + (minimumPosition_ - size_.left);
        maxPosRel_ = minPosRel_ + rangePx_ + handleWidth_;
    } else {
        minPosRel_ = offset.v + (minimumPosition_ - size_.top);
        maxPosRel_ = minPosRel_ + rangePx_ + handleHeight_;
    }
}

bool Slider::attachedTo(View* parent) {
    offscreen_ =
        std::make_unique<OffscreenCanvas>(parentFrame(), size_.width(), size_.height(), kBlack);
    return Control::attachedTo(parent);
}

bool Slider::detachedFrom(View* parent) {
    offscreen_.reset();
    return Control::detachedFrom(parent);
}

Rect Slider::handleRect() const {
    const float pos = (style_ & (kGrowsRight | kGrowsDown)) ? value_ : 1.0f - value_;
    const int32_t travel = truncateToInt32(static_cast<float>(rangePx_) * pos);
    if (horizontal()) {
        const int32_t left = std::max(handleOffset_.h + travel, minPosRel_);
        const int32_t right = std::min(left + handleWidth_, maxPosRel_);
        return {left, handleOffset_.v, right, handleOffset_.v + handleHeight_};
    }
    const int32_t top = std::max(handleOffset_.v + travel, minPosRel_);
    const int32_t bottom = std::min(top + handleHeight_, maxPosRel_);
    return {handleOffset_.h, top, handleOffset_.h + handleWidth_, bottom};
}

void Slider::draw(Canvas* context) {
    if (!offscreen_) {
        offscreen_ =
            std::make_unique<OffscreenCanvas>(parentFrame(), size_.width(), size_.height(), kBlack);
    }
    if (context) {
        drawBitmap(background_, *offscreen_, {0, 0, size_.width(), size_.height()},
                   backgroundOffset_);
        if (handle_) handle_->drawKeyed(*offscreen_, handleRect());
        offscreen_->copyTo(*context, size_, {0, 0});
    }
    setNeedsRedraw(false);
}

// The share of the travel the cursor stands at; a slider without travel stays at 0.
float Slider::positionToValue(int32_t cursor, int32_t delta) const {
    float f =
        rangePx_ > 0 ? static_cast<float>(cursor - delta) / static_cast<float>(rangePx_) : 0.0f;
    if (style_ & (kReverseHorizontal | kReverseVertical)) f = 1.0f - f;
    return f;
}

void Slider::mousePressed(Canvas* context, Point where) {
    if (!mouseEnabled()) return;
    const uint32_t pressState = currentMouseState(context);
    if (!(pressState & kMouseLeft)) return;
    if (pressState == kResetClick) {
        value_ = resetValue_;
        reportIfDirty(context);
        return;
    }
    const bool across = horizontal();
    int32_t delta = across ? size_.left + handleOffset_.h : size_.top + handleOffset_.v;
    if (freeClick_) {
        delta += (across ? handleWidth_ : handleHeight_) / 2 - 1;
    } else {
        const Rect handle = handleRect().movedBy(size_.left, size_.top);
        if (!handle.containsInclusive(where)) return;
        delta += across ? where.h - handle.left : where.v - handle.top;
    }
    Frame* frame = parentFrame();
    if (frame) frame->dragStarted(tag_);
    float base = value_;
    uint32_t recorded = pressState;
    trackDrag(context, where, DragPairing::CursorBeforePoll, [&](const DragRound& round) {
        // A new press of Shift starts fine moves from where the value is now.
        const bool fine = round.state & kKeyShift;
        if (!fine || round.state != recorded) base = value_;
        recorded = round.state;
        const float f = positionToValue(across ? round.cursor.h : round.cursor.v, delta);
        value_ = fine ? base + (f - base) / kFineZoom : f;
        clampValue();
        reportIfDirty(context);
    });
    if (frame) frame->dragEnded(tag_);
}

bool Slider::wheelMoved(Canvas* context, Point, float distance) {
    return turnByWheel(context, distance);
}

}  // namespace marrowfold
