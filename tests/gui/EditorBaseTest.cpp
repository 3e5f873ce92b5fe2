// The editor base between host and toolkit: registration, bounds, idle with its re-entry guard,
// the paced idle pump, wheel and knob mode forwarding, drag reports and info texts.

#include "gui/EditorBase.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gui/Frame.h"
#include "tests/gui/GuiTestSupport.h"
#include "tests/gui/ProbeView.h"

namespace marrowfold::testing {
namespace {

constexpr int32_t kHostIdle = 3;
constexpr int32_t kHostResize = 15;
constexpr int32_t kHostBeginEdit = 43;
constexpr int32_t kHostEndEdit = 44;

// An editor that opens a frame on attach and counts its refreshes, as a derived editor does.
class TestEditor : public EditorBase {
  public:
    using EditorBase::EditorBase;
    int32_t attach(void* parentWindow) override {
        EditorBase::attach(parentWindow);
        frame = new Frame({0, 0, 200, 100}, reinterpret_cast<WindowId>(parentWindow), this);
        return 0;
    }
    void detach() override {
        delete frame;
        frame = nullptr;
    }
    void refresh() override { refreshes++; }
    void idle() override {
        idleCalls++;
        EditorBase::idle();
    }
    void setBounds(EditorRect rect) { bounds = rect; }
    void setNextIdle(uint32_t at) { nextIdleTime = at; }
    int refreshes = 0;
    int idleCalls = 0;
};

class EditorBaseTest : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        headless().advanceClock(1000);
        effect = std::make_unique<RecordingEffect>();
        editor = new TestEditor(effect.get());  // the effect deletes it
        host = hostWindow({100, 200, 900, 600});
    }
    void TearDown() override {
        editor->detach();
        effect.reset();
        HeadlessTest::TearDown();
    }
    void open() { editor->attach(reinterpret_cast<void*>(host)); }

    std::unique_ptr<RecordingEffect> effect;
    TestEditor* editor = nullptr;
    WindowId host = kNoWindow;
};

TEST_F(EditorBaseTest, ConstructionRegistersWithTheEffectAndSetsTheEditorFlag) {
    EXPECT_EQ(effect->editorObject(), editor);
    EXPECT_EQ(effect->effectRecord()->flags & 1, 1);
    EXPECT_EQ(editor->nextIdleAt(), 1000u);
    for (int i = 0; i < 3; ++i)
        EXPECT_STREQ(editor->infoText(i), "????????????");
}

