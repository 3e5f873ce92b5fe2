#pragma once

// The effect's editor opened at a scale factor in a host window of the installed window system,
// as the drawing benchmarks time it: a host that answers nothing (the editor then opens
// expanded), one idle pass and one full redraw before anything is timed, so the bitmaps of that
// factor are decoded outside the timing, and then the idle passes that settle the opening: the
// first draws the whole frame, which leaves the views' own marks for redrawing as it found them,
// the next draws those views. An idle pass after them finds nothing changed.

#include <cstdint>
#include <memory>

#include "editor/MultibandEditor.h"
#include "effect/MultibandEffect.h"

namespace marrowfold::bench {

class OpenEditor {
  public:
    OpenEditor(double factor, void* hostWindow)
        : effect_(std::make_unique<MultibandEffect>(&silentHost, &MultibandEditor::create)) {
        effect_->initialize();
        effect_->changeBlockSize(kBlockSize);
        editor = static_cast<MultibandEditor*>(effect_->editorObject());
        editor->hostScaleFactor(static_cast<float>(factor));
        editor->attach(hostWindow);
        editor->idle();
        editor->redrawFrame();
        for (int pass = 0; pass < kSettlingIdlePasses; ++pass)
            editor->idle();
    }
    ~OpenEditor() { editor->detach(); }
    OpenEditor(const OpenEditor&) = delete;
    OpenEditor& operator=(const OpenEditor&) = delete;

    MultibandEditor* editor = nullptr;

  private:
    static constexpr int32_t kBlockSize = 512;
    static constexpr int kSettlingIdlePasses = 3;
    static intptr_t silentHost(EffectRecord*, int32_t, int32_t, intptr_t, void*, float) {
        return 0;
    }

    std::unique_ptr<MultibandEffect> effect_;
};

}  // namespace marrowfold::bench
