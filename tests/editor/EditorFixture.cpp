#include "tests/editor/EditorFixture.h"

#include <algorithm>
#include <cstring>

namespace marrowfold::testing {

namespace {

constexpr int32_t kVersionOpcode = 1;
constexpr size_t kProductBytes = 64;

DistortionParameters* observedModel = nullptr;

std::string& productName() {
    static std::string name;
    return name;
}

intptr_t recordingHost(EffectRecord*, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                       float opt) {
    const int16_t busy = observedModel ? observedModel->busyCount() : int16_t{0};
    EditorTest::events().push_back({opcode, index, value, opt, busy});
    if (opcode == kVersionOpcode) return 2400;
    if (opcode == kProductOpcode && ptr && !productName().empty()) {
        std::strncpy(static_cast<char*>(ptr), productName().c_str(), kProductBytes - 1);
        return 1;
    }
    return 0;
}

}  // namespace

void EditorTest::SetUp() {
    HeadlessTest::SetUp();
    events().clear();
    setProductName("Test Host");
    host = hostWindow({100, 200, 900, 600});
    effect = std::make_unique<MultibandEffect>(&recordingHost, &MultibandEditor::create);
    ASSERT_TRUE(effect->initialize());
    editor = static_cast<MultibandEditor*>(effect->editorObject());
    model = effect->parameterModel();
    observedModel = model;
    effect->changeBlockSize(512);  // a host that has settled: the editor opens compact
}

void EditorTest::TearDown() {
    close();
    observedModel = nullptr;
    effect.reset();
    HeadlessTest::TearDown();
}

void EditorTest::open() {
    editor->attach(reinterpret_cast<void*>(host));
    editor->idle();
}

void EditorTest::close() {
    if (editor && editor->getFrame()) editor->detach();
}

void EditorTest::setProductName(const std::string& name) {
    productName() = name;
}

void EditorTest::drag(Point from, const std::vector<MouseStep>& path, uint32_t state) {
    headless().setMouse(0, 0, 0);
    std::vector<MouseStep> screen;
    for (MouseStep step : path) {
        const PixelPoint p = headless().toScreen(frame()->window(), step.x, step.y);
        step.x = p.x;
        step.y = p.y;
        screen.push_back(step);
    }
    headless().queueMouse(screen);
    headless().press(frame()->window(), from.h, from.v, state);
}

void EditorTest::click(Point at, uint32_t state) {
    drag(at, {{at.h, at.v, 0}}, state);
}

std::vector<HostEvent>& EditorTest::events() {
    static std::vector<HostEvent> all;
    return all;
}

int32_t EditorTest::countEvents(int32_t opcode, int32_t index) {
    return static_cast<int32_t>(std::count_if(events().begin(), events().end(), [&](auto& e) {
        return e.opcode == opcode && (index < 0 || e.index == index);
    }));
}

std::vector<float> EditorTest::automatedValues(int32_t index) {
    std::vector<float> values;
    for (const HostEvent& e : events()) {
        if (e.opcode == kAutomateOpcode && e.index == index) values.push_back(e.opt);
    }
    return values;
}

int32_t EditorTest::occurrences(const View* view) const {
    int32_t n = 0;
    for (int32_t i = 0; i < frame()->viewCount(); ++i)
        n += frame()->viewAt(i) == view;
    return n;
}

PresetRecord EditorTest::record(int32_t index) const {
    PresetRecord preset{};
    model->getData(ParamBank, &preset, kPresetRecordSize, index);
    return preset;
}

}  // namespace marrowfold::testing
