#include "tests/platform/X11HostWindow.h"

#include <chrono>
#include <thread>
#include <vector>

#include "tests/platform/X11ServerState.h"

namespace marrowfold::testing {

namespace {

constexpr auto kPollPause = std::chrono::milliseconds(5);

}  // namespace

X11HostWindow::X11HostWindow(int x, int y, int width, int height, unsigned long background)
    : display_(XOpenDisplay(nullptr)) {
    if (!display_) return;
    surviveLostConnection(display_);
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), x, y, width, height, 0, 0,
                                  background);
    XMapWindow(display_, window_);
    XSync(display_, False);
}

X11HostWindow::~X11HostWindow() {
    if (!display_) return;
    destroyWindow();
    XCloseDisplay(display_);
}

void X11HostWindow::destroyWindow() {
    if (!window_) return;
    XDestroyWindow(display_, window_);
    XSync(display_, False);
    window_ = 0;
}

std::vector<Window> X11HostWindow::children() const {
    XSync(display_, False);
    Window root = 0, parent = 0, *list = nullptr;
    unsigned count = 0;
    XQueryTree(display_, window_, &root, &parent, &list, &count);
    std::vector<Window> result(list, list + count);
    if (list) XFree(list);
    return result;
}

int X11HostWindow::childCount() const {
    return static_cast<int>(children().size());
}

Window X11HostWindow::firstChild() const {
    const std::vector<Window> all = children();
    return all.empty() ? 0 : all.front();
}

bool pollUntil(const std::function<void()>& step, const std::function<bool()>& done,
               int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
        step();
        if (done()) return true;
        std::this_thread::sleep_for(kPollPause);
    }
    return false;
}

}  // namespace marrowfold::testing