TEST_F(EditorBaseTest, BoundsAreReportedByPointerWithAnswerOne) {
    editor->setBounds({0, 0, 213, 364});
    EditorRect* rect = nullptr;
    EXPECT_EQ(editor->getBounds(&rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->bottom, 213);
    EXPECT_EQ(rect->right, 364);
    editor->setBounds({0, 0, 213, 728});
    EXPECT_EQ(rect->right, 728);
}

TEST_F(EditorBaseTest, AttachRequestsARefreshThatTheNextIdleRuns) {
    EXPECT_EQ(editor->attach(reinterpret_cast<void*>(host)), 0);
    EXPECT_EQ(editor->refreshes, 0);
    editor->idle();
    EXPECT_EQ(editor->refreshes, 1);
    editor->idle();
    EXPECT_EQ(editor->refreshes, 1);
    editor->parameterChanged(3, 0.5f);
    editor->idle();
    EXPECT_EQ(editor->refreshes, 2);
}

TEST_F(EditorBaseTest, IdlePaintsTheNewWindowAndThenDrawsDirtyViews) {
    open();
    auto* view = new ProbeView({0, 0, 20, 20}, {0, 200, 0, 0});
    editor->getFrame()->insertView(view);
    editor->idle();  // the window's first paint arrives, then the frame updates
    EXPECT_FALSE(editor->getFrame()->firstPaintPending());
    const int draws = view->draws;
    EXPECT_GE(draws, 1);
    view->setNeedsRedraw(true);
    editor->idle();
    EXPECT_EQ(view->draws, draws + 1);
}

TEST_F(EditorBaseTest, HostIdleArrivingWhileThePumpCallsTheHostDoesNothing) {
    open();
    editor->idle();
    auto* view = new ProbeView({0, 0, 20, 20}, {0, 200, 0, 0});
    editor->getFrame()->insertView(view);
    int nestedDraws = -1;
    RecordingEffect::onHostIdle([&] {
        EXPECT_TRUE(editor->idling());
        view->setNeedsRedraw(true);
        editor->requestRefresh();
        const int before = view->draws;
        editor->idle();
        nestedDraws = view->draws - before;
    });
    const int refreshes = editor->refreshes;
    editor->pumpIdle();
    EXPECT_EQ(RecordingEffect::count(kHostIdle), 1);
    EXPECT_EQ(nestedDraws, 0);
    EXPECT_EQ(editor->refreshes, refreshes);
    EXPECT_FALSE(editor->idling());
}

TEST_F(EditorBaseTest, PumpRunsIdleAtMostOncePerIntervalAndSleepsMeanwhile) {
    open();
    editor->pumpIdle();  // due at construction: runs at once, without sleeping
    EXPECT_EQ(editor->idleCalls, 1);
    EXPECT_EQ(headless().totalSleptMs(), 0u);
    EXPECT_EQ(editor->nextIdleAt(), 1100u);

    headless().advanceClock(3);
    editor->pumpIdle();  // 97 ms early: sleep 4 ms, still more than 50 ms early
    EXPECT_EQ(editor->idleCalls, 1);
    EXPECT_EQ(headless().totalSleptMs(), 4u);
    EXPECT_EQ(RecordingEffect::count(kHostIdle), 1);

    headless().advanceClock(42);  // now 1049: after the sleep 1053, 47 ms early
    editor->pumpIdle();
    EXPECT_EQ(editor->idleCalls, 2);
    EXPECT_EQ(editor->nextIdleAt(), 1153u);
    EXPECT_EQ(RecordingEffect::count(kHostIdle), 2);
}

TEST_F(EditorBaseTest, PumpKeepsItsPaceWhenTheTickCountWrapsAround) {
    headless().advanceClock(0xffffffffu - 199 - 1000);  // 200 ms before the wrap
    editor->setNextIdle(headless().tickCount());
    editor->pumpIdle();
    EXPECT_EQ(editor->idleCalls, 1);  // next idle 100 ms before the wrap
    headless().advanceClock(250);     // 50 ms past the wrap: the idle is overdue
    editor->pumpIdle();
    EXPECT_EQ(editor->idleCalls, 2);
    headless().advanceClock(3);
    editor->pumpIdle();
    EXPECT_EQ(editor->idleCalls, 2);
}

TEST_F(EditorBaseTest, PumpIdlesAtOnceAfterWeeksWithoutADrag) {
    int expected = 0;
    for (const uint32_t pause : {0x80000010u, 0xffffff00u}) {  // 24.9 and 49.7 days
        headless().advanceClock(pause);
        editor->pumpIdle();
        EXPECT_EQ(editor->idleCalls, ++expected) << "after a pause of " << pause << " ms";
        editor->pumpIdle();  // and then the pace again
        EXPECT_EQ(editor->idleCalls, expected);
    }
}

TEST_F(EditorBaseTest, PumpWithoutEffectStillIdlesButAsksNoHost) {
    auto* lone = new TestEditor(nullptr);
    lone->pumpIdle();
    EXPECT_EQ(lone->idleCalls, 1);
    EXPECT_EQ(RecordingEffect::count(kHostIdle), 0);
    delete lone;
}

TEST_F(EditorBaseTest, KnobModeIsStoredUncheckedAndReadByTheFrame) {
    EXPECT_EQ(editor->chooseKnobMode(2), 1);
    open();
    EXPECT_EQ(editor->getFrame()->currentKnobMode(), 2);
    EXPECT_EQ(editor->chooseKnobMode(77), 1);
    EXPECT_EQ(editor->getFrame()->currentKnobMode(), 77);
    editor->chooseKnobMode(0);
}

TEST_F(EditorBaseTest, WheelReachesTheViewUnderTheCursorOnlyWhileOpen) {
    EXPECT_EQ(editor->wheelTurned(1.0f), 0);
    open();
    auto* view = new ProbeView({10, 10, 50, 50}, {0, 0, 0, 0});
    editor->getFrame()->insertView(view);
    headless().setMouse(100 + 30, 200 + 30, 0);
    EXPECT_EQ(editor->wheelTurned(-3.0f), 1);
    EXPECT_FLOAT_EQ(view->wheelDistance, -3.0f);
    EXPECT_EQ(view->wheelAt, (Point{30, 30}));
    headless().setMouse(100 + 150, 200 + 80, 0);
    EXPECT_EQ(editor->wheelTurned(1.0f), 0);
}

TEST_F(EditorBaseTest, DragsAndResizesAreReportedToTheHostWithTheTag) {
    open();
    Frame* frame = editor->getFrame();
    frame->dragStarted(7);
    frame->dragEnded(7);
    ASSERT_EQ(RecordingEffect::count(kHostBeginEdit), 1);
    ASSERT_EQ(RecordingEffect::count(kHostEndEdit), 1);
    for (const HostCall& call : RecordingEffect::calls()) {
        if (call.opcode == kHostBeginEdit || call.opcode == kHostEndEdit) {
            EXPECT_EQ(call.index, 7);
        }
    }
    ASSERT_TRUE(frame->resizeWindow(400, 100));
    ASSERT_EQ(RecordingEffect::count(kHostResize), 1);
    for (const HostCall& call : RecordingEffect::calls()) {
        if (call.opcode == kHostResize) {
            EXPECT_EQ(call.index, 400);
            EXPECT_EQ(call.value, 100);
        }
    }
    EXPECT_EQ(frame->tickCount(), headless().tickCount());
}

TEST_F(EditorBaseTest, RedrawFrameDrawsEverythingAtOnce) {
    editor->redrawFrame();  // no frame: nothing
    open();
    auto* view = new ProbeView({0, 0, 20, 20}, {0, 0, 0, 0});
    editor->getFrame()->insertView(view);
    view->setNeedsRedraw(false);
    editor->redrawFrame();
    EXPECT_EQ(view->draws, 1);
}

TEST_F(EditorBaseTest, InfoTextsAreCopiedUpToSixtyTwoCharacters) {
    const std::string sixtyTwo(62, 'a');
    const std::string sixtyThree(63, 'b');
    EXPECT_EQ(editor->setInfoTexts("one", "two", sixtyThree.c_str()), 63);
    EXPECT_STREQ(editor->infoText(0), "one");
    EXPECT_STREQ(editor->infoText(1), "two");
    EXPECT_STREQ(editor->infoText(2), "????????????");
    EXPECT_EQ(editor->setInfoTexts(sixtyThree.c_str(), "", sixtyTwo.c_str()), 63);
    EXPECT_STREQ(editor->infoText(0), "one");
    EXPECT_STREQ(editor->infoText(1), "");
    EXPECT_EQ(std::string(editor->infoText(2)), sixtyTwo);
    EXPECT_FLOAT_EQ(editor->defaultValueFor(nullptr), 0.0f);
}

}  // namespace
}  // namespace marrowfold::testing
