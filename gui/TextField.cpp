#include "gui/TextField.h"

#include <algorithm>
#include <cstring>

#include "gui/Canvas.h"
#include "gui/FontTable.h"
#include "gui/Frame.h"

namespace marrowfold {

namespace {
constexpr size_t kLongestText = kTextBytes - 1;
}

TextField::TextField(const Rect& size, ValueListener* listener, int32_t tag, const char* text,
                     Bitmap* background, int32_t style)
    : ValueDisplay(size, background, style),
      doubleClickTime_(std::max(currentPlatform().doubleClickTime(), kShortestDoubleClick)) {
    listener_ = listener;
    tag_ = tag;
    if (text) text_.assign(text, strnlen(text, kLongestText));
}

TextField::~TextField() {
    if (field_ != kNoEditField) currentPlatform().closeEditField(field_);
}

void TextField::setText(const char* text) {
    const std::string next = text ? std::string(text, strnlen(text, kLongestText)) : "";
    if (next == text_) return;
    text_ = next;
    setNeedsRedraw(true);
}

void TextField::getText(char* text) const {
    std::memcpy(text, text_.c_str(), text_.size() + 1);
}

void TextField::setEditFormatter(TextToTextWithData formatter, void* userData) {
    editFormatter_ = formatter;
    editFormatterData_ = userData;
}

void TextField::setDisplayFormatter(TextToText formatter) {
    displayFormatter_ = formatter;
}

void TextField::composeText(char* text) const {
    if (displayFormatter_) {
        displayFormatter_(text_.c_str(), text);
    } else {
        std::memcpy(text, text_.c_str(), text_.size() + 1);
    }
}

bool TextField::hasKeyFocus() const {
    return parentFrame() && parentFrame()->keyFocusView() == this;
}

void TextField::mousePressed(Canvas* context, Point) {
    if (!mouseEnabled() || !leftButtonHeld(context) || hasKeyFocus()) return;
    Frame* frame = parentFrame();
    if (!frame) return;
    if (style_ & kDoubleClickOpens) {
        const int64_t now = frame->tickCount();
        const bool second = lastClickTime_ >= 0 && now - lastClickTime_ < doubleClickTime_;
        lastClickTime_ = now;
        if (!second) return;
    }
    openField(context);
}

void TextField::openField(Canvas* context) {
    parentFrame()->setKeyFocusView(this);
    acquireFocus(context);
}

// The field covers the control one pixel wider and higher, in the control's font (normal
// weight) and colours, with all of its text selected.
void TextField::acquireFocus(Canvas*) {
    Frame* frame = parentFrame();
    if (!frame || frame->window() == kNoWindow || field_ != kNoEditField) return;
    EditFieldSpec spec;
    spec.rect = {size_.left, size_.top, size_.right + 1, size_.bottom + 1};
    char shown[kTextBytes] = {};
    if (editFormatter_) {
        editFormatter_(text_.c_str(), shown, editFormatterData_);
        spec.text = shown;
    } else {
        spec.text = text_;
    }
    const FontEntry& font = fontEntry(fontId_);
    spec.font = {font.face, font.height, false, false};
    spec.alignment = kAlignment;
    spec.textColour = fontColour_.packed();
    spec.backgroundColour = backgroundColour_.packed();
    field_ = currentPlatform().openEditField(frame->window(), spec, this);
}

bool TextField::takeTypedText(const std::string& typed) {
    const bool changed = typed != text_;
    text_ = typed;
    return changed;
}

void TextField::releaseFocus(Canvas* context) {
    if (!hasKeyFocus()) return;
    parentFrame()->setKeyFocusView(nullptr);
    Platform& platform = currentPlatform();
    std::string typed = platform.editFieldText(field_);
    if (typed.size() > kLongestText) typed.resize(kLongestText);
    platform.closeEditField(field_);
    field_ = kNoEditField;
    if (takeTypedText(typed)) {
        setNeedsRedraw(true);
        reportChange(context);
    }
    redraw(context);
}

void TextField::redraw(Canvas* context) {
    if (context) {
        draw(context);
    } else if (Frame* frame = parentFrame()) {
        frame->redrawNow(this);
    }
}

void TextField::editingFinished() {
    releaseFocus(nullptr);
}

}  // namespace marrowfold
