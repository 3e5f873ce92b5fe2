#include "platform/win32/Win32Platform.h"

#include <array>
#include <utility>

#include "platform/WindowSystem.h"
#include "platform/win32/Win32Internal.h"
#include "platform/win32/Win32ModuleVersion.h"

namespace marrowfold {

namespace win32 {

namespace {

constexpr char kWindowTitle[] = "Window";
constexpr int kLongestClassName = 256;
// Held keys and buttons have the top bit of GetAsyncKeyState's answer set.
constexpr SHORT kKeyHeld = static_cast<SHORT>(0x8000);

HWND handleOf(WindowId window) {
    return reinterpret_cast<HWND>(window);
}

WindowId idOf(HWND window) {
    return reinterpret_cast<WindowId>(window);
}

Win32Platform::OwnWindow* ownWindowOf(HWND window) {
    return reinterpret_cast<Win32Platform::OwnWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LPCSTR stockCursor(PointerShape shape) {
    switch (shape) {
        case PointerShape::Wait:
            return IDC_WAIT;
        case PointerShape::SizeWestEast:
            return IDC_SIZEWE;
        case PointerShape::SizeNorthSouth:
            return IDC_SIZENS;
        case PointerShape::SizeAll:
            return IDC_SIZEALL;
        case PointerShape::SizeNeSw:
            return IDC_SIZENESW;
        case PointerShape::SizeNwSe:
            return IDC_SIZENWSE;
        case PointerShape::Arrow:
            break;
    }
    return IDC_ARROW;
}

// Copies the back buffer to the window through the device context given.
void showSurface(HDC target, const GdiSurface& surface) {
    if (surface.dc()) {
        BitBlt(target, 0, 0, surface.deviceWidth(), surface.deviceHeight(), surface.dc(), 0, 0,
               SRCCOPY);
    }
}

// The resolution of a screen at factor 1.
constexpr double kBaseDotsPerInch = 96.0;
using DpiForWindow = UINT(WINAPI*)(HWND);

// GetDpiForWindow where user32 has it (Windows 10 1607 and later), looked up at run time so the
// module still loads on older systems.
DpiForWindow dpiForWindowFunction() {
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? reinterpret_cast<DpiForWindow>(
                        reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")))
                  : nullptr;
}

UINT screenDpi() {
    HDC screen = GetDC(nullptr);
    if (!screen) return 0;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 0;
}

// The logical position of a device position in a window at that scale.
PixelPoint logicalPoint(PixelPoint device, double scale) {
    return {toLogicalPixels(device.x, scale), toLogicalPixels(device.y, scale)};
}

LRESULT paintMessage(HWND window, Win32Platform::OwnWindow& own) {
    if (!GetUpdateRect(window, nullptr, FALSE)) return DefWindowProcA(window, WM_PAINT, 0, 0);
    own.platform->paint(own);
    return 0;
}

// Positions in a button message are two unsigned 16-bit halves.
PixelPoint pressPosition(LPARAM position) {
    return {static_cast<int32_t>(LOWORD(position)), static_cast<int32_t>(HIWORD(position))};
}

// The button of a press message with the buttons and keys held with it.
uint32_t pressState(UINT message, WPARAM keys) {
    static constexpr std::array<std::pair<WPARAM, uint32_t>, 5> kKeyBits = {{
        {MK_LBUTTON, kMouseLeft},
        {MK_MBUTTON, kMouseMiddle},
        {MK_RBUTTON, kMouseRight},
        {MK_SHIFT, kKeyShift},
        {MK_CONTROL, kKeyControl},
    }};
    uint32_t state = message == WM_LBUTTONDOWN   ? kMouseLeft
                     : message == WM_RBUTTONDOWN ? kMouseRight
                                                 : kMouseMiddle;
    for (const auto& [key, bit] : kKeyBits) {
        if (keys & key) state |= bit;
    }
    if (GetKeyState(VK_MENU) & kKeyHeld) state |= kKeyAlt;
    return state;
}

LRESULT CALLBACK frameWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Platform::OwnWindow* own = ownWindowOf(window);
    if (!own) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_PAINT:
            return paintMessage(window, *own);
        // Hosts that take a picture of the window (PrintWindow) get the whole of it, also the
        // parts off the screen.
        case WM_PRINTCLIENT:
            own->platform->print(*own, reinterpret_cast<void*>(wParam));
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            own->platform->press(*own, logicalPoint(pressPosition(lParam), own->surface->scale()),
                                 pressState(message, wParam));
            return 0;
        case WM_CTLCOLOREDIT:
            if (void* brush = own->platform->editFieldBrush(*own, reinterpret_cast<void*>(lParam),
                                                            reinterpret_cast<void*>(wParam))) {
                return reinterpret_cast<LRESULT>(brush);
            }
            break;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT && own->cursor != PointerShape::Arrow) {
                SetCursor(LoadCursorA(nullptr, stockCursor(own->cursor)));
                return TRUE;
            }
            break;
        case WM_DESTROY:
            own->platform->destroyedFromOutside(*own);
            break;
        default:
            break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

Win32Platform::Win32Platform() = default;

Win32Platform::~Win32Platform() {
    while (!fields_.empty())
        Win32Platform::closeEditField(fields_.begin()->first);
    while (!windows_.empty())
        Win32Platform::destroyWindow(windows_.begin()->first);
}

// One global class per module, with the arrow cursor and the button-face background. A class
// left registered by an earlier window is used as it is.
bool Win32Platform::registerClass(const std::string& className) {
    WNDCLASSA description{};
    description.style = CS_GLOBALCLASS;
    description.lpfnWndProc = frameWindowProc;
    description.hInstance = moduleInstance();
    description.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    description.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    description.lpszClassName = className.c_str();
    return RegisterClassA(&description) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void Win32Platform::windowClassUnused(const std::string& className) {
    UnregisterClassA(className.c_str(), moduleInstance());
}

WindowId Win32Platform::createChildWindow(WindowId parent, const std::string& className,
                                          int32_t width, int32_t height, WindowEvents* events) {
    if (parent == kNoWindow || width <= 0 || height <= 0 || !registerClass(className)) {
        return kNoWindow;
    }
    auto own = std::make_unique<OwnWindow>();
    own->platform = this;
    own->events = events;
    own->surface = std::make_shared<GdiSurface>(width, height, scaleFactor());
    own->hwnd = CreateWindowExA(0, className.c_str(), kWindowTitle, WS_CHILD | WS_VISIBLE, 0, 0,
                                own->surface->deviceWidth(), own->surface->deviceHeight(),
                                handleOf(parent), nullptr, moduleInstance(), nullptr);
    if (!own->hwnd) {
        if (windows_.empty()) windowClassUnused(className);
        return kNoWindow;
    }
    SetWindowLongPtrA(own->hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(own.get()));
    const WindowId id = idOf(own->hwnd);
    windows_[id] = std::move(own);
    return id;
}

// The record leaves the window before it is destroyed, so the destruction is not mistaken for
// one from outside.
void Win32Platform::destroyWindow(WindowId window) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return;
    closeFieldsOf(window);
    std::unique_ptr<OwnWindow> own = std::move(it->second);
    windows_.erase(it);
    endDrops(*own);
    SetWindowLongPtrA(own->hwnd, GWLP_USERDATA, 0);
    DestroyWindow(own->hwnd);
}

void Win32Platform::destroyedFromOutside(OwnWindow& own) {
    const WindowId id = idOf(own.hwnd);
    auto it = windows_.find(id);
    if (it == windows_.end()) return;
    for (auto& [fieldId, field] : fields_) {
        if (field->parent != own.hwnd || !field->hwnd) continue;
        field->textLeft = editFieldText(fieldId);
        releaseFieldWindow(*field);
    }
    std::unique_ptr<OwnWindow> record = std::move(it->second);
    windows_.erase(it);
    endDrops(*record);
    SetWindowLongPtrA(record->hwnd, GWLP_USERDATA, 0);
    if (record->events) record->events->windowDestroyed();
}

std::shared_ptr<DrawingSurface> Win32Platform::windowSurface(WindowId window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second->surface;
}

void Win32Platform::paint(OwnWindow& own) {
    const std::shared_ptr<GdiSurface> surface = own.surface;
    PAINTSTRUCT painting{};
    HDC dc = BeginPaint(own.hwnd, &painting);
    if (own.events) own.events->paintRequested(surface.get());
    surface->flush();
    if (dc) showSurface(dc, *surface);
    EndPaint(own.hwnd, &painting);
}

// The window draws itself whole, also where it lies off the screen and got no paint message.
void Win32Platform::print(OwnWindow& own, void* targetDc) {
    const std::shared_ptr<GdiSurface> surface = own.surface;
    if (own.events) own.events->paintRequested(surface.get());
    surface->flush();
    showSurface(static_cast<HDC>(targetDc), *surface);
}

void Win32Platform::flushWindow(WindowId window) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return;
    const GdiSurface& surface = *it->second->surface;
    GdiFlush();
    HWND hwnd = it->second->hwnd;
    if (HDC dc = GetDC(hwnd)) {
        showSurface(dc, surface);
        ReleaseDC(hwnd, dc);
    }
}

// The press handler may end the window (a host closing the editor from a dialog's loop), so the
// window is looked up again before its picture is shown.
void Win32Platform::press(OwnWindow& own, PixelPoint where, uint32_t state) {
    const WindowId id = idOf(own.hwnd);
    pressLatch_.pressBegins(state);
    if (own.events) own.events->buttonPressed(where);
    pressLatch_.pressEnds();
    flushWindow(id);
}

PixelRect Win32Platform::windowRect(WindowId window) {
    RECT rect{};
    if (!GetWindowRect(handleOf(window), &rect)) return {};
    const double scale = scaleOf(window);
    const PixelPoint topLeft = logicalPoint({rect.left, rect.top}, scale);
    return {topLeft.x, topLeft.y, topLeft.x + toLogicalPixels(rect.right - rect.left, scale),
            topLeft.y + toLogicalPixels(rect.bottom - rect.top, scale)};
}

// Our windows keep the scale they were made at; any other window is seen at the current one.
double Win32Platform::scaleOf(WindowId window) const {
    auto it = windows_.find(window);
    return it == windows_.end() ? scaleFactor() : it->second->surface->scale();
}

double Win32Platform::desktopScaleFactor() {
    const UINT dpi = screenDpi();
    return dpi ? dpi / kBaseDotsPerInch : kSmallestScaleFactor;
}

double Win32Platform::windowScaleFactor(WindowId window) {
    static const DpiForWindow dpiForWindow = dpiForWindowFunction();
    const UINT dpi = dpiForWindow && window != kNoWindow ? dpiForWindow(handleOf(window)) : 0;
    return dpi ? dpi / kBaseDotsPerInch : desktopScaleFactor();
}

WindowId Win32Platform::parentWindow(WindowId window) {
    return idOf(GetParent(handleOf(window)));
}

std::string Win32Platform::windowClassName(WindowId window) {
    std::array<char, kLongestClassName> name{};
    const int length = GetClassNameA(handleOf(window), name.data(), kLongestClassName);
    return std::string(name.data(), static_cast<size_t>(std::max(length, 0)));
}

// A window of ours gets a back buffer of the new size holding what the old one showed, so the
// part that stays visible keeps its picture until the next paint.
void Win32Platform::resizeWindow(WindowId window, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return;
    const double scale = scaleOf(window);
    auto it = windows_.find(window);
    if (it != windows_.end()) {
        auto resized = std::make_shared<GdiSurface>(width, height, scale);
        resized->copyFrom(*it->second->surface, {0, 0, width, height}, {0, 0});
        it->second->surface = std::move(resized);
    }
    SetWindowPos(handleOf(window), nullptr, 0, 0, toDevicePixels(width, scale),
                 toDevicePixels(height, scale), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int32_t Win32Platform::dialogFrameThickness() {
    return GetSystemMetrics(SM_CYDLGFRAME);
}

uint32_t Win32Platform::mouseState() {
    static constexpr std::array<std::pair<int, uint32_t>, 6> kKeys = {{
        {VK_LBUTTON, kMouseLeft},
        {VK_MBUTTON, kMouseMiddle},
        {VK_RBUTTON, kMouseRight},
        {VK_SHIFT, kKeyShift},
        {VK_CONTROL, kKeyControl},
        {VK_MENU, kKeyAlt},
    }};
    if (const std::optional<uint32_t> latched = pressLatch_.poll()) return *latched;
    uint32_t state = 0;
    for (const auto& [key, bit] : kKeys) {
        if (GetAsyncKeyState(key) & kKeyHeld) state |= bit;
    }
    return state;
}

PixelPoint Win32Platform::cursorPosition() {
    POINT where{};
    GetCursorPos(&where);
    return logicalPoint({where.x, where.y}, scaleFactor());
}

PointerShape Win32Platform::windowCursor(WindowId window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? PointerShape::Arrow : it->second->cursor;
}

// The shape is shown at once and kept, so that the window's cursor requests keep it while the
// pointer moves over the window.
void Win32Platform::setWindowCursor(WindowId window, PointerShape shape) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return;
    it->second->cursor = shape;
    SetCursor(LoadCursorA(nullptr, stockCursor(shape)));
}

uint32_t Win32Platform::doubleClickTime() {
    return GetDoubleClickTime();
}

uint32_t Win32Platform::tickCount() {
    return GetTickCount();
}

void Win32Platform::sleep(uint32_t milliseconds) {
    Sleep(milliseconds);
}

// The host's message loop delivers our windows' messages; nothing waits for us to fetch them.
void Win32Platform::dispatchEvents() {}

bool Win32Platform::dispatchOnePaint() {
    MSG message{};
    if (!PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) return false;
    DispatchMessageA(&message);
    return true;
}

std::unique_ptr<DrawingSurface> Win32Platform::createPicture(int32_t width, int32_t height) {
    return std::make_unique<GdiSurface>(width, height, scaleFactor());
}

std::unique_ptr<DrawingSurface> Win32Platform::loadBitmap(int32_t resourceId) {
    return GdiSurface::fromResource(moduleInstance(), resourceId);
}

std::string Win32Platform::moduleFileVersion() {
    return fileVersionOf(thisModuleFileName());
}

}  // namespace win32

std::unique_ptr<Platform> makeWindowSystemPlatform() {
    return std::make_unique<win32::Win32Platform>();
}

}  // namespace marrowfold
