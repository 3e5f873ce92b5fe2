// The real module's editor on an X display whose desktop asks for a scale through Xft.dpi (set
// with xrdb, as a desktop does): the rectangle request, the editor's window and the host's resize
// agree at each factor, the pictures of the window are kept for review, and the same logical
// drags with the real pointer give the same values at 1 and 2.

#include <gtest/gtest.h>
// Xlib's macros must follow the test framework's headers.
#include <X11/Xlib.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "core/EffectRecord.h"
#include "core/HostEditor.h"
#include "tests/integration/ModuleFixture.h"
#include "tests/platform/X11HostWindow.h"
#include "tests/platform/XvfbSession.h"

namespace marrowfold::testing {
namespace {

constexpr uint32_t kHostBackground = 0x202020;
constexpr int32_t kResizeOpcode = 15;
constexpr int kHostWidth = 2200;
constexpr int kHostHeight = 660;
constexpr double kBaseDotsPerInch = 96.0;
constexpr int kSettleMs = 300;

using Size = std::pair<int, int>;

struct ScaleCase {
    double factor;
    const char* name;
    Size compact;
    Size expanded;
};

// Worked out by hand: 364 x 213 logical pixels compact, 728 wide expanded, rounded up.
constexpr ScaleCase kScaleCases[] = {
    {1.0, "1", {364, 213}, {728, 213}},    {1.25, "1.25", {455, 267}, {910, 267}},
    {1.5, "1.5", {546, 320}, {1092, 320}}, {2.0, "2", {728, 426}, {1456, 426}},
    {2.5, "2.5", {910, 533}, {1820, 533}}, {3.0, "3", {1092, 639}, {2184, 639}},
};

// Points of the panel in logical pixels.
struct LogicalPoint {
    int x, y;
};
constexpr LogicalPoint kEditButton{330, 195};
constexpr LogicalPoint kValueField{62, 62};
constexpr LogicalPoint kCreateButton{468, 16};

// A logical drag: from a point by a distance.
struct Drag {
    const char* what;
    LogicalPoint from;
    int dx, dy;
};
// In this order: an edge moves the drive handles beside it, a preset the whole band layout.
constexpr Drag kDrags[] = {
    {"band 1 knob", {62, 90}, -30, 0},
    {"band drive", {424, 98}, 0, -15},
    {"band edge", {453, 159}, 20, 0},
    {"preset slider", {150, 155}, 40, 0},
};

Display* sessionDisplay() {
    XvfbSession& session = XvfbSession::largeScreen();
    return session.ready() ? session.display() : nullptr;
}

// The desktop's scale through the server's resource database, as xrdb sets it.
bool setDesktopScale(double factor) {
    const std::string dpi =
        std::to_string(static_cast<int>(std::lround(factor * kBaseDotsPerInch)));
    return std::system(("echo 'Xft.dpi: " + dpi + "' | xrdb -merge").c_str()) == 0;
}

// A window's place inside its parent and its size.
struct Geometry {
    int x, y, width, height;
    bool operator==(const Geometry&) const = default;
    Geometry times(int factor) const {
        return {x * factor, y * factor, width * factor, height * factor};
    }
};

Geometry geometryOf(Display* display, Window window) {
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!window || !XGetGeometry(display, window, &root, &x, &y, &width, &height, &border, &depth))
        return {0, 0, 0, 0};
    return {x, y, static_cast<int>(width), static_cast<int>(height)};
}

Window firstChildOf(Display* display, Window window) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!window || !XQueryTree(display, window, &root, &parent, &children, &count)) return 0;
    const Window first = count > 0 ? children[0] : 0;
    if (children) XFree(children);
    return first;
}

class X11ScaleTest : public ::testing::TestWithParam<ScaleCase> {
  protected:
    void SetUp() override {
        if (!sessionDisplay()) GTEST_SKIP() << "no private X server";
        if (std::system("command -v xrdb >/dev/null 2>&1") != 0) GTEST_SKIP() << "no xrdb";
        ASSERT_TRUE(builtModule().isOpen()) << builtModule().error();
        hostWindow =
            std::make_unique<X11HostWindow>(0, 0, kHostWidth, kHostHeight, kHostBackground);
        ASSERT_TRUE(hostWindow->isOpen());
    }
    void TearDown() override {
        if (host.isOpen()) host.close();
        hostWindow.reset();
        std::system("xrdb -remove");
    }

