#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "gui/View.h"

namespace marrowfold {

// A small framed box of text next to a point, kept inside an area: above the point, or below it
// when there is no room above, and shifted sideways to stay within the area. The box has a
// fixed size; lines after the first run on below it.
class ReadoutLabel : public View {
  public:
    static constexpr int32_t kMaxLines = 6;
    static constexpr size_t kMaxLineChars = 32;
    static constexpr int32_t kDefaultWidth = 40;
    static constexpr int32_t kDefaultHeight = 10;

    ReadoutLabel(const Rect& area, const Color& textColour);

    // Places the box for the point and splits the text into lines at "\n".
    void show(const char* text, int32_t x, int32_t y);
    void draw(Canvas* context) override;

    const Rect& box() const { return box_; }
    int32_t lineCount() const { return static_cast<int32_t>(lines_.size()); }
    const std::string& line(int32_t i) const { return lines_[static_cast<size_t>(i)]; }
    const Rect& lineRect(int32_t i) const { return lineRects_[static_cast<size_t>(i)]; }

  private:
    void place(int32_t x, int32_t y);
    void splitLines(const char* text);

    std::vector<std::string> lines_;
    std::vector<Rect> lineRects_;
    Rect box_;
    Color fillColour_ = kBlack;
    Color textColour_;
};

}  // namespace marrowfold
