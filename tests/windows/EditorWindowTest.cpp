// The editor of marrowfold.dll in a host's Win32 window: it opens as a visible child of its own
// class at the top left, paints its panel (read back from the window and saved as screenshots),
// a click on Edit expands it and asks the host once for room (also when the press is posted after
// the button went up), a click on the title shows the about splash, and a click on a value field
// opens an edit control whose typed text sets the parameter when Enter is pressed or the focus
// leaves it.
#include "core/HostEditor.h"
#include "tests/windows/WindowsEditorFixture.h"

namespace marrowfold::testing {
namespace {

constexpr int kPanelPixels = kCompactWidth * kEditorHeight;
// A painted panel has bitmaps, text and gradients; a blank or flat fill has a handful of colours.
constexpr int kLeastPanelColours = 32;
// A point of the panel's left half and one of the band editor on the right half.
constexpr POINT kInLeftHalf = {100, 100};
constexpr POINT kInRightHalf = {500, 100};
constexpr uint32_t kRedChannel = 0xff0000;
constexpr uint32_t kDarkestRed = 0x400000;
constexpr int kBandLevelParameter = 0;
constexpr float kBandLevelLow = -12.0f;
constexpr float kBandLevelSpan = 24.0f;
constexpr float kValueTolerance = 1e-4f;
constexpr char kEditControlClass[] = "Edit";
// GetAsyncKeyState's bit for a key or button held now.
constexpr SHORT kKeyHeldBit = static_cast<SHORT>(0x8000);

float normalisedBandLevel(float decibels) {
    return (decibels - kBandLevelLow) / kBandLevelSpan;
}

// The cases that save the pictures compared with the Linux editor's; CTest runs them first.
class EditorScreenshots : public WindowsEditorTest {};

TEST_F(WindowsEditorTest, OpensAsAVisibleChildOfItsOwnClassAtTheTopLeft) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr) << "no child of class " << editorClass();
    EXPECT_EQ(GetParent(editor), hostWindow.handle());
    EXPECT_EQ(childrenOf(hostWindow.handle()).size(), 1u);
    const LONG style = GetWindowLongA(editor, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_TRUE(IsWindowVisible(editor));
    EXPECT_EQ(textOf(editor), "Window");
    EXPECT_TRUE(classRegistered(module, editorClass())) << "registered for the module's instance";

    RECT place = {};
    GetWindowRect(editor, &place);
    MapWindowPoints(nullptr, hostWindow.handle(), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_EQ(place.left, 0);
    EXPECT_EQ(place.top, 0);
    RECT client = {};
    GetClientRect(editor, &client);
    EXPECT_EQ(client.right, kCompactWidth);
    EXPECT_EQ(client.bottom, kEditorHeight);

    EditorRect* rect = nullptr;
    EXPECT_EQ(host.dispatch(ReqEditorRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->right, kCompactWidth);
    EXPECT_EQ(rect->bottom, kEditorHeight);
}

TEST_F(EditorScreenshots, PanelIsPaintedAndEditExpandsItWithOneResizeRequest) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    idleFor(kSettleMs);
    const Picture compact = captureClient(editor);
    ASSERT_EQ(compact.width, kCompactWidth);
    ASSERT_EQ(compact.height, kEditorHeight);
    EXPECT_TRUE(saveBitmapFile(compact, screenshotPath("editor_compact.bmp")));
    EXPECT_GT(distinctColours(compact), kLeastPanelColours) << "the panel is not painted";
    EXPECT_NE(compact.at(kInLeftHalf.x, kInLeftHalf.y), kHostBackground);
    EXPECT_EQ(captureClient(hostWindow.handle()).at(kInRightHalf.x, kInRightHalf.y),
              kHostBackground)
        << "the compact editor leaves the host's window beside it alone";
    EXPECT_EQ(host.countCalls(kHostResizeOpcode), 0u);

    ASSERT_TRUE(expandEditor(editor)) << windowSize(editor).cx;
    EXPECT_EQ(windowSize(editor).cy, kEditorHeight);
    EXPECT_EQ(host.countCalls(kHostResizeOpcode), 1u);

    const Picture expanded = captureClient(editor);
    ASSERT_EQ(expanded.width, kExpandedWidth);
    EXPECT_TRUE(saveBitmapFile(expanded, screenshotPath("editor_expanded.bmp")));
    const uint32_t inBandEditor = expanded.at(kInRightHalf.x, kInRightHalf.y);
    EXPECT_NE(inBandEditor, kHostBackground) << "the right half is not painted";
    EXPECT_LT(inBandEditor & kRedChannel, kDarkestRed) << "the panel's dark blue";

    clickEditor(editor, kEditButton);
    EXPECT_TRUE(idleUntil([&] { return windowSize(editor).cx == kCompactWidth; }))
        << "a second click makes it compact again";
    EXPECT_EQ(host.countCalls(kHostResizeOpcode), 2u);
}

// A short click can be over before the host dispatches its press, and a host may forward presses
// as posted messages: a press is a click whether or not the button is still held when it is read.
TEST_F(WindowsEditorTest, APressPostedWithoutTheButtonHeldIsAQuickClick) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    ASSERT_FALSE(GetAsyncKeyState(VK_LBUTTON) & kKeyHeldBit);
    postQuickClick(editor, kEditButton.x, kEditButton.y);
    EXPECT_TRUE(idleUntil([&] { return windowSize(editor).cx == kExpandedWidth; }))
        << "the posted click on Edit was ignored";
}

TEST_F(EditorScreenshots, TitleClickShowsTheSplashAndAnotherClickClosesIt) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    idleFor(kSettleMs);
    const Picture panel = captureClient(editor);

