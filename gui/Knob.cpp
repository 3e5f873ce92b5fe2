#include "gui/Knob.h"

#include "core/Numeric.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/Frame.h"

namespace marrowfold {

namespace {
constexpr float kMaxJumpShare = 0.5f;    // a bigger jump means the cursor crossed the gap
constexpr float kLinearPixels = 200.0f;  // pixels for the whole range in linear mode
constexpr float kHandleInsetExtra = 2.5f;
constexpr float kFineZoom = 1.5f;  // Shift makes linear moves this much slower
constexpr Color kHandleColour = kGrey;
constexpr Color kShadowColour = kWhite;
}  // namespace

Knob::Knob(const Rect& size, ValueListener* listener, int32_t tag, Bitmap* background,
           Bitmap* handle, const Point& backgroundOffset)
    : Control(size, listener, tag, background),
      backgroundOffset_(backgroundOffset),
      handle_(handle),
      radius_(static_cast<float>(size.width()) / 2.0f) {
    if (handle_) {
        handle_->retain();
        inset_ = truncateToInt32(0.5 * handle_->width() + kHandleInsetExtra);
    }
    setNeedsRedraw(true);
}

Knob::~Knob() {
    if (handle_) handle_->release();
}

KnobGeometry Knob::geometry() const {
    return KnobGeometry(range_, kStartAngle, kRangeAngle, radius_, inset_);
}

// The handle's place depends on the range, so a new range redraws it.
void Knob::setMinimum(float v) {
    Control::setMinimum(v);
    setNeedsRedraw(true);
}

void Knob::setMaximum(float v) {
    Control::setMaximum(v);
    setNeedsRedraw(true);
}

void Knob::draw(Canvas* context) {
    if (context) {
        drawBitmap(background_, *context, size_, backgroundOffset_);
        const Point p = geometry().valueToPoint(value_);
        if (handle_) {
            const int32_t left = size_.left + p.h - handle_->width() / 2;
            const int32_t top = size_.top + p.v - handle_->height() / 2;
            drawBitmap(handle_, *context,
                       {left, top, left + handle_->width(), top + handle_->height()}, {0, 0});
        } else {
            const Point centre{size_.left + size_.width() / 2 - 1, size_.top + size_.height() / 2};
            context->setPenColour(kHandleColour);
            context->moveTo({size_.left + p.h - 1, size_.top + p.v});
            context->lineTo(centre);
            context->setPenColour(kShadowColour);
            context->moveTo({size_.left + p.h, size_.top + p.v - 1});
            context->lineTo({centre.h + 1, centre.v - 1});
        }
    }
    setNeedsRedraw(false);
}

void Knob::mousePressed(Canvas* context, Point where) {
    if (!mouseEnabled()) return;
    const uint32_t state = currentMouseState(context);
    if (!(state & kMouseLeft)) return;
    if (state == kResetClick) {
        value_ = resetValue_;
        reportIfDirty(context);
        return;
    }
    Frame* frame = parentFrame();
    const int32_t mode = frame ? frame->currentKnobMode() : 0;
    const bool alt = state & kKeyAlt;
    const bool circular = (mode == kLinearKnobMode && alt) || (mode != kLinearKnobMode && !alt);
    if (frame) frame->dragStarted(tag_);
    if (circular) {
        trackCircular(context, where, state);
    } else {
        trackLinear(context, where, state);
    }
    if (frame) frame->dragEnded(tag_);
}

// Follows the cursor around the centre; a jump of more than half the range means the cursor
// crossed the gap, and the knob then stays at the end it came from.
void Knob::trackCircular(Canvas* context, Point where, uint32_t) {
    const KnobGeometry shape = geometry();
    const Point corner{size_.left, size_.top};
    const float maxJump = range_.span() * kMaxJumpShare;
    float last = shape.pointToValue({where.h - corner.h, where.v - corner.v});
    trackDrag(context, where, DragPairing::CursorBeforePollThroughRelease,
              [&](const DragRound& round) {
                  if (!round.moved()) return;
                  const Point p{round.cursor.h - corner.h, round.cursor.v - corner.v};
                  const float f = shape.pointToValue(p);
                  if (last - f > maxJump) {
                      value_ = range_.maximum();
                  } else if (f - last > maxJump) {
                      value_ = range_.minimum();
                  } else {
                      value_ = f;
                      last = f;
                  }
                  reportIfDirty(context);
              });
}

// Right and up increase the value; the whole range takes 200 pixels, or 200 x zoomFactor with
// Shift. A change of modifiers moves the starting value so that the value does not jump.
void Knob::trackLinear(Canvas* context, Point where, uint32_t pressState) {
    const float range = range_.span();
    auto stepFor = [&](uint32_t state) {
        return range / (state & kKeyShift ? kLinearPixels * kFineZoom : kLinearPixels);
    };
    float start = value_;
    float stepPerPixel = stepFor(pressState);
    uint32_t recorded = pressState;
    trackDrag(context, where, DragPairing::CursorBeforePollThroughRelease,
              [&](const DragRound& round) {
                  if (!round.moved()) return;
                  const Point& cursor = round.cursor;
                  const float d = static_cast<float>((cursor.h - where.h) - (cursor.v - where.v));
                  if (round.state != recorded) {
                      const float newStep = stepFor(round.state);
                      start += d * (stepPerPixel - newStep);
                      stepPerPixel = newStep;
                      recorded = round.state;
                  }
                  value_ = start + d * stepPerPixel;
                  clampValue();
                  reportIfDirty(context);
              });
}

bool Knob::wheelMoved(Canvas* context, Point, float distance) {
    return turnByWheel(context, distance);
}

FilmstripKnob::FilmstripKnob(const Rect& size, ValueListener* listener, int32_t tag,
                             int32_t frameCount, int32_t frameHeight, Bitmap* filmstrip,
                             const Point& backgroundOffset)
    : Knob(size, listener, tag, filmstrip, nullptr, backgroundOffset),
      frameCount_(frameCount),
      frameHeight_(frameHeight) {
    inset_ = 0;
}

// Values beyond 1 show the last frame rather than a position past the end of the strip.
int32_t FilmstripKnob::frameTop() const {
    if (!(value_ >= 0.0f) || frameHeight_ <= 0 || frameCount_ <= 0) return 0;
    const int32_t last = frameHeight_ * (frameCount_ - 1);
    const float share = inverse_ ? 1.0f - value_ : value_;
    int32_t position = truncateToInt32(share * static_cast<float>(last));
    if (position > last) position = last;
    if (position < 0) position = 0;
    return position / frameHeight_ * frameHeight_;
}

void FilmstripKnob::draw(Canvas* context) {
    if (context) drawBitmap(background_, *context, size_, {0, frameTop()});
    setNeedsRedraw(false);
}

}  // namespace marrowfold
