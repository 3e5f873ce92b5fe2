#pragma once

#include <X11/Xlib.h>

#include <cstdint>

namespace marrowfold::lv2 {

// The bridge's own window inside the host's: it holds the module's editor at the editor's size
// and shows the panel's blue wherever the host makes it larger than the editor. It has its own
// display connection and draws nothing itself; the X server fills it with its background.
class HolderWindow {
  public:
    HolderWindow() = default;
    HolderWindow(const HolderWindow&) = delete;
    HolderWindow& operator=(const HolderWindow&) = delete;
    ~HolderWindow();

    // A child of parent (the root window when parent is 0), mapped; false without a display.
    bool create(Window parent, int32_t width, int32_t height);
    Window id() const { return window; }
    void resize(int32_t width, int32_t height);
    // Grows to the parent's size when the host made its window larger than the editor asked.
    void fillParent();
    // Discards what the server sent; the holder asks for no events, so little ever arrives.
    void drainEvents();

  private:
    unsigned long panelPixel();

    Display* display = nullptr;
    Window window = 0;
    Window parentWindow = 0;
    bool insideHost = false;
    int32_t shownWidth = 0;
    int32_t shownHeight = 0;
};

}  // namespace marrowfold::lv2
