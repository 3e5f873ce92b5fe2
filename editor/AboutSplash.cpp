#include "editor/AboutSplash.h"

#include <cstring>

#include "gui/Canvas.h"

namespace marrowfold {

namespace {
constexpr int32_t kTextFont = 3;
constexpr int32_t kTextSize = 10;
}  // namespace

AboutSplash::AboutSplash(const Rect& clickArea, ValueListener* listener, int32_t tag,
                         Bitmap* bitmap, const Rect& displayRect, const Point& offset)
    : SplashView(clickArea, listener, tag, bitmap, displayRect, offset) {}

void AboutSplash::setTextLine(int32_t index, const char* text, const Rect& rect,
                              const Color& colour, int32_t alignment) {
    if (index < 0 || index >= kLineCount) return;
    TextLine& line = lines_[static_cast<size_t>(index)];
    const size_t length = text ? strnlen(text, kLineBytes - 1) : 0;
    std::memcpy(line.text, text ? text : "", length);
    line.text[length] = '\0';
    line.rect = rect;
    line.colour = colour;
    line.alignment = alignment;
    line.enabled = true;
    setNeedsRedraw(true);
}

void AboutSplash::draw(Canvas* context) {
    SplashView::draw(context);
    if (!context || !isOpen()) return;
    context->selectFont(kTextFont, kTextSize);
    for (const TextLine& line : lines_) {
        if (!line.enabled) continue;
        context->setTextColour(line.colour);
        context->drawText(line.text, line.rect, false, line.alignment);
    }
}

}  // namespace marrowfold
