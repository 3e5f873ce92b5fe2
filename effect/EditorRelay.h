#pragma once

#include "effect/EditorNotifications.h"
#include "params/ProgramStore.h"

namespace marrowfold {

// Passes each step of a program load on to the editor object, when there is one.
class EditorRelay final : public ProgramLoadObserver {
  public:
    void connect(EditorNotifications* target) { editor = target; }
    // The observer to hand to a program load: none without an editor.
    ProgramLoadObserver* observer() { return editor ? this : nullptr; }

    void dataLoaded(int32_t index, const void* bytes, int32_t size) override {
        editor->dataChanged(index, bytes, size, 0);
    }
    void parameterLoaded(int32_t index, float value) override {
        editor->parameterChanged(index, value);
    }

  private:
    EditorNotifications* editor = nullptr;
};

}  // namespace marrowfold
