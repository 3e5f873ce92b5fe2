// The preset buttons' modal dialogs, answered from a timer while the click that opened them is
// being handled, as a user answers them. Create asks for a name in the module's "Create" dialog:
// OK with an empty field keeps it open, a typed name makes a preset of at most seventeen
// characters after the shown one, and Cancel or Escape changes nothing. Delete asks a yes/no
// question naming the preset: No keeps it, Yes deletes it. The host sees every change in the
// program chunk it saves.
#include <cstring>

#include "params/ChunkLayout.h"
#include "params/ParameterIndex.h"
#include "tests/windows/WindowsEditorFixture.h"

namespace marrowfold::testing {
namespace {

constexpr char kNameDialogTitle[] = "Create";
constexpr char kDeleteTitle[] = "Delete";
constexpr int kNameField = 300;
constexpr int32_t kFactoryPresetCount = 17;
constexpr char kTwentyCharacters[] = "ABCDEFGHIJKLMNOPQRST";
constexpr char kSeventeenCharacters[] = "ABCDEFGHIJKLMNOPQ";
// A dialog is drawn with text, a border and its controls, not one flat colour.
constexpr int kLeastDialogColours = 3;

float bigEndianFloat(const std::vector<uint8_t>& bytes, size_t at) {
    const uint32_t word = uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 |
                          uint32_t{bytes[at + 2]} << 8 | bytes[at + 3];
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

int32_t presetCountIn(const std::vector<uint8_t>& program) {
    return static_cast<int32_t>(bigEndianFloat(program, kChunkPresetCountOffset));
}

// A chunk stores each 4-byte group of a preset record byte-reversed, the name too.
std::string presetNameIn(const std::vector<uint8_t>& program, int32_t preset) {
    const size_t name = kChunkBankOffset + static_cast<size_t>(preset) * kPresetRecordSize +
                        offsetof(PresetRecord, name);
    char text[kPresetNameSize + 1] = {};
    for (size_t i = 0; i < static_cast<size_t>(kPresetNameSize); ++i)
        text[i] = static_cast<char>(program[name + (i & ~size_t{3}) + 3 - (i & 3)]);
    return text;
}

class PresetDialogsTest : public WindowsEditorTest {
  protected:
    void SetUp() override {
        WindowsEditorTest::SetUp();
        editor = openEditor();
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(expandEditor(editor)) << "the preset buttons are on the right half";
    }

    // Clicks the button with the script answering what it opens; false when the script did not
    // get through its steps in time.
    bool clickAnswering(POINT button, std::vector<TimerScript::Step> steps) {
        TimerScript script(std::move(steps));
        clickAt(editor, button.x, button.y);
        const bool done = idleUntil([&] { return script.finished(); });
        idleFor(kSettleMs);
        return done && !script.timedOut();
    }

    std::vector<uint8_t> program() { return host.saveChunk(true); }

    HWND editor = nullptr;
};

// A step that waits for the dialog to show, then hands it to what follows.
TimerScript::Step waitFor(const char* title, HWND& dialog) {
    return [title, &dialog] { return (dialog = findThreadDialog(title)) != nullptr; };
}

TimerScript::Step waitUntilClosed(const HWND& dialog) {
    return [&dialog] { return !IsWindow(dialog); };
}

TimerScript::Step typeAndPress(const HWND& dialog, const char* name, int button) {
    return [&dialog, name, button] {
        SetDlgItemTextA(dialog, kNameField, name);
        pressDialogButton(dialog, button);
        return true;
    };
}

TEST_F(PresetDialogsTest, EmptyNameKeepsTheDialogOpenAndATypedNameMakesAPreset) {
    HWND dialog = nullptr;
    Picture dialogPicture;
    bool openAfterEmptyOk = false;
    ASSERT_TRUE(clickAnswering(
        kCreateButton, {waitFor(kNameDialogTitle, dialog),
                        [&] {
                            RedrawWindow(dialog, nullptr, nullptr,
                                         RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                            dialogPicture = captureClient(dialog);
                            return true;
                        },
                        typeAndPress(dialog, "", IDOK),
                        [&] {
                            openAfterEmptyOk = IsWindow(dialog) && IsWindowVisible(dialog);
                            return true;
                        },
                        typeAndPress(dialog, kTwentyCharacters, IDOK), waitUntilClosed(dialog)}))
        << "the name dialog did not come, or did not close";

    EXPECT_TRUE(openAfterEmptyOk) << "OK on an empty field closed the dialog";
    EXPECT_TRUE(saveBitmapFile(dialogPicture, screenshotPath("name_dialog.bmp")));
    EXPECT_GT(distinctColours(dialogPicture), kLeastDialogColours) << "the dialog is not drawn";
    const std::vector<uint8_t> after = program();
    EXPECT_EQ(presetCountIn(after), kFactoryPresetCount + 1);
    EXPECT_EQ(presetNameIn(after, 1), kSeventeenCharacters) << "made after the shown preset";
    EXPECT_FLOAT_EQ(host.getParameter(ParamPreset), 1.0f / (kFactoryPresetCount + 1))
        << "the new preset is the shown one";
}

TEST_F(PresetDialogsTest, NameDialogShowsItsTextsAndIsOwnedByTheHostsWindow) {
    HWND dialog = nullptr;
    std::string texts;
    HWND owner = nullptr;
    ASSERT_TRUE(clickAnswering(kCreateButton, {waitFor(kNameDialogTitle, dialog),
                                               [&] {
                                                   texts = staticTexts(dialog);
                                                   owner = GetWindow(dialog, GW_OWNER);
                                                   pressDialogButton(dialog, IDCANCEL);
                                                   return true;
                                               },
                                               waitUntilClosed(dialog)}));
    EXPECT_NE(texts.find("Name of new Preset"), std::string::npos) << texts;
    EXPECT_EQ(owner, GetAncestor(editor, GA_ROOT)) << "a dialog is owned by the top-level window";
}

TEST_F(PresetDialogsTest, CancelOrEscapeInTheNameDialogChangesNothing) {
    const std::vector<uint8_t> before = program();
    HWND dialog = nullptr;
    ASSERT_TRUE(clickAnswering(
        kCreateButton, {waitFor(kNameDialogTitle, dialog),
                        typeAndPress(dialog, "Ignored", IDCANCEL), waitUntilClosed(dialog)}));
    EXPECT_EQ(program(), before) << "Cancel";

    ASSERT_TRUE(clickAnswering(kCreateButton, {waitFor(kNameDialogTitle, dialog),
                                               [&] {
                                                   SetDlgItemTextA(dialog, kNameField, "Ignored");
                                                   postKey(GetDlgItem(dialog, kNameField),
                                                           VK_ESCAPE);
                                                   return true;
                                               },
                                               waitUntilClosed(dialog)}));
    EXPECT_EQ(program(), before) << "Escape";
    EXPECT_FLOAT_EQ(host.getParameter(ParamPreset), 0.0f);
}

TEST_F(PresetDialogsTest, DeleteAsksByNameAndDeletesOnlyOnYes) {
    const std::vector<uint8_t> before = program();
    const std::string shownName = presetNameIn(before, 0);
    const auto answer = [](const HWND& box, int button) {
        return [&box, button] {
            pressDialogButton(box, button);
            return true;
        };
    };
    HWND box = nullptr;
    std::string question;
    ASSERT_TRUE(clickAnswering(kDeleteButton, {waitFor(kDeleteTitle, box),
                                               [&] {
                                                   question = staticTexts(box);
                                                   return true;
                                               },
                                               answer(box, IDNO), waitUntilClosed(box)}));
    EXPECT_EQ(question, "Do you realy want to delete \" " + shownName + " \"?");
    EXPECT_EQ(program(), before) << "No keeps the preset";

    ASSERT_TRUE(clickAnswering(
        kDeleteButton, {waitFor(kDeleteTitle, box), answer(box, IDYES), waitUntilClosed(box)}));
    const std::vector<uint8_t> after = program();
    EXPECT_EQ(presetCountIn(after), kFactoryPresetCount - 1);
    EXPECT_EQ(presetNameIn(after, 0), presetNameIn(before, 1)) << "the next preset moved up";
}

}  // namespace
}  // namespace marrowfold::testing