    void openAt(double factor) {
        ASSERT_TRUE(setDesktopScale(factor));
        ASSERT_TRUE(host.create(builtModule()));
        host.setBlockSize(512);  // a settled host: the editor opens compact
        host.dispatch(ReqEditorOpen, 0, 0, reinterpret_cast<void*>(hostWindow->window()));
        idleFor(kSettleMs);
    }
    Size rectAnswer() {
        EditorRect* rect = nullptr;
        host.dispatch(ReqEditorRect, 0, 0, &rect);
        return rect ? Size{rect->right - rect->left, rect->bottom - rect->top} : Size{0, 0};
    }
    Size editorSize() {
        const Geometry editor = geometryOf(hostWindow->display(), hostWindow->firstChild());
        return {editor.width, editor.height};
    }
    Size lastResize() {
        Size size{0, 0};
        for (const HostCall& call : host.calls()) {
            if (call.opcode == kResizeOpcode) size = {call.index, static_cast<int>(call.value)};
        }
        return size;
    }
    void idleFor(int ms) {
        pollUntil([this] { host.dispatch(ReqEditorIdle); }, [] { return false; }, ms);
    }
    // Runs the xdotool commands while the editor idles, as a user's hand moves while the host
    // keeps calling the editor.
    void pointerWhileIdling(const std::string& script) {
        const pid_t hand = XvfbSession::scriptAsync(script);
        pollUntil([this] { host.dispatch(ReqEditorIdle); },
                  [&] { return XvfbSession::finished(hand); }, 10000);
        idleFor(kSettleMs);
    }
    static std::string at(LogicalPoint point, double factor) {
        return std::to_string(static_cast<int>(std::lround(point.x * factor))) + " " +
               std::to_string(static_cast<int>(std::lround(point.y * factor)));
    }
    void clickAt(LogicalPoint point, double factor) {
        pointerWhileIdling("xdotool mousemove " + at(point, factor) + " click 1");
    }
    void dragBy(const Drag& drag, double factor) {
        const LogicalPoint to{drag.from.x + drag.dx, drag.from.y + drag.dy};
        pointerWhileIdling("xdotool mousemove " + at(drag.from, factor) +
                           " mousedown 1; sleep 0.2; xdotool mousemove " + at(to, factor) +
                           "; sleep 0.2; xdotool mouseup 1");
    }
    // The host's parameters and the current program's chunk, which holds the band edges and
    // drives.
    using State = std::pair<std::vector<float>, std::vector<uint8_t>>;
    State state() {
        std::vector<float> values;
        for (int32_t i = 0; i < host.record()->parameterCount; ++i)
            values.push_back(host.getParameter(i));
        return {values, host.saveChunk(true)};
    }
    // Half a second of 1 kHz and 8 kHz together, block by block with the editor idling between
    // them, so the pictures show the spectrum and the meters at this factor.
    void playTones() {
        constexpr int32_t kBlock = 512;
        constexpr float kRate = 44100.0f;
        host.setSampleRate(kRate);
        host.setActive(true);
        StereoBuffers buffers(kBlock);
        for (int64_t n = 0; n < static_cast<int64_t>(kRate / 2);) {
            for (int32_t i = 0; i < kBlock; ++i, ++n) {
                const double t = 2.0 * std::numbers::pi * static_cast<double>(n) / kRate;
                buffers.left[i] = buffers.right[i] =
                    static_cast<float>(0.2 * std::sin(1000.0 * t) + 0.1 * std::sin(8000.0 * t));
            }
            host.processReplace(buffers.inputs(), buffers.outputs(), kBlock);
            host.dispatch(ReqEditorIdle);
        }
    }
    void keepPicture(const std::string& name) {
        idleFor(kSettleMs);
        const std::string path = ::testing::TempDir() + "x11-scaled-editor-" + name + ".png";
        const std::string window = std::to_string(hostWindow->firstChild());
        EXPECT_EQ(
            std::system(("import -window " + window + " " + path + " >/dev/null 2>&1").c_str()), 0);
    }