    clickEditor(editor, kTitle);
    const Picture splash = captureClient(editor);
    EXPECT_TRUE(saveBitmapFile(splash, screenshotPath("editor_splash.bmp")));
    EXPECT_GT(differingPixels(panel, splash), kPanelPixels / 2) << "the splash covers the panel";
    EXPECT_GT(distinctColours(splash), kLeastPanelColours);

    clickEditor(editor, kInLeftHalf);
    EXPECT_LT(differingPixels(panel, captureClient(editor)), kPanelPixels / 100)
        << "the panel is back";
}

class ValueFieldTest : public WindowsEditorTest {
  protected:
    // Clicks the first band's value field and answers the edit control it opens, or null.
    HWND openField(HWND editor) {
        clickAt(editor, kBandOneField.x, kBandOneField.y);
        HWND field = nullptr;
        idleUntil([&] { return (field = fieldIn(editor)) != nullptr; });
        return field;
    }
    HWND fieldIn(HWND editor) const {
        for (HWND child : childrenOf(editor)) {
            if (classNameOf(child) == kEditControlClass) return child;
        }
        return nullptr;
    }
};

TEST_F(ValueFieldTest, TypedTextSetsTheParameterOnEnterAndWhenTheFocusLeaves) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    HWND field = openField(editor);
    ASSERT_NE(field, nullptr) << "no edit control over the value field";
    EXPECT_TRUE(IsWindowVisible(field));
    EXPECT_EQ(GetFocus(), field);
    EXPECT_EQ(textOf(field), "0.0");
    DWORD selectionStart = 0, selectionEnd = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
                 reinterpret_cast<LPARAM>(&selectionEnd));
    EXPECT_EQ(selectionStart, 0u);
    EXPECT_EQ(selectionEnd, textOf(field).size()) << "all of the text is selected";
    RECT place = {};
    GetWindowRect(field, &place);
    MapWindowPoints(nullptr, editor, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_TRUE(PtInRect(&place, kBandOneField)) << "the control lies over the value field";

    postText(field, "6.5");
    postKey(field, VK_RETURN);
    EXPECT_TRUE(idleUntil([&] { return fieldIn(editor) == nullptr; })) << "Enter closes it";
    EXPECT_NEAR(host.getParameter(kBandLevelParameter), normalisedBandLevel(6.5f), kValueTolerance);

    field = openField(editor);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(textOf(field), "6.5");
    postText(field, "-3");
    pumpMessages();
    SetFocus(hostWindow.handle());
    EXPECT_TRUE(idleUntil([&] { return fieldIn(editor) == nullptr; })) << "focus loss closes it";
    EXPECT_NEAR(host.getParameter(kBandLevelParameter), normalisedBandLevel(-3.0f),
                kValueTolerance);
}

}  // namespace
}  // namespace marrowfold::testing
