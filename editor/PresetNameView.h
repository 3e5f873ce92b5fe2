#pragma once

#include <cstdint>
#include <string>

#include "gui/Control.h"

namespace marrowfold {

// Shows the name of the current preset, centred, over a bitmap or a plain fill. It takes no
// mouse input and reports to nobody; it redraws only after its name or its look changed.
class PresetNameView : public Control {
  public:
    // Style bit: draw the text a second time one pixel right and down in the shadow colour.
    static constexpr int32_t kShadow = 4;
    static constexpr size_t kMaxNameChars = 127;

    PresetNameView(const Rect& size, Bitmap* background = nullptr, int32_t style = 0);

    void draw(Canvas* context) override;

    void chooseFont(int32_t id);
    void chooseTextColour(const Color& colour);
    void setBackdropColour(const Color& colour);
    void setShadowColour(const Color& colour);
    void setBackdropOffset(const Point& offset);
    // Copies the text (up to 127 characters; null shows nothing); a different name makes the
    // view dirty, the same name again does not.
    void showName(const char* text);

    const std::string& name() const { return name_; }

  private:
    void setColour(Color& field, const Color& colour);

    std::string name_;
    int32_t font_ = 3;
    Color textColour_ = kWhite;
    Color backgroundColour_ = kBlack;
    Color shadowColour_ = kBlack;
    Point backgroundOffset_;
    int32_t style_;
};

}  // namespace marrowfold
