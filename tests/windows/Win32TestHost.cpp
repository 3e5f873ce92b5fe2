#include "tests/windows/Win32TestHost.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <thread>

#include "core/EffectRecord.h"

namespace marrowfold::testing {

namespace {

constexpr char kHostClassName[] = "MarrowfoldTestHost";
constexpr char kDialogClassName[] = "#32770";
constexpr DWORD kTopLevelStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
constexpr int kTopLevelX = 40;
constexpr int kTopLevelY = 30;
constexpr int kPollMs = 10;
constexpr UINT kScriptPeriodMs = 50;
// A click holds the button about as long as a hand does; its press is handled meanwhile.
constexpr DWORD kButtonHoldMs = 80;
constexpr DWORD kClickPumpMs = 2 * kButtonHoldMs;
constexpr int kBmpBytesPerPixel = 3;
constexpr int kBmpRowAlignment = 4;
constexpr WORD kBmpMagic = 0x4d42;  // "BM"
// Handles are looked up by their low word alone, as code from 16-bit Windows relied on.
constexpr uintptr_t kHandleIndexEnd = 0x10000;

COLORREF asColorRef(uint32_t rgb) {
    return RGB(rgb >> 16 & 0xff, rgb >> 8 & 0xff, rgb & 0xff);
}

void registerHostClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = CreateSolidBrush(asColorRef(kHostBackground));
        windowClass.lpszClassName = kHostClassName;
        return RegisterClassA(&windowClass) != 0;
    }();
    (void)registered;
}

// Enumeration callbacks hand each window to a visitor passed as the context.
template <typename Visit>
BOOL CALLBACK visitWindow(HWND window, LPARAM context) {
    (*reinterpret_cast<Visit*>(context))(window);
    return TRUE;
}

template <typename Visit>
void forEachChild(HWND parent, Visit visit) {
    EnumChildWindows(parent, &visitWindow<Visit>, reinterpret_cast<LPARAM>(&visit));
}

template <typename Visit>
void forEachThreadWindow(Visit visit) {
    EnumThreadWindows(GetCurrentThreadId(), &visitWindow<Visit>, reinterpret_cast<LPARAM>(&visit));
}

template <typename Visit>
void forEachTopLevelWindow(Visit visit) {
    EnumWindows(&visitWindow<Visit>, reinterpret_cast<LPARAM>(&visit));
}

bool ownedByThisProcess(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process == GetCurrentProcessId();
}

// A window of ours and everything inside it.
int windowsIn(HWND window) {
    int count = 1;
    forEachChild(window, [&count](HWND) { ++count; });
    return count;
}

// Every window of the process: the top-level ones, the message-only ones and their children.
int processWindowCount() {
    int count = 0;
    auto countTree = [&count](HWND window) {
        if (ownedByThisProcess(window)) count += windowsIn(window);
    };
    forEachTopLevelWindow(countTree);
    for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExA(HWND_MESSAGE, window, nullptr, nullptr))
        countTree(window);
    return count;
}

// Wine answers 0 to GetGuiResources; there the live GDI objects are counted one handle at a time.
int gdiObjectCount() {
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) return static_cast<int>(reported);
    int count = 0;
    for (uintptr_t index = 1; index < kHandleIndexEnd; ++index)
        count += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0;
    return count;
}

thread_local TimerScript* runningScript = nullptr;

void closeThreadDialogs() {
    forEachThreadWindow([](HWND window) {
        if (classNameOf(window) == kDialogClassName) pressDialogButton(window, IDCANCEL);
    });
}

}  // namespace

Picture captureClient(HWND window) {
    RECT client = {};
    if (!IsWindow(window) || !GetClientRect(window, &client)) return {};
    Picture picture;
    picture.width = client.right;
    picture.height = client.bottom;
    if (picture.width <= 0 || picture.height <= 0) return {};

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC windowDc = GetDC(window);
    HDC memoryDc = CreateCompatibleDC(windowDc);
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memoryDc, section);
    const bool copied =
        BitBlt(memoryDc, 0, 0, picture.width, picture.height, windowDc, 0, 0, SRCCOPY);
    GdiFlush();
    if (copied && bits) {
        const auto* pixels = static_cast<const uint32_t*>(bits);
        picture.pixels.assign(pixels, pixels + static_cast<size_t>(picture.width) * picture.height);
        for (uint32_t& pixel : picture.pixels)
            pixel &= 0xffffff;
    }
    SelectObject(memoryDc, previous);
    DeleteObject(section);
    DeleteDC(memoryDc);
    ReleaseDC(window, windowDc);
    if (!copied) return {};
    return picture;
}

bool saveBitmapFile(const Picture& picture, const std::string& path) {
    if (picture.empty()) return false;
    const int rowBytes = (picture.width * kBmpBytesPerPixel + kBmpRowAlignment - 1) /
                         kBmpRowAlignment * kBmpRowAlignment;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = kBmpMagic;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(rowBytes) * picture.height;
    info.biSize = sizeof info;
    info.biWidth = picture.width;
    info.biHeight = picture.height;  // bottom-up rows, as every reader expects
    info.biPlanes = 1;
    info.biBitCount = kBmpBytesPerPixel * 8;
    info.biCompression = BI_RGB;

    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    std::vector<char> row(static_cast<size_t>(rowBytes), 0);
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t pixel = picture.at(x, y);
            row[x * kBmpBytesPerPixel] = static_cast<char>(pixel & 0xff);
            row[x * kBmpBytesPerPixel + 1] = static_cast<char>(pixel >> 8 & 0xff);
            row[x * kBmpBytesPerPixel + 2] = static_cast<char>(pixel >> 16 & 0xff);
        }
        out.write(row.data(), rowBytes);
    }
    return static_cast<bool>(out);
}

