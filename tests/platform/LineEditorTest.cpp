// The edit field's text model: typing replaces the selection, deletion and caret movement work at
// both ends, and the length limit holds.

#include "platform/LineEditor.h"

#include <gtest/gtest.h>

namespace marrowfold {
namespace {

TEST(LineEditorTest, TypingReplacesTheSelectionMadeOnOpening) {
    LineEditor editor("12.5");
    editor.selectAll();
    EXPECT_EQ(editor.selectionStart(), 0u);
    EXPECT_EQ(editor.selectionEnd(), 4u);
    editor.insert("3,5");
    EXPECT_EQ(editor.text(), "3,5");
    EXPECT_EQ(editor.caret(), 3u);
    EXPECT_FALSE(editor.hasSelection());
}

TEST(LineEditorTest, BackspaceAndDeleteRemoveOneCharacterOrTheSelection) {
    LineEditor editor("abcd");
    editor.home();
    editor.backspace();  // nothing before the caret
    editor.deleteForward();
    EXPECT_EQ(editor.text(), "bcd");
    editor.end();
    editor.deleteForward();  // nothing after the caret
    editor.backspace();
    EXPECT_EQ(editor.text(), "bc");
    editor.home();
    editor.right(true);
    editor.right(true);
    editor.backspace();
    EXPECT_EQ(editor.text(), "");
}

TEST(LineEditorTest, ArrowsCollapseASelectionToTheirSideAndStopAtTheEnds) {
    LineEditor editor("hello");
    editor.selectAll();
    editor.left();
    EXPECT_EQ(editor.caret(), 0u);
    EXPECT_FALSE(editor.hasSelection());
    editor.left();
    EXPECT_EQ(editor.caret(), 0u);
    editor.selectAll();
    editor.right();
    EXPECT_EQ(editor.caret(), 5u);
    editor.right();
    EXPECT_EQ(editor.caret(), 5u);
    editor.left();
    editor.left();
    editor.insert("XY");
    EXPECT_EQ(editor.text(), "helXYlo");
    editor.home(true);
    EXPECT_EQ(editor.selectionStart(), 0u);
    EXPECT_EQ(editor.selectionEnd(), 5u);
}

TEST(LineEditorTest, TextNeverGrowsPastItsLimit) {
    LineEditor editor(std::string(300, 'a'), 255);
    EXPECT_EQ(editor.text().size(), 255u);
    editor.insert("b");
    EXPECT_EQ(editor.text().size(), 255u);
    editor.selectAll();
    editor.insert(std::string(400, 'c'));
    EXPECT_EQ(editor.text(), std::string(255, 'c'));
}

}  // namespace
}  // namespace marrowfold
