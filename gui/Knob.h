#pragma once

#include "gui/Control.h"
#include "gui/KnobGeometry.h"

namespace marrowfold {

// A rotary control. The mouse turns it either around its centre (circular) or by moving right or
// up (linear), as the host's knob mode and the Alt key choose; Shift slows linear moves down and
// a Control-click sets the reset value.
class Knob : public Control {
  public:
    static constexpr float kStartAngle = 3.9269908f;  // 5 pi / 4, lower left
    static constexpr float kRangeAngle = -4.712389f;  // 3 pi / 2 clockwise
    static constexpr int32_t kLinearKnobMode = 2;

    Knob(const Rect& size, ValueListener* listener, int32_t tag, Bitmap* background, Bitmap* handle,
         const Point& backgroundOffset);

    void draw(Canvas* context) override;
    void mousePressed(Canvas* context, Point where) override;
    bool wheelMoved(Canvas* context, Point where, float distance) override;
    void setMinimum(float v) override;
    void setMaximum(float v) override;

    // The knob's mapping between values and points of its face.
    KnobGeometry geometry() const;

  protected:
    ~Knob() override;
    void trackCircular(Canvas* context, Point where, uint32_t state);
    void trackLinear(Canvas* context, Point where, uint32_t state);

    Point backgroundOffset_;
    Bitmap* handle_ = nullptr;
    int32_t inset_ = 3;
    float radius_;
};

// A knob drawn as one frame of a vertical filmstrip, chosen by the value.
class FilmstripKnob : public Knob {
  public:
    FilmstripKnob(const Rect& size, ValueListener* listener, int32_t tag, int32_t frameCount,
                  int32_t frameHeight, Bitmap* filmstrip, const Point& backgroundOffset);

    void draw(Canvas* context) override;
    void setInverse(bool inverse) { inverse_ = inverse; }
    // The top of the frame the current value shows, within the filmstrip.
    int32_t frameTop() const;

  private:
    int32_t frameCount_;
    int32_t frameHeight_;
    bool inverse_ = false;
};

}  // namespace marrowfold
