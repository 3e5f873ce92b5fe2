#include "editor/ReadoutLabel.h"

#include <algorithm>
#include <cstring>

#include "gui/Canvas.h"

namespace marrowfold {

namespace {
constexpr int32_t kFont = 3;
constexpr int32_t kFontSize = 9;
// Lines are spaced 1.2 font heights apart, starting one pixel below the box's top.
constexpr double kLineSpacing = 1.2 * kFontSize;
// The box stands one and a half heights above the point, or this many heights lower.
constexpr double kRiseHeights = 1.5;
constexpr int32_t kDropHeights = 4;
}  // namespace

ReadoutLabel::ReadoutLabel(const Rect& area, const Color& textColour)
    : View(area), textColour_(textColour) {}

void ReadoutLabel::show(const char* text, int32_t x, int32_t y) {
    place(x, y);
    splitLines(text);
}

void ReadoutLabel::place(int32_t x, int32_t y) {
    const int32_t halfWidth = kDefaultWidth / 2;
    const int32_t halfHeight = kDefaultHeight / 2;
    const int32_t cx = std::min(std::max(x, size_.left + halfWidth), size_.right - halfWidth);
    int32_t cy = static_cast<int32_t>(y - kRiseHeights * kDefaultHeight);
    if (cy < size_.top + halfHeight) cy += kDropHeights * kDefaultHeight;
    box_ = {cx - halfWidth, cy - halfHeight, cx + halfWidth, cy + halfHeight};
}

void ReadoutLabel::splitLines(const char* text) {
    lines_.clear();
    lineRects_.clear();
    const char* rest = text ? text : "";
    while (static_cast<int32_t>(lines_.size()) < kMaxLines) {
        const char* end = std::strchr(rest, '\n');
        const size_t length = end ? static_cast<size_t>(end - rest) : std::strlen(rest);
        lines_.emplace_back(rest, std::min(length, kMaxLineChars));
        const int32_t i = static_cast<int32_t>(lineRects_.size());
        lineRects_.push_back({box_.left, box_.top + static_cast<int32_t>(i * kLineSpacing) + 1,
                              box_.right,
                              box_.top + static_cast<int32_t>((i + 1) * kLineSpacing) + 1});
        if (!end) break;
        rest = end + 1;
    }
}

void ReadoutLabel::draw(Canvas* context) {
    if (!context) return;
    context->setFillColour(fillColour_);
    context->fillRect(box_);
    context->selectFont(kFont, kFontSize);
    context->setTextColour(textColour_);
    for (size_t i = 0; i < lines_.size(); ++i) {
        context->drawText(lines_[i].c_str(), lineRects_[i], false, Canvas::kAlignCentre);
    }
    context->setPenColour(textColour_);
    context->drawRect(box_);
}

}  // namespace marrowfold
