#include "tests/platform/X11ServerState.h"

#include <cstdio>

namespace marrowfold::testing {

namespace {

void listChildren(Display* display, Window window, std::vector<std::string>& lines) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(display, children[i], &a)) continue;
        char line[160];
        std::snprintf(line, sizeof line, "0x%lx in 0x%lx %dx%d%+d%+d%s%s", children[i], window,
                      a.width, a.height, a.x, a.y, a.override_redirect ? " override" : "",
                      a.map_state == IsViewable ? " mapped" : "");
        lines.push_back(line);
        listChildren(display, children[i], lines);
    }
    if (children) XFree(children);
}

int keepGoing(Display*) {
    return 0;
}

void ignoreLoss(Display*, void*) {}

}  // namespace

std::vector<std::string> windowTree(Display* display) {
    XSync(display, False);
    std::vector<std::string> lines;
    listChildren(display, DefaultRootWindow(display), lines);
    return lines;
}

XID nextClientId() {
    Display* probe = XOpenDisplay(nullptr);
    if (!probe) return 0;
    const XID id = XAllocID(probe);
    XCloseDisplay(probe);
    return id;
}

void surviveLostConnection(Display* display) {
    XSetIOErrorHandler(keepGoing);
    XSetIOErrorExitHandler(display, ignoreLoss, nullptr);
}

}  // namespace marrowfold::testing
