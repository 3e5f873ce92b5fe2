#include "gui/ButtonGroup.h"

#include "gui/Bitmap.h"

namespace marrowfold {

// With a single button there is no step between buttons; its value stays 0.
ButtonGroup::ButtonGroup(const Rect& size, ValueListener* listener, int32_t tag, int32_t count,
                         const int32_t* lefts, const int32_t* tops, Bitmap* const* bitmaps)
    : Control(size, listener, tag), step_(count > 1 ? 1.0f / static_cast<float>(count - 1) : 0) {
    for (int32_t i = 0; i < count; ++i) {
        Bitmap* bitmap = bitmaps[i];
        const int32_t width = bitmap ? bitmap->width() : 0;
        const int32_t height = bitmap ? bitmap->height() / 2 : 0;
        auto* button = new ToggleButton({lefts[i], tops[i], lefts[i] + width, tops[i] + height},
                                        this, i, bitmap);
        button->assignFrame(parentFrame());
        buttons_.push_back(button);
    }
    if (!buttons_.empty()) buttons_[0]->setValue(1.0f);
}

ButtonGroup::~ButtonGroup() {
    for (ToggleButton* button : buttons_)
        button->release();
}

void ButtonGroup::switchAllOff() {
    for (ToggleButton* button : buttons_)
        button->setValue(0.0f);
}

void ButtonGroup::setValue(float v) {
    if (v == value_) return;
    switchAllOff();
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (step_ * (0.5f + static_cast<float>(i)) > v) {
            buttons_[i]->setValue(1.0f);
            break;
        }
    }
    value_ = v;
}

void ButtonGroup::controlChanged(Canvas* context, Control* button) {
    switchAllOff();
    const int32_t chosen = button->tag();
    if (chosen >= 0 && chosen < count()) {
        buttons_[static_cast<std::size_t>(chosen)]->setValue(1.0f);
        const float v = static_cast<float>(chosen) * step_;
        if (value_ != v) {
            value_ = v;
            reportChange(context);
        }
    }
    draw(context);
}

void ButtonGroup::draw(Canvas* context) {
    for (ToggleButton* button : buttons_)
        button->draw(context);
    setNeedsRedraw(false);
}

void ButtonGroup::mousePressed(Canvas* context, Point where) {
    if (!mouseEnabled() || !leftButtonHeld(context)) return;
    for (ToggleButton* button : buttons_) {
        if (button->bounds().containsInclusive(where)) button->mousePressed(context, where);
    }
}

}  // namespace marrowfold
