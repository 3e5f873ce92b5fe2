// Controls in a real X window driven by xdotool: a knob dragged with the mouse changes its value
// and tells its listener and the host; a number field opened with a click takes typed text and
// Enter.

#include <gtest/gtest.h>
// Xlib's macros must follow the test framework's headers.
#include <X11/Xlib.h>

#include <functional>
#include <memory>

#include "gui/Bitmap.h"
#include "gui/Knob.h"
#include "gui/NumberField.h"
#include "gui/Slider.h"
#include "platform/X11Platform.h"
#include "tests/gui/ControlFixture.h"
#include "tests/platform/X11HostWindow.h"
#include "tests/platform/XvfbSession.h"

namespace marrowfold::testing {
namespace {

constexpr int kHostX = 50;
constexpr int kHostY = 40;

void oneDecimal(float value, char* text) {
    std::snprintf(text, kTextBytes, "%.1f", value);
}

class X11ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!XvfbSession::shared().ready()) GTEST_SKIP() << XvfbSession::shared().problem();
        hostWindow = std::make_unique<X11HostWindow>(kHostX, kHostY, 728, 213, 0);
        ASSERT_TRUE(hostWindow->isOpen());
        host = hostWindow->window();
        auto platform = std::make_unique<X11Platform>();
        x11 = platform.get();
        previous = replacePlatform(std::move(platform));
        effect = std::make_unique<RecordingEffect>();
        editor = new FrameEditor(effect.get());
        editor->open(host, 728, 213);
        frame = editor->getFrame();
        Bitmap* panel = new Bitmap(1000);
        frame->setBackdrop(panel);
        panel->release();
    }
    void TearDown() override {
        if (!editor) return;
        editor->detach();
        editor->chooseKnobMode(0);
        effect.reset();
        replacePlatform(std::move(previous));
        hostWindow.reset();
    }
    bool idleUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
        return pollUntil([this] { editor->idle(); }, done, timeoutMs);
    }
    static std::string at(int x, int y) {
        return std::to_string(kHostX + x) + " " + std::to_string(kHostY + y);
    }

    std::unique_ptr<X11HostWindow> hostWindow;
    Window host = 0;
    X11Platform* x11 = nullptr;
    std::unique_ptr<Platform> previous;
    std::unique_ptr<RecordingEffect> effect;
    FrameEditor* editor = nullptr;
    Frame* frame = nullptr;
    RecordingListener listener;
};

TEST_F(X11ControlsTest, KnobDraggedWithTheMouseChangesItsValueAndReports) {
    editor->chooseKnobMode(2);  // linear: 200 pixels for the whole range
    Bitmap* strip = new Bitmap(1012);
    auto* knob = new FilmstripKnob({46, 74, 78, 106}, &listener, 1, 63, 32, strip, {46, 74});
    strip->release();
    knob->setSeeThrough(true);
    frame->insertView(knob);
    ASSERT_TRUE(idleUntil([&] { return !frame->firstPaintPending(); }));

    const pid_t hand = XvfbSession::scriptAsync(
        "xdotool mousemove " + at(62, 90) + " mousedown 1 sleep 0.3 mousemove " + at(112, 90) +
        " sleep 0.3 mousemove " + at(162, 90) + " sleep 0.3 mouseup 1");
    ASSERT_TRUE(idleUntil([&] { return XvfbSession::finished(hand) && knob->getValue() > 0; }));
    idleUntil([&] { return RecordingEffect::count(kEndEditOpcode) > 0; }, 1000);
    EXPECT_FLOAT_EQ(knob->getValue(), 0.5f);
    ASSERT_FALSE(listener.reports.empty());
    EXPECT_FLOAT_EQ(listener.reports.back().value, 0.5f);
    EXPECT_EQ(listener.reports.back().tag, 1);
    EXPECT_EQ(RecordingEffect::count(kBeginEditOpcode), 1);
    EXPECT_EQ(RecordingEffect::count(kEndEditOpcode), 1);

    const std::string shot = ::testing::TempDir() + "x11_controls.png";
    EXPECT_TRUE(XvfbSession::screenshot(shot));
    std::printf("screenshot: %s\n", shot.c_str());
    EXPECT_EQ(x11->errorCount(), 0);
}

TEST_F(X11ControlsTest, NumberFieldOpenedWithAClickTakesTypedTextAndEnter) {
    auto* field = new NumberField({42, 57, 82, 68}, &listener, 5, "", nullptr, 0);
    field->setMinimum(-12.0f);
    field->setMaximum(12.0f);
    field->setValueFormatter(oneDecimal);
    field->selectFont(6);
    field->setFillColour({0, 15, 67, 0});
    field->setValue(0.5f);
    frame->insertView(field);
    ASSERT_TRUE(idleUntil([&] { return !frame->firstPaintPending(); }));

    ASSERT_EQ(XvfbSession::xdotool("mousemove " + at(60, 62) + " click 1"), 0);
    ASSERT_TRUE(idleUntil([&] { return field->isEditing(); }));
    EXPECT_EQ(x11->liveWindowCount(), 2u);  // the frame and its edit field
    ASSERT_EQ(XvfbSession::xdotool("type --delay 40 3,5"), 0);
    ASSERT_EQ(XvfbSession::xdotool("key Return"), 0);
    ASSERT_TRUE(idleUntil([&] { return !field->isEditing(); }));
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_FLOAT_EQ(listener.reports[0].value, 15.5f / 24.0f);
    EXPECT_EQ(field->text(), "3.5");
    EXPECT_EQ(x11->liveWindowCount(), 1u);
    EXPECT_EQ(x11->errorCount(), 0);
}

}  // namespace
}  // namespace marrowfold::testing
