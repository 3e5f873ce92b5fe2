#pragma once

#include "analysis/LevelMeter.h"
#include "gui/View.h"

namespace marrowfold {

class Bitmap;

// A thin upright meter beside a level knob: the RMS level as a bar from the bottom, the held peak
// as a line across, on a decibel scale from kBottomDecibels at the bottom to kTopDecibels at the
// top. It first repaints the panel under it, so a meter at the bottom looks as the bare panel.
class LevelMeterView : public View {
  public:
    static constexpr float kTopDecibels = 0.0f;
    static constexpr float kBottomDecibels = LevelMeter::kFloorDecibels;

    // panel: the picture behind the whole frame, of which the meter shows its own rectangle.
    LevelMeterView(const Rect& size, Bitmap* panel);

    // Asks for a repaint only when a pixel would change.
    void setLevels(float rmsDecibels, float peakDecibels);
    float rmsDecibels() const { return rms_; }
    float peakDecibels() const { return peak_; }

    void draw(Canvas* context) override;

  private:
    // Pixels above the bottom that a level reaches.
    int32_t heightOf(float decibels) const;
    // Fills rows top..bottom - 1 of the meter's width.
    void fillRows(Canvas& canvas, int32_t top, int32_t bottom, const Color& colour) const;

    Bitmap* panel_;
    float rms_ = kBottomDecibels;
    float peak_ = kBottomDecibels;
};

}  // namespace marrowfold
