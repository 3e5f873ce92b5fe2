// Hosts that wrap the editor in windows of their own. When the window system gives dialogs a
// frame (SM_CYDLGFRAME is not 0; wine reports 3), an expanding editor resizes the enclosing
// windows that wrap it tightly, each keeping its margin around what it holds, and stops at a
// window of class MDIClient, whose size belongs to the host's MDI frame. A window with room to
// spare around the editor is left alone.
#include "tests/windows/WindowsEditorFixture.h"

namespace marrowfold::testing {
namespace {

// Each wrapper is this much larger than what it holds, in width and height.
constexpr int kWrapMargin = 8;
constexpr char kMdiClientClass[] = "MDIClient";

// A window inside the parent at (0, 0), the editor's compact size plus margins for each level
// of wrapping it will hold.
RECT wrapperPlace(int levels) {
    return {0, 0, kCompactWidth + levels * kWrapMargin, kEditorHeight + levels * kWrapMargin};
}

SIZE expandedWrapperSize(int levels) {
    return {kExpandedWidth + levels * kWrapMargin, kEditorHeight + levels * kWrapMargin};
}

bool sameSize(SIZE a, SIZE b) {
    return a.cx == b.cx && a.cy == b.cy;
}

class EnclosingWindowsTest : public WindowsEditorTest {
  protected:
    void SetUp() override {
        WindowsEditorTest::SetUp();
        if (GetSystemMetrics(SM_CYDLGFRAME) == 0)
            GTEST_SKIP() << "no dialog frame: the editor resizes no enclosing window";
    }
};

TEST_F(EnclosingWindowsTest, TightWrappersGrowWithTheEditorKeepingTheirMargins) {
    HostWindow outer(hostWindow.handle(), wrapperPlace(2));
    HostWindow inner(outer.handle(), wrapperPlace(1));
    HWND editor = openEditorIn(inner.handle());
    ASSERT_NE(editor, nullptr);
    const SIZE hostBefore = windowSize(hostWindow.handle());

    ASSERT_TRUE(expandEditor(editor));
    EXPECT_TRUE(idleUntil([&] {
        return sameSize(windowSize(inner.handle()), expandedWrapperSize(1));
    })) << windowSize(inner.handle()).cx
        << "x" << windowSize(inner.handle()).cy;
    EXPECT_TRUE(idleUntil([&] {
        return sameSize(windowSize(outer.handle()), expandedWrapperSize(2));
    })) << windowSize(outer.handle()).cx
        << "x" << windowSize(outer.handle()).cy;
    EXPECT_TRUE(sameSize(windowSize(hostWindow.handle()), hostBefore))
        << "the host's window has room to spare and is not the editor's to size";
    EXPECT_EQ(host.countCalls(kHostResizeOpcode), 1u);
}

TEST_F(EnclosingWindowsTest, AnMdiClientStopsTheGrowingThoughItWrapsTightly) {
    HostWindow mdiClient(hostWindow.handle(), wrapperPlace(2), kMdiClientClass);
    ASSERT_NE(mdiClient.handle(), nullptr);
    ASSERT_EQ(classNameOf(mdiClient.handle()), kMdiClientClass);
    HostWindow document(mdiClient.handle(), wrapperPlace(1));
    HWND editor = openEditorIn(document.handle());
    ASSERT_NE(editor, nullptr);

    ASSERT_TRUE(expandEditor(editor));
    EXPECT_TRUE(idleUntil([&] {
        return sameSize(windowSize(document.handle()), expandedWrapperSize(1));
    })) << "the window between the MDI client and the editor grows";
    idleFor(kSettleMs);
    EXPECT_TRUE(sameSize(windowSize(mdiClient.handle()),
                         SIZE{wrapperPlace(2).right, wrapperPlace(2).bottom}))
        << windowSize(mdiClient.handle()).cx << "x" << windowSize(mdiClient.handle()).cy;
}

}  // namespace
}  // namespace marrowfold::testing
