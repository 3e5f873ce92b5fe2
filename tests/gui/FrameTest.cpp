// The frame: paint order, dirty tracking, press, wheel and drop dispatch, exclusive and key-focus
// views, window resizing through the window tree, cursors and the life of its window.

#include "gui/Frame.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "gui/Bitmap.h"
#include "gui/EditorBase.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ProbeView.h"

namespace marrowfold::testing {
namespace {

constexpr Color kGreen{0, 200, 0, 0};
constexpr Color kBlue{0, 0, 255, 0};

class FrameTest : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        host = hostWindow({100, 200, 900, 600});
        frame = new Frame({0, 0, 120, 80}, host, nullptr);
    }
    void TearDown() override {
        delete frame;
        HeadlessTest::TearDown();
    }
    ProbeView* add(const Rect& r, Color c = kGreen, const std::string& name = "view") {
        auto* view = new ProbeView(r, c, &journal, name);
        frame->insertView(view);
        return view;
    }
    cairo_surface_t* surface() { return headless().windowPixels(frame->window()); }
    void paint() { headless().dispatchEvents(); }

    WindowId host = kNoWindow;
    Frame* frame = nullptr;
    std::vector<std::string> journal;
};

TEST_F(FrameTest, PressesReachViewsOnEveryEdgeAndTheTopMostEnabledViewOnly) {
    ProbeView* below = add({10, 10, 50, 40});
    ProbeView* above = add({30, 20, 70, 60});
    for (Point p : {Point{10, 10}, Point{29, 39}})
        headless().press(frame->window(), p.h, p.v);
    for (Point p : {Point{70, 60}, Point{30, 20}, Point{50, 40}}) {
        headless().press(frame->window(), p.h, p.v);
    }
    EXPECT_EQ(below->presses.size(), 2u);
    ASSERT_EQ(above->presses.size(), 3u);
    EXPECT_EQ(above->presses[0], (Point{70, 60}));
    headless().press(frame->window(), 71, 60);
    EXPECT_EQ(above->presses.size(), 3u);

    above->enableMouse(false);
    headless().press(frame->window(), 40, 30);
    EXPECT_EQ(below->presses.size(), 3u);
    EXPECT_EQ(above->presses.size(), 3u);
}

TEST_F(FrameTest, PressClosesTheKeyFocusFirstThenDispatchesNormally) {
    ProbeView* field = add({0, 0, 20, 10}, kGreen, "field");
    ProbeView* knob = add({40, 40, 60, 60}, kGreen, "knob");
    frame->setKeyFocusView(field);
    headless().press(frame->window(), 50, 50);
    EXPECT_EQ(frame->keyFocusView(), nullptr);
    EXPECT_EQ(journal, (std::vector<std::string>{"field:releaseFocus", "knob:press"}));
    EXPECT_EQ(knob->presses.size(), 1u);
}

TEST_F(FrameTest, ExclusiveViewAloneTakesPressesAndIsRedrawnOnEveryIdle) {
    ProbeView* under = add({0, 0, 120, 80});
    auto* splash = new ProbeView({10, 10, 40, 40}, kBlue);
    ASSERT_TRUE(frame->setExclusiveView(splash));
    EXPECT_FALSE(frame->setExclusiveView(under));
    EXPECT_EQ(frame->exclusiveView(), splash);

    headless().press(frame->window(), 60, 60);
    EXPECT_TRUE(under->presses.empty());
    EXPECT_TRUE(splash->presses.empty());
    headless().press(frame->window(), 40, 40);
    EXPECT_EQ(splash->presses.size(), 1u);

    paint();
    const int afterPaint = splash->draws;
    under->setNeedsRedraw(false);
    splash->setNeedsRedraw(false);
    frame->idle();
    frame->idle();
    EXPECT_EQ(splash->draws, afterPaint + 2);
    EXPECT_EQ(pixelAt(surface(), 20, 20), rgb(kBlue));

    EXPECT_TRUE(frame->setExclusiveView(nullptr));
    EXPECT_EQ(splash->detaches, 1);
    splash->release();
}

