// The editor of the real module in a host's X window: it opens compact inside the window the host
// hands over, a click on Edit with the real pointer expands it to the full panel and asks the
// host to resize, and the last close leaves the server as it was before the first opening, in
// whatever state the editor was. A server that goes away takes neither the effect nor the host
// process with it, and a display that appears late is found by the next editor.

#include <gtest/gtest.h>
// Xlib's macros must follow the test framework's headers.
#include <X11/Xlib.h>

#include <cairo.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/editor/X11EditorHost.h"
#include "tests/integration/ModuleFixture.h"
#include "tests/platform/X11HostWindow.h"
#include "tests/platform/X11ServerState.h"
#include "tests/platform/XvfbSession.h"

namespace marrowfold::testing {
namespace {

constexpr int32_t kResizeOpcode = 15;
// Where the user clicks, in editor coordinates.
constexpr int kFieldX = 62, kFieldY = 62;
constexpr int kSplashX = 270, kSplashY = 15;
constexpr int kCreateX = 468, kCreateY = 16;
constexpr int32_t kAudioFrames = 256;
// Long enough for an editor that can open to be there.
constexpr int kShortWaitMs = 500;

// Opens an editor of the effect in the window and idles the effect until the editor is there.
bool openEditorIn(PluginHost& effect, const X11HostWindow& window, int timeoutMs = 5000) {
    effect.dispatch(kOpenEditor, 0, 0, reinterpret_cast<void*>(window.window()));
    return pollUntil([&] { effect.dispatch(kEditorIdle); },
                     [&] { return childWidth(window) == kCompactWidth; }, timeoutMs);
}

// How many windows the window has inside it.
unsigned childrenOf(Display* display, Window window) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    if (children) XFree(children);
    return count;
}

// Audio through the effect, as a host keeps processing whatever its editor does.
bool processesAudio(PluginHost& effect) {
    StereoBuffers buffers(kAudioFrames);
    for (int32_t i = 0; i < kAudioFrames; ++i)
        buffers.left[i] = buffers.right[i] = std::sin(0.05f * static_cast<float>(i));
    effect.setActive(true);
    effect.processReplace(buffers.inputs(), buffers.outputs(), kAudioFrames);
    for (float sample : buffers.outLeft) {
        if (!std::isfinite(sample)) return false;
    }
    return true;
}

// What the server holds: every window, and the slot the next client would get.
struct ServerSnapshot {
    ServerSnapshot()
        : tree(windowTree(XvfbSession::shared().display())), nextClient(nextClientId()) {}
    bool operator==(const ServerSnapshot&) const = default;
    std::vector<std::string> tree;
    XID nextClient;
};

// First in the file, so that also a run of the whole program makes its first effect without a
// display, as a host started outside a desktop session would.
TEST(X11EditorWithoutDisplayTest, AnEditorOpensOnceADisplayAppearsAfterAnEffectWasMadeWithout) {
    if (!XvfbSession::shared().ready()) GTEST_SKIP() << XvfbSession::shared().problem();
    ASSERT_TRUE(builtModule().isOpen()) << builtModule().error();
    X11HostWindow window(kHostX, kHostY, 400, 240, kHostBackground);
    const std::string display = std::getenv("DISPLAY");
    unsetenv("DISPLAY");
    PluginHost early;
    ASSERT_TRUE(early.create(builtModule()));
    early.setBlockSize(512);
    EXPECT_FALSE(openEditorIn(early, window, kShortWaitMs)) << "there is no display to open it on";
    early.dispatch(kCloseEditor);

    setenv("DISPLAY", display.c_str(), 1);
    PluginHost late;
    ASSERT_TRUE(late.create(builtModule()));
    late.setBlockSize(512);
    EXPECT_TRUE(openEditorIn(late, window));
    late.dispatch(kCloseEditor);
    EXPECT_TRUE(openEditorIn(early, window)) << "the first effect's editor opens now too";
    early.dispatch(kCloseEditor);
    EXPECT_EQ(window.childCount(), 0);
}

class X11EditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!XvfbSession::shared().ready()) GTEST_SKIP() << XvfbSession::shared().problem();
        ASSERT_TRUE(builtModule().isOpen()) << builtModule().error();
        hostWindow = std::make_unique<X11HostWindow>(kHostX, kHostY, 760, 240, kHostBackground);
        ASSERT_TRUE(hostWindow->isOpen());
        // Before the effect: what the module makes when an effect is created counts too.
        beforeTheEffect.emplace();
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
    void idleFor(int ms) {
        idleUntil([] { return false; }, ms);
    }
    // Clicks at editor coordinates while the editor idles, so a dialog opened by the click runs
    // its own loop meanwhile; script follows the click in the same shell.
    void clickWhileIdling(int x, int y, const std::string& script = "") {
        const pid_t clicker =
            XvfbSession::scriptAsync("xdotool mousemove " + std::to_string(kHostX + x) + " " +
                                     std::to_string(kHostY + y) + " click 1; " + script);
        idleUntil([&] { return XvfbSession::finished(clicker); });
        idleFor(200);
    }
    // The editor's window inside the host's, or 0.
    Window editorWindow() { return hostWindow->firstChild(); }
    int editorWidth() { return childWidth(*hostWindow); }
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
    std::optional<ServerSnapshot> beforeTheEffect;
    PluginHost host;
};

