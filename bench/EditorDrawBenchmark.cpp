// What the scale factor costs the editor's drawing: a full redraw of the expanded panel, and an
// idle pass with nothing changed, at factors 1, 1.5, 2 and 3 on the in-memory window system.
// The bitmaps of each scale are decoded in the first pass, outside the timing.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/OpenEditor.h"
#include "platform/HeadlessPlatform.h"

namespace marrowfold {
namespace {

constexpr PixelRect kHostWindow{0, 0, 3000, 1000};

// The in-memory window system installed for the editor's lifetime, with a host window in it.
class HeadlessHost {
  public:
    HeadlessHost() {
        auto platform = std::make_unique<HeadlessPlatform>();
        window = platform->createHostWindow(kNoWindow, "Host", kHostWindow);
        previous = replacePlatform(std::move(platform));
    }
    ~HeadlessHost() { replacePlatform(std::move(previous)); }
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    WindowId window = kNoWindow;

  private:
    std::unique_ptr<Platform> previous;
};

// The editor open at a factor on the in-memory window system, closed before the system goes.
struct HeadlessEditor {
    explicit HeadlessEditor(double factor) : open(factor, reinterpret_cast<void*>(host.window)) {}
    HeadlessHost host;
    bench::OpenEditor open;
};

double factorOf(const benchmark::State& state) {
    return static_cast<double>(state.range(0)) / 2.0;
}

void fullRedraw(benchmark::State& state) {
    HeadlessEditor headless(factorOf(state));
    for (auto _ : state)
        headless.open.editor->redrawFrame();
}

void idlePass(benchmark::State& state) {
    HeadlessEditor headless(factorOf(state));
    for (auto _ : state)
        headless.open.editor->idle();
}

// The argument is twice the factor.
BENCHMARK(fullRedraw)->Arg(2)->Arg(3)->Arg(4)->Arg(6)->Unit(benchmark::kMicrosecond);
BENCHMARK(idlePass)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace marrowfold

BENCHMARK_MAIN();
