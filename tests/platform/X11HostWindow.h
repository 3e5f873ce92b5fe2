#pragma once

// What the X11 tests do on the host's side: a top-level window on a display connection of its
// own, standing in for the window a host hands to the editor, and a loop that waits for events
// that arrive asynchronously.

#include <X11/Xlib.h>

#include <functional>
#include <vector>

namespace marrowfold::testing {

class X11HostWindow {
  public:
    // Opens a connection to the current display and maps the window at (x, y) on the screen. A
    // lost connection does not end the process, as a host that outlives its server would not.
    X11HostWindow(int x, int y, int width, int height, unsigned long background);
    ~X11HostWindow();
    X11HostWindow(const X11HostWindow&) = delete;
    X11HostWindow& operator=(const X11HostWindow&) = delete;

    bool isOpen() const { return display_ != nullptr; }
    Display* display() const { return display_; }
    Window window() const { return window_; }

    // The window's children after every request so far has reached the server.
    int childCount() const;
    // Its first child, or 0.
    Window firstChild() const;

    // Destroys the window now, as a host closing it under the editor would.
    void destroyWindow();

  private:
    std::vector<Window> children() const;

    Display* display_ = nullptr;
    Window window_ = 0;
};

// Runs step, then asks done, every few milliseconds until done answers true (true) or
// timeoutMs has passed (false).
bool pollUntil(const std::function<void()>& step, const std::function<bool()>& done, int timeoutMs);

}  // namespace marrowfold::testing
