// The X11 backend on a real X server: child windows inside a host window, exposure as paint,
// presses with window coordinates, the polled pointer, the edit field and the modal dialogs
// driven with xdotool, and no protocol errors or windows left behind.

#include <gtest/gtest.h>
// Xlib's macros must follow the test framework's headers.
#include <X11/Xlib.h>

#include "platform/X11Platform.h"

#include <functional>
#include <memory>
#include <string>

#include "tests/platform/X11HostWindow.h"
#include "tests/platform/XvfbSession.h"

namespace marrowfold::testing {
namespace {

constexpr int kHostX = 60;
constexpr int kHostY = 40;

class Recorder : public WindowEvents, public EditFieldEvents {
  public:
    void paintRequested(cairo_surface_t*) override { paints++; }
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
        ASSERT_TRUE(platform->connected());
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
    EditFieldSpec spec;
    spec.rect = {20, 20, 80, 34};
    spec.text = "12.0";
    spec.font = {"Liberation Sans", 10};
    const EditFieldId field = platform->openEditField(window, spec, &events);
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
    EditFieldSpec spec;
    spec.rect = {20, 20, 80, 34};
    spec.text = "12.0";
    spec.font = {"Liberation Sans", 10};
    const EditFieldId field = platform->openEditField(window, spec, &events);
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

}  // namespace
}  // namespace marrowfold::testing
