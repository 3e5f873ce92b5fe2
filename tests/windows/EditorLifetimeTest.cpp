// The editor's window against hosts that misbehave and against many openings: a null parent
// makes nothing, a host that destroys its window under the open editor and then idles and closes
// it does not crash it, idle and close after close are harmless, and every close (in whatever
// state the editor was, also when the effect itself is closed with its editor open) leaves no
// window, no registered class and no USER or GDI object behind.
#include "tests/windows/WindowsEditorFixture.h"

namespace marrowfold::testing {
namespace {

constexpr int kOpenings = 20;

class EditorLifetimeTest : public WindowsEditorTest {
  protected:
    // Nothing of the editor is left: no window in the host's, no class of the module's.
    void expectNothingLeft(const char* when) {
        EXPECT_TRUE(childrenOf(hostWindow.handle()).empty()) << when;
        EXPECT_FALSE(classRegistered(module, editorClass())) << when;
    }
    void reopenEffect() {
        ASSERT_TRUE(host.create(builtModule()));
        host.setBlockSize(kSettledBlockSize);
    }
};

TEST_F(EditorLifetimeTest, ANullParentMakesNoWindowAndRegistersNoClass) {
    const int windowsBefore = guiCounts().windows;
    EXPECT_EQ(host.dispatch(ReqEditorOpen, 0, 0, nullptr), 0);
    idleFor(kSettleMs);
    EXPECT_EQ(guiCounts().windows, windowsBefore);
    EXPECT_FALSE(classRegistered(module, editorClass()));
    host.dispatch(ReqEditorClose);
    EXPECT_NE(openEditor(), nullptr) << "a real window afterwards gets its editor";
}

TEST_F(EditorLifetimeTest, AHostThatDestroysItsWindowUnderTheEditorThenIdlesAndClosesIt) {
    HostWindow doomed(kHostClientWidth, kHostClientHeight);
    HWND editor = openEditorIn(doomed.handle());
    ASSERT_NE(editor, nullptr);
    doomed.destroy();
    EXPECT_FALSE(IsWindow(editor)) << "Windows destroys the children with their parent";
    idleFor(kSettleMs);
    host.dispatch(ReqEditorClose);
    host.dispatch(ReqEditorIdle);
    host.dispatch(ReqEditorClose);
    EXPECT_FALSE(classRegistered(module, editorClass()));
    EXPECT_NE(openEditor(), nullptr) << "the next editor opens";
}

TEST_F(EditorLifetimeTest, IdleAndCloseAfterCloseAreHarmless) {
    ASSERT_NE(openEditor(), nullptr);
    host.dispatch(ReqEditorClose);
    for (int round = 0; round < 3; ++round) {
        host.dispatch(ReqEditorIdle);
        host.dispatch(ReqEditorClose);
        pumpMessages();
    }
    expectNothingLeft("after close");
}

TEST_F(EditorLifetimeTest, EveryCloseLeavesNothingWhateverTheEditorWasDoing) {
    HWND editor = openEditor();
    ASSERT_NE(editor, nullptr);
    host.dispatch(ReqEditorClose);
    expectNothingLeft("closed compact");

    ASSERT_TRUE(expandEditor(editor = openEditor()));
    host.dispatch(ReqEditorClose);
    expectNothingLeft("closed expanded");

    clickEditor(editor = openEditor(), kBandOneField);
    EXPECT_EQ(childrenOf(editor).size(), 1u) << "the value field is open";
    host.dispatch(ReqEditorClose);
    expectNothingLeft("closed while a value is typed");

    clickEditor(openEditor(), kTitle);
    host.close();
    expectNothingLeft("effect closed with the splash shown");

    reopenEffect();
    clickEditor(editor = openEditor(), kBandOneField);
    host.close();
    expectNothingLeft("effect closed while a value is typed");
}

TEST_F(EditorLifetimeTest, ManyOpeningsLeaveNoWindowsClassesOrHandles) {
    // The first opening may set up what the process keeps for good (fonts, OLE's classes).
    ASSERT_TRUE(expandEditor(openEditor()));
    host.dispatch(ReqEditorClose);
    pumpMessages();
    const GuiCounts before = guiCounts();

    for (int opening = 0; opening < kOpenings; ++opening) {
        HWND editor = openEditor();
        ASSERT_NE(editor, nullptr) << opening;
        if (opening % 2) {
            EXPECT_TRUE(expandEditor(editor)) << opening;
        }
        idleFor(kSettleMs / 10);
        host.dispatch(ReqEditorClose);
        pumpMessages();
    }
    expectNothingLeft("after many openings");
    const GuiCounts after = guiCounts();
    EXPECT_EQ(after.windows, before.windows);
    EXPECT_EQ(after.userObjects, before.userObjects);
    EXPECT_EQ(after.gdiObjects, before.gdiObjects);
}

}  // namespace
}  // namespace marrowfold::testing
