#include "editor/LevelMeterView.h"

#include <algorithm>

#include "editor/PanelColours.h"
#include "gui/Bitmap.h"
#include "gui/Canvas.h"

namespace marrowfold {

namespace {

constexpr Color kBarColour = colorOf(palette::kLightBlue);
constexpr Color kPeakColour = colorOf(palette::kPaleCyan);

}  // namespace

LevelMeterView::LevelMeterView(const Rect& size, Bitmap* panel) : View(size), panel_(panel) {}

int32_t LevelMeterView::heightOf(float decibels) const {
    const float clamped = std::clamp(decibels, kBottomDecibels, kTopDecibels);
    const float fraction = (clamped - kBottomDecibels) / (kTopDecibels - kBottomDecibels);
    return static_cast<int32_t>(fraction * static_cast<float>(size_.height()) + 0.5f);
}

void LevelMeterView::setLevels(float rmsDecibels, float peakDecibels) {
    const bool changed =
        heightOf(rmsDecibels) != heightOf(rms_) || heightOf(peakDecibels) != heightOf(peak_);
    rms_ = rmsDecibels;
    peak_ = peakDecibels;
    if (changed) setNeedsRedraw(true);
}

// The canvas fills the inside of a rectangle's outline, right of and below its corner: the outline
// one pixel up and left of the rows fills them across the meter's whole width.
void LevelMeterView::fillRows(Canvas& canvas, int32_t top, int32_t bottom,
                              const Color& colour) const {
    canvas.setFillColour(colour);
    canvas.fillRect({size_.left - 1, top - 1, size_.right, bottom});
}

void LevelMeterView::draw(Canvas* context) {
    if (context) {
        if (panel_) panel_->draw(*context, size_, {size_.left, size_.top});
        const int32_t rms = heightOf(rms_);
        if (rms > 0) fillRows(*context, size_.bottom - rms, size_.bottom, kBarColour);
        const int32_t peak = heightOf(peak_);
        if (peak > 0) fillRows(*context, size_.bottom - peak, size_.bottom - peak + 1, kPeakColour);
    }
    setNeedsRedraw(false);
}

}  // namespace marrowfold
