// The resources of marrowfold.dll as Windows loads them: the editor's thirteen bitmaps with
// their sizes at 1x, 2x and 3x, the name dialog with its controls at their places, and the version
// block that the about splash reads.
#include <windows.h>

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

// The distinct colours of a bitmap, read back as 32-bit pixels.
std::set<uint32_t> coloursOf(HBITMAP bitmap, int width, int height) {
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
    std::set<uint32_t> colours;
    for (uint32_t pixel : pixels)
        colours.insert(pixel & 0xffffff);
    return colours;
}

TEST_F(ModuleResources, EveryBitmapLoadsWithItsSizeAndAPicture) {
    struct Expected {
        int id, width, height;
    };
    const Expected bitmaps[] = {{1000, 728, 213}, {1001, 365, 213}, {1002, 31, 26}, {1003, 11, 22},
                                {1004, 11, 22},   {1005, 15, 30},   {1006, 31, 26}, {1007, 31, 26},
                                {1008, 31, 26},   {1009, 31, 26},   {1010, 31, 26}, {1011, 27, 13},
                                {1012, 32, 2016}};
    // Each is also drawn at 2x and 3x for high-density screens, under the id moved up by 1000
    // per scale, at that multiple of its size.
    for (int scale = 1; scale <= 3; ++scale) {
        for (const Expected& expected : bitmaps) {
            const int id = expected.id + (scale - 1) * 1000;
            HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(id));
            ASSERT_NE(bitmap, nullptr) << id;
            BITMAP shape = {};
            ASSERT_NE(GetObjectA(bitmap, sizeof shape, &shape), 0) << id;
            EXPECT_EQ(shape.bmWidth, expected.width * scale) << id;
            EXPECT_EQ(shape.bmHeight, expected.height * scale) << id;
            EXPECT_GT(coloursOf(bitmap, shape.bmWidth, shape.bmHeight).size(), 1u)
                << "bitmap " << id << " is blank";
            DeleteObject(bitmap);
        }
        EXPECT_EQ(LoadBitmapA(module, MAKEINTRESOURCEA(1013 + (scale - 1) * 1000)), nullptr);
    }
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
