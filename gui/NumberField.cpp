#include "gui/NumberField.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "gui/Canvas.h"
#include "gui/FontTable.h"
#include "gui/Frame.h"

namespace marrowfold {

namespace {
constexpr int32_t kNorthSouthCursor = 3;
constexpr uint32_t kFineDragState = kMouseLeft | kKeyShift;

// strtof in the C locale, whatever locale the host process set: the C libraries of the two
// platforms name their locale-taking variant differently.
float parseInCLocale(const char* text, char** end) {
#ifdef _WIN32
    static const _locale_t cLocale = _create_locale(LC_ALL, "C");
    return static_cast<float>(_strtod_l(text, end, cLocale));
#else
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return strtof_l(text, end, cLocale);
#endif
}
}  // namespace

NumberField::NumberField(const Rect& size, ValueListener* listener, int32_t tag, const char* text,
                         Bitmap* background, int32_t style)
    : TextField(size, listener, tag, text, background, style) {}

std::string NumberField::valueText() const {
    char text[kTextBytes] = {};
    if (valueToTextWithData_) {
        valueToTextWithData_(value_, text, valueToTextData_);
    } else if (valueToText_) {
        valueToText_(value_, text);
    } else {
        std::snprintf(text, sizeof text, "%2.2f", value_);
    }
    return text;
}

void NumberField::setValue(float v) {
    value_ = range_.valueAt(v);
    clampValue();
    setText(valueText().c_str());
}

// A field without a range has nothing to normalise against and answers 0.
float NumberField::getValue() const {
    return range_.positionOf(value_);
}

void NumberField::setValueFormatter(ValueToText formatter) {
    valueToText_ = formatter;
}

void NumberField::setValueFormatter(ValueToTextWithData formatter, void* userData) {
    valueToTextWithData_ = formatter;
    valueToTextData_ = userData;
}

void NumberField::setFontHeight(int32_t height) {
    fontHeight_ = height;
    for (int32_t id = kFontCount - 1; id >= 0; --id) {
        if (fontEntry(id).height == height) {
            fontId_ = id;
            return;
        }
    }
}

void NumberField::setDragSteps(float step, float fineStep) {
    dragStep_ = step;
    fineDragStep_ = fineStep;
}

// Reads the number the way a user types it whatever the process's locale: a comma or a point
// as decimal separator, leading blanks and a plus sign allowed; too large a number is infinite
// and is clamped like any other. Text that holds no number, or "nan", gives 0.
float NumberField::textToNumber(const std::string& text) {
    std::string number = text;
    std::replace(number.begin(), number.end(), ',', '.');
    char* end = nullptr;
    const float value = parseInCLocale(number.c_str(), &end);
    return end == number.c_str() || std::isnan(value) ? 0.0f : value;
}

// Closing the field on the text it showed changes nothing; any other text sets the value and
// reports, as the listener must hear what was typed.
bool NumberField::takeTypedText(const std::string& typed) {
    if (typed == text_) return false;
    value_ = textToNumber(typed);
    clampValue();
    text_ = valueText();
    return true;
}

void NumberField::mousePressed(Canvas* context, Point) {
    dragged_ = false;
    if (!mouseEnabled()) return;
    const uint32_t pressState = currentMouseState(context);
    Frame* frame = parentFrame();
    if (!(pressState & kMouseLeft) || !frame) return;
    if ((style_ & kDraggable) && !frame->keyFocusView()) dragValue(context, pressState);
    const Point cursor = cursorPosition(context, {});
    if (containsPoint(cursor) && !hasKeyFocus() && !(pressState & kKeyControl) && !dragged_) {
        openField(context);
    }
}

// Up increases the value: each pixel moves the normalised value by dragStep, or by fineDragStep
// with Shift; a Control-click state sets the reset value instead.
void NumberField::dragValue(Canvas* context, uint32_t pressState) {
    Frame* frame = parentFrame();
    if (pressState & kKeyControl) setValue(resetValue_);
    frame->chooseCursor(kNorthSouthCursor);
    redraw(context);
    trackDrag(
        context, cursorPosition(context, {}), DragPairing::CursorAfterPoll,
        [&](const DragRound& round) {
            if (!round.moved()) return;
            if (round.state == kResetClick) {
                setValue(resetValue_);
            } else {
                const float step = round.state == kFineDragState ? fineDragStep_ : dragStep_;
                setValue(getValue() - static_cast<float>(round.cursor.v - round.previous.v) * step);
            }
            dragged_ = true;
            redraw(context);
            reportChange(context);
        });
    reportChange(context);
    frame->chooseCursor(Frame::kCursorRestore);
}

}  // namespace marrowfold
