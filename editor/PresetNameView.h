#pragma once

#include <cstdint>
#include <string>

#include "gui/ValueDisplay.h"

namespace marrowfold {

// Shows the name of the current preset in a value display's box and text: centred, over a
// bitmap or a fill that reaches the box's edges without a frame. It takes no mouse input and
// reports to nobody; it redraws only after its name or its look changed.
class PresetNameView : public ValueDisplay {
  public:
    // Style bit: draw the text a second time one pixel right and down in the shadow colour.
    static constexpr int32_t kShadow = kShadowText;
    static constexpr size_t kMaxNameChars = 127;

    PresetNameView(const Rect& size, Bitmap* background = nullptr, int32_t style = 0);

    void chooseFont(int32_t id);
    void chooseTextColour(const Color& colour) { setTextColour(colour); }
    void setBackdropColour(const Color& colour) { setFillColour(colour); }
    void setBackdropOffset(const Point& offset) override;
    // Copies the text (up to 127 characters; null shows nothing); a different name makes the
    // view dirty, the same name again does not.
    void showName(const char* text);

    const std::string& name() const { return name_; }

  protected:
    void composeText(char* text) const override;

  private:
    std::string name_;
};

}  // namespace marrowfold
