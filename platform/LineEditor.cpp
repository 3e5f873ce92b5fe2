#include "platform/LineEditor.h"

#include <algorithm>

namespace marrowfold {

LineEditor::LineEditor(std::string text, size_t maxLength)
    : text_(std::move(text)), maxLength_(maxLength) {
    if (text_.size() > maxLength_) text_.resize(maxLength_);
    caret_ = anchor_ = text_.size();
}

size_t LineEditor::selectionStart() const {
    return std::min(anchor_, caret_);
}
size_t LineEditor::selectionEnd() const {
    return std::max(anchor_, caret_);
}

void LineEditor::selectAll() {
    anchor_ = 0;
    caret_ = text_.size();
}

void LineEditor::eraseSelection() {
    const size_t start = selectionStart();
    text_.erase(start, selectionEnd() - start);
    caret_ = anchor_ = start;
}

void LineEditor::insert(const std::string& typed) {
    eraseSelection();
    const std::string accepted = typed.substr(0, maxLength_ - text_.size());
    text_.insert(caret_, accepted);
    caret_ = anchor_ = caret_ + accepted.size();
}

void LineEditor::backspace() {
    if (!hasSelection() && caret_ > 0) anchor_ = caret_ - 1;
    eraseSelection();
}

void LineEditor::deleteForward() {
    if (!hasSelection() && caret_ < text_.size()) anchor_ = caret_ + 1;
    eraseSelection();
}

void LineEditor::moveTo(size_t position, bool extend) {
    caret_ = position;
    if (!extend) anchor_ = caret_;
}

// Without extend, a selection collapses to the end the arrow points to.
void LineEditor::left(bool extend) {
    if (!extend && hasSelection()) return moveTo(selectionStart(), false);
    moveTo(caret_ > 0 ? caret_ - 1 : 0, extend);
}

void LineEditor::right(bool extend) {
    if (!extend && hasSelection()) return moveTo(selectionEnd(), false);
    moveTo(std::min(caret_ + 1, text_.size()), extend);
}

void LineEditor::home(bool extend) {
    moveTo(0, extend);
}
void LineEditor::end(bool extend) {
    moveTo(text_.size(), extend);
}

void LineEditor::placeCaret(size_t position) {
    moveTo(std::min(position, text_.size()), false);
}

}  // namespace marrowfold
