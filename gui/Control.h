#pragma once

#include <cstdint>

#include "gui/View.h"

namespace marrowfold {

class Bitmap;
class Control;

// Receives every value change a control reports.
class ValueListener {
  public:
    virtual void controlChanged(Canvas* context, Control* control) = 0;

  protected:
    ~ValueListener() = default;
};

// A view with a value in a range, a reset value, a tag for its listener and an optional
// background bitmap. It is dirty while the value differs from the value it last drew.
class Control : public View {
  public:
    // Mouse state of a Control-click with the left button and nothing else: resets the value.
    static constexpr uint32_t kResetClick = 17;

    Control(const Rect& size, ValueListener* listener, int32_t tag, Bitmap* background = nullptr);

    bool needsRedraw() const override;
    void setNeedsRedraw(bool flag) override;

    // Lets the host stay responsive while a mouse-tracking loop runs.
    virtual void idleWhileTracking();
    virtual void setValue(float v);
    virtual float getValue() const;
    virtual void setValue(float v, int32_t ignored);
    virtual float getValue(int32_t ignored) const;
    virtual void setMinimum(float v);
    virtual float minimum() const;
    virtual void setMaximum(float v);
    virtual float maximum() const;
    virtual void setDrawnValue(float v);
    virtual float drawnValue() const;
    virtual void setResetValue(float v);
    virtual float resetValue() const;
    virtual void assignTag(int32_t t);
    virtual void setBackgroundBitmap(Bitmap* bitmap);
    virtual Bitmap* getBackgroundBitmap() const;
    virtual void setWheelStep(float v);
    virtual float wheelStep() const;
    // Above the maximum becomes the maximum; anything not at least the minimum (NaN too)
    // becomes the minimum.
    virtual void clampValue();

    int32_t tag() const { return tag_; }
    ValueListener* listener() const { return listener_; }

  protected:
    ~Control() override;
    // Whether the left button is held now, the condition of every press handler.
    static bool leftButtonHeld(Canvas* context);
    static uint32_t currentMouseState(Canvas* context);
    void reportChange(Canvas* context);
    // Moves the value by wheel steps (a tenth of a step with Shift) within the range.
    bool turnByWheel(Canvas* context, float distance);
    void reportIfDirty(Canvas* context);
    // Draws the background bitmap into rect, leaving out its key colour when see-through.
    void drawBitmap(Bitmap* bitmap, Canvas& canvas, const Rect& rect, const Point& offset);

    ValueListener* listener_;
    int32_t tag_;
    float drawnValue_ = 1.0f;
    float resetValue_ = 0.5f;
    float value_ = 0.0f;
    float minValue_ = 0.0f;
    float maxValue_ = 1.0f;
    float wheelStep_ = 0.1f;
    Bitmap* background_ = nullptr;
};

// The base of the editor's own views: a control that knows its editor once it is in a frame.
class EditorControl : public Control {
  public:
    using Control::Control;
    virtual void fetchEditor();
    EditorBase* editor() const { return editor_; }

  protected:
    EditorBase* editor_ = nullptr;
};

}  // namespace marrowfold
