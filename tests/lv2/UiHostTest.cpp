// The plug-in's UI in a real host: jalv.gtk3 under Xvfb shows the module's editor in its window.
// A click on Edit widens the host's window; after the collapse the extra width shows the panel's
// blue from the bridge's own window; a knob drag in the editor reaches the host's port (seen in
// the state jalv saves); a preset the host applies moves the knobs. Screenshots stay in the
// test's output folder. On a desktop at twice the usual density (Xft.dpi 192) the editor's
// window inside jalv's is twice the compact size and shows the panel.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <thread>

#include "tests/lv2/HostRun.h"
#include "tests/lv2/ScreenPixels.h"
#include "tests/platform/XvfbSession.h"

namespace marrowfold::testing {
namespace {

constexpr uint32_t kPanelBlue = 0x000f43;  // (0, 15, 67)
constexpr int32_t kCompactWidth = 364;
constexpr int32_t kExpandedWidth = 728;
constexpr int32_t kCompactHeight = 213;
// A desktop at twice the usual 96 dots per inch, and the editor's size there.
constexpr const char* kDoubleDensityDpi = "192";
constexpr int32_t kDoubleScale = 2;
// Where things are in the editor, from its top left corner.
constexpr int32_t kEditX = 338, kEditY = 195;
constexpr int32_t kPanelRowY = 35;  // a row of bare panel at the editor's left edge
constexpr int32_t kKnobX = 62, kKnobY = 89;
constexpr int32_t kBandEditorLeft = 390, kBandEditorTop = 40;
constexpr int32_t kBandEditorRight = 640, kBandEditorBottom = 180;
constexpr int32_t kDrawnPixels = 1000;
constexpr int32_t kValueFieldsTop = 57, kValueFieldsBottom = 69;
constexpr int32_t kValueFieldsLeft = 40, kValueFieldsRight = 330;
// jalv.gtk3's menu bar: File at its left, Presets beside it, and their first items.
constexpr int32_t kFileMenuX = 20, kPresetsMenuX = 70, kMenuY = 12;
constexpr int32_t kSaveItemX = 45, kSaveItemY = 37;
constexpr int32_t kFirstPresetX = 120, kFirstPresetY = 84;

std::string outputFolder() {
    const std::string folder = MARROWFOLD_LV2_TEST_OUTPUT;
    std::filesystem::create_directories(folder);
    return folder;
}

bool waitUntil(const std::function<bool()>& condition, int32_t milliseconds = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return condition();
}

class JalvGtkSession {
  public:
    // With dotsPerInch the X server's resource database holds that Xft.dpi while jalv runs.
    explicit JalvGtkSession(const std::string& dotsPerInch = "") {
        script =
            XvfbSession::scriptAsync("LV2_PATH=" + shellWord(path.lv2Path()) + " " +
                                     shellWord(MARROWFOLD_LV2_TEST_SOURCE "/jalv-gtk-session.sh") +
                                     " " + shellWord(path.folder().file("")) + " " +
                                     shellWord(kPluginUri) + " " + shellWord(dotsPerInch));
    }
    ~JalvGtkSession() { stop(); }

    std::string stop() {
        if (script > 0) {
            std::ofstream(path.folder().file("STOP")) << "stop\n";
            XvfbSession::waitFor(script);
            script = -1;
        }
        return readText(path.folder().file("status"));
    }

    std::string shell(const std::string& command) { return runShell(path, command, 20).output; }
    std::string window() {
        const std::string found = shell("xdotool search --name '^Marrowfold'");
        return found.substr(0, found.find('\n'));
    }
    int32_t windowWidth(const std::string& id) {
        std::smatch match;
        const std::string geometry = shell("xdotool getwindowgeometry --shell " + id);
        return std::regex_search(geometry, match, std::regex("WIDTH=(\\d+)")) ? std::stoi(match[1])
                                                                              : 0;
    }
    // Clicks at a point of the window, or drags through the points given after it.
    void click(const std::string& id, int32_t x, int32_t y) {
        shell("xdotool mousemove --window " + id + " " + std::to_string(x) + " " +
              std::to_string(y) + " click 1");
    }
    // The size of the editor's own window among the host window's descendants, as
    // "WIDTHxHEIGHT", or nothing when it is not there.
    std::string editorWindowSize(const std::string& id) {
        std::smatch match;
        const std::string tree = shell("xwininfo -tree -id " + id);
        return std::regex_search(tree, match,
                                 std::regex("\"Window\": \\(\"Window\"[^)]*\\)\\s+(\\d+x\\d+)"))
                   ? std::string(match[1])
                   : std::string();
    }
    std::string screenshot(const std::string& name) {
        const std::string file = outputFolder() + "/" + name;
        XvfbSession::screenshot(file);
        return file;
    }
    const BundlePath& bundlePath() const { return path; }