TEST_F(FrameTest, IdleDrawsNothingBeforeTheFirstPaintAndThenOnlyDirtyViews) {
    ProbeView* a = add({0, 0, 10, 10});
    ProbeView* b = add({20, 0, 30, 10});
    frame->idle();
    EXPECT_EQ(a->draws, 0);
    EXPECT_TRUE(frame->firstPaintPending());

    paint();  // a paint draws everything and keeps the dirty flags
    EXPECT_FALSE(frame->firstPaintPending());
    EXPECT_EQ(a->draws, 1);
    EXPECT_TRUE(a->needsRedraw());

    frame->idle();  // the frame itself starts dirty: everything is drawn once more
    EXPECT_EQ(a->draws, 2);
    EXPECT_FALSE(frame->needsRedraw());

    a->setNeedsRedraw(false);
    b->setNeedsRedraw(false);
    frame->idle();
    EXPECT_EQ(a->draws + b->draws, 4);  // nothing dirty, nothing drawn

    b->setNeedsRedraw(true);
    frame->idle();
    EXPECT_EQ(a->draws, 2);
    EXPECT_EQ(b->draws, 3);
    EXPECT_FALSE(b->needsRedraw());
}

TEST_F(FrameTest, PaintDrawsBackdropThenViewsInListOrder) {
    cairo_surface_t* picture = filledSurface(120, 80, 0x203040);
    Bitmap* backdrop = new Bitmap(5, std::make_unique<CairoSurface>(picture));
    cairo_surface_destroy(picture);
    frame->setBackdrop(backdrop);
    EXPECT_EQ(backdrop->retainCount(), 2);
    backdrop->release();
    add({10, 10, 50, 50}, kGreen);
    add({30, 30, 70, 70}, kBlue);
    paint();
    EXPECT_EQ(pixelAt(surface(), 5, 5), 0x203040u);
    EXPECT_EQ(pixelAt(surface(), 15, 15), rgb(kGreen));
    EXPECT_EQ(pixelAt(surface(), 40, 40), rgb(kBlue));
    EXPECT_EQ(pixelAt(surface(), 69, 69), rgb(kBlue));
    EXPECT_EQ(pixelAt(surface(), 70, 70), 0x203040u);
}

TEST_F(FrameTest, ViewListKeepsOrderAndOwnsViewsThroughTheirReferenceCount) {
    bool deletedA = false, deletedB = false, deletedC = false;
    ProbeView* a = add({0, 0, 1, 1});
    ProbeView* b = add({0, 0, 1, 1});
    ProbeView* c = add({0, 0, 1, 1});
    a->deleted = &deletedA;
    b->deleted = &deletedB;
    c->deleted = &deletedC;
    EXPECT_EQ(a->parentFrame(), frame);
    EXPECT_EQ(a->attaches, 1);
    for (int i = 0; i < 25; ++i)
        add({0, 0, 1, 1});  // the list grows past its first capacity

    frame->takeOutView(b, false);
    EXPECT_FALSE(frame->containsView(b));
    EXPECT_EQ(frame->viewAt(0), a);
    EXPECT_EQ(frame->viewAt(1), c);
    EXPECT_EQ(b->detaches, 1);
    EXPECT_FALSE(deletedB);
    EXPECT_TRUE(frame->takeOutView(b, true));  // not in the list: ignored
    EXPECT_FALSE(deletedB);

    c->retain();
    frame->takeOutView(c, true);
    EXPECT_FALSE(deletedC);
    EXPECT_EQ(c->retainCount(), 1);

    frame->insertView(b);
    delete frame;
    frame = nullptr;
    EXPECT_TRUE(deletedA);
    EXPECT_TRUE(deletedB);
    EXPECT_FALSE(deletedC);
    c->release();
    EXPECT_TRUE(deletedC);
}

