#pragma once

#include "gui/Canvas.h"
#include "gui/Control.h"

namespace marrowfold {

// Text buffers of the text controls hold 255 characters and a terminating zero.
inline constexpr int kTextBytes = 256;

using ValueToText = void (*)(float value, char* text);
using ValueToTextWithData = void (*)(float value, char* text, void* userData);
using TextToText = void (*)(const char* in, char* out);

// Shows the value as text in a filled, framed or bitmap-backed box.
class ValueDisplay : public Control {
  public:
    static constexpr int32_t kShadowText = 0x4;
    static constexpr int32_t kRaised = 0x80;
    static constexpr int32_t kLowered = 0x100;
    static constexpr int32_t kNoText = 0x800;
    static constexpr int32_t kNoDrawing = 0x1000;
    static constexpr int32_t kDoubleClickOpens = 0x2000;
    // Without a bitmap, the fill covers the box's left and top edges too, and no frame is drawn.
    static constexpr int32_t kFillToEdges = 0x4000;
    static constexpr int32_t kDraggable = static_cast<int32_t>(0x80000000u);

    ValueDisplay(const Rect& size, Bitmap* background, int32_t style);

    void draw(Canvas* context) override;

    virtual void selectFont(int32_t id);
    virtual void setTextColour(const Color& colour);
    virtual void setFillColour(const Color& colour);
    virtual void setBorderColour(const Color& colour);
    virtual void setShadowColour(const Color& colour);
    virtual void setBackdropOffset(const Point& offset);

    int32_t fontId() const { return fontId_; }

  protected:
    // Text stands centred in the box.
    static constexpr int32_t kAlignment = Canvas::kAlignCentre;

    // The text to show: the value printed with two decimals.
    virtual void composeText(char* text) const;
    void setColour(Color& field, const Color& colour);

    int32_t style_;
    int32_t fontId_ = 3;
    Color fontColour_ = kWhite;
    Color backgroundColour_ = kBlack;
    Color frameColour_ = kBlack;
    Color shadowColour_ = kRed;
    Point backgroundOffset_;

  private:
    void drawBox(Canvas& canvas);
};

}  // namespace marrowfold
