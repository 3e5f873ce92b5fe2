#pragma once

// An effect with its editor, opened in a host window on the headless platform, behind a host
// that records every callback and answers the product question from a script.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "editor/MultibandEditor.h"
#include "effect/MultibandEffect.h"
#include "gui/Frame.h"
#include "params/DistortionParameters.h"
#include "tests/gui/GuiTestSupport.h"

namespace marrowfold::testing {

// Host opcodes as a host numbers them.
constexpr int32_t kAutomateOpcode = 0;
constexpr int32_t kResizeOpcode = 15;
constexpr int32_t kProductOpcode = 33;
constexpr int32_t kBeginEditOpcode = 43;
constexpr int32_t kEndEditOpcode = 44;

struct HostEvent {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    float opt;
    int16_t busy;  // the model's busyCount while the host handled the call
};

class EditorTest : public HeadlessTest {
  public:
    static std::vector<HostEvent>& events();

  protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the window in the host's window and lets it paint once.
    void open();
    void close();
    // The host's product name; empty means the host writes nothing.
    static void setProductName(const std::string& name);

    // A press at window coordinates, then the mouse follows path (window coordinates too).
    void drag(Point from, const std::vector<MouseStep>& path, uint32_t state = kMouseLeft);
    void click(Point at, uint32_t state = kMouseLeft);

    static int32_t countEvents(int32_t opcode, int32_t index = -1);
    // Automation calls (opcode 0) for index, in order.
    static std::vector<float> automatedValues(int32_t index);

    Frame* frame() const { return editor->getFrame(); }
    const EditorPanel& panel() const { return editor->panel(); }
    cairo_surface_t* surface() { return headless().windowPixels(frame()->window()); }
    int32_t windowWidth() { return headless().window(frame()->window())->screenRect.width(); }
    // How often view stands in the frame's list.
    int32_t occurrences(const View* view) const;
    PresetRecord record(int32_t index) const;

    std::unique_ptr<MultibandEffect> effect;
    MultibandEditor* editor = nullptr;
    DistortionParameters* model = nullptr;
    WindowId host = kNoWindow;
};

}  // namespace marrowfold::testing
