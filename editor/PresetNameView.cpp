#include "editor/PresetNameView.h"

#include "gui/Canvas.h"

namespace marrowfold {

PresetNameView::PresetNameView(const Rect& size, Bitmap* background, int32_t style)
    : Control(size, nullptr, 0, background), style_(style) {}

void PresetNameView::chooseFont(int32_t id) {
    if (id == font_) return;
    font_ = id;
    setNeedsRedraw(true);
}

void PresetNameView::chooseTextColour(const Color& colour) {
    setColour(textColour_, colour);
}

void PresetNameView::setBackdropColour(const Color& colour) {
    setColour(backgroundColour_, colour);
}

void PresetNameView::setShadowColour(const Color& colour) {
    setColour(shadowColour_, colour);
}

void PresetNameView::setBackdropOffset(const Point& offset) {
    if (offset == backgroundOffset_) return;
    backgroundOffset_ = offset;
    setNeedsRedraw(true);
}

void PresetNameView::showName(const char* text) {
    std::string name = text ? text : "";
    if (name.size() > kMaxNameChars) name.resize(kMaxNameChars);
    if (name == name_) return;
    name_ = std::move(name);
    setNeedsRedraw(true);
}

void PresetNameView::setColour(Color& field, const Color& colour) {
    if (field.sameAs(colour)) return;
    field = colour;
    setNeedsRedraw(true);
}

void PresetNameView::draw(Canvas* context) {
    if (context) {
        if (background_) {
            drawBitmap(background_, *context, size_, backgroundOffset_);
        } else {
            context->setFillColour(backgroundColour_);
            // A fill stops inside the left and top edges; start one pixel out to cover them.
            context->fillRect({size_.left - 1, size_.top - 1, size_.right, size_.bottom});
        }
        context->selectFont(font_);
        if (style_ & kShadow) {
            context->setTextColour(shadowColour_);
            context->drawText(name_.c_str(), size_.movedBy(1, 1), false, Canvas::kAlignCentre);
        }
        context->setTextColour(textColour_);
        context->drawText(name_.c_str(), size_, false, Canvas::kAlignCentre);
    }
    setNeedsRedraw(false);
}

}  // namespace marrowfold
