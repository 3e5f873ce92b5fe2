// The resources of marrowfold.dll as Windows loads them: the editor's thirteen bitmaps with
// their sizes and pixels at 1x, 2x and 3x, the name dialog with its controls at their places, and
// the version block that the about splash reads.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/GdiSurface.h"
#include "platform/win32/Win32ModuleVersion.h"
#include "tests/windows/WindowQueries.h"

namespace marrowfold {
namespace {

using testing::classNameOf;
using testing::textOf;

constexpr int kNameDialog = 200;
constexpr int kNameField = 300;

class ModuleResources : public ::testing::Test {
  protected:
    void SetUp() override {
        module = LoadLibraryA(MARROWFOLD_MODULE_PATH);
        ASSERT_NE(module, nullptr) << GetLastError();
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    HMODULE module = nullptr;
};

// The pixels of a bitmap, top row first, 0x00RRGGBB each; none when they cannot be read.
std::vector<uint32_t> pixelsOf(HBITMAP bitmap, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != height) return {};
    for (uint32_t& pixel : pixels)
        pixel &= 0xffffff;
    return pixels;
}

// The picture the bitmap generator drew for the Linux build, which embeds it as PNG and decodes
// it with cairo, read from the generator's uncompressed copy.
std::vector<uint32_t> linuxPicture(int id, int scale, int width, int height) {
    std::string path = std::string(MARROWFOLD_BITMAP_FOLDER) + "/bitmap" + std::to_string(id);
    if (scale > 1) path.append("@").append(std::to_string(scale)).append("x");
    path.append(".bmp");
    auto* bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0,
                                                   LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap) return {};
    std::vector<uint32_t> pixels = pixelsOf(bitmap, width, height);
    DeleteObject(bitmap);
    return pixels;
}

// The device pixels of a surface, 0x00RRGGBB each.
std::vector<uint32_t> pixelsOf(const win32::GdiSurface& surface) {
    GdiFlush();
    const size_t count = static_cast<size_t>(surface.deviceWidth()) * surface.deviceHeight();
    std::vector<uint32_t> pixels(surface.pixels(), surface.pixels() + count);
    for (uint32_t& pixel : pixels)
        pixel &= 0xffffff;
    return pixels;
}

// Each bitmap, copied onto a surface at 1x (its BMP resource) and at 2x and 3x (its drawing at
// that scale, a PNG resource that the module decodes with WIC), is pixel for pixel what the
// Linux build draws at that scale, and not blank.
TEST_F(ModuleResources, EveryBitmapAtEveryScaleHasTheLinuxBuildsPixels) {
    struct Expected {
        int id, width, height;
    };
    const Expected bitmaps[] = {{1000, 728, 213}, {1001, 365, 213}, {1002, 31, 26}, {1003, 11, 22},
                                {1004, 11, 22},   {1005, 15, 30},   {1006, 31, 26}, {1007, 31, 26},
                                {1008, 31, 26},   {1009, 31, 26},   {1010, 31, 26}, {1011, 27, 13},
                                {1012, 32, 2016}};
    for (const Expected& expected : bitmaps) {
        std::unique_ptr<win32::GdiSurface> picture =
            win32::GdiSurface::fromResource(module, expected.id);
        ASSERT_NE(picture, nullptr) << expected.id;
        EXPECT_EQ(picture->width(), expected.width) << expected.id;
        EXPECT_EQ(picture->height(), expected.height) << expected.id;
        for (int scale = 1; scale <= 3; ++scale) {
            SCOPED_TRACE("bitmap " + std::to_string(expected.id) + " at " + std::to_string(scale) +
                         "x");
            win32::GdiSurface target(expected.width, expected.height, scale);
            target.copyFrom(*picture, {0, 0, expected.width, expected.height}, {0, 0});
            const std::vector<uint32_t> drawn = pixelsOf(target);
            const std::vector<uint32_t> reference =
                linuxPicture(expected.id, scale, expected.width * scale, expected.height * scale);
            ASSERT_EQ(drawn.size(), reference.size());
            const auto differing = std::mismatch(drawn.begin(), drawn.end(), reference.begin());
            EXPECT_TRUE(differing.first == drawn.end())
                << "first differing pixel " << (differing.first - drawn.begin()) << " of "
                << drawn.size();
            EXPECT_GT(std::set<uint32_t>(drawn.begin(), drawn.end()).size(), 1u) << "blank";
        }
    }
    EXPECT_EQ(win32::GdiSurface::fromResource(module, 1013), nullptr);
}

// The panel copied onto surfaces at each factor takes the drawing at the nearest whole scale at
// or above it: at every one the far right of the panel has the panel's colours, not black.
TEST_F(ModuleResources, ThePanelCopiedAtEachFactorCoversItsWholePlace) {
    std::unique_ptr<win32::GdiSurface> panel = win32::GdiSurface::fromResource(module, 1000);
    ASSERT_NE(panel, nullptr);
    for (const double scale : {1.0, 1.5, 2.0, 2.5, 3.0}) {
        SCOPED_TRACE(scale);
        win32::GdiSurface target(728, 213, scale);
        target.copyFrom(*panel, {0, 0, 728, 213}, {0, 0});
        GdiFlush();
        const int right = target.deviceWidth() - 2;
        const int bottom = target.deviceHeight() - 2;
        EXPECT_NE(target.pixels()[bottom * target.deviceWidth() + right] & 0xffffff, 0u);
        EXPECT_NE(target.pixels()[2 * target.deviceWidth() + right] & 0xffffff, 0u);
    }
}

INT_PTR CALLBACK quietDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The control's place in the dialog's client area against the template's position and size in
// dialog units, which Windows converts one by one.
void expectPlace(HWND dialog, int id, int x, int y, int width, int height) {
    HWND control = GetDlgItem(dialog, id);
    ASSERT_NE(control, nullptr) << id;
    RECT actual = {};
    GetWindowRect(control, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    RECT expected = {x, y, width, height};
    MapDialogRect(dialog, &expected);
    EXPECT_EQ(actual.left, expected.left) << id;
    EXPECT_EQ(actual.top, expected.top) << id;
    EXPECT_EQ(actual.right - actual.left, expected.right) << id;
    EXPECT_EQ(actual.bottom - actual.top, expected.bottom) << id;
}

BOOL CALLBACK collectStaticText(HWND child, LPARAM texts) {
    if (classNameOf(child) == "Static")
        reinterpret_cast<std::set<std::string>*>(texts)->insert(textOf(child));
    return TRUE;
}

TEST_F(ModuleResources, NameDialogHasItsControlsInPlace) {
    HWND dialog =
        CreateDialogParamA(module, MAKEINTRESOURCEA(kNameDialog), nullptr, quietDialog, 0);
    ASSERT_NE(dialog, nullptr) << GetLastError();
    EXPECT_EQ(textOf(dialog), "Create");
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);

    HWND field = GetDlgItem(dialog, kNameField);
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(classNameOf(field), "Edit");
    const LONG fieldStyle = GetWindowLongA(field, GWL_STYLE);
    EXPECT_TRUE(fieldStyle & ES_AUTOHSCROLL);
    EXPECT_TRUE(fieldStyle & WS_TABSTOP);
    EXPECT_TRUE((fieldStyle & WS_BORDER) ||
                (GetWindowLongA(field, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    EXPECT_EQ(textOf(GetDlgItem(dialog, IDOK)), "OK");
    EXPECT_EQ(GetWindowLongA(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(textOf(GetDlgItem(dialog, IDCANCEL)), "Cancel");
    std::set<std::string> texts;
    EnumChildWindows(dialog, collectStaticText, reinterpret_cast<LPARAM>(&texts));
    EXPECT_EQ(texts,
              (std::set<std::string>{"Name of new Preset", "Don't forget to save your presets !"}));

    expectPlace(dialog, kNameField, 22, 31, 86, 13);
    expectPlace(dialog, IDOK, 129, 7, 50, 14);
    expectPlace(dialog, IDCANCEL, 129, 23, 50, 14);
    RECT client = {};
    GetClientRect(dialog, &client);
    RECT whole = {0, 0, 186, 84};
    MapDialogRect(dialog, &whole);
    EXPECT_EQ(client.right, whole.right);
    EXPECT_EQ(client.bottom, whole.bottom);
    DestroyWindow(dialog);
}

TEST(ModuleVersion, ReadFromTheVersionBlockOfTheFile) {
    EXPECT_EQ(win32::fileVersionOf(MARROWFOLD_MODULE_PATH), MARROWFOLD_PROJECT_VERSION);
    const std::string program = win32::thisModuleFileName();
    ASSERT_GT(program.size(), 4u);
    EXPECT_EQ(program.substr(program.size() - 4), ".exe") << program;
    EXPECT_EQ(win32::fileVersionOf(program), "") << "the test program has no version block";
    EXPECT_EQ(win32::fileVersionOf("no-such-file.dll"), "");
}

}  // namespace
}  // namespace marrowfold
