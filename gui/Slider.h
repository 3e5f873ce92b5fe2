#pragma once

#include <memory>

#include "gui/Control.h"
#include "gui/OffscreenCanvas.h"

namespace marrowfold {

// A handle moving along a track, drawn through an offscreen picture of the control's size.
class Slider : public Control {
  public:
    static constexpr int32_t kHorizontal = 1;
    static constexpr int32_t kGrowsRight = 8;
    static constexpr int32_t kReverseHorizontal = 16;
    static constexpr int32_t kGrowsDown = 32;
    static constexpr int32_t kReverseVertical = 64;

    Slider(const Rect& size, ValueListener* listener, int32_t tag, int32_t minimumPosition,
           int32_t maximumPosition, Bitmap* handle, Bitmap* background,
           const Point& backgroundOffset, int32_t style);

    void draw(Canvas* context) override;
    void mousePressed(Canvas* context, Point where) override;
    bool wheelMoved(Canvas* context, Point where, float distance) override;
    bool attachedTo(View* parent) override;
    bool detachedFrom(View* parent) override;

    void setFreeClick(bool freeClick) { freeClick_ = freeClick; }
    // The handle's rectangle for the current value, relative to the control's left-top corner.
    Rect handleRect() const;
    bool hasOffscreen() const { return offscreen_ != nullptr; }

  protected:
    ~Slider() override;

  private:
    void setHandleOffset(const Point& offset);
    bool horizontal() const { return style_ & kHorizontal; }
    float positionToValue(int32_t cursor, int32_t delta) const;

    Point backgroundOffset_;
    Point handleOffset_;
    Bitmap* handle_ = nullptr;
    int32_t handleWidth_ = 1;
    int32_t handleHeight_ = 1;
    int32_t rangePx_;
    int32_t style_;
    int32_t minPosRel_ = 0;
    int32_t maxPosRel_ = 0;
    int32_t minimumPosition_;
    bool freeClick_ = true;
    std::unique_ptr<OffscreenCanvas> offscreen_;
};

}  // namespace marrowfold
