#include "platform/X11Platform.h"

#include <X11/Xresource.h>
#include <time.h>

#include <cstdlib>

#include "platform/ModuleVersion.h"
#include "platform/WindowSystem.h"
#include "platform/X11Internal.h"

namespace marrowfold {

namespace {

constexpr uint32_t kDoubleClickMs = 400;
// The resolution a desktop of factor 1 reports; Xft.dpi is this times the user's scale.
constexpr double kBaseDotsPerInch = 96.0;
constexpr long kFrameEventMask = ExposureMask | ButtonPressMask | StructureNotifyMask;

}  // namespace

X11Platform::X11Platform() = default;

X11Platform::~X11Platform() {
    while (!fields_.empty())
        X11Platform::closeEditField(fields_.begin()->first);
    while (!windows_.empty())
        X11Platform::destroyWindow(windows_.begin()->first);
}

bool X11Platform::connected() const {
    return connection_ != nullptr;
}
bool X11Platform::connectionLost() const {
    return connection_ && connection_->lost;
}

// The display is looked up when a window is to be made, not once: a host may start without a
// display and get one later.
bool X11Platform::connect() {
    if (!connection_) {
        auto made = std::make_unique<Connection>();
        if (made->display) connection_ = std::move(made);
    }
    return liveDisplay(connection_) != nullptr;
}

void X11Platform::disconnectWhenUnused() {
    if (connection_ && windows_.empty() && fields_.empty() && dialogsOpen_ == 0 &&
        !pressLatch_.inPress()) {
        connection_.reset();
    }
}

// Edit fields keep their record, and so their text, until their owner closes them.
void X11Platform::dropLostWindows() {
    if (!connectionLost() || pressLatch_.inPress() || dialogsOpen_ > 0) return;
    for (auto& [id, field] : fields_) {
        if (field->surface) cairo_surface_destroy(field->surface);
        field->surface = nullptr;
    }
    while (!windows_.empty()) {
        auto it = windows_.begin();
        WindowEvents* events = it->second->events;
        it->second->surface.reset();
        windows_.erase(it);
        if (events) events->windowDestroyed();
    }
    disconnectWhenUnused();
}

size_t X11Platform::liveWindowCount() const {
    return windows_.size() + fields_.size();
}

WindowId X11Platform::createChildWindow(WindowId parent, const std::string& className,
                                        int32_t width, int32_t height, WindowEvents* events) {
    if (parent == kNoWindow || width <= 0 || height <= 0 || !connect()) return kNoWindow;
    Display* display = connection_->display;
    const int32_t deviceWidth = toDevicePixels(width, scaleFactor());
    const int32_t deviceHeight = toDevicePixels(height, scaleFactor());
    XSetWindowAttributes attributes{};
    attributes.background_pixmap = None;
    attributes.event_mask = kFrameEventMask;
    const int screen = DefaultScreen(display);
    const Window window = XCreateWindow(
        display, static_cast<Window>(parent), 0, 0, static_cast<unsigned>(deviceWidth),
        static_cast<unsigned>(deviceHeight), 0, CopyFromParent, InputOutput, CopyFromParent,
        CWBackPixmap | CWEventMask, &attributes);
    XStoreName(display, window, "Window");
    XClassHint hint{const_cast<char*>("Window"), const_cast<char*>(className.c_str())};
    XSetClassHint(display, window, &hint);
    XMapWindow(display, window);
    XSync(display, False);

    auto own = std::make_unique<OwnWindow>();
    own->id = window;
    own->events = events;
    cairo_surface_t* surface = cairo_xlib_surface_create(
        display, window, DefaultVisual(display, screen), deviceWidth, deviceHeight);
    own->surface = std::make_shared<CairoSurface>(surface, scaleFactor());
    cairo_surface_destroy(surface);
    windows_[window] = std::move(own);
    return window;
}

void X11Platform::destroyWindow(WindowId window) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return;
    for (auto field = fields_.begin(); field != fields_.end();) {
        const EditFieldId id = field->first;
        const bool inside = field->second->parent == window;
        ++field;
        if (inside) closeEditField(id);
    }
    it->second->surface.reset();
    if (Display* display = liveDisplay(connection_)) {
        XDestroyWindow(display, it->second->id);
        XSync(display, False);
    }
    windows_.erase(it);
    disconnectWhenUnused();
}

std::shared_ptr<DrawingSurface> X11Platform::windowSurface(WindowId window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? nullptr : it->second->surface;
}

