// The X11 backend's display connection: opening and closing it, the error handlers that keep a
// lost server from ending the host process, and the cursors made on it.
#include <X11/cursorfont.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "platform/X11Internal.h"

namespace marrowfold {

namespace {

std::atomic<int32_t> errorsSeen{0};
std::vector<X11Platform::Connection*> openConnections;
XErrorHandler previousHandler = nullptr;
XIOErrorHandler previousIoHandler = nullptr;

X11Platform::Connection* connectionOf(Display* display) {
    for (X11Platform::Connection* connection : openConnections) {
        if (connection->display == display) return connection;
    }
    return nullptr;
}

// Errors on our connections are counted and swallowed; others go to whoever handled them before.
int recordError(Display* display, XErrorEvent* error) {
    if (connectionOf(display)) {
        errorsSeen++;
        return 0;
    }
    return previousHandler ? previousHandler(display, error) : 0;
}

// Before cairo flushes or frees a surface it waits until the server has processed the requests
// that read the surface's shared memory; a lost server never will, and cairo would wait forever.
// So every request made on a lost connection is taken as processed: none ever will be.
void settleLostRequests(Display* display) {
    auto* state = reinterpret_cast<_XPrivDisplay>(display);
    state->last_request_read = state->request;
}

// Xlib calls this after every request on our connections.
int settleWhenLost(Display* display) {
    const X11Platform::Connection* connection = connectionOf(display);
    if (connection && connection->lost) settleLostRequests(display);
    return 0;
}

// A lost connection of ours is marked and the handler returns; Xlib's default would end the
// process. Other connections are the host's business and go to the handler before ours.
int recordLostConnection(Display* display) {
    if (X11Platform::Connection* connection = connectionOf(display)) {
        connection->lost = true;
        return 0;
    }
    return previousIoHandler ? previousIoHandler(display) : 0;
}

// Called by Xlib after the handler above returned for our connection; returning keeps the
// process alive, and Xlib then only fails further requests on that connection.
void keepHostAlive(Display* display, void* connection) {
    static_cast<X11Platform::Connection*>(connection)->lost = true;
    settleLostRequests(display);
}

// Installed with the first open connection and put back with the last, unless someone else has
// installed a handler since.
void installHandlers() {
    if (!openConnections.empty()) return;
    previousHandler = XSetErrorHandler(recordError);
    previousIoHandler = XSetIOErrorHandler(recordLostConnection);
}

void restoreHandlers() {
    if (!openConnections.empty()) return;
    if (XErrorHandler current = XSetErrorHandler(previousHandler); current != recordError) {
        XSetErrorHandler(current);
    }
    if (XIOErrorHandler current = XSetIOErrorHandler(previousIoHandler);
        current != recordLostConnection) {
        XSetIOErrorHandler(current);
    }
}

unsigned cursorGlyph(PointerShape shape) {
    switch (shape) {
        case PointerShape::Wait:
            return XC_watch;
        case PointerShape::SizeWestEast:
            return XC_sb_h_double_arrow;
        case PointerShape::SizeNorthSouth:
            return XC_sb_v_double_arrow;
        case PointerShape::SizeAll:
            return XC_fleur;
        case PointerShape::SizeNeSw:
            return XC_bottom_left_corner;
        case PointerShape::SizeNwSe:
            return XC_bottom_right_corner;
        case PointerShape::Arrow:
            break;
    }
    return XC_left_ptr;
}

}  // namespace

X11Platform::Connection::Connection() {
    display = XOpenDisplay(nullptr);
    if (!display) return;
    installHandlers();
    openConnections.push_back(this);
    XSetIOErrorExitHandler(display, keepHostAlive, this);
    XSetAfterFunction(display, settleWhenLost);
    deleteWindowAtom = XInternAtom(display, "WM_DELETE_WINDOW", False);
}

X11Platform::Connection::~Connection() {
    if (!display) return;
    if (!lost) {
        for (auto& [shape, cursor] : cursors)
            XFreeCursor(display, cursor);
        XSync(display, False);
    }
    XCloseDisplay(display);
    openConnections.erase(std::find(openConnections.begin(), openConnections.end(), this));
    restoreHandlers();
}

Cursor X11Platform::Connection::cursorFor(PointerShape shape) {
    auto it = cursors.find(shape);
    if (it != cursors.end()) return it->second;
    return cursors[shape] = XCreateFontCursor(display, cursorGlyph(shape));
}

int32_t X11Platform::errorCount() const {
    return errorsSeen.load();
}

}  // namespace marrowfold
