#pragma once

#include <string>

#include "gui/ValueDisplay.h"
#include "platform/Platform.h"

namespace marrowfold {

using TextToTextWithData = void (*)(const char* in, char* out, void* userData);

// A value display whose text can be typed in a platform edit field that opens over it on a click
// (or a double click) and closes on Enter, on losing the keyboard focus or on any press in the
// frame. While open, the field is the frame's key-focus view.
class TextField : public ValueDisplay, private EditFieldEvents {
  public:
    static constexpr uint32_t kShortestDoubleClick = 250;

    TextField(const Rect& size, ValueListener* listener, int32_t tag, const char* text,
              Bitmap* background, int32_t style);

    void mousePressed(Canvas* context, Point where) override;
    void acquireFocus(Canvas* context) override;
    void releaseFocus(Canvas* context) override;

    void setText(const char* text);
    void getText(char* text) const;
    const std::string& text() const { return text_; }
    // Applied to the text put into the edit field when it opens.
    void setEditFormatter(TextToTextWithData formatter, void* userData);
    // Applied to the text when it is drawn.
    void setDisplayFormatter(TextToText formatter);
    bool isEditing() const { return field_ != kNoEditField; }

  protected:
    ~TextField() override;
    void composeText(char* text) const override;
    // Takes the typed text; answers whether the control changed.
    virtual bool takeTypedText(const std::string& typed);
    bool hasKeyFocus() const;
    void openField(Canvas* context);
    // Draws into the context, or at once into the frame's window without one.
    void redraw(Canvas* context);

    std::string text_;

  private:
    void editingFinished() override;

    EditFieldId field_ = kNoEditField;
    int64_t lastClickTime_ = -1;
    uint32_t doubleClickTime_;
    TextToText displayFormatter_ = nullptr;
    TextToTextWithData editFormatter_ = nullptr;
    void* editFormatterData_ = nullptr;
};

}  // namespace marrowfold
