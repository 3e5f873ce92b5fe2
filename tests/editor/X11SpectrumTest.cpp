// The spectrum behind the band editor of the real module in a host's X window, with audio going
// through the record while the host idles the editor: a tone's peak sits at the band editor
// axis's place for its frequency, silence leaves the view as it was without audio, and a
// guitar-like signal is kept as a screenshot to look at.

#include <gtest/gtest.h>
// Xlib's macros must follow the test framework's headers.
#include <X11/Xlib.h>

#include <cairo.h>

#include <functional>
#include <memory>
#include <string>

#include "tests/editor/SpectrumProbe.h"
#include "tests/editor/X11EditorHost.h"
#include "tests/integration/ModuleFixture.h"
#include "tests/platform/X11HostWindow.h"
#include "tests/platform/XvfbSession.h"

namespace marrowfold::testing {
namespace {

using namespace spectrum;

// A screenshot of the whole screen, read back.
class Shot {
  public:
    explicit Shot(const std::string& path)
        : surface(cairo_image_surface_create_from_png(path.c_str())) {}
    ~Shot() { cairo_surface_destroy(surface); }
    bool ok() const { return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS; }
    // At editor coordinates.
    uint32_t pixel(int x, int y) const {
        const unsigned char* row = cairo_image_surface_get_data(surface) +
                                   (kHostY + y) * cairo_image_surface_get_stride(surface);
        return reinterpret_cast<const uint32_t*>(row)[kHostX + x] & 0xffffff;
    }
    PixelAt pixels() const {
        return [this](int x, int y) { return pixel(x, y); };
    }
    int highestColumnOf(uint32_t colour) const {
        return spectrum::highestColumnOf(pixels(), colour);
    }

  private:
    cairo_surface_t* surface;
};

class X11SpectrumTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!XvfbSession::shared().ready()) GTEST_SKIP() << XvfbSession::shared().problem();
        ASSERT_TRUE(builtModule().isOpen()) << builtModule().error();
        hostWindow = std::make_unique<X11HostWindow>(kHostX, kHostY, 760, 240, kHostBackground);
        ASSERT_TRUE(hostWindow->isOpen());
        ASSERT_TRUE(host.create(builtModule()));
        host.setSampleRate(kRate);
        host.setBlockSize(kBlock);
        host.setActive(true);
        host.dispatch(kOpenEditor, 0, 0, reinterpret_cast<void*>(hostWindow->window()));
        ASSERT_TRUE(idleUntil([&] { return editorWidth() > 0; }));
        ASSERT_EQ(XvfbSession::xdotool("mousemove " + std::to_string(kHostX + kEditX) + " " +
                                       std::to_string(kHostY + kEditY) + " click 1"),
                  0);
        ASSERT_TRUE(idleUntil([&] { return editorWidth() == kExpandedWidth; })) << editorWidth();
        idleFor(300);
    }
    void TearDown() override {
        if (host.isOpen()) {
            host.dispatch(kCloseEditor);
            host.close();
        }
        hostWindow.reset();
    }

    bool idleUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
        return pollUntil([this] { host.dispatch(kEditorIdle); }, done, timeoutMs);
    }
    void idleFor(int ms) {
        idleUntil([] { return false; }, ms);
    }
    int editorWidth() { return childWidth(*hostWindow); }

    // Plays the signal with the editor idled between blocks, then lets the last frame paint.
    void play(float seconds, const std::function<float(int64_t)>& signal) {
        position =
            spectrum::play(host, position, seconds, signal, [this] { host.dispatch(kEditorIdle); });
        idleFor(200);
    }
    void playTone(float hz, float seconds) {
        play(seconds, [hz](int64_t n) { return tone(hz, n); });
    }
    std::string screenshot(const std::string& name) {
        const std::string path = ::testing::TempDir() + name;
        EXPECT_TRUE(XvfbSession::screenshot(path));
        return path;
    }

    std::unique_ptr<X11HostWindow> hostWindow;
    PluginHost host;
    int64_t position = 0;
};

TEST_F(X11SpectrumTest, TonePeaksSitAtTheAxisPlacesOfTheirFrequencies) {
    for (const float hz : {1000.0f, 8000.0f}) {
        playTone(hz, 1.0f);
        const Shot shot(
            screenshot("x11_spectrum_" + std::to_string(static_cast<int>(hz)) + ".png"));
        ASSERT_TRUE(shot.ok());
        const int line = shot.highestColumnOf(kSpectrumLine);
        const int fill = shot.highestColumnOf(kSpectrumFill);
        ASSERT_GE(line, 0) << hz << " Hz: no input line drawn";
        ASSERT_GE(fill, 0) << hz << " Hz: no output curve drawn";
        EXPECT_NEAR(line, axisPixel(hz), kPixelTolerance) << hz << " Hz, input";
        EXPECT_NEAR(fill, axisPixel(hz), kPixelTolerance) << hz << " Hz, output";
    }
}

TEST_F(X11SpectrumTest, SilenceLeavesTheViewAsWithoutAudio) {
    const Shot before(screenshot("x11_spectrum_before_audio.png"));
    playTone(1000.0f, 0.5f);
    const Shot loud(screenshot("x11_spectrum_loud.png"));
    play(kSilenceSeconds, [](int64_t) { return 0.0f; });
    const Shot after(screenshot("x11_spectrum_after_silence.png"));
    ASSERT_TRUE(before.ok() && loud.ok() && after.ok());
    int changedByTone = 0;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < kExpandedWidth; ++x) {
            changedByTone += loud.pixel(x, y) != before.pixel(x, y);
            ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << ", " << y;
        }
    }
    EXPECT_GT(changedByTone, 100) << "the tone was shown";
}

// A tone in the middle of band 2 of the default preset: band 2's meter rises well above the
// others, which show only what their filters let through, and In and Out move too.
TEST_F(X11SpectrumTest, ToneInBandTwoMovesBandTwosMeter) {
    constexpr int kClearlyAbove = 5;  // pixels: 10 dB on the meter's scale
    const Shot silent(screenshot("x11_meters_silent.png"));
    playTone(kBandTwoHz, 1.0f);
    const Shot shot(screenshot("x11_meters_band2.png"));
    ASSERT_TRUE(silent.ok() && shot.ok());
    const int bandTwo = meterHeight(shot.pixels(), silent.pixels(), kBandTwoMeter);
    EXPECT_GT(bandTwo, kMeterHeight / 2);
    for (const int other : {0, 2, 3})
        EXPECT_LE(meterHeight(shot.pixels(), silent.pixels(), other), bandTwo - kClearlyAbove)
            << "band " << other + 1;
    EXPECT_GT(meterHeight(shot.pixels(), silent.pixels(), kInMeter), 0) << "In";
    EXPECT_GT(meterHeight(shot.pixels(), silent.pixels(), kOutMeter), 0) << "Out";
}

// A strummed chord of plucked strings for a person to look at: x11_spectrum_guitar.png in the
// test output.
TEST_F(X11SpectrumTest, GuitarLikeSignalIsShownForALook) {
    PluckedChord chord;
    play(1.5f, std::ref(chord));
    const Shot shot(screenshot("x11_spectrum_guitar.png"));
    ASSERT_TRUE(shot.ok());
    EXPECT_GE(shot.highestColumnOf(kSpectrumFill), 0);
    EXPECT_GE(shot.highestColumnOf(kSpectrumLine), 0);
}

}  // namespace
}  // namespace marrowfold::testing
