#pragma once

#include <cstddef>
#include <vector>

#include "gui/Control.h"
#include "gui/ToggleButton.h"

namespace marrowfold {

// A row of toggle buttons of which exactly one is on; the group's value is the chosen button's
// index times 1 / (count - 1).
class ButtonGroup : public Control, public ValueListener {
  public:
    ButtonGroup(const Rect& size, ValueListener* listener, int32_t tag, int32_t count,
                const int32_t* lefts, const int32_t* tops, Bitmap* const* bitmaps);

    void setValue(float v) override;
    void draw(Canvas* context) override;
    void mousePressed(Canvas* context, Point where) override;
    // A button of the group reports.
    void controlChanged(Canvas* context, Control* button) override;

    int32_t count() const { return static_cast<int32_t>(buttons_.size()); }
    ToggleButton* button(int32_t index) const { return buttons_[static_cast<std::size_t>(index)]; }

  protected:
    ~ButtonGroup() override;

  private:
    void switchAllOff();

    float step_;
    std::vector<ToggleButton*> buttons_;
};

}  // namespace marrowfold
