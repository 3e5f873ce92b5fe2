// The editor of the real module in a host's X window: it opens compact inside the window the host
// hands over, a click on Edit with the real pointer expands it to the full panel and asks the
// host to resize, and closing leaves the host's window empty.

#include <gtest/gtest.h>
// Xlib's macros must follow the test framework's headers.
#include <X11/Xlib.h>

#include <cairo.h>

#include <functional>
#include <memory>

#include "tests/integration/ModuleFixture.h"
#include "tests/platform/X11HostWindow.h"
#include "tests/platform/XvfbSession.h"

namespace marrowfold::testing {
namespace {

constexpr int kHostX = 60;
constexpr int kHostY = 50;
constexpr uint32_t kHostBackground = 0x202020;
constexpr int32_t kOpenEditor = 14;
constexpr int32_t kCloseEditor = 15;
constexpr int32_t kEditorIdle = 19;
constexpr int32_t kResizeOpcode = 15;

class X11EditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The display session is made before the module loads: the module keeps its display
        // connection until the process ends, so the display must outlive it.
        if (!XvfbSession::shared().ready()) GTEST_SKIP() << XvfbSession::shared().problem();
        ASSERT_TRUE(builtModule().isOpen()) << builtModule().error();
        hostWindow = std::make_unique<X11HostWindow>(kHostX, kHostY, 760, 240, kHostBackground);
        ASSERT_TRUE(hostWindow->isOpen());
        ASSERT_TRUE(host.create(builtModule()));
        host.setBlockSize(512);  // a settled host: the editor opens compact
    }
    void TearDown() override {
        if (host.isOpen()) host.close();
        hostWindow.reset();
    }

    // The editor draws and takes its events on the host's idle requests.
    bool idleUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
        return pollUntil([this] { host.dispatch(kEditorIdle); }, done, timeoutMs);
    }
    // The editor's window inside the host's, or 0.
    Window editorWindow() { return hostWindow->firstChild(); }
    int editorWidth() {
        const Window child = editorWindow();
        XWindowAttributes attributes{};
        if (!child || !XGetWindowAttributes(hostWindow->display(), child, &attributes)) return 0;
        return attributes.width;
    }
    uint32_t screenPixelAfterShot(const std::string& shot, int x, int y) {
        cairo_surface_t* screen = cairo_image_surface_create_from_png(shot.c_str());
        if (cairo_surface_status(screen) != CAIRO_STATUS_SUCCESS) return 0;
        const unsigned char* row = cairo_image_surface_get_data(screen) +
                                   (kHostY + y) * cairo_image_surface_get_stride(screen);
        const uint32_t pixel = reinterpret_cast<const uint32_t*>(row)[kHostX + x] & 0xffffff;
        cairo_surface_destroy(screen);
        return pixel;
    }

    std::unique_ptr<X11HostWindow> hostWindow;
    PluginHost host;
};

TEST_F(X11EditorTest, EditClickExpandsTheEditorInTheHostsWindow) {
    host.dispatch(kOpenEditor, 0, 0, reinterpret_cast<void*>(hostWindow->window()));
    ASSERT_TRUE(idleUntil([&] { return editorWidth() == 364; })) << editorWidth();
    const std::string compactShot = ::testing::TempDir() + "x11_editor_compact.png";
    ASSERT_TRUE(XvfbSession::screenshot(compactShot));
    EXPECT_EQ(screenPixelAfterShot(compactShot, 500, 100), kHostBackground);

    ASSERT_EQ(XvfbSession::xdotool("mousemove " + std::to_string(kHostX + 330) + " " +
                                   std::to_string(kHostY + 195) + " click 1"),
              0);
    ASSERT_TRUE(idleUntil([&] { return editorWidth() == 728; })) << editorWidth();
    EXPECT_EQ(host.countCalls(kResizeOpcode), 1u);
    // Let the right half paint, then look at it.
    idleUntil([] { return false; }, 300);
    const std::string shot = ::testing::TempDir() + "x11_editor_expanded.png";
    ASSERT_TRUE(XvfbSession::screenshot(shot));
    const uint32_t inBandEditor = screenPixelAfterShot(shot, 500, 100);
    EXPECT_NE(inBandEditor, kHostBackground);
    EXPECT_LT(inBandEditor & 0xff0000, 0x400000u) << "the panel's dark blue, not the host's grey";

    host.dispatch(kCloseEditor);
    EXPECT_EQ(editorWindow(), 0u);
}

}  // namespace
}  // namespace marrowfold::testing
