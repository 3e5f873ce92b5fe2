#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "gui/SplashView.h"

namespace marrowfold {

// The about splash: the splash picture with up to two lines of text drawn over it while it is
// open. The editor uses the second line for the module's version.
class AboutSplash : public SplashView {
  public:
    static constexpr int32_t kLineCount = 2;
    static constexpr int32_t kLineBytes = 128;  // 127 characters and the terminating zero

    struct TextLine {
        char text[kLineBytes] = {};
        Rect rect;
        Color colour = kWhite;
        int32_t alignment = 0;
        bool enabled = false;
    };

    AboutSplash(const Rect& clickArea, ValueListener* listener, int32_t tag, Bitmap* bitmap,
                const Rect& displayRect, const Point& offset);

    void draw(Canvas* context) override;

    // Sets and enables line index (0 or 1); longer texts are cut to 127 characters.
    void setTextLine(int32_t index, const char* text, const Rect& rect, const Color& colour,
                     int32_t alignment);
    const TextLine& textLine(int32_t index) const { return lines_[static_cast<size_t>(index)]; }

  private:
    std::array<TextLine, kLineCount> lines_;
};

}  // namespace marrowfold