std::unique_ptr<DrawingSurface> X11Platform::createPicture(int32_t width, int32_t height) {
    return CairoSurface::picture(width, height, scaleFactor());
}

std::unique_ptr<DrawingSurface> X11Platform::loadBitmap(int32_t resourceId) {
    return CairoSurface::embeddedBitmap(resourceId);
}

void X11Platform::flushWindow(WindowId window) {
    if (std::shared_ptr<DrawingSurface> surface = windowSurface(window)) surface->flush();
    if (Display* display = liveDisplay(connection_)) XFlush(display);
}

PixelRect X11Platform::windowRect(WindowId window) {
    Display* display = liveDisplay(connection_);
    XWindowAttributes attributes{};
    if (!display || !XGetWindowAttributes(display, static_cast<Window>(window), &attributes)) {
        return {};
    }
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, static_cast<Window>(window), attributes.root, 0, 0, &x, &y,
                          &child);
    const double scale = scaleFactor();
    const int32_t left = toLogicalPixels(x, scale);
    const int32_t top = toLogicalPixels(y, scale);
    return {left, top, left + toLogicalPixels(attributes.width, scale),
            top + toLogicalPixels(attributes.height, scale)};
}

WindowId X11Platform::parentWindow(WindowId window) {
    Display* display = liveDisplay(connection_);
    if (!display) return kNoWindow;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, static_cast<Window>(window), &root, &parent, &children, &count)) {
        return kNoWindow;
    }
    if (children) XFree(children);
    return parent == root ? kNoWindow : parent;
}

std::string X11Platform::windowClassName(WindowId window) {
    XClassHint hint{};
    Display* display = liveDisplay(connection_);
    if (!display || !XGetClassHint(display, static_cast<Window>(window), &hint)) {
        return {};
    }
    std::string name = hint.res_class ? hint.res_class : "";
    if (hint.res_name) XFree(hint.res_name);
    if (hint.res_class) XFree(hint.res_class);
    return name;
}

void X11Platform::resizeWindow(WindowId window, int32_t width, int32_t height) {
    Display* display = liveDisplay(connection_);
    if (!display || width <= 0 || height <= 0) return;
    auto it = windows_.find(window);
    const bool ours = it != windows_.end() && it->second->surface;
    const double scale = ours ? it->second->surface->scale() : scaleFactor();
    const int32_t deviceWidth = toDevicePixels(width, scale);
    const int32_t deviceHeight = toDevicePixels(height, scale);
    XResizeWindow(display, static_cast<Window>(window), static_cast<unsigned>(deviceWidth),
                  static_cast<unsigned>(deviceHeight));
    if (ours && it->second->surface->surface()) {
        cairo_xlib_surface_set_size(it->second->surface->surface(), deviceWidth, deviceHeight);
    }
    XSync(display, False);
}

// Buttons and modifiers of an X state mask, as the controls read them.
static uint32_t stateBits(unsigned mask) {
    uint32_t state = 0;
    if (mask & Button1Mask) state |= kMouseLeft;
    if (mask & Button2Mask) state |= kMouseMiddle;
    if (mask & Button3Mask) state |= kMouseRight;
    if (mask & ShiftMask) state |= kKeyShift;
    if (mask & ControlMask) state |= kKeyControl;
    if (mask & Mod1Mask) state |= kKeyAlt;
    return state;
}

uint32_t X11Platform::mouseState() {
    Display* display = liveDisplay(connection_);
    if (!display) return 0;
    if (const std::optional<uint32_t> latched = pressLatch_.poll()) return *latched;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y,
                  &mask);
    return stateBits(mask);
}

PixelPoint X11Platform::cursorPosition() {
    Display* display = liveDisplay(connection_);
    if (!display) return {};
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned mask = 0;
    XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &x, &y,
                  &mask);
    return {toLogicalPixels(rootX, scaleFactor()), toLogicalPixels(rootY, scaleFactor())};
}

PointerShape X11Platform::windowCursor(WindowId window) {
    auto it = windows_.find(window);
    return it == windows_.end() ? PointerShape::Arrow : it->second->cursor;
}

void X11Platform::setWindowCursor(WindowId window, PointerShape shape) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return;
    it->second->cursor = shape;
    Display* display = liveDisplay(connection_);
    if (!display) return;
    if (shape == PointerShape::Arrow) {
        XUndefineCursor(display, it->second->id);
    } else {
        XDefineCursor(display, it->second->id, connection_->cursorFor(shape));
    }
    XFlush(display);
}

