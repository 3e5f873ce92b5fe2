// The X11 backend on a real X server: child windows inside a host window, exposure as paint,
// presses with window coordinates, the polled pointer, the edit field and the modal dialogs
// driven with xdotool, no protocol errors, and neither windows nor a connection left behind
// once the last window of ours has gone, also when the server itself went away.

#include <gtest/gtest.h>
// Xlib's macros must follow the test framework's headers.
#include <X11/Xlib.h>

#include "platform/X11Platform.h"

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "tests/platform/X11HostWindow.h"
#include "tests/platform/X11ServerState.h"
#include "tests/platform/XvfbSession.h"

namespace marrowfold::testing {
namespace {

constexpr int kHostX = 60;
constexpr int kHostY = 40;

class Recorder : public WindowEvents, public EditFieldEvents {
  public:
    void paintRequested(DrawingSurface*) override { paints++; }
    void buttonPressed(PixelPoint where) override { presses.push_back(where); }
    bool dropArrived(DropKind, const std::vector<std::string>&, PixelPoint) override {
        return false;
    }
    void windowDestroyed() override { destroyed = true; }
    void editingFinished() override { finished++; }
    int paints = 0;
    std::vector<PixelPoint> presses;
    bool destroyed = false;
    int finished = 0;
};

class X11PlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!XvfbSession::shared().ready()) GTEST_SKIP() << XvfbSession::shared().problem();
        hostWindow = std::make_unique<X11HostWindow>(kHostX, kHostY, 400, 300, 0x303030);
        ASSERT_TRUE(hostWindow->isOpen());
        host = hostWindow->window();
        platform = std::make_unique<X11Platform>();
    }
    void TearDown() override {
        platform.reset();
        hostWindow.reset();
    }
    // Dispatches events until done() or the time runs out.
    bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
        return pollUntil([this] { platform->dispatchEvents(); }, done, timeoutMs);
    }
    int hostChildren() { return hostWindow->childCount(); }
    // An edit field at (20, 20)-(80, 34) of the window, holding the text.
    EditFieldId openField(WindowId window, Recorder& events, const std::string& text) {
        EditFieldSpec spec;
        spec.rect = {20, 20, 80, 34};
        spec.text = text;
        spec.font = {"Liberation Sans", 10};
        return platform->openEditField(window, spec, &events);
    }

    std::unique_ptr<X11HostWindow> hostWindow;
    Window host = 0;
    std::unique_ptr<X11Platform> platform;
};

TEST_F(X11PlatformTest, ChildWindowLivesInsideTheHostWindowAndPaintsOnExposure) {
    Recorder events;
    const int errors = platform->errorCount();
    const WindowId window = platform->createChildWindow(host, "PluginTest", 200, 120, &events);
    ASSERT_NE(window, kNoWindow);
    EXPECT_TRUE(pumpUntil([&] { return events.paints > 0; }));
    const PixelRect rect = platform->windowRect(window);
    EXPECT_EQ(rect.left, kHostX);
    EXPECT_EQ(rect.top, kHostY);
    EXPECT_EQ(rect.width(), 200);
    EXPECT_EQ(platform->parentWindow(window), host);
    EXPECT_EQ(platform->windowClassName(window), "PluginTest");
    EXPECT_EQ(hostChildren(), 1);

    platform->resizeWindow(window, 320, 100);
    const PixelRect resized = platform->windowRect(window);
    EXPECT_EQ(resized.width(), 320);
    EXPECT_EQ(resized.height(), 100);
    EXPECT_EQ(resized.left, kHostX);

    platform->setWindowCursor(window, PointerShape::SizeNorthSouth);
    EXPECT_EQ(platform->windowCursor(window), PointerShape::SizeNorthSouth);
    EXPECT_FALSE(platform->acceptDrops(window, true));

    platform->destroyWindow(window);
    EXPECT_EQ(hostChildren(), 0);
    EXPECT_EQ(platform->liveWindowCount(), 0u);
    EXPECT_EQ(platform->errorCount(), errors);
}

TEST_F(X11PlatformTest, PressArrivesInWindowCoordinatesAndThePointerIsPolled) {
    Recorder events;
    const WindowId window = platform->createChildWindow(host, "PluginTest", 200, 120, &events);
    ASSERT_TRUE(pumpUntil([&] { return events.paints > 0; }));
    ASSERT_EQ(XvfbSession::xdotool("mousemove " + std::to_string(kHostX + 30) + " " +
                                   std::to_string(kHostY + 45) + " click 1"),
              0);
    ASSERT_TRUE(pumpUntil([&] { return !events.presses.empty(); }));
    EXPECT_EQ(events.presses[0].x, 30);
    EXPECT_EQ(events.presses[0].y, 45);
    const PixelPoint cursor = platform->cursorPosition();
    EXPECT_EQ(cursor.x, kHostX + 30);
    EXPECT_EQ(cursor.y, kHostY + 45);

    ASSERT_EQ(XvfbSession::xdotool("keydown shift mousedown 1"), 0);
    EXPECT_EQ(platform->mouseState(), kMouseLeft | kKeyShift);
    ASSERT_EQ(XvfbSession::xdotool("mouseup 1 keyup shift"), 0);
    EXPECT_EQ(platform->mouseState(), 0u);
    platform->destroyWindow(window);
}