TEST_F(FrameTest, TakeOutAllReleasesTheKeyFocusBeforeDetachingViews) {
    ProbeView* field = add({0, 0, 10, 10}, kGreen, "field");
    field->retain();
    frame->setKeyFocusView(field);
    frame->takeOutAll(true);
    EXPECT_EQ(field->focusReleases, 1);
    EXPECT_EQ(frame->keyFocusView(), nullptr);
    EXPECT_EQ(frame->viewCount(), 0);
    EXPECT_EQ(field->retainCount(), 1);
    field->release();
}

TEST_F(FrameTest, NewKeyFocusReleasesThePreviousOne) {
    ProbeView* first = add({0, 0, 10, 10});
    ProbeView* second = add({0, 0, 10, 10});
    frame->setKeyFocusView(first);
    frame->setKeyFocusView(second);
    EXPECT_EQ(first->focusReleases, 1);
    EXPECT_EQ(second->focusReleases, 0);
    EXPECT_EQ(frame->keyFocusView(), second);
}

TEST_F(FrameTest, WheelGoesToTheTopMostViewUnderTheCursorEvenWhenMouseDisabled) {
    ProbeView* below = add({0, 0, 60, 60});
    ProbeView* above = add({20, 20, 40, 40});
    above->enableMouse(false);
    headless().setMouse(100 + 40, 200 + 40, 0);  // window at screen (100, 200)
    EXPECT_TRUE(frame->wheelMoved(nullptr, {0, 0}, 2.5f));
    EXPECT_EQ(above->wheels, 1);
    EXPECT_EQ(above->wheelAt, (Point{40, 40}));
    EXPECT_FLOAT_EQ(above->wheelDistance, 2.5f);
    EXPECT_EQ(below->wheels, 0);
    headless().setMouse(100 + 100, 200 + 70, 0);
    EXPECT_FALSE(frame->wheelMoved(nullptr, {0, 0}, 1.0f));
}

TEST_F(FrameTest, DropsGoTopMostFirstAndAreRefusedWhileAViewHoldsTheMouseOrKeys) {
    ProbeView* below = add({0, 0, 60, 60});
    ProbeView* above = add({20, 20, 40, 40});
    EXPECT_TRUE(frame->dropTargetRegistered());
    EXPECT_FALSE(headless().drop(frame->window(), DropKind::FileList, {"/tmp/a.wav"}, {30, 30}));
    EXPECT_EQ(above->drops, 1);
    EXPECT_EQ(below->drops, 1);  // above refused, so the search went on
    EXPECT_EQ(above->lastDropFirst, "/tmp/a.wav");
    EXPECT_EQ(above->lastDropKind, 0);

    below->acceptDrops = true;
    EXPECT_TRUE(headless().drop(frame->window(), DropKind::Text, {"hello"}, {60, 60}));
    EXPECT_EQ(below->lastDropKind, 1);
    EXPECT_EQ(below->lastDropFirst, "hello");
    EXPECT_EQ(below->lastDropCount, 6);

    const std::string longName(2000, 'x');
    headless().drop(frame->window(), DropKind::FileList, {longName}, {1, 1});
    EXPECT_EQ(below->lastDropFirst.size(), 1023u);

    frame->setKeyFocusView(above);
    EXPECT_FALSE(headless().drop(frame->window(), DropKind::Text, {"x"}, {10, 10}));
    frame->setKeyFocusView(nullptr);
    auto* splash = new ProbeView({0, 0, 5, 5}, kBlue);
    frame->setExclusiveView(splash);
    const int before = below->drops;
    EXPECT_FALSE(headless().drop(frame->window(), DropKind::Text, {"x"}, {10, 10}));
    EXPECT_EQ(below->drops, before);
    frame->setExclusiveView(nullptr);
    splash->release();
}

