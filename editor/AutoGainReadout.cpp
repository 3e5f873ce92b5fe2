#include "editor/AutoGainReadout.h"

#include <cstdio>

#include "editor/PanelColours.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"

namespace marrowfold {

namespace {

constexpr Color kTextColour = colorOf(palette::kPaleCyan);
constexpr int32_t kFont = 6;
constexpr size_t kTextBytes = 24;

}  // namespace

AutoGainReadout::AutoGainReadout(const Rect& size, Bitmap* panel) : View(size), panel_(panel) {}

void AutoGainReadout::show(bool on, float decibels) {
    char text[kTextBytes] = "";
    if (on) std::snprintf(text, sizeof text, "AUTO %+.1f dB", static_cast<double>(decibels));
    if (text_ == text) return;
    text_ = text;
    setNeedsRedraw(true);
}

void AutoGainReadout::draw(Canvas* context) {
    if (context && (drawn_ || !text_.empty())) {
        if (panel_) panel_->draw(*context, size_, {size_.left, size_.top});
        if (!text_.empty()) {
            context->selectFont(kFont);
            context->setTextColour(kTextColour);
            context->drawText(text_.c_str(), size_, false, Canvas::kAlignCentre);
        }
        drawn_ = true;
    }
    setNeedsRedraw(false);
}

}  // namespace marrowfold
