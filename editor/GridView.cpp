#include "editor/GridView.h"

#include <algorithm>

#include "gui/Canvas.h"

namespace marrowfold {

namespace {
std::vector<int32_t> copyOf(int32_t count, const int32_t* positions) {
    if (!positions || count <= 0) return {};
    return std::vector<int32_t>(positions, positions + count);
}
}  // namespace

GridView::GridView(const Rect& size, int32_t xCount, int32_t yCount, const int32_t* xPositions,
                   const int32_t* yPositions, const Color& colour)
    : View(size), colour_(colour) {
    setTicks(xCount, yCount, xPositions, yPositions);
}

void GridView::setTicks(int32_t xCount, int32_t yCount, const int32_t* xPositions,
                        const int32_t* yPositions) {
    xPositions_ = copyOf(xCount, xPositions);
    yPositions_ = copyOf(yCount, yPositions);
}

void GridView::setGridColour(const Color& colour) {
    colour_ = colour;
}

void GridView::draw(Canvas* context) {
    if (!context) return;
    context->setPenColour(colour_);
    for (int32_t y : yPositions_) {
        context->moveTo({size_.left, y});
        context->lineTo({size_.right, y});
    }
    for (int32_t x : xPositions_) {
        context->moveTo({x, size_.top});
        context->lineTo({x, size_.bottom});
    }
    context->drawRect(size_);
}

}  // namespace marrowfold