TEST_F(X11PlatformTest, EditFieldTakesTypedTextAndClosesOnEnter) {
    Recorder events;
    const WindowId window = platform->createChildWindow(host, "PluginTest", 200, 120, &events);
    ASSERT_TRUE(pumpUntil([&] { return events.paints > 0; }));
    const EditFieldId field = openField(window, events, "12.0");
    ASSERT_NE(field, kNoEditField);
    EXPECT_EQ(platform->liveWindowCount(), 2u);
    ASSERT_EQ(XvfbSession::xdotool("type --delay 30 '3,55'"), 0);
    ASSERT_EQ(XvfbSession::xdotool("key BackSpace Home Delete Return"), 0);
    ASSERT_TRUE(pumpUntil([&] { return events.finished > 0; }));
    EXPECT_EQ(platform->editFieldText(field), ",5");
    platform->closeEditField(field);
    EXPECT_EQ(platform->liveWindowCount(), 1u);
    platform->destroyWindow(window);
    EXPECT_EQ(platform->errorCount(), 0);
}

TEST_F(X11PlatformTest, ClickInsideTheFieldPlacesTheCaretAndFocusLossClosesIt) {
    Recorder events;
    const WindowId window = platform->createChildWindow(host, "PluginTest", 200, 120, &events);
    ASSERT_TRUE(pumpUntil([&] { return events.paints > 0; }));
    const EditFieldId field = openField(window, events, "12.0");
    ASSERT_NE(field, kNoEditField);
    const std::string leftEdge = std::to_string(kHostX + 21) + " " + std::to_string(kHostY + 27);
    ASSERT_EQ(XvfbSession::xdotool("mousemove " + leftEdge + " click 1"), 0);
    ASSERT_EQ(XvfbSession::xdotool("type --delay 30 9"), 0);
    ASSERT_TRUE(pumpUntil([&] { return platform->editFieldText(field) == "912.0"; }))
        << platform->editFieldText(field);
    EXPECT_TRUE(events.presses.empty()) << "the press belongs to the field, not its window";
    EXPECT_EQ(events.finished, 0);

    XSetInputFocus(hostWindow->display(), host, RevertToParent, CurrentTime);
    XSync(hostWindow->display(), False);
    ASSERT_TRUE(pumpUntil([&] { return events.finished > 0; }));
    EXPECT_EQ(events.finished, 1);
    platform->closeEditField(field);
    platform->destroyWindow(window);
    EXPECT_EQ(platform->errorCount(), 0);
}

TEST_F(X11PlatformTest, NameDialogRefusesEmptyTextAndAnswersTheTypedName) {
    NameDialogSpec spec{"Create", "Name of new Preset", "Don't forget to save your presets !",
                        [](const std::string& text) { return !text.empty(); }};
    const pid_t typist = XvfbSession::scriptAsync(
        "sleep 0.4; xdotool key Return; sleep 0.2; xdotool type --delay 30 Fuzz; sleep 0.2; "
        "xdotool key Return");
    const std::optional<std::string> name = platform->askName(host, spec);
    XvfbSession::waitFor(typist);
    EXPECT_EQ(name, std::optional<std::string>("Fuzz"));

    const pid_t refuser = XvfbSession::scriptAsync("sleep 0.4; xdotool key Escape");
    EXPECT_EQ(platform->askName(host, spec), std::nullopt);
    XvfbSession::waitFor(refuser);
    EXPECT_EQ(platform->errorCount(), 0);
}

TEST_F(X11PlatformTest, YesNoQuestionAnswersYesOnEnterAndNoOnEscape) {
    const pid_t yes = XvfbSession::scriptAsync("sleep 0.4; xdotool key Return");
    EXPECT_TRUE(platform->askYesNo(host, "Delete", "Do you really want to delete it?"));
    XvfbSession::waitFor(yes);
    const pid_t no = XvfbSession::scriptAsync("sleep 0.4; xdotool key Escape");
    EXPECT_FALSE(platform->askYesNo(host, "Delete", "Do you really want to delete it?"));
    XvfbSession::waitFor(no);
}

TEST_F(X11PlatformTest, HostDestroyingItsWindowTellsTheOwner) {
    Recorder events;
    platform->createChildWindow(host, "PluginTest", 50, 50, &events);
    hostWindow->destroyWindow();
    EXPECT_TRUE(pumpUntil([&] { return events.destroyed; }));
    EXPECT_EQ(platform->liveWindowCount(), 0u);
}

// What the server holds before some work, to compare with what it holds after.
struct ServerSnapshot {
    ServerSnapshot()
        : tree(windowTree(XvfbSession::shared().display())), nextClient(nextClientId()) {}
    std::vector<std::string> tree;
    XID nextClient;
};

