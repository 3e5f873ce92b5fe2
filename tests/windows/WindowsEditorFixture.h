#pragma once

// One effect of marrowfold.dll with its editor opened in a Win32 window of the test's own, driven
// the way a Windows host drives it: messages pumped and idle requests sent all along.

#include <gtest/gtest.h>

#include "tests/integration/ModuleFixture.h"
#include "tests/windows/Win32TestHost.h"

namespace marrowfold::testing {

inline constexpr int kCompactWidth = 364;
inline constexpr int kExpandedWidth = 728;
inline constexpr int kEditorHeight = 213;
inline constexpr int kHostClientWidth = 800;
inline constexpr int kHostClientHeight = 300;
// The host request by which the editor asks for a window of its new size.
inline constexpr int32_t kHostResizeOpcode = 15;
// A settled host has announced its block size: the editor opens compact.
inline constexpr int32_t kSettledBlockSize = 512;
// Long enough for the editor to paint what a click changed.
inline constexpr int kSettleMs = 300;

// Where the user clicks, in editor coordinates.
inline constexpr POINT kEditButton = {330, 195};
inline constexpr POINT kTitle = {270, 15};
inline constexpr POINT kBandOneField = {62, 62};
inline constexpr POINT kCreateButton = {468, 16};
inline constexpr POINT kDeleteButton = {403, 16};

class WindowsEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(builtModule().isOpen()) << builtModule().error();
        module = GetModuleHandleA(MARROWFOLD_MODULE_FILE_NAME);
        ASSERT_NE(module, nullptr);
        ASSERT_NE(hostWindow.handle(), nullptr);
        ASSERT_TRUE(host.create(builtModule()));
        host.setBlockSize(kSettledBlockSize);
    }
    void TearDown() override { host.close(); }

    std::string editorClass() const { return editorClassName(module); }

    // The editor's window among the parent's children, or null.
    HWND editorIn(HWND parent) const {
        for (HWND child : childrenOf(parent)) {
            if (classNameOf(child) == editorClass()) return child;
        }
        return nullptr;
    }
    // Opens the editor in the window and idles until its window is there; null when none comes.
    HWND openEditorIn(HWND parent) {
        host.dispatch(ReqEditorOpen, 0, 0, parent);
        HWND editor = nullptr;
        idleUntil([&] { return (editor = editorIn(parent)) != nullptr; });
        return editor;
    }
    HWND openEditor() { return openEditorIn(hostWindow.handle()); }

    bool idleUntil(const std::function<bool()>& done, int timeoutMs = kDefaultTimeoutMs) {
        return testing::idleUntil(host, done, timeoutMs);
    }
    void idleFor(int milliseconds) { testing::idleFor(host, milliseconds); }

    // A click with the host idling on, for whatever the click opened or changed.
    void clickEditor(HWND editor, POINT where) {
        clickAt(editor, where.x, where.y);
        idleFor(kSettleMs);
    }
    // Clicks Edit and waits for the editor's window to have its full width.
    bool expandEditor(HWND editor) {
        clickAt(editor, kEditButton.x, kEditButton.y);
        const bool expanded = idleUntil([&] { return windowSize(editor).cx == kExpandedWidth; });
        idleFor(kSettleMs);
        return expanded;
    }

    HMODULE module = nullptr;
    HostWindow hostWindow{kHostClientWidth, kHostClientHeight};
    PluginHost host;
};

}  // namespace marrowfold::testing
