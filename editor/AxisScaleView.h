#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "gui/View.h"

namespace marrowfold {

// Tick values and their pixel positions for a value range along one side of a plot, linear
// (steps of 2, 5 or 10 times a power of ten) or logarithmic (one major tick per octave). It
// never enters a frame: its owner asks it for positions and has it draw itself at a place.
class AxisScaleView : public View {
  public:
    static constexpr int32_t kHorizontal = 2;
    static constexpr int32_t kVertical = 4;
    static constexpr int32_t kMaxTicks = 64;

    // Horizontal, linear, base 10, minor ticks and minor labels on, no unit.
    AxisScaleView(const Rect& size, float minimum, float maximum);

    void setBackdropColour(const Color& colour);
    void setOrientation(int32_t orientation);
    // 2 or 10; anything else keeps the current base.
    void setLogBase(int32_t base);
    void setLogarithmic(bool flag);
    void setMinorLabels(bool flag);
    // Switches minor ticks and minor labels together.
    void setMinorTicks(bool flag);
    void setUnit(const char* text);
    void setRange(float minimum, float maximum);
    // Generates the ticks, then their positions and the major positions.
    void compute();
    // Draws the strip with its left-top corner at (x, y) on the canvas.
    void drawAt(Canvas& context, int32_t x, int32_t y) const;

    float maximum() const { return maximum_; }
    int32_t tickCount() const { return tickCount_; }
    float tickValue(int32_t i) const { return tickValues_[static_cast<size_t>(i)]; }
    bool tickIsMajor(int32_t i) const { return tickIsMajor_[static_cast<size_t>(i)] != 0; }
    int32_t tickPosition(int32_t i) const { return tickPositions_[static_cast<size_t>(i)]; }
    int32_t majorCount() const { return majorCount_; }
    // The label of tick i as drawn ("%g" of its value), empty for an unlabelled minor tick.
    std::string labelText(int32_t i) const;
    const int32_t* majorPositions() const { return majorPositions_.data(); }

  private:
    // Pixel position of a value along the axis, relative to the strip's left (horizontal) or
    // top (vertical).
    int32_t positionOf(float value) const;
    void computeMapping();
    void computePixelRange();
    // Fractional position of a value before truncation, relative to the mapping's origin.
    float mapped(float value) const;
    bool addTick(float value, bool major);
    void linearTicks();
    void logarithmicTicks();
    bool minorsWanted() const { return minorTicks_ || minorLabels_; }
    int32_t drawTickAcross(Canvas& context, int32_t i, int32_t firstFree, int32_t x,
                           int32_t y) const;
    int32_t drawLabelAcross(Canvas& context, const std::string& text, double centre,
                            int32_t firstFree, int32_t lastEnd, int32_t top) const;
    void drawTickDown(Canvas& context, int32_t i, int32_t x, int32_t y) const;
    bool labelled(int32_t i) const { return tickIsMajor(i) || minorLabels_; }

    int32_t orientation_ = kHorizontal;
    float minimum_;
    float maximum_;
    bool logarithmic_ = false;
    int32_t logBase_ = 10;
    int32_t pixelStart_ = 0;
    int32_t pixelEnd_ = 0;
    int32_t origin_ = 0;
    float factor_ = 0.0f;
    std::array<float, kMaxTicks> tickValues_{};
    std::array<int32_t, kMaxTicks> tickIsMajor_{};
    int32_t tickCount_ = 0;
    std::array<int32_t, kMaxTicks> tickPositions_{};
    std::array<int32_t, kMaxTicks> majorPositions_{};
    int32_t majorCount_ = 0;
    int32_t font_;
    int32_t labelHeight_;
    int32_t majorTickLength_;
    int32_t minorTickLength_;
    int32_t labelOffset_;
    bool minorTicks_ = true;
    bool minorLabels_ = true;
    std::string unit_;
    Color backgroundColour_ = kBlack;
    Color textColour_ = kWhite;
};

}  // namespace marrowfold
