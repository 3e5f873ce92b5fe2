#pragma once

#include "gui/Control.h"

namespace marrowfold {

// Text buffers of the text controls hold 255 characters and a terminating zero.
inline constexpr int kTextBytes = 256;

using ValueToText = void (*)(float value, char* text);
using ValueToTextWithData = void (*)(float value, char* text, void* userData);
using TextToValue = void (*)(const char* text, float* value);
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
    static constexpr int32_t kDraggable = static_cast<int32_t>(0x80000000u);

    ValueDisplay(const Rect& size, Bitmap* background, int32_t style);

    void draw(Canvas* context) override;

    virtual void selectFont(int32_t id);
    virtual void setTextColour(const Color& colour);
    virtual void setFillColour(const Color& colour);
    virtual void setBorderColour(const Color& colour);
    virtual void setShadowColour(const Color& colour);
    virtual void setAlignment(int32_t alignment);
    virtual void setBackdropOffset(const Point& offset);
    virtual void setFormatter(ValueToTextWithData formatter, void* userData);
    virtual void setFormatter(ValueToText formatter);
    virtual void setParser(TextToValue parser);
    virtual void setStyleBits(int32_t bits);
    virtual void setTextStyle(int32_t bits);
    virtual void setClearTextBackground(bool transparent);

    int32_t styleBits() const { return style_; }
    int32_t fontId() const { return fontId_; }
    int32_t alignment() const { return alignment_; }
    Color fontColour() const { return fontColour_; }
    Color backgroundColour() const { return backgroundColour_; }

  protected:
    // The text to show: the formatter's, else the value printed with two decimals.
    virtual void composeText(char* text) const;
    void setColour(Color& field, const Color& colour);
    template <typename T>
    void setIfChanged(T& field, T v) {
        if (field == v) return;
        field = v;
        setNeedsRedraw(true);
    }

    ValueToText formatter_ = nullptr;
    ValueToTextWithData formatterWithData_ = nullptr;
    void* formatterData_ = nullptr;
    TextToValue parser_ = nullptr;
    int32_t alignment_ = 1;
    int32_t style_;
    int32_t fontId_ = 3;
    int32_t textStyle_ = 0;
    Color fontColour_ = kWhite;
    Color backgroundColour_ = kBlack;
    Color frameColour_ = kBlack;
    Color shadowColour_ = kRed;
    Point backgroundOffset_;
    bool textTransparent_ = true;

  private:
    void drawBox(Canvas& canvas);
};

}  // namespace marrowfold