void expectNothingLeft(const X11Platform& platform, const ServerSnapshot& before,
                       const char* state) {
    const ServerSnapshot after;
    EXPECT_FALSE(platform.connected()) << state;
    EXPECT_EQ(after.tree, before.tree) << state;
    EXPECT_EQ(after.nextClient, before.nextClient) << state << ": a connection is still open";
}

TEST_F(X11PlatformTest, TheConnectionComesWithTheFirstWindowAndGoesWithTheLastInEveryState) {
    Recorder events;
    EXPECT_FALSE(platform->connected());
    const ServerSnapshot before;

    const WindowId first = platform->createChildWindow(host, "PluginTest", 80, 60, &events);
    const WindowId second = platform->createChildWindow(host, "PluginTest", 80, 60, &events);
    ASSERT_TRUE(platform->connected());
    EXPECT_NE(windowTree(XvfbSession::shared().display()), before.tree);
    platform->destroyWindow(first);
    EXPECT_TRUE(platform->connected()) << "one window of ours is still open";
    platform->destroyWindow(second);
    expectNothingLeft(*platform, before, "windows closed");

    const WindowId window = platform->createChildWindow(host, "PluginTest", 200, 120, &events);
    ASSERT_NE(openField(window, events, ""), kNoEditField);
    platform->destroyWindow(window);
    expectNothingLeft(*platform, before, "window closed with its edit field open");

    const pid_t escape = XvfbSession::scriptAsync("sleep 0.4; xdotool key Escape");
    EXPECT_FALSE(platform->askYesNo(kNoWindow, "Delete", "Delete it?"));
    XvfbSession::waitFor(escape);
    expectNothingLeft(*platform, before, "dialog answered");

    platform->createChildWindow(host, "PluginTest", 50, 50, &events);
    ASSERT_TRUE(pumpUntil([&] { return events.paints > 0; }));
    hostWindow->destroyWindow();
    ASSERT_TRUE(pumpUntil([&] { return events.destroyed; }));
    EXPECT_EQ(platform->liveWindowCount(), 0u);
    EXPECT_FALSE(platform->connected()) << "host destroyed the window";
    char hostLine[32];
    std::snprintf(hostLine, sizeof hostLine, "0x%lx ", host);
    std::vector<std::string> withoutHost = before.tree;
    std::erase_if(withoutHost, [&](const std::string& line) { return line.starts_with(hostLine); });
    EXPECT_EQ(windowTree(XvfbSession::shared().display()), withoutHost);
    EXPECT_EQ(platform->errorCount(), 0);
}

TEST_F(X11PlatformTest, AServerThatGoesAwayEndsOurWindowsButNotTheProcess) {
    Recorder events;
    {
        XvfbSession doomed(XvfbSession::Server::Private);
        ASSERT_TRUE(doomed.ready()) << doomed.problem();
        X11HostWindow doomedHost(0, 0, 300, 200, 0);
        const WindowId window =
            platform->createChildWindow(doomedHost.window(), "PluginTest", 200, 120, &events);
        const EditFieldId field = openField(window, events, "4.5");
        ASSERT_NE(field, kNoEditField);
        ASSERT_TRUE(doomed.killServer());

        ASSERT_TRUE(pumpUntil([&] { return events.destroyed; }));
        EXPECT_TRUE(platform->connectionLost());
        EXPECT_EQ(platform->editFieldText(field), "4.5") << "the typed text survives for its owner";
        platform->closeEditField(field);
        EXPECT_FALSE(platform->connected());
        EXPECT_EQ(platform->createChildWindow(doomedHost.window(), "PluginTest", 20, 20, &events),
                  kNoWindow);
        EXPECT_FALSE(platform->askYesNo(kNoWindow, "Delete", "Delete it?"));
    }
    {
        XvfbSession doomed(XvfbSession::Server::Private);
        ASSERT_TRUE(doomed.ready()) << doomed.problem();
        X11HostWindow doomedHost(0, 0, 300, 200, 0);
        const pid_t killer =
            XvfbSession::scriptAsync("sleep 0.4; kill -9 " + std::to_string(doomed.serverPid()));
        EXPECT_FALSE(platform->askYesNo(doomedHost.window(), "Delete", "Delete it?"))
            << "a dialog whose server went away answers No";
        XvfbSession::waitFor(killer);
        EXPECT_FALSE(platform->connected());
        doomed.killServer();  // reaps the server and clears its files
    }
    // The next window, on a server that is there, opens as if nothing had happened.
    events.paints = 0;
    const WindowId window = platform->createChildWindow(host, "PluginTest", 50, 50, &events);
    ASSERT_NE(window, kNoWindow);
    EXPECT_TRUE(pumpUntil([&] { return events.paints > 0; }));
    platform->destroyWindow(window);
}

}  // namespace
}  // namespace marrowfold::testing
