// What the scale factor costs the editor's drawing on the GDI surface, as EditorDrawBenchmark
// measures it on cairo: a full redraw of the expanded panel, and an idle pass with nothing
// changed, at factors 1 and 2 in a Win32 host window. The factors take turns round by round so
// both meet the same load; each is summarised by its median. Run it under wine with
// cmake/wine-run win64 <prefix> bench_editor_gdi.exe; it prints one line per factor and the
// ratios.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/OpenEditor.h"
#include "bench/SideBySide.h"

namespace marrowfold {
namespace {

constexpr int kRounds = 15;
constexpr int kRedrawsPerRound = 40;
constexpr int kIdlesPerRound = 2000;
constexpr double kFactors[] = {1.0, 2.0};
// Room for the expanded editor at factor 2.
constexpr int kHostWidth = 1600;
constexpr int kHostHeight = 500;
constexpr char kHostClass[] = "MarrowfoldBenchHost";

// A top-level window of a plain class of the program's own, as a host gives the editor.
HWND createHostWindow() {
    WNDCLASSA description{};
    description.lpfnWndProc = DefWindowProcA;
    description.hInstance = GetModuleHandleA(nullptr);
    description.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    description.lpszClassName = kHostClass;
    RegisterClassA(&description);
    HWND window =
        CreateWindowExA(0, kHostClass, "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, kHostWidth,
                        kHostHeight, nullptr, nullptr, description.hInstance, nullptr);
    return window;
}

void pumpMessages() {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// Microseconds per call of work, over count calls.
template <typename Work>
double microsecondsEach(int count, Work&& work) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i)
        work();
    const std::chrono::duration<double, std::micro> spent =
        std::chrono::steady_clock::now() - start;
    return spent.count() / count;
}

struct Timings {
    std::vector<double> redraw;
    std::vector<double> idle;
};

void timeOneRound(double factor, HWND host, Timings& timings) {
    bench::OpenEditor open(factor, host);
    pumpMessages();
    timings.redraw.push_back(
        microsecondsEach(kRedrawsPerRound, [&] { open.editor->redrawFrame(); }));
    timings.idle.push_back(microsecondsEach(kIdlesPerRound, [&] { open.editor->idle(); }));
}

}  // namespace
}  // namespace marrowfold

int main() {
    using namespace marrowfold;
    HWND host = createHostWindow();
    if (!host) return 1;
    pumpMessages();
    Timings timings[std::size(kFactors)];
    for (int round = 0; round < kRounds; ++round) {
        for (size_t i = 0; i < std::size(kFactors); ++i)
            timeOneRound(kFactors[i], host, timings[i]);
    }
    DestroyWindow(host);

    double redraw[std::size(kFactors)] = {};
    double idle[std::size(kFactors)] = {};
    for (size_t i = 0; i < std::size(kFactors); ++i) {
        redraw[i] = bench::median(timings[i].redraw);
        idle[i] = bench::median(timings[i].idle);
        std::printf("GDI at %.1fx: full redraw %.0f us, idle pass %.3f us\n", kFactors[i],
                    redraw[i], idle[i]);
    }
    std::printf("GDI at 2x over 1x: full redraw %.2fx, idle pass %.2fx\n", redraw[1] / redraw[0],
                idle[1] / idle[0]);
    return 0;
}
