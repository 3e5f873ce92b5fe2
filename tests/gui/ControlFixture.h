#pragma once

// An open editor on the headless platform with a frame to put controls in, and a listener that
// records what the controls report.

#include <vector>

#include "gui/Control.h"
#include "gui/EditorBase.h"
#include "gui/Frame.h"
#include "tests/gui/GuiTestSupport.h"

namespace marrowfold::testing {

constexpr int32_t kBeginEditOpcode = 43;
constexpr int32_t kEndEditOpcode = 44;

struct Report {
    int32_t tag;
    float value;
};

class RecordingListener : public ValueListener {
  public:
    void controlChanged(Canvas*, Control* control) override {
        reports.push_back({control->tag(), control->getValue()});
    }
    std::vector<Report> reports;
};

class FrameEditor : public EditorBase {
  public:
    using EditorBase::EditorBase;
    void open(WindowId parent, int32_t width, int32_t height) {
        attach(reinterpret_cast<void*>(parent));
        frame = new Frame({0, 0, width, height}, parent, this);
    }
    void detach() override {
        delete frame;
        frame = nullptr;
    }
};

class ControlTest : public HeadlessTest {
  protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        effect = std::make_unique<RecordingEffect>();
        editor = new FrameEditor(effect.get());
        editor->open(hostWindow({100, 200, 900, 600}), 400, 240);
        frame = editor->getFrame();
        editor->idle();  // first paint
    }
    void TearDown() override {
        editor->detach();
        editor->chooseKnobMode(0);
        effect.reset();
        HeadlessTest::TearDown();
    }
    template <typename T>
    T* add(T* control) {
        frame->insertView(control);
        return control;
    }
    // A press at window coordinates followed by the path (window coordinates too). Steps left
    // over from an earlier gesture that a control did not follow to its end are dropped.
    void drag(Point from, const std::vector<MouseStep>& path, uint32_t state = kMouseLeft) {
        headless().setMouse(0, 0, 0);
        std::vector<MouseStep> screen;
        for (MouseStep step : path) {
            const PixelPoint p = headless().toScreen(frame->window(), step.x, step.y);
            step.x = p.x;
            step.y = p.y;
            screen.push_back(step);
        }
        headless().queueMouse(screen);
        headless().press(frame->window(), from.h, from.v, state);
    }
    void click(Point at, uint32_t state = kMouseLeft) { drag(at, {{at.h, at.v, 0}}, state); }
    cairo_surface_t* surface() { return headless().windowPixels(frame->window()); }

    std::unique_ptr<RecordingEffect> effect;
    FrameEditor* editor = nullptr;
    Frame* frame = nullptr;
    RecordingListener listener;
};

}  // namespace marrowfold::testing
