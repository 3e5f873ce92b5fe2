#pragma once

#include <cstdint>
#include <vector>

#include "analysis/SpectrumAnalyser.h"
#include "gui/View.h"

namespace marrowfold {

// The spectra behind the band editor's grid, one level per pixel column of its rectangle: the
// output as a filled curve, the input as a thin line over it, on a decibel scale from
// kBottomDecibels at the rectangle's bottom to kTopDecibels at its top. Levels at or below the
// bottom are not drawn, so with silence the plot draws nothing at all.
class SpectrumPlot : public View {
  public:
    static constexpr float kTopDecibels = 0.0f;
    // The analyser's floor: levels it reads as silence draw nothing.
    static constexpr float kBottomDecibels = SpectrumAnalyser::kFloorDecibels;

    explicit SpectrumPlot(const Rect& area);

    int32_t columns() const { return size_.width(); }
    // columns() levels of each, in dB, left to right.
    void setLevels(const float* output, const float* input);
    void clear();
    // True while no level of either curve lies above the bottom.
    bool empty() const;
    // The pixel row a level is drawn at.
    int32_t rowOf(float decibels) const;

    void draw(Canvas* context) override;

  private:
    void drawFilledCurve(Canvas& canvas) const;
    void drawLine(Canvas& canvas) const;
    bool audible(float decibels) const { return decibels > kBottomDecibels; }

    std::vector<float> output_;
    std::vector<float> input_;
};

}  // namespace marrowfold
