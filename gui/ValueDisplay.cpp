#include "gui/ValueDisplay.h"

#include <cstdio>

#include "gui/Canvas.h"

namespace marrowfold {

ValueDisplay::ValueDisplay(const Rect& size, Bitmap* background, int32_t style)
    : Control(size, nullptr, 0, background), style_(style) {
    if (style & kNoDrawing) View::enableMouse(false);
}

void ValueDisplay::composeText(char* text) const {
    std::snprintf(text, kTextBytes, "%2.2f", value_);
}

// The box behind the text: the bitmap, or a fill with a flat or 3D frame.
void ValueDisplay::drawBox(Canvas& canvas) {
    const Rect& r = size_;
    if (background_) {
        drawBitmap(background_, canvas, r, backgroundOffset_);
    } else if (style_ & kFillToEdges) {
        canvas.setFillColour(backgroundColour_);
        // A fill stops inside the left and top edges; start one pixel out to cover them.
        canvas.fillRect({r.left - 1, r.top - 1, r.right, r.bottom});
    } else if (!isSeeThrough()) {
        canvas.setFillColour(backgroundColour_);
        canvas.fillRect(r);
        if (!(style_ & (kRaised | kLowered))) {
            canvas.setPenColour(frameColour_);
            canvas.drawRect(r);
        }
    }
    if (style_ & (kRaised | kLowered)) {
        const bool raised = style_ & kRaised;
        canvas.setPenColour(raised ? backgroundColour_ : frameColour_);
        canvas.moveTo({r.left, r.bottom});
        canvas.lineTo({r.left, r.top});
        canvas.lineTo({r.right + 1, r.top});
        canvas.setPenColour(raised ? frameColour_ : backgroundColour_);
        canvas.moveTo({r.right, r.top + 1});
        canvas.lineTo({r.right, r.bottom});
        canvas.lineTo({r.left, r.bottom});
    }
}

void ValueDisplay::draw(Canvas* context) {
    char text[kTextBytes] = {};
    composeText(text);
    setNeedsRedraw(false);
    if (!context || (style_ & kNoDrawing)) return;
    drawBox(*context);
    if (style_ & kNoText) return;
    context->selectFont(fontId_);
    context->setFillColour(backgroundColour_);
    if (style_ & kShadowText) {
        context->setTextColour(shadowColour_);
        context->drawText(text, size_.movedBy(1, 1), false, kAlignment);
    }
    context->setTextColour(fontColour_);
    context->drawText(text, size_, false, kAlignment);
}

void ValueDisplay::setColour(Color& field, const Color& colour) {
    const bool changed = !field.sameAs(colour);
    field = colour;
    if (changed) setNeedsRedraw(true);
}

void ValueDisplay::selectFont(int32_t id) {
    fontId_ = id;
}
void ValueDisplay::setTextColour(const Color& colour) {
    setColour(fontColour_, colour);
}
void ValueDisplay::setFillColour(const Color& colour) {
    setColour(backgroundColour_, colour);
}
void ValueDisplay::setBorderColour(const Color& colour) {
    setColour(frameColour_, colour);
}
void ValueDisplay::setShadowColour(const Color& colour) {
    setColour(shadowColour_, colour);
}
void ValueDisplay::setBackdropOffset(const Point& offset) {
    backgroundOffset_ = offset;
}

}  // namespace marrowfold
