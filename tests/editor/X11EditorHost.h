#pragma once

// What the tests of the real module's editor in a host's X window share: where the host's window
// lies, the requests that open, close and idle the editor, the panel's widths and where the
// Edit button is.

#include <X11/Xlib.h>

#include <cstdint>

#include "tests/platform/X11HostWindow.h"

namespace marrowfold::testing {

inline constexpr int kHostX = 60;
inline constexpr int kHostY = 50;
inline constexpr uint32_t kHostBackground = 0x202020;
inline constexpr int32_t kOpenEditor = 14;
inline constexpr int32_t kCloseEditor = 15;
inline constexpr int32_t kEditorIdle = 19;
inline constexpr int kCompactWidth = 364;
inline constexpr int kExpandedWidth = 728;
// Where the user clicks Edit, in editor coordinates.
inline constexpr int kEditX = 330, kEditY = 195;

// The width of the first window inside the host's window, or 0 when there is none.
inline int childWidth(const X11HostWindow& window) {
    const Window child = window.firstChild();
    XWindowAttributes attributes{};
    if (!child || !XGetWindowAttributes(window.display(), child, &attributes)) return 0;
    return attributes.width;
}

}  // namespace marrowfold::testing