TEST_F(X11EditorTest, EditClickExpandsTheEditorInTheHostsWindow) {
    host.dispatch(kOpenEditor, 0, 0, reinterpret_cast<void*>(hostWindow->window()));
    ASSERT_TRUE(idleUntil([&] { return editorWidth() == kCompactWidth; })) << editorWidth();
    const std::string compactShot = ::testing::TempDir() + "x11_editor_compact.png";
    ASSERT_TRUE(XvfbSession::screenshot(compactShot));
    EXPECT_EQ(screenPixelAfterShot(compactShot, 500, 100), kHostBackground);

    ASSERT_EQ(XvfbSession::xdotool("mousemove " + std::to_string(kHostX + kEditX) + " " +
                                   std::to_string(kHostY + kEditY) + " click 1"),
              0);
    ASSERT_TRUE(idleUntil([&] { return editorWidth() == kExpandedWidth; })) << editorWidth();
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

TEST_F(X11EditorTest, TheLastCloseLeavesTheServerAsBeforeTheFirstOpeningInEveryState) {
    const ServerSnapshot& before = *beforeTheEffect;
    const auto expectAsBefore = [&](const char* state) {
        const ServerSnapshot after;
        EXPECT_EQ(after.tree, before.tree) << state;
        EXPECT_EQ(after.nextClient, before.nextClient) << state << ": the module kept a connection";
    };
    const auto reopenEffect = [&] {
        ASSERT_TRUE(host.create(builtModule()));
        host.setBlockSize(512);
    };
    const auto screenshot = [](const char* name) {
        const std::string path = ::testing::TempDir() + name;
        EXPECT_TRUE(XvfbSession::screenshot(path));
        return path;
    };

    ASSERT_TRUE(openEditorIn(host, *hostWindow));
    EXPECT_NE(ServerSnapshot(), before) << "an open editor has its window and connection";
    host.dispatch(kCloseEditor);
    expectAsBefore("editor closed, effect alive");

    ASSERT_TRUE(openEditorIn(host, *hostWindow));
    host.close();
    expectAsBefore("effect closed with its editor open");

    reopenEffect();
    ASSERT_TRUE(openEditorIn(host, *hostWindow));
    clickWhileIdling(kFieldX, kFieldY, "xdotool type 7");
    EXPECT_EQ(childrenOf(hostWindow->display(), editorWindow()), 1u) << "the value field is open";
    host.close();
    expectAsBefore("effect closed while a value field is edited");

    reopenEffect();
    ASSERT_TRUE(openEditorIn(host, *hostWindow));
    const std::string panel = screenshot("x11_teardown_panel.png");
    clickWhileIdling(kSplashX, kSplashY);
    EXPECT_NE(screenPixelAfterShot(screenshot("x11_teardown_splash.png"), 100, 100),
              screenPixelAfterShot(panel, 100, 100))
        << "the splash covers the panel";
    host.close();
    expectAsBefore("effect closed with the splash shown");

    reopenEffect();
    ASSERT_TRUE(openEditorIn(host, *hostWindow));
    clickWhileIdling(kEditX, kEditY);
    ASSERT_EQ(editorWidth(), kExpandedWidth);
    clickWhileIdling(kCreateX, kCreateY, "sleep 0.5; xdotool key Escape");
    host.dispatch(kCloseEditor);
    expectAsBefore("editor closed after a name dialog");
}

TEST_F(X11EditorTest, TwoEditorsSideBySideCloseOneAfterTheOther) {
    X11HostWindow secondWindow(kHostX, kHostY + 300, 400, 240, kHostBackground);
    const ServerSnapshot withSecondWindow;
    PluginHost second;
    ASSERT_TRUE(second.create(builtModule()));
    second.setBlockSize(512);
    ASSERT_TRUE(openEditorIn(host, *hostWindow));
    ASSERT_TRUE(openEditorIn(second, secondWindow));
    host.close();
    EXPECT_EQ(secondWindow.childCount(), 1) << "the other editor stays open";
    second.dispatch(kEditorIdle);
    second.close();
    EXPECT_EQ(ServerSnapshot(), withSecondWindow) << "both effects closed";
}

TEST_F(X11EditorTest, AServerThatGoesAwayTakesNeitherTheEffectNorTheHostDown) {
    {
        XvfbSession doomed(XvfbSession::Server::Private);
        ASSERT_TRUE(doomed.ready()) << doomed.problem();
        X11HostWindow window(0, 0, 400, 240, kHostBackground);
        ASSERT_TRUE(openEditorIn(host, window));
        host.dispatch(kCloseEditor);
        ASSERT_TRUE(doomed.killServer());
        EXPECT_TRUE(processesAudio(host)) << "closed editor";
        host.dispatch(kEditorIdle);
        host.close();
    }
    ASSERT_TRUE(host.create(builtModule()));
    host.setBlockSize(512);
    {
        XvfbSession doomed(XvfbSession::Server::Private);
        ASSERT_TRUE(doomed.ready()) << doomed.problem();
        X11HostWindow window(0, 0, 400, 240, kHostBackground);
        ASSERT_TRUE(openEditorIn(host, window));
        ASSERT_TRUE(doomed.killServer());
        idleFor(200);
        EXPECT_TRUE(processesAudio(host)) << "open editor";
        host.dispatch(kCloseEditor);
        EXPECT_FALSE(openEditorIn(host, window, kShortWaitMs)) << "no server to open it on";
        host.dispatch(kCloseEditor);
        host.close();
    }
    // Still here: and on the display that is there, the next editor opens.
    ASSERT_TRUE(host.create(builtModule()));
    host.setBlockSize(512);
    EXPECT_TRUE(openEditorIn(host, *hostWindow));
    host.dispatch(kCloseEditor);
}

}  // namespace
}  // namespace marrowfold::testing
