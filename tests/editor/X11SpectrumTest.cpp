// The spectrum behind the band editor of the real module in a host's X window, with audio going
// through the record while the host idles the editor: a tone's peak sits at the band editor
// axis's place for its frequency, silence leaves the view as it was without audio, and a
// guitar-like signal is kept as a screenshot to look at.

#include <gtest/gtest.h>
// Xlib's macros must follow the test framework's headers.
#include <X11/Xlib.h>

#include <cairo.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tests/editor/X11EditorHost.h"
#include "tests/integration/ModuleFixture.h"
#include "tests/platform/X11HostWindow.h"
#include "tests/platform/XvfbSession.h"

namespace marrowfold::testing {
namespace {

constexpr float kRate = 44100.0f;
constexpr int32_t kBlock = 512;

// The band editor's frequency axis in editor coordinates: log2 of the frequency from 25 Hz at
// the handle area's left to half the sample rate at its right.
constexpr int kAxisLeft = 395;
constexpr int kAxisRight = 628;
constexpr int kAxisTop = 38;
constexpr int kAxisBottom = 159;
constexpr float kAxisLowHz = 25.0f;
constexpr uint32_t kSpectrumFill = 0x1f4575;  // (31, 69, 117)
constexpr uint32_t kSpectrumLine = 0x4982ab;  // (73, 130, 171)

float axisPixel(float hz) {
    const float octaves = std::log2(hz / kAxisLowHz) / std::log2(0.5f * kRate / kAxisLowHz);
    return static_cast<float>(kAxisLeft) + octaves * static_cast<float>(kAxisRight - kAxisLeft);
}

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
    // The column where colour reaches highest in the band editor's handle area; -1 without it.
    int highestColumnOf(uint32_t colour) const {
        for (int y = kAxisTop; y < kAxisBottom; ++y) {
            for (int x = kAxisLeft; x < kAxisRight; ++x) {
                if (pixel(x, y) == colour) return x;
            }
        }
        return -1;
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

    // Plays seconds of signal(n) through the record block by block in real time, idling the
    // editor between blocks as a host's user-interface thread would, then lets the last frame
    // paint.
    void play(float seconds, const std::function<float(int64_t)>& signal) {
        StereoBuffers buffers(kBlock);
        const int64_t frames = static_cast<int64_t>(seconds * kRate);
        const auto start = std::chrono::steady_clock::now();
        for (int64_t done = 0; done < frames; done += kBlock) {
            for (int32_t i = 0; i < kBlock; ++i)
                buffers.left[i] = buffers.right[i] = signal(position++);
            host.processReplace(buffers.inputs(), buffers.outputs(), kBlock);
            host.dispatch(kEditorIdle);
            std::this_thread::sleep_until(
                start + std::chrono::duration<double>(static_cast<double>(done + kBlock) / kRate));
        }
        idleFor(200);
    }
    void playTone(float hz, float seconds) {
        play(seconds, [hz](int64_t n) {
            return 0.25f * static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * n / kRate));
        });
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
    constexpr float kPixelTolerance = 3.0f;
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
    play(3.0f, [](int64_t) { return 0.0f; });
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

// The meters beside the knobs, in editor coordinates: Band 1..4, In, Out; the middle column is
// read.
constexpr int kMeterColumns[] = {88, 169, 249, 329, 89, 278};
constexpr int kBandMeterTop = 75, kLevelMeterTop = 145, kMeterHeight = 30;

// How many rows of a meter's column differ from the same column without audio.
int meterHeight(const Shot& shot, const Shot& silent, int meter) {
    const int top = meter < 4 ? kBandMeterTop : kLevelMeterTop;
    int rows = 0;
    for (int y = top; y < top + kMeterHeight; ++y)
        rows += shot.pixel(kMeterColumns[meter], y) != silent.pixel(kMeterColumns[meter], y);
    return rows;
}

// A tone in the middle of band 2 of the default preset: band 2's meter rises well above the
// others, which show only what their filters let through, and In and Out move too.
TEST_F(X11SpectrumTest, ToneInBandTwoMovesBandTwosMeter) {
    constexpr int kBandTwo = 1;
    constexpr int kClearlyAbove = 5;  // pixels: 10 dB on the meter's scale
    const Shot silent(screenshot("x11_meters_silent.png"));
    playTone(300.0f, 1.0f);
    const Shot shot(screenshot("x11_meters_band2.png"));
    ASSERT_TRUE(silent.ok() && shot.ok());
    const int bandTwo = meterHeight(shot, silent, kBandTwo);
    EXPECT_GT(bandTwo, kMeterHeight / 2);
    for (const int other : {0, 2, 3})
        EXPECT_LE(meterHeight(shot, silent, other), bandTwo - kClearlyAbove)
            << "band " << other + 1;
    EXPECT_GT(meterHeight(shot, silent, 4), 0) << "In";
    EXPECT_GT(meterHeight(shot, silent, 5), 0) << "Out";
}

// Plucked strings (a decaying delay line with a two-tap average) strummed as an E major chord,
// for a person to look at: x11_spectrum_guitar.png in the test output.
TEST_F(X11SpectrumTest, GuitarLikeSignalIsShownForALook) {
    const float chord[] = {82.4f, 123.5f, 164.8f, 207.7f, 246.9f, 329.6f};
    std::vector<std::vector<float>> strings;
    std::mt19937 random(3);
    std::uniform_real_distribution<float> pluck(-0.5f, 0.5f);
    for (const float hz : chord) {
        strings.emplace_back(static_cast<size_t>(kRate / hz));
        for (float& s : strings.back())
            s = pluck(random);
    }
    play(1.5f, [&](int64_t n) {
        float sum = 0.0f;
        for (std::vector<float>& line : strings) {
            const size_t i = static_cast<size_t>(n) % line.size();
            const float next = line[(i + 1) % line.size()];
            const float out = line[i];
            line[i] = 0.498f * (out + next);
            sum += out;
        }
        return 0.3f * sum;
    });
    const Shot shot(screenshot("x11_spectrum_guitar.png"));
    ASSERT_TRUE(shot.ok());
    EXPECT_GE(shot.highestColumnOf(kSpectrumFill), 0);
    EXPECT_GE(shot.highestColumnOf(kSpectrumLine), 0);
}

}  // namespace
}  // namespace marrowfold::testing
