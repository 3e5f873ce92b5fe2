#include "core/HostEditor.h"

namespace marrowfold {

namespace {
constexpr int32_t kKeyNotHandled = -1;
}

HostEditor::HostEditor(HostEffectExt* owner) : effect(owner) {}

HostEditor::~HostEditor() = default;

int32_t HostEditor::getBounds(EditorRect** rect) {
    if (rect != nullptr) *rect = nullptr;
    return 0;
}

int32_t HostEditor::attach(void* parentWindow) {
    systemWindow = parentWindow;
    return 0;
}

void HostEditor::detach() {}

void HostEditor::idle() {
    if (refreshPending.exchange(0) == 0) return;
    refresh();
}

void HostEditor::refresh() {}

void HostEditor::requestRefresh() {
    refreshPending = 1;
}

int32_t HostEditor::keyPressed(KeyRecord*) {
    return kKeyNotHandled;
}

int32_t HostEditor::keyReleased(KeyRecord*) {
    return kKeyNotHandled;
}

int32_t HostEditor::chooseKnobMode(int32_t) {
    return 0;
}

int32_t HostEditor::hostScaleFactor(float) {
    return 0;
}

int32_t HostEditor::wheelTurned(float) {
    return 0;
}

}  // namespace marrowfold