TEST_F(FrameTest, ResizeToTheCurrentSizeTouchesNoWindow) {
    EXPECT_FALSE(frame->resizeWindow(120, 80));
    EXPECT_EQ(headless().window(frame->window())->resizeCount, 0);
    EXPECT_TRUE(frame->resizeWindow(240, 80));
    EXPECT_EQ(frame->bounds(), (Rect{0, 0, 240, 80}));
    const PixelRect rect = headless().windowRect(frame->window());
    EXPECT_EQ(rect.width(), 240);
    EXPECT_EQ(rect.left, 100);
    EXPECT_EQ(headless().window(host)->resizeCount, 0);  // no dialog frame: only our window
}

TEST_F(FrameTest, TightHostWindowGrowsWithTheFrameUpToTheMdiClient) {
    headless().setDialogFrameThickness(4);
    const WindowId mdi = headless().createHostWindow(kNoWindow, "MDIClient", {0, 0, 1000, 800});
    const WindowId wrapper = headless().createHostWindow(mdi, "HostFrame", {50, 60, 422, 281});
    Frame inner({0, 0, 364, 213}, wrapper, nullptr);
    ASSERT_TRUE(inner.resizeWindow(728, 213));
    const PixelRect frameRect = headless().windowRect(inner.window());
    const PixelRect wrapperRect = headless().windowRect(wrapper);
    EXPECT_EQ(frameRect.width(), 728);
    EXPECT_EQ(frameRect.height(), 213);
    EXPECT_EQ(wrapperRect.width(), 736);
    EXPECT_EQ(wrapperRect.height(), 221);
    EXPECT_EQ(wrapperRect.left, 50);
    EXPECT_EQ(headless().windowRect(mdi).width(), 1000);
}

TEST_F(FrameTest, NestedTightWrappersEachKeepTheirMarginAndALooseTopStaysAsItIs) {
    headless().setDialogFrameThickness(3);
    const WindowId top = headless().createHostWindow(kNoWindow, "Host", {0, 0, 900, 400});
    const WindowId outer = headless().createHostWindow(top, "Outer", {10, 10, 390, 239});
    const WindowId inner = headless().createHostWindow(outer, "Inner", {14, 14, 386, 235});
    Frame nested({0, 0, 364, 213}, inner, nullptr);
    ASSERT_TRUE(nested.resizeWindow(728, 213));
    EXPECT_EQ(headless().windowRect(nested.window()).width(), 728);
    EXPECT_EQ(headless().windowRect(inner).width(), 736);
    EXPECT_EQ(headless().windowRect(inner).height(), 221);
    EXPECT_EQ(headless().windowRect(outer).width(), 744) << "its own margin around the inner one";
    EXPECT_EQ(headless().windowRect(outer).height(), 229);
    EXPECT_EQ(headless().windowRect(top).width(), 900);
}

TEST_F(FrameTest, LooseHostWindowKeepsItsSize) {
    headless().setDialogFrameThickness(4);
    const WindowId loose = headless().createHostWindow(kNoWindow, "Big", {0, 0, 600, 400});
    Frame inner({0, 0, 364, 213}, loose, nullptr);
    ASSERT_TRUE(inner.resizeWindow(728, 213));
    EXPECT_EQ(headless().windowRect(inner.window()).width(), 728);
    EXPECT_EQ(headless().windowRect(loose).width(), 600);
}

