#pragma once

#include <cstddef>
#include <string>

namespace marrowfold {

// The text, caret and selection of a single-line edit field, free of any window system.
class LineEditor {
  public:
    explicit LineEditor(std::string text = {}, size_t maxLength = 255);

    const std::string& text() const { return text_; }
    size_t caret() const { return caret_; }
    bool hasSelection() const { return anchor_ != caret_; }
    size_t selectionStart() const;
    size_t selectionEnd() const;

    void selectAll();
    // Replaces the selection (or inserts at the caret) as far as the length limit allows.
    void insert(const std::string& typed);
    void backspace();
    void deleteForward();
    // Caret movement; with extend the selection grows from its anchor instead of collapsing.
    void left(bool extend = false);
    void right(bool extend = false);
    void home(bool extend = false);
    void end(bool extend = false);
    // Puts the caret at a position (clamped to the text) and drops the selection.
    void placeCaret(size_t position);

  private:
    void moveTo(size_t position, bool extend);
    void eraseSelection();

    std::string text_;
    size_t maxLength_;
    size_t caret_ = 0;
    size_t anchor_ = 0;
};

}  // namespace marrowfold