uint32_t X11Platform::doubleClickTime() {
    return kDoubleClickMs;
}

uint32_t X11Platform::tickCount() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void X11Platform::sleep(uint32_t milliseconds) {
    timespec delay{static_cast<time_t>(milliseconds / 1000),
                   static_cast<long>(milliseconds % 1000) * 1000000L};
    nanosleep(&delay, nullptr);
}

void X11Platform::paint(WindowId window) {
    auto it = windows_.find(window);
    if (it == windows_.end() || !it->second->events) return;
    it->second->events->paintRequested(it->second->surface.get());
    flushWindow(window);
}

// A press handler tracks the mouse and pumps events meanwhile; a second press must wait until it
// returns, so presses are left in the queue while one is being handled.
static Bool notButtonPress(Display*, XEvent* event, XPointer) {
    return event->type != ButtonPress;
}

// Ends with the windows of a lost connection dropped, and the connection closed when the events
// destroyed the last window of ours.
void X11Platform::dispatchEvents() {
    XEvent event;
    for (Display* display = liveDisplay(connection_); display && XPending(display) > 0;
         display = liveDisplay(connection_)) {
        if (pressLatch_.inPress()) {
            if (!XCheckIfEvent(display, &event, notButtonPress, nullptr)) break;
        } else {
            XNextEvent(display, &event);
        }
        handleEvent(&event);
    }
    dropLostWindows();
    disconnectWhenUnused();
}

bool X11Platform::dispatchOnePaint() {
    Display* display = liveDisplay(connection_);
    XEvent event;
    if (!display || !XCheckTypedEvent(display, Expose, &event)) return false;
    handleEvent(&event);
    return true;
}

void X11Platform::handleEvent(void* raw) {
    XEvent& event = *static_cast<XEvent*>(raw);
    const WindowId target = event.xany.window;
    EditFieldId fieldId = kNoEditField;
    if (Field* field = fieldOfWindow(target, &fieldId)) return handleFieldEvent(*field, raw);
    auto it = windows_.find(target);
    if (it == windows_.end()) return;
    switch (event.type) {
        case Expose:
            // Exposures of one window come in a series; the whole window is drawn once.
            while (
                XCheckTypedWindowEvent(connection_->display, event.xany.window, Expose, &event)) {
            }
            paint(target);
            break;
        case ButtonPress: {
            if (event.xbutton.button > Button3) break;  // wheel clicks reach us from the host
            WindowEvents* events = it->second->events;
            static constexpr unsigned kButtonMasks[] = {0, Button1Mask, Button2Mask, Button3Mask};
            pressLatch_.pressBegins(
                stateBits(event.xbutton.state | kButtonMasks[event.xbutton.button]));
            const double scale = it->second->surface ? it->second->surface->scale() : 1.0;
            events->buttonPressed(
                {toLogicalPixels(event.xbutton.x, scale), toLogicalPixels(event.xbutton.y, scale)});
            pressLatch_.pressEnds();
            flushWindow(target);
            break;
        }
        case DestroyNotify:
            if (event.xdestroywindow.window == it->second->id) {
                WindowEvents* events = it->second->events;
                it->second->surface.reset();
                windows_.erase(it);
                if (events) events->windowDestroyed();
            }
            break;
        default:
            break;
    }
}

// Desktops publish their scale as Xft.dpi in the server's resource database. Xlib reads the
// database as a connection opens, so a change shows from the next window of ours on.
double X11Platform::desktopScaleFactor() {
    Display* display = liveDisplay(connection_);
    Display* ownDisplay = display ? nullptr : XOpenDisplay(nullptr);
    if (!display) display = ownDisplay;
    if (!display) return kSmallestScaleFactor;
    double factor = kSmallestScaleFactor;
    if (const char* resources = XResourceManagerString(display)) {
        XrmInitialize();
        if (XrmDatabase database = XrmGetStringDatabase(resources)) {
            char* type = nullptr;
            XrmValue value{};
            if (XrmGetResource(database, "Xft.dpi", "Xft.Dpi", &type, &value) && value.addr) {
                factor = usableScaleFactor(std::atof(value.addr) / kBaseDotsPerInch);
            }
            XrmDestroyDatabase(database);
        }
    }
    if (ownDisplay) XCloseDisplay(ownDisplay);
    return factor;
}

std::string X11Platform::moduleFileVersion() {
    return kModuleVersionText;
}

std::unique_ptr<Platform> makeWindowSystemPlatform() {
    return std::make_unique<X11Platform>();
}

}  // namespace marrowfold