  private:
    BundlePath path;
    pid_t script = -1;
};

// The editor's top: the first row below the host's menu bar that shows the panel.
int32_t editorTop(const ScreenPixels& shot) {
    for (int32_t y = 0; y < 100; ++y) {
        const uint32_t pixel = shot.at(2, y);
        if ((pixel & 0xff) > ((pixel >> 16) & 0xff) + 30) return y;
    }
    return -1;
}

float savedPortValue(const std::string& stateText, const std::string& symbol) {
    std::smatch match;
    const std::regex value("lv2:symbol \"" + symbol + "\" ;\\s*pset:value ([-0-9.e]+)");
    return std::regex_search(stateText, match, value) ? std::stof(match[1]) : -1000.0f;
}

// Opens jalv's Save State dialog through its File menu and answers its window, or nothing when
// no dialog was shown.
std::string openSaveDialog(JalvGtkSession& jalv, const std::string& id) {
    jalv.click(id, kFileMenuX, kMenuY);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    jalv.click(id, kSaveItemX, kSaveItemY);
    std::string dialog;
    waitUntil([&] {
        const std::string found = jalv.shell("xdotool search --onlyvisible --name '^Save State'");
        dialog = found.substr(0, found.find('\n'));
        return !dialog.empty();
    });
    return dialog;
}

// Saves jalv's state through its File menu and answers the saved state's text, or nothing when
// no state was saved. A busy machine can lose the first keys typed into a dialog that has just
// appeared, so a try that saved nothing closes whatever it left open and starts again.
std::string saveStateThroughMenu(JalvGtkSession& jalv, const std::string& id) {
    constexpr int32_t kTries = 3;
    const std::string saved = jalv.bundlePath().folder().file("saved");
    for (int32_t attempt = 1; attempt <= kTries; ++attempt) {
        const std::string dialog = openSaveDialog(jalv, id);
        if (!dialog.empty()) {
            jalv.shell("xdotool windowfocus --sync " + dialog +
                       " sleep 0.3 key ctrl+a type --delay 20 " + shellWord(saved));
            jalv.screenshot("jalv-gtk3-save-" + std::to_string(attempt) + ".png");
            // The first Return closes the name completion; then the Save button by its mnemonic
            // (the dialog may be larger than the screen).
            jalv.shell("sleep 0.5; xdotool key Return; sleep 0.5; xdotool key alt+s");
            if (waitUntil([&] { return std::filesystem::exists(saved + "/state.ttl"); })) {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                return readText(saved + "/state.ttl");
            }
        }
        jalv.shell("xdotool key Escape; sleep 0.5");
    }
    return {};
}

void requireHostPrograms() {
    for (const char* program : {"jackd", "jalv.gtk3", "xdotool", "xwininfo", "xrdb", "Xvfb"})
        ASSERT_TRUE(programExists(program)) << program;
    ASSERT_TRUE(XvfbSession::shared().ready()) << XvfbSession::shared().problem();
}

// Waits for jalv's window and for the panel in it at the given scale; answers the window and
// the editor's top row in the screenshot saved under the given name.
void waitForEditor(JalvGtkSession& jalv, const std::string& picture, int32_t scale, std::string& id,
                   int32_t& top) {
    ASSERT_TRUE(waitUntil([&] { return !(id = jalv.window()).empty(); }))
        << readText(jalv.bundlePath().folder().file("jalv.log"));
    ASSERT_TRUE(waitUntil([&] {
        const ScreenPixels shot(jalv.screenshot(picture));
        top = editorTop(shot);
        return top >= 0 && shot.at(2, top + kPanelRowY * scale) == kPanelBlue;
    })) << "no panel in the host's window";
}

TEST(UiHost, JalvGtkShowsTheEditorWhichResizesAndExchangesValuesWithTheHost) {
    requireHostPrograms();
    JalvGtkSession jalv;
    std::string id;
    int32_t top = -1;
    ASSERT_NO_FATAL_FAILURE(waitForEditor(jalv, "jalv-gtk3-compact.png", 1, id, top));
    EXPECT_EQ(jalv.windowWidth(id), kCompactWidth);
    EXPECT_EQ(jalv.editorWindowSize(id),
              std::to_string(kCompactWidth) + "x" + std::to_string(kCompactHeight));

    // A knob drag around the knob's centre raises Band1.
    jalv.shell("xdotool mousemove --window " + id + " " + std::to_string(kKnobX) + " " +
               std::to_string(top + kKnobY) + " mousedown 1 sleep 0.3 mousemove --window " + id +
               " 80 " + std::to_string(top + kKnobY - 14) + " sleep 0.3 mousemove --window " + id +
               " 95 " + std::to_string(top + kKnobY) + " sleep 0.3 mouseup 1");

    jalv.click(id, kEditX, top + kEditY);
    EXPECT_TRUE(waitUntil([&] { return jalv.windowWidth(id) == kExpandedWidth; }))
        << jalv.windowWidth(id);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const ScreenPixels expanded(jalv.screenshot("jalv-gtk3-expanded.png"));
    // The band editor's grid, curve and scale in the right half.
    EXPECT_GT(expanded.countOther(kPanelBlue, kBandEditorLeft, top + kBandEditorTop,
                                  kBandEditorRight, top + kBandEditorBottom),
              kDrawnPixels);

    jalv.click(id, kEditX, top + kEditY);
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    const ScreenPixels collapsed(jalv.screenshot("jalv-gtk3-collapsed.png"));
    // jalv.gtk3 keeps the wider window: all of the extra width is the holder's panel blue.
    if (jalv.windowWidth(id) > kCompactWidth) {
        EXPECT_EQ(collapsed.countOther(kPanelBlue, kCompactWidth + 1, top + 1,
                                       jalv.windowWidth(id) - 1, top + kEditY),
                  0);
    }

    // The host's port holds what the editor set: jalv's saved state says so.
    const std::string state = saveStateThroughMenu(jalv, id);
    ASSERT_FALSE(state.empty()) << "jalv saved no state";
    EXPECT_GT(savedPortValue(state, "band1"), 1.0f) << state.substr(0, 1200);
    EXPECT_NE(state.find("urn:marrowfold:lv2:state#bank"), std::string::npos);

    // A preset applied by the host sets its ports; the editor's knobs and fields follow.
    const ScreenPixels before(jalv.screenshot("jalv-gtk3-before-preset.png"));
    jalv.click(id, kPresetsMenuX, kMenuY);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    jalv.click(id, kFirstPresetX, kFirstPresetY);
    EXPECT_TRUE(waitUntil([&] {
        const ScreenPixels after(jalv.screenshot("jalv-gtk3-after-preset.png"));
        return after.differsIn(before, kValueFieldsLeft, top + kValueFieldsTop, kValueFieldsRight,
                               top + kValueFieldsBottom);
    }));
    EXPECT_EQ(jalv.stop(), "jalv.gtk3 exit status 0\n");
}

TEST(UiHost, JalvGtkOnADoubleDensityDesktopShowsTheEditorAtTwiceItsSize) {
    requireHostPrograms();
    JalvGtkSession jalv(kDoubleDensityDpi);
    std::string id;
    int32_t top = -1;
    ASSERT_NO_FATAL_FAILURE(waitForEditor(jalv, "jalv-gtk3-compact-2x.png", kDoubleScale, id, top));
    EXPECT_EQ(jalv.editorWindowSize(id), std::to_string(kCompactWidth * kDoubleScale) + "x" +
                                             std::to_string(kCompactHeight * kDoubleScale));
    EXPECT_EQ(jalv.windowWidth(id), kCompactWidth * kDoubleScale);
    // The editor's controls are drawn across the doubled area: its lower right quarter, blank
    // panel if only the compact size were drawn, shows the knobs and buttons.
    const ScreenPixels shot(jalv.screenshot("jalv-gtk3-compact-2x.png"));
    EXPECT_GT(shot.countOther(kPanelBlue, kCompactWidth, top + kCompactHeight,
                              kCompactWidth * kDoubleScale, top + kCompactHeight * kDoubleScale),
              kDrawnPixels);
    EXPECT_EQ(jalv.stop(), "jalv.gtk3 exit status 0\n");
}

}  // namespace
}  // namespace marrowfold::testing
