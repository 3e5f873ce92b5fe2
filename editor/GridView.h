#pragma once

#include <cstdint>
#include <vector>

#include "gui/View.h"

namespace marrowfold {

// Grid lines across a rectangle at given positions, then the rectangle's outline. Positions are
// in the same coordinates as the rectangle. It keeps its own copies of the position lists.
class GridView : public View {
  public:
    GridView(const Rect& size, int32_t xCount, int32_t yCount, const int32_t* xPositions,
             const int32_t* yPositions, const Color& colour);

    void setTicks(int32_t xCount, int32_t yCount, const int32_t* xPositions,
                  const int32_t* yPositions);
    void setGridColour(const Color& colour);
    void draw(Canvas* context) override;

    const std::vector<int32_t>& xPositions() const { return xPositions_; }
    const std::vector<int32_t>& yPositions() const { return yPositions_; }

  private:
    std::vector<int32_t> xPositions_;
    std::vector<int32_t> yPositions_;
    Color colour_;
};

}  // namespace marrowfold
