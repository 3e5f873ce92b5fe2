// The headless backend behaves like a window system: child windows sit inside their parents,
// the scripted mouse shows every step to the loop that polls it, time moves only by polls and
// sleeps, and scripted answers drive edit fields and dialogs.

#include "platform/HeadlessPlatform.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace marrowfold {
namespace {

class Recorder : public WindowEvents, public EditFieldEvents {
  public:
    void paintRequested(DrawingSurface* surface) override {
        paints++;
        surface->fillRect({0, 0, surface->width(), surface->height()}, 0x00ff00);
    }
    void buttonPressed(PixelPoint where) override { presses.push_back(where); }
    bool dropArrived(DropKind, const std::vector<std::string>& items, PixelPoint) override {
        dropped = items;
        return true;
    }
    void windowDestroyed() override { destroyed = true; }
    void editingFinished() override { finished++; }

    int paints = 0;
    std::vector<PixelPoint> presses;
    std::vector<std::string> dropped;
    bool destroyed = false;
    int finished = 0;
};

TEST(HeadlessPlatformTest, ChildWindowsSitInsideTheirParentAndResizeKeepingPosition) {
    HeadlessPlatform platform;
    Recorder events;
    const WindowId host = platform.createHostWindow(kNoWindow, "Host", {40, 50, 500, 400});
    const WindowId child = platform.createChildWindow(host, "Child", 200, 100, &events);
    ASSERT_NE(child, kNoWindow);
    const PixelRect rect = platform.windowRect(child);
    EXPECT_EQ(rect.left, 40);
    EXPECT_EQ(rect.top, 50);
    EXPECT_EQ(rect.width(), 200);
    EXPECT_EQ(platform.parentWindow(child), host);
    EXPECT_EQ(platform.windowClassName(child), "Child");
    EXPECT_EQ(platform.createChildWindow(12345, "Child", 10, 10, &events), kNoWindow);

    platform.dispatchEvents();
    EXPECT_EQ(events.paints, 1);
    platform.resizeWindow(child, 300, 120);
    EXPECT_EQ(platform.windowRect(child).left, 40);
    EXPECT_EQ(platform.windowSurface(child)->width(), 300);
    EXPECT_TRUE(platform.paintPending(child));

    platform.destroyFromOutside(child);
    EXPECT_TRUE(events.destroyed);
    EXPECT_EQ(platform.windowSurface(child), nullptr);
}

TEST(HeadlessPlatformTest, EveryScriptedMouseStepIsSeenByAPollInOrder) {
    HeadlessPlatform platform;
    platform.setMouse(10, 10, kMouseLeft);
    platform.queueMouse({{11, 10, kMouseLeft}, {12, 10, kMouseLeft | kKeyShift, 5}, {12, 10, 0}});
    std::vector<int> xs;
    uint32_t state = kMouseLeft;
    int polls = 0;
    while (state & kMouseLeft) {
        state = platform.mouseState();
        xs.push_back(platform.cursorPosition().x);
        polls++;
    }
    // The start once, 11 once, 12 with Shift for five polls, then the release.
    ASSERT_GE(xs.size(), 3u);
    EXPECT_EQ(xs[0], 10);
    EXPECT_EQ(xs[1], 11);
    EXPECT_EQ(xs[2], 12);
    EXPECT_EQ(polls, 1 + 1 + 5 + 1);
    EXPECT_EQ(platform.queuedMouseSteps(), 0u);
    EXPECT_EQ(platform.tickCount(), static_cast<uint32_t>(polls));
    EXPECT_EQ(platform.mouseState(), 0u);
}

TEST(HeadlessPlatformTest, SleepAdvancesTheClockAndIsCounted) {
    HeadlessPlatform platform;
    platform.advanceClock(10);
    platform.sleep(4);
    EXPECT_EQ(platform.tickCount(), 14u);
    EXPECT_EQ(platform.totalSleptMs(), 4u);
}

TEST(HeadlessPlatformTest, EditFieldTakesScriptedTextAndReportsEnter) {
    HeadlessPlatform platform;
    Recorder events;
    const WindowId host = platform.createHostWindow(kNoWindow, "Host", {0, 0, 100, 100});
    const WindowId window = platform.createChildWindow(host, "Child", 50, 50, &events);
    EditFieldSpec spec;
    spec.text = "12.0";
    spec.rect = {1, 2, 30, 14};
    const EditFieldId field = platform.openEditField(window, spec, &events);
    ASSERT_NE(field, kNoEditField);
    ASSERT_NE(platform.openField(), nullptr);
    EXPECT_TRUE(platform.openField()->allSelected);
    EXPECT_EQ(platform.editFieldText(field), "12.0");
    platform.typeAndEnter("3,5");
    EXPECT_EQ(events.finished, 1);
    EXPECT_EQ(platform.editFieldText(field), "3,5");
    platform.closeEditField(field);
    EXPECT_EQ(platform.openFieldCount(), 0u);
}

TEST(HeadlessPlatformTest, NameDialogStaysOpenUntilAnAcceptedTextOrCancel) {
    HeadlessPlatform platform;
    NameDialogSpec spec;
    spec.acceptText = [](const std::string& text) { return !text.empty(); };
    platform.queueNameAnswers({{true, ""}, {true, "Crunch"}});
    EXPECT_EQ(platform.askName(kNoWindow, spec), std::optional<std::string>("Crunch"));
    platform.queueNameAnswers({{true, ""}, {false, "ignored"}});
    EXPECT_EQ(platform.askName(kNoWindow, spec), std::nullopt);
    EXPECT_EQ(platform.askName(kNoWindow, spec), std::nullopt);  // no script: cancelled
    EXPECT_EQ(platform.nameDialogsShown(), 3);

    platform.queueYesNoAnswers({true});
    EXPECT_TRUE(platform.askYesNo(kNoWindow, "Delete", "Sure?"));
    EXPECT_FALSE(platform.askYesNo(kNoWindow, "Delete", "Again?"));
    EXPECT_EQ(platform.lastQuestion(), "Again?");
    EXPECT_EQ(platform.lastQuestionTitle(), "Delete");
}

TEST(HeadlessPlatformTest, DropsArriveOnlyAtWindowsThatAcceptThem) {
    HeadlessPlatform platform;
    Recorder events;
    const WindowId host = platform.createHostWindow(kNoWindow, "Host", {0, 0, 100, 100});
    const WindowId window = platform.createChildWindow(host, "Child", 50, 50, &events);
    EXPECT_FALSE(platform.drop(window, DropKind::FileList, {"a"}, {1, 1}));
    EXPECT_TRUE(platform.acceptDrops(window, true));
    EXPECT_TRUE(platform.drop(window, DropKind::FileList, {"a", "b"}, {1, 1}));
    EXPECT_EQ(events.dropped.size(), 2u);
}

TEST(HeadlessPlatformTest, SavedPngHoldsTheWindowPicture) {
    HeadlessPlatform platform;
    Recorder events;
    const WindowId host = platform.createHostWindow(kNoWindow, "Host", {0, 0, 100, 100});
    const WindowId window = platform.createChildWindow(host, "Child", 8, 6, &events);
    platform.dispatchEvents();
    const std::string path = ::testing::TempDir() + "headless_window.png";
    ASSERT_TRUE(platform.savePng(window, path));
    cairo_surface_t* loaded = cairo_image_surface_create_from_png(path.c_str());
    ASSERT_EQ(cairo_surface_status(loaded), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(loaded), 8);
    const auto* pixels = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(loaded));
    EXPECT_EQ(pixels[0] & 0xffffff, 0x00ff00u);
    cairo_surface_destroy(loaded);
    std::remove(path.c_str());
    EXPECT_EQ(platform.moduleFileVersion(), MARROWFOLD_PROJECT_VERSION);
}

}  // namespace
}  // namespace marrowfold
