#pragma once

#include <cstdint>

#include "core/ParameterRange.h"
#include "gui/View.h"
#include "platform/Platform.h"

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

// How a drag pairs the cursor with the mouse state it polls. Every round polls the state once
// and idles the host once; the step hears the cursor, the cursor of the round before (the start
// point in the first round) and the state. Each control keeps the pairing it has always had:
// knobs CursorBeforePollThroughRelease, the slider CursorBeforePoll, the number field and the
// band editor CursorAfterPoll.
enum class DragPairing {
    // The cursor is read right after each poll; the drag ends at the poll that finds the left
    // button up, without a step.
    CursorAfterPoll,
    // The cursor read at the end of one round goes with the next round's poll, so the first
    // round has the start point; the drag ends at the poll that finds the button up.
    CursorBeforePoll,
    // As CursorBeforePoll, and the round whose poll finds the button up still runs its step, so
    // the last cursor read is always handled.
    CursorBeforePollThroughRelease,
};

struct DragRound {
    Point cursor;
    Point previous;
    uint32_t state = 0;
    bool moved() const { return !(cursor == previous); }
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
    // The cursor in window coordinates: from the canvas, else from the frame, else fallback.
    Point cursorPosition(Canvas* context, Point fallback) const;
    // Follows the mouse from start until the left button is released, calling
    // step(const DragRound&) each round as pairing says.
    template <typename Step>
    void trackDrag(Canvas* context, Point start, DragPairing pairing, Step&& step);
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
    ParameterRange range_{0.0f, 1.0f};
    float wheelStep_ = 0.1f;
    Bitmap* background_ = nullptr;
};

template <typename Step>
void Control::trackDrag(Canvas* context, Point start, DragPairing pairing, Step&& step) {
    const bool readAfterPoll = pairing == DragPairing::CursorAfterPoll;
    const bool throughRelease = pairing == DragPairing::CursorBeforePollThroughRelease;
    DragRound round{start, start};
    for (;;) {
        round.state = currentMouseState(context);
        const bool held = round.state & kMouseLeft;
        if (!held && !throughRelease) return;
        if (readAfterPoll) round.cursor = cursorPosition(context, round.cursor);
        step(static_cast<const DragRound&>(round));
        round.previous = round.cursor;
        if (!readAfterPoll) round.cursor = cursorPosition(context, round.cursor);
        idleWhileTracking();
        if (!held) return;
    }
}

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
