// The plug-in's UI in a real host: jalv.gtk3 under Xvfb shows the module's editor in its window.
// A click on Edit widens the host's window; after the collapse the extra width shows the panel's
// blue from the bridge's own window; a knob drag and a drag of band edge 4's handle in the editor
// reach the host's ports (seen in the state jalv saves); a preset the host applies moves the knobs.
// Screenshots stay in the test's output folder. On desktops at 1, 1.5, 2 and 3 times the usual
// density (Xft.dpi) the editor's rectangle, its window and jalv's window agree on the scaled size,
// compact and after Edit, and the editor is drawn across all of it.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
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

struct Size {
    int32_t width;
    int32_t height;
    bool operator==(const Size&) const = default;
};

std::string sizeText(const Size& size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

void PrintTo(const Size& size, std::ostream* out) {
    *out << sizeText(size);
}

// A desktop's density as the Xft.dpi it publishes, and the editor's sizes there in device
// pixels, worked out by hand: 364 x 213 logical pixels compact, 728 wide expanded, rounded up.
struct Density {
    const char* dotsPerInch;
    const char* name;
    double scale;
    Size compact;
    Size expanded;
};
constexpr Density kDensities[] = {
    {"96", "1x", 1.0, {364, 213}, {728, 213}},
    {"144", "1.5x", 1.5, {546, 320}, {1092, 320}},
    {"192", "2x", 2.0, {728, 426}, {1456, 426}},
    {"288", "3x", 3.0, {1092, 639}, {2184, 639}},
};

// Names the case in the test's listing.
void PrintTo(const Density& density, std::ostream* out) {
    *out << density.name;
}
// Where things are in the editor, from its top left corner.
constexpr int32_t kEditX = 338, kEditY = 195;
constexpr int32_t kPanelRowY = 35;  // a row of bare panel at the editor's left edge
constexpr int32_t kKnobX = 62, kKnobY = 89;
// Edge 4's handle of the default preset (4046 Hz at 44.1 kHz) on the band editor's axis, and
// where a drag takes it: to about 2.9 kHz.
constexpr int32_t kEdge4X = 569, kEdgeHandleY = 159, kEdge4DraggedX = 549;
// Areas of the editor, blank panel where it is not drawn, and how many of their pixels its
// controls cover at least at factor 1: the band editor's grid, curve and scale in the right
// half; the compact editor's lower right corner (Edit and its label) and the expanded one's
// (the shape buttons' frame and the maker's name).
struct LogicalArea {
    int32_t left, top, right, bottom;
};
constexpr LogicalArea kBandEditor{390, 40, 640, 180};
constexpr int32_t kDrawnPixels = 1000;
constexpr LogicalArea kCompactCorner{280, 170, 364, 213};
constexpr LogicalArea kExpandedCorner{600, 170, 728, 213};
constexpr int32_t kCornerDrawnPixels = 250;
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
    // The host's visible window: under load, a window of the same name that the toolkit makes and
    // drops while it starts can be found first.
    std::string window() {
        const std::string found = shell("xdotool search --onlyvisible --name '^Marrowfold'");
        return found.substr(0, found.find('\n'));
    }
    int32_t windowWidth(const std::string& id) { return windowSize(id).width; }
    Size windowSize(const std::string& id) {
        std::smatch width, height;
        const std::string geometry = shell("xdotool getwindowgeometry --shell " + id);
        if (!std::regex_search(geometry, width, std::regex("WIDTH=(\\d+)")) ||
            !std::regex_search(geometry, height, std::regex("HEIGHT=(\\d+)")))
            return {0, 0};
        return {std::stoi(width[1]), std::stoi(height[1])};
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
    // The same for the widget the plug-in's UI gave the host, the editor window's parent: the UI
    // sizes it to the rectangle the editor answers.
    std::string uiWidgetSize(const std::string& id) {
        std::smatch match;
        const std::string tree = shell("xwininfo -tree -id " + id);
        return std::regex_search(tree, match,
                                 std::regex("\\(\\)\\s+(\\d+x\\d+)\\S*\\s+\\S+\\s+1 child:\\s+"
                                            "\\S+ \"Window\": \\(\"Window\""))
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

// A logical coordinate of the editor in device pixels at the scale.
int32_t device(int32_t logical, double scale) {
    return static_cast<int32_t>(std::lround(logical * scale));
}

// How many pixels of the area at the scale, below the editor's top row, are not bare panel;
// none when the area reaches beyond the screenshot, whose outside would count as drawn.
int32_t drawnPixels(const ScreenPixels& shot, int32_t top, const LogicalArea& area, double scale) {
    const int32_t left = device(area.left, scale), right = device(area.right, scale);
    const int32_t upper = top + device(area.top, scale), lower = top + device(area.bottom, scale);
    return shot.covers(left, upper, right, lower)
               ? shot.countOther(kPanelBlue, left, upper, right, lower)
               : 0;
}

// Waits for jalv's window and for the panel in it at the given scale; answers the window and
// the editor's top row in the screenshot saved under the given name.
void waitForEditor(JalvGtkSession& jalv, const std::string& picture, double scale, std::string& id,
                   int32_t& top) {
    ASSERT_TRUE(waitUntil([&] { return !(id = jalv.window()).empty(); }))
        << readText(jalv.bundlePath().folder().file("jalv.log"));
    ASSERT_TRUE(waitUntil([&] {
        const ScreenPixels shot(jalv.screenshot(picture));
        top = editorTop(shot);
        return top >= 0 && shot.at(2, top + device(kPanelRowY, scale)) == kPanelBlue;
    })) << "no panel in the host's window";
    id = jalv.window();
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
    EXPECT_GT(drawnPixels(expanded, top, kBandEditor, 1.0), kDrawnPixels);
    // A drag of edge 4's handle with the real pointer lowers the host's edge4 port.
    const std::string edgeRow = std::to_string(top + kEdgeHandleY);
    jalv.shell("xdotool mousemove --window " + id + " " + std::to_string(kEdge4X) + " " + edgeRow +
               " mousedown 1 sleep 0.3 mousemove --window " + id + " 560 " + edgeRow +
               " sleep 0.3 mousemove --window " + id + " " + std::to_string(kEdge4DraggedX) + " " +
               edgeRow + " sleep 0.3 mouseup 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    jalv.screenshot("jalv-gtk3-edge-dragged.png");

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
    EXPECT_LT(savedPortValue(state, "edge4"), 3500.0f) << state.substr(0, 1200);
    EXPECT_GT(savedPortValue(state, "edge4"), 2000.0f) << state.substr(0, 1200);
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

// The rectangle the editor answers (the size of the UI's widget), the editor's window and jalv's
// window, which holds the editor below its menu bar, all have the size expected.
void expectSizesAgree(JalvGtkSession& jalv, const std::string& id, int32_t top, const Size& size) {
    EXPECT_EQ(jalv.uiWidgetSize(id), sizeText(size));
    EXPECT_EQ(jalv.editorWindowSize(id), sizeText(size));
    EXPECT_EQ(jalv.windowSize(id), (Size{size.width, top + size.height}));
}

// The drawn pixels of an area of the editor at the scale, in areas at least as many as at
// factor 1 times the scale's square: an editor cut off or drawn at a smaller size leaves part
// of it blank panel.
void expectDrawn(const ScreenPixels& shot, int32_t top, const LogicalArea& area,
                 int32_t atFactorOne, double scale) {
    EXPECT_GT(drawnPixels(shot, top, area, scale), std::lround(atFactorOne * scale * scale))
        << "blank or off the screen at " << area.left << "," << area.top;
}

class JalvGtkAtDensity : public ::testing::TestWithParam<Density> {};

// One jalv session per density: compact first, then expanded by a click on Edit.
TEST_P(JalvGtkAtDensity, ShowsTheEditorScaledCompactAndExpanded) {
    const Density& density = GetParam();
    const std::string suffix = std::string("-") + density.name + ".png";
    // The expanded editor at the largest density is wider than the screens tests usually get.
    ASSERT_TRUE(XvfbSession::largeScreen().ready()) << XvfbSession::largeScreen().problem();
    requireHostPrograms();
    JalvGtkSession jalv(density.dotsPerInch);
    std::string id;
    int32_t top = -1;
    ASSERT_NO_FATAL_FAILURE(
        waitForEditor(jalv, "jalv-gtk3-compact" + suffix, density.scale, id, top));
    expectSizesAgree(jalv, id, top, density.compact);
    const ScreenPixels compact(jalv.screenshot("jalv-gtk3-compact" + suffix));
    expectDrawn(compact, top, kCompactCorner, kCornerDrawnPixels, density.scale);

    jalv.click(id, device(kEditX, density.scale), top + device(kEditY, density.scale));
    EXPECT_TRUE(waitUntil([&] { return jalv.windowWidth(id) == density.expanded.width; }))
        << jalv.windowWidth(id);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const ScreenPixels expanded(jalv.screenshot("jalv-gtk3-expanded" + suffix));
    expectSizesAgree(jalv, id, top, density.expanded);
    expectDrawn(expanded, top, kExpandedCorner, kCornerDrawnPixels, density.scale);
    expectDrawn(expanded, top, kBandEditor, kDrawnPixels, density.scale);
    EXPECT_EQ(jalv.stop(), "jalv.gtk3 exit status 0\n");
}

INSTANTIATE_TEST_SUITE_P(UiHost, JalvGtkAtDensity, ::testing::ValuesIn(kDensities),
                         [](const auto& info) {
                             return std::string("Dpi") + info.param.dotsPerInch;
                         });

}  // namespace
}  // namespace marrowfold::testing
