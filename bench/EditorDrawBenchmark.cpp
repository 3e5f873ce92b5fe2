// What the scale factor costs the editor's drawing: a full redraw of the expanded panel, and an
// idle pass with nothing changed, at factors 1, 1.5, 2 and 3 on the in-memory window system.
// The bitmaps of each scale are decoded in the first pass, outside the timing.
#include <benchmark/benchmark.h>

#include <memory>

#include "editor/MultibandEditor.h"
#include "effect/MultibandEffect.h"
#include "platform/HeadlessPlatform.h"

namespace marrowfold {
namespace {

constexpr PixelRect kHostWindow{0, 0, 3000, 1000};
constexpr int32_t kBlockSize = 512;

// A host that answers nothing: the editor then opens expanded.
intptr_t silentHost(EffectRecord*, int32_t, int32_t, intptr_t, void*, float) {
    return 0;
}

// The effect's editor open at a factor in a host window of the in-memory window system.
class OpenEditor {
  public:
    explicit OpenEditor(double factor) {
        auto platform = std::make_unique<HeadlessPlatform>();
        headless = platform.get();
        previous = replacePlatform(std::move(platform));
        effect = std::make_unique<MultibandEffect>(&silentHost, &MultibandEditor::create);
        effect->initialize();
        effect->changeBlockSize(kBlockSize);
        editor = static_cast<MultibandEditor*>(effect->editorObject());
        editor->hostScaleFactor(static_cast<float>(factor));
        const WindowId host = headless->createHostWindow(kNoWindow, "Host", kHostWindow);
        editor->attach(reinterpret_cast<void*>(host));
        editor->idle();
        editor->redrawFrame();
    }
    ~OpenEditor() {
        editor->detach();
        effect.reset();
        replacePlatform(std::move(previous));
    }
    OpenEditor(const OpenEditor&) = delete;
    OpenEditor& operator=(const OpenEditor&) = delete;

    MultibandEditor* editor = nullptr;

  private:
    HeadlessPlatform* headless = nullptr;
    std::unique_ptr<Platform> previous;
    std::unique_ptr<MultibandEffect> effect;
};

double factorOf(const benchmark::State& state) {
    return static_cast<double>(state.range(0)) / 2.0;
}

void fullRedraw(benchmark::State& state) {
    OpenEditor open(factorOf(state));
    for (auto _ : state)
        open.editor->redrawFrame();
}

void idlePass(benchmark::State& state) {
    OpenEditor open(factorOf(state));
    for (auto _ : state)
        open.editor->idle();
}

// The argument is twice the factor.
BENCHMARK(fullRedraw)->Arg(2)->Arg(3)->Arg(4)->Arg(6)->Unit(benchmark::kMicrosecond);
BENCHMARK(idlePass)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace marrowfold

BENCHMARK_MAIN();