    std::unique_ptr<X11HostWindow> hostWindow;
    PluginHost host;
};

TEST_P(X11ScaleTest, RectangleWindowAndHostResizeAgreeAtTheDesktopsFactor) {
    const ScaleCase& scale = GetParam();
    openAt(scale.factor);
    EXPECT_EQ(rectAnswer(), scale.compact);
    EXPECT_EQ(editorSize(), scale.compact);
    keepPicture(std::string(scale.name) + "x-compact");
    clickAt(kEditButton, scale.factor);
    EXPECT_EQ(editorSize(), scale.expanded);
    EXPECT_EQ(lastResize(), scale.expanded);
    keepPicture(std::string(scale.name) + "x-expanded");
    playTones();
    keepPicture(std::string(scale.name) + "x-expanded-with-audio");
    host.dispatch(ReqEditorClose);
}

INSTANTIATE_TEST_SUITE_P(Factors, X11ScaleTest, ::testing::ValuesIn(kScaleCases),
                         [](const auto& info) {
                             std::string name = std::string("x") + info.param.name;
                             for (char& c : name)
                                 if (c == '.') c = '_';
                             return name;
                         });

// Each drag must change something, or a drag that missed its control at both factors would
// pass unnoticed.
TEST_F(X11ScaleTest, TheSameLogicalDragsGiveTheSameValuesAtOneAndTwo) {
    std::vector<State> seen[2];
    for (int round = 0; round < 2; ++round) {
        const double factor = round == 0 ? 1.0 : 2.0;
        openAt(factor);
        clickAt(kEditButton, factor);
        ASSERT_EQ(editorSize().first, static_cast<int>(728 * factor));
        seen[round].push_back(state());
        for (const Drag& drag : kDrags) {
            dragBy(drag, factor);
            seen[round].push_back(state());
            EXPECT_TRUE(seen[round].back() != seen[round][seen[round].size() - 2])
                << drag.what << " at " << factor;
        }
        host.dispatch(ReqEditorClose);
        host.close();
    }
    EXPECT_EQ(seen[0], seen[1]);
}

// The value field lies over its control at the factor, and the name dialog is drawn at the
// factor: both are exactly twice their size at 1.
TEST_F(X11ScaleTest, TheValueFieldAndTheNameDialogAppearScaledAndInPlace) {
    Geometry field[2];
    Size dialog[2];
    for (int factor = 1; factor <= 2; ++factor) {
        SCOPED_TRACE(factor);
        openAt(factor);
        clickAt(kValueField, factor);
        Display* display = hostWindow->display();
        field[factor - 1] = geometryOf(display, firstChildOf(display, hostWindow->firstChild()));
        keepPicture(std::to_string(factor) + "x-value-field");
        pointerWhileIdling("xdotool key Return");
        clickAt(kEditButton, factor);
        const std::string shot = ::testing::TempDir() + "x11-scaled-editor-" +
                                 std::to_string(factor) + "x-name-dialog.png";
        const std::string found = ::testing::TempDir() + "x11-scaled-dialog.txt";
        // The dialog runs its own loop inside the click, so the script measures it meanwhile.
        pointerWhileIdling("xdotool mousemove " + at(kCreateButton, factor) +
                           " click 1; sleep 0.7; xdotool search --name '^Create$' "
                           "getwindowgeometry --shell | grep -E '^(WIDTH|HEIGHT)=' | cut -d= -f2 "
                           "> " +
                           found + "; import -window root " + shot +
                           " >/dev/null 2>&1; xdotool key Escape");
        FILE* file = std::fopen(found.c_str(), "r");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(std::fscanf(file, "%d %d", &dialog[factor - 1].first, &dialog[factor - 1].second),
                  2);
        std::fclose(file);
        host.dispatch(ReqEditorClose);
        host.close();
    }
    EXPECT_GT(field[0].width, 0) << "the value field opened";
    EXPECT_EQ(field[1], field[0].times(2));
    EXPECT_GT(dialog[0].first, 0) << "the name dialog opened";
    EXPECT_EQ(dialog[1], Size(dialog[0].first * 2, dialog[0].second * 2));
}

}  // namespace
}  // namespace marrowfold::testing