std::string screenshotPath(const std::string& fileName) {
    const std::string folder = MARROWFOLD_SCREENSHOT_DIR;
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "/" + fileName;
}

int differingPixels(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height) return std::max(a.width * a.height, 1);
    int differing = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i)
        differing += a.pixels[i] != b.pixels[i];
    return differing;
}

int distinctColours(const Picture& picture) {
    return static_cast<int>(
        std::set<uint32_t>(picture.pixels.begin(), picture.pixels.end()).size());
}

HostWindow::HostWindow(int clientWidth, int clientHeight) {
    registerHostClass();
    RECT outer = {0, 0, clientWidth, clientHeight};
    AdjustWindowRect(&outer, kTopLevelStyle, FALSE);
    window_ = CreateWindowExA(0, kHostClassName, "Marrowfold test host", kTopLevelStyle, kTopLevelX,
                              kTopLevelY, outer.right - outer.left, outer.bottom - outer.top,
                              nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    pumpMessages();
}

HostWindow::HostWindow(HWND parent, const RECT& place, const char* className) {
    registerHostClass();
    // What an MDI client needs to be created; other classes ignore it.
    CLIENTCREATESTRUCT mdiClientSettings = {};
    window_ =
        CreateWindowExA(0, className ? className : kHostClassName, "", kChildStyle, place.left,
                        place.top, place.right - place.left, place.bottom - place.top, parent,
                        nullptr, GetModuleHandleA(nullptr), &mdiClientSettings);
    pumpMessages();
}

HostWindow::~HostWindow() {
    destroy();
}

void HostWindow::destroy() {
    if (window_ && IsWindow(window_)) DestroyWindow(window_);
    window_ = nullptr;
    pumpMessages();
}

SIZE windowSize(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void pumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool idleUntil(PluginHost& host, const std::function<bool()>& done, int timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        pumpMessages();
        host.dispatch(ReqEditorIdle);
        pumpMessages();
        if (done()) return true;
        if (GetTickCount() - start > static_cast<DWORD>(timeoutMs)) return false;
        Sleep(kPollMs);
    }
}

void idleFor(PluginHost& host, int milliseconds) {
    idleUntil(
        host, [] { return false; }, milliseconds);
}

namespace {

void moveCursorTo(HWND window, int x, int y) {
    POINT screen = {x, y};
    ClientToScreen(window, &screen);
    SetCursorPos(screen.x, screen.y);
}

void sendLeftButton(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

}  // namespace

void clickAt(HWND window, int x, int y) {
    moveCursorTo(window, x, y);
    sendLeftButton(MOUSEEVENTF_LEFTDOWN);
    // Released from another thread, as the press may track the button until it goes up.
    std::thread releaser([] {
        Sleep(kButtonHoldMs);
        sendLeftButton(MOUSEEVENTF_LEFTUP);
    });
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < kClickPumpMs) {
        pumpMessages();
        Sleep(1);
    }
    releaser.join();
}

void postQuickClick(HWND window, int x, int y) {
    moveCursorTo(window, x, y);
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void postText(HWND window, const std::string& text) {
    for (unsigned char character : text)
        PostMessageA(window, WM_CHAR, character, 1);
}

void postKey(HWND window, UINT virtualKey) {
    const UINT scanCode = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | static_cast<LPARAM>(scanCode) << 16);
}

std::string editorClassName(HMODULE module) {
    char name[32] = {};
    std::snprintf(name, sizeof name, "Plugin%08x",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(module)));
    return name;
}

bool classRegistered(HMODULE module, const std::string& className) {
    WNDCLASSA info = {};
    return GetClassInfoA(module, className.c_str(), &info) != 0;
}

GuiCounts guiCounts() {
    GuiCounts counts;
    counts.windows = processWindowCount();
    const DWORD userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    counts.userObjects = userObjects != 0 ? static_cast<int>(userObjects) : counts.windows;
    counts.gdiObjects = gdiObjectCount();
    return counts;
}

HWND findThreadDialog(const char* title) {
    HWND found = nullptr;
    forEachThreadWindow([&](HWND window) {
        if (!found && IsWindowVisible(window) && classNameOf(window) == kDialogClassName &&
            textOf(window) == title)
            found = window;
    });
    return found;
}

void pressDialogButton(HWND dialog, int buttonId) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, buttonId)));
}

std::string staticTexts(HWND dialog) {
    std::string texts;
    forEachChild(dialog, [&texts](HWND child) {
        const std::string text = textOf(child);
        if (classNameOf(child) != "Static" || text.empty()) return;
        if (!texts.empty()) texts += "\n";
        texts += text;
    });
    return texts;
}

TimerScript::TimerScript(std::vector<Step> steps, int deadlineMs)
    : steps_(std::move(steps)), deadline_(GetTickCount() + static_cast<DWORD>(deadlineMs)) {
    runningScript = this;
    timer_ = SetTimer(nullptr, 0, kScriptPeriodMs, &TimerScript::tick);
}

TimerScript::~TimerScript() {
    KillTimer(nullptr, timer_);
    runningScript = nullptr;
}

void CALLBACK TimerScript::tick(HWND, UINT, UINT_PTR, DWORD) {
    if (runningScript) runningScript->runDueStep();
}

void TimerScript::runDueStep() {
    if (running_ || finished()) return;
    running_ = true;
    if (static_cast<LONG>(GetTickCount() - deadline_) > 0) {
        timedOut_ = true;
        next_ = steps_.size();
        closeThreadDialogs();
    } else if (steps_[next_]()) {
        ++next_;
    }
    running_ = false;
}

}  // namespace marrowfold::testing
