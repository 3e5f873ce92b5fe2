#pragma once

#include "gui/TextField.h"

namespace marrowfold {

// A text field that keeps a real value within [minimum, maximum], shows it through its
// formatter and exchanges normalised values (0..1) with its listener. With the draggable style
// a vertical drag changes the value.
class NumberField : public TextField {
  public:
    NumberField(const Rect& size, ValueListener* listener, int32_t tag, const char* text,
                Bitmap* background, int32_t style);

    // v is normalised; the real value becomes minimum + (maximum - minimum) * v, clamped.
    void setValue(float v) override;
    // The clamped real value, normalised.
    float getValue() const override;
    void mousePressed(Canvas* context, Point where) override;

    void setValueFormatter(ValueToText formatter);
    void setValueFormatter(ValueToTextWithData formatter, void* userData);
    // Selects the highest font id whose height is this many pixels.
    void setFontHeight(int32_t height);
    void setDragSteps(float step, float fineStep);
    float realValue() const { return value_; }
    bool wasDragged() const { return dragged_; }

    // Commas become points; the leading number is read, or 0 when there is none.
    static float textToNumber(const std::string& text);

  protected:
    bool takeTypedText(const std::string& typed) override;

  private:
    std::string valueText() const;
    void dragValue(Canvas* context, uint32_t pressState);

    float dragStep_ = 0.01f;
    float fineDragStep_ = 0.0015f;
    int32_t fontHeight_ = 10;
    bool dragged_ = false;
    ValueToText valueToText_ = nullptr;
    ValueToTextWithData valueToTextWithData_ = nullptr;
    void* valueToTextData_ = nullptr;
};

}  // namespace marrowfold
