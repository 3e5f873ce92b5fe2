#include "lv2/HolderWindow.h"

#include <algorithm>

#include "resources/bitmaps/PanelBitmaps.h"

namespace marrowfold::lv2 {

namespace {

// X's colour channels have 16 bits: 255 x 257 is 65535.
constexpr unsigned short kChannelScale = 257;

}  // namespace

HolderWindow::~HolderWindow() {
    if (display == nullptr) return;
    if (window != 0) XDestroyWindow(display, window);
    XCloseDisplay(display);
}

unsigned long HolderWindow::panelPixel() {
    XColor colour{};
    // The editor panel's background, so the window shows no other colour before it draws.
    colour.red = palette::kPanelBlue.red * kChannelScale;
    colour.green = palette::kPanelBlue.green * kChannelScale;
    colour.blue = palette::kPanelBlue.blue * kChannelScale;
    colour.flags = DoRed | DoGreen | DoBlue;
    const int screen = DefaultScreen(display);
    if (XAllocColor(display, DefaultColormap(display, screen), &colour) == 0)
        return BlackPixel(display, screen);
    return colour.pixel;
}

bool HolderWindow::create(Window parent, int32_t width, int32_t height) {
    display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    insideHost = parent != 0;
    parentWindow = insideHost ? parent : DefaultRootWindow(display);
    shownWidth = std::max(width, 1);
    shownHeight = std::max(height, 1);
    const unsigned long pixel = panelPixel();
    window = XCreateSimpleWindow(display, parentWindow, 0, 0, static_cast<unsigned>(shownWidth),
                                 static_cast<unsigned>(shownHeight), 0, pixel, pixel);
    XMapWindow(display, window);
    XSync(display, False);
    return true;
}

void HolderWindow::resize(int32_t width, int32_t height) {
    if (display == nullptr || width <= 0 || height <= 0) return;
    shownWidth = width;
    shownHeight = height;
    XResizeWindow(display, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(display, False);
}

void HolderWindow::fillParent() {
    if (display == nullptr || !insideHost) return;
    Window root = 0;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    if (!XGetGeometry(display, parentWindow, &root, &x, &y, &width, &height, &border, &depth))
        return;
    XWindowAttributes own{};
    if (!XGetWindowAttributes(display, window, &own)) return;
    const int32_t wantWidth = std::max(shownWidth, static_cast<int32_t>(width));
    const int32_t wantHeight = std::max(shownHeight, static_cast<int32_t>(height));
    if (own.width >= wantWidth && own.height >= wantHeight) return;
    XResizeWindow(display, window, static_cast<unsigned>(std::max(own.width, wantWidth)),
                  static_cast<unsigned>(std::max(own.height, wantHeight)));
    XFlush(display);
}

void HolderWindow::drainEvents() {
    if (display == nullptr) return;
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
    }
}

}  // namespace marrowfold::lv2
