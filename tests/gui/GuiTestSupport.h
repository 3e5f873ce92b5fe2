#pragma once

// Shared by the toolkit's tests: the headless platform installed for one test, pixel access on
// cairo surfaces, a recording host, and golden-image comparison.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/HostEffectExt.h"
#include "gui/Canvas.h"
#include "platform/HeadlessPlatform.h"
#include "platform/cairo/CairoSurface.h"

namespace marrowfold::testing {

// Installs a fresh headless platform for the test's lifetime.
class HeadlessTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    HeadlessPlatform& headless() { return *headless_; }
    // A host window at a screen rectangle, to open frames in.
    WindowId hostWindow(PixelRect rect = {100, 200, 900, 600}, const std::string& cls = "Host");

  private:
    HeadlessPlatform* headless_ = nullptr;
    std::unique_ptr<Platform> previous_;
};

// The drawing surface of a test canvas; a base of its own so that it exists before the canvas.
struct CairoTarget {
    explicit CairoTarget(cairo_surface_t* surface) : drawing(surface) {}
    CairoSurface drawing;
};

// A canvas straight on a cairo surface the test owns.
class CairoCanvas : private CairoTarget, public Canvas {
  public:
    CairoCanvas(Frame* frame, cairo_surface_t* surface, WindowId window = kNoWindow)
        : CairoTarget(surface), Canvas(frame, &drawing, window) {}
};

// 0xRRGGBB of a pixel of an RGB or ARGB image surface.
uint32_t pixelAt(cairo_surface_t* surface, int x, int y);
uint32_t rgb(const Color& colour);
// Pixels of colour inside the rectangle [x0, x1) x [y0, y1).
int countPixels(cairo_surface_t* surface, uint32_t colour, int x0, int y0, int x1, int y1);

// An image surface filled with one colour, owned by the caller.
cairo_surface_t* filledSurface(int width, int height, uint32_t colour);

// Compares the surface with tests/gui/golden/<name>.png, allowing each channel to differ by
// tolerance. On a mismatch writes <name>.actual.png and <name>.diff.png into the working folder
// and fails. With MARROWFOLD_WRITE_GOLDEN=1 in the environment it writes the golden instead.
void expectMatchesGolden(cairo_surface_t* surface, const std::string& name, int tolerance);

// What a host heard from the effect: every callback with its opcode, index and value.
struct HostCall {
    int32_t opcode;
    int32_t index;
    intptr_t value;
};

class RecordingEffect : public HostEffectExt {
  public:
    RecordingEffect();
    ~RecordingEffect() override;
    void processAdd(float**, float**, int32_t) override {}

    static std::vector<HostCall>& calls();
    static int32_t count(int32_t opcode);
    // Runs while the host handles an idle request (opcode 3), as a host that calls the editor's
    // idle from inside its own idle service would.
    static void onHostIdle(std::function<void()> action);
};

}  // namespace marrowfold::testing