TEST_F(FrameTest, WindowBelongsToTheModuleClassWhileFramesUseIt) {
    char expected[32];
    unsigned instance = 0;
    ASSERT_EQ(std::sscanf(Frame::windowClassName().c_str(), "Plugin%08x", &instance), 1);
    std::snprintf(expected, sizeof expected, "Plugin%08x", instance);
    EXPECT_EQ(Frame::windowClassName(), expected);
    EXPECT_EQ(headless().windowClassName(frame->window()), expected);
    EXPECT_EQ(Frame::windowClassUsers(), 1);
    {
        Frame second({0, 0, 10, 10}, host, nullptr);
        EXPECT_EQ(Frame::windowClassUsers(), 2);
    }
    EXPECT_EQ(Frame::windowClassUsers(), 1);
    EXPECT_EQ(headless().registeredClasses().count(expected), 1u) << "one frame still uses it";
    const size_t windows = headless().windowCount();
    delete frame;
    frame = nullptr;
    EXPECT_EQ(Frame::windowClassUsers(), 0);
    EXPECT_EQ(headless().windowCount(), windows - 1);
    EXPECT_TRUE(headless().registeredClasses().empty()) << "the last frame releases the class";
}

TEST_F(FrameTest, DestroyedWindowStopsDrawingAndResizing) {
    ProbeView* view = add({0, 0, 10, 10});
    paint();
    const int draws = view->draws;
    headless().destroyFromOutside(frame->window());
    EXPECT_FALSE(frame->windowAlive());
    EXPECT_EQ(frame->parentWindow(), kNoWindow);
    frame->idle();
    frame->redrawNow(nullptr);
    EXPECT_FALSE(frame->resizeWindow(300, 300));
    EXPECT_EQ(view->draws, draws);
    delete frame;
    frame = nullptr;
    EXPECT_TRUE(headless().registeredClasses().empty())
        << "a window destroyed from outside still releases the class with its frame";
}

TEST_F(FrameTest, FrameWithoutParentWindowHasNoWindowAndDoesNothing) {
    Frame orphan({0, 0, 50, 50}, kNoWindow, nullptr);
    auto* view = new ProbeView({0, 0, 10, 10}, kGreen);
    orphan.insertView(view);
    EXPECT_EQ(orphan.window(), kNoWindow);
    orphan.idle();
    orphan.redrawNow(view);
    EXPECT_FALSE(orphan.resizeWindow(100, 100));
    EXPECT_FALSE(orphan.wheelMoved(nullptr, {0, 0}, 1));
    EXPECT_EQ(view->draws, 0);
    EXPECT_EQ(orphan.tickCount(), 0u);
}

TEST_F(FrameTest, RedrawNowDrawsOneViewOrTheWholeFrame) {
    ProbeView* a = add({0, 0, 10, 10});
    ProbeView* b = add({20, 0, 30, 10});
    auto* stranger = new ProbeView({40, 0, 50, 10}, kBlue);
    frame->redrawNow(b);
    EXPECT_EQ(a->draws, 0);
    EXPECT_EQ(b->draws, 1);
    frame->redrawNow(stranger);  // not in the list: the whole frame
    EXPECT_EQ(a->draws, 1);
    EXPECT_EQ(b->draws, 2);
    EXPECT_EQ(stranger->draws, 0);
    stranger->release();
}

TEST_F(FrameTest, CursorKindsAreChosenAndTheFirstCursorIsRestored) {
    const WindowId w = frame->window();
    frame->chooseCursor(3);
    EXPECT_EQ(headless().windowCursor(w), PointerShape::SizeNorthSouth);
    frame->chooseCursor(6);
    EXPECT_EQ(headless().windowCursor(w), PointerShape::SizeNwSe);
    frame->chooseCursor(9);
    EXPECT_EQ(headless().windowCursor(w), PointerShape::SizeNwSe);
    frame->chooseCursor(0);
    EXPECT_EQ(headless().windowCursor(w), PointerShape::Arrow);
    frame->chooseCursor(1);
    frame->chooseCursor(4);
    EXPECT_EQ(headless().windowCursor(w), PointerShape::SizeAll);
}

TEST_F(FrameTest, CursorPositionIsRelativeToTheFrameWindow) {
    headless().setMouse(110, 220, 0);
    Point where;
    frame->cursorPosition(where);
    EXPECT_EQ(where, (Point{10, 20}));
}

}  // namespace
}  // namespace marrowfold::testing
