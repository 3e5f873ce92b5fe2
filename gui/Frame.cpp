#include "gui/Frame.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <new>

#include "gui/Bitmap.h"
#include "gui/Canvas.h"
#include "gui/EditorBase.h"
#include "platform/ModuleBase.h"

namespace marrowfold {

namespace {

constexpr int32_t kNotTightWrapper = 80;
constexpr const char* kMdiClientClass = "MDIClient";
constexpr size_t kDropNameBytes = 1024;
constexpr size_t kViewListStep = 10;

int32_t frameWindowCount = 0;

// The cursors that chooseCursor's kinds 1..6 stand for.
constexpr std::array<PointerShape, 6> kCursorKinds = {
    PointerShape::Wait,    PointerShape::SizeWestEast, PointerShape::SizeNorthSouth,
    PointerShape::SizeAll, PointerShape::SizeNeSw,     PointerShape::SizeNwSe};

// The base address of this module, as eight hexadecimal digits make of it.
uint32_t moduleInstance() {
    return static_cast<uint32_t>(thisModuleBase());
}

}  // namespace

const std::string& Frame::windowClassName() {
    static const std::string name = [] {
        char text[32];
        std::snprintf(text, sizeof text, "Plugin%08x", moduleInstance());
        return std::string(text);
    }();
    return name;
}

int32_t Frame::windowClassUsers() {
    return frameWindowCount;
}

Frame::Frame(const Rect& size, WindowId parentWindow, EditorBase* editor)
    : View(size), editor_(editor), parentWindow_(parentWindow) {
    if (parentWindow != kNoWindow) createWindow();
}

void Frame::createWindow() {
    Platform& platform = currentPlatform();
    window_ = platform.createChildWindow(parentWindow_, windowClassName(), size_.width(),
                                         size_.height(), this);
    if (window_ == kNoWindow) return;
    frameWindowCount++;
    madeWindow_ = true;
    dropTargetRegistered_ = platform.acceptDrops(window_, true);
}

Frame::~Frame() {
    chooseCursor(kCursorRestore);
    if (dropTargetRegistered_) currentPlatform().acceptDrops(window_, false);
    Frame::takeOutAll(true);
    setBackdrop(nullptr);
    if (window_ != kNoWindow) {
        currentPlatform().destroyWindow(window_);
        frameWindowCount--;
    }
    if (madeWindow_ && frameWindowCount == 0)
        currentPlatform().windowClassUnused(windowClassName());
}

bool Frame::insertView(View* view) {
    try {
        if (views_.size() == views_.capacity()) views_.reserve(views_.size() + kViewListStep);
        views_.push_back(view);
    } catch (const std::bad_alloc&) {
        return false;
    }
    view->assignFrame(this);
    view->attachedTo(this);
    return true;
}

bool Frame::takeOutView(View* view, bool release) {
    auto it = std::find(views_.begin(), views_.end(), view);
    if (it == views_.end()) return true;
    views_.erase(it);
    view->detachedFrom(this);
    if (release) view->release();
    return true;
}

bool Frame::takeOutAll(bool release) {
    if (keyFocus_) {
        View* focused = keyFocus_;
        focused->releaseFocus(nullptr);
        keyFocus_ = nullptr;
    }
    std::vector<View*> taken;
    taken.swap(views_);
    for (View* view : taken) {
        view->detachedFrom(this);
        if (release) view->release();
    }
    return true;
}

bool Frame::containsView(View* view) const {
    return std::find(views_.begin(), views_.end(), view) != views_.end();
}

void Frame::setBackdrop(Bitmap* bitmap) {
    if (background_) background_->release();
    background_ = bitmap;
    if (background_) background_->retain();
}

bool Frame::setExclusiveView(View* view) {
    if (exclusive_ && view) return false;
    if (exclusive_) exclusive_->detachedFrom(this);
    exclusive_ = view;
    if (exclusive_) exclusive_->attachedTo(this);
    return true;
}

// The new focus is stored before the old view hears of its loss, so that a view which clears
// the focus from its releaseFocus finds itself no longer focused.
void Frame::setKeyFocusView(View* view) {
    View* previous = keyFocus_;
    keyFocus_ = view;
    if (previous && previous != view) previous->releaseFocus(nullptr);
}

void Frame::draw(Canvas* context) {
    firstPaintPending_ = false;
    if (!context) return;
    if (background_) {
        background_->draw(*context, {0, 0, background_->width(), background_->height()});
    }
    // A paint keeps every view's pending update: a change made just before it still reaches
    // the next idle.
    for (size_t i = 0; i < views_.size(); ++i) {
        View* view = views_[i];
        const bool dirty = view->needsRedraw();
        view->draw(context);
        view->setNeedsRedraw(dirty);
    }
    if (exclusive_) exclusive_->draw(context);
}

void Frame::redrawIfDirty(Canvas* context) {
    if (!windowAlive_) return;
    if (exclusive_) {
        exclusive_->draw(context);
    } else if (needsRedraw()) {
        draw(context);
        setNeedsRedraw(false);
    } else {
        for (size_t i = 0; i < views_.size(); ++i)
            views_[i]->redrawIfDirty(context);
    }
}

bool Frame::anythingToDraw() const {
    if (exclusive_ || needsRedraw()) return true;
    return std::any_of(views_.begin(), views_.end(), [](View* v) { return v->needsRedraw(); });
}

void Frame::idle() {
    if (!windowAlive_ || firstPaintPending_ || window_ == kNoWindow) return;
    if (!anythingToDraw()) return;
    Platform& platform = currentPlatform();
    {
        Canvas canvas(this, platform.windowSurface(window_), window_);
        redrawIfDirty(&canvas);
    }
    platform.flushWindow(window_);
}

void Frame::redrawNow(View* view) {
    if (window_ == kNoWindow || !windowAlive_) return;
    Platform& platform = currentPlatform();
    {
        Canvas canvas(this, platform.windowSurface(window_), window_);
        if (view && containsView(view)) {
            view->draw(&canvas);
        } else {
            draw(&canvas);
        }
    }
    platform.flushWindow(window_);
}

View* Frame::topMostAt(Point where, bool mustTakeMouse) const {
    for (size_t i = views_.size(); i-- > 0;) {
        View* view = views_[i];
        if (mustTakeMouse && !view->mouseEnabled()) continue;
        if (view->bounds().containsInclusive(where)) return view;
    }
    return nullptr;
}

void Frame::mousePressed(Canvas* context, Point where) {
    if (keyFocus_) {
        View* focused = keyFocus_;
        focused->releaseFocus(nullptr);
        keyFocus_ = nullptr;
    }
    if (exclusive_) {
        if (exclusive_->containsPoint(where)) exclusive_->mousePressed(context, where);
        return;
    }
    for (size_t i = views_.size(); i-- > 0;) {
        View* view = views_[i];
        if (view->mouseEnabled() && view->containsPoint(where)) {
            view->mousePressed(context, where);
            return;
        }
    }
}

bool Frame::wheelMoved(Canvas*, Point, float distance) {
    if (window_ == kNoWindow) return false;
    Point cursor;
    cursorPosition(cursor);
    View* view = topMostAt(cursor, false);
    if (!view) return false;
    Canvas canvas(this, currentPlatform().windowSurface(window_), window_);
    return view->wheelMoved(&canvas, cursor, distance);
}

bool Frame::dropReceived(Canvas* context, const char* const* data, int32_t count, int32_t kind,
                         Point where) {
    if (exclusive_ || keyFocus_) return false;
    for (size_t i = views_.size(); i-- > 0;) {
        View* view = views_[i];
        if (!view->mouseEnabled() || !view->bounds().containsInclusive(where)) continue;
        if (view->dropReceived(context, data, count, kind, where)) return true;
    }
    return false;
}

bool Frame::resizeWindow(int32_t width, int32_t height) {
    if (!windowAlive_ || window_ == kNoWindow) return false;
    if (width == size_.width() && height == size_.height()) return false;
    size_.right = size_.left + width;
    size_.bottom = size_.top + height;
    Platform& platform = currentPlatform();
    const int32_t twoFrames = 2 * platform.dialogFrameThickness();
    if (twoFrames != 0) {
        resizeEnclosingWindows(width, height, twoFrames);
    } else {
        platform.resizeWindow(window_, width, height);
    }
    // A host whose window does not wrap the editor tightly learns the new size this way.
    if (editor_) editor_->askHostResize(width, height);
    return true;
}

// Grows or shrinks the frame's window and every enclosing window that wraps it tightly, each
// keeping its margin around the child; stops at a loose wrapper, an MDI client or the top. A
// window's margin is measured against its child before the resize, and a window grows by the
// margins of every window inside it, so that nested wrappers keep theirs too.
void Frame::resizeEnclosingWindows(int32_t width, int32_t height, int32_t twoFrames) {
    Platform& platform = currentPlatform();
    WindowId current = window_;
    int32_t grownWidth = width;
    int32_t grownHeight = height;
    for (;;) {
        const WindowId parent = platform.parentWindow(current);
        if (parent == kNoWindow || platform.windowClassName(parent) == kMdiClientClass) {
            platform.resizeWindow(current, grownWidth, grownHeight);
            return;
        }
        const PixelRect inner = platform.windowRect(current);
        const PixelRect outer = platform.windowRect(parent);
        platform.resizeWindow(current, grownWidth, grownHeight);
        const int32_t dh = outer.width() - inner.width();
        const int32_t dv = outer.height() - inner.height();
        if (dh > kNotTightWrapper || dv > kNotTightWrapper) return;
        current = parent;
        grownWidth += dh;
        grownHeight += dv;
        if (dh == twoFrames) {
            platform.resizeWindow(current, grownWidth, grownHeight);
            return;
        }
    }
}

void Frame::cursorPosition(Point& where) const {
    Platform& platform = currentPlatform();
    const PixelPoint cursor = platform.cursorPosition();
    const PixelRect rect = window_ != kNoWindow ? platform.windowRect(window_) : PixelRect{};
    where = {cursor.x - rect.left, cursor.y - rect.top};
}

void Frame::chooseCursor(int32_t kind) {
    if (window_ == kNoWindow || !windowAlive_) return;
    Platform& platform = currentPlatform();
    if (!savedCursor_) savedCursor_ = platform.windowCursor(window_);
    if (kind == kCursorRestore) {
        platform.setWindowCursor(window_, *savedCursor_);
    } else if (kind >= 1 && kind <= static_cast<int32_t>(kCursorKinds.size())) {
        platform.setWindowCursor(window_, kCursorKinds[static_cast<size_t>(kind - 1)]);
    }
}

void Frame::dragStarted(int32_t tag) {
    if (editor_) editor_->tellBeginEdit(tag);
}

void Frame::dragEnded(int32_t tag) {
    if (editor_) editor_->tellEndEdit(tag);
}

int32_t Frame::currentKnobMode() const {
    return EditorBase::knobMode();
}

uint32_t Frame::tickCount() const {
    return editor_ ? currentPlatform().tickCount() : 0;
}

void Frame::paintRequested(DrawingSurface* surface) {
    Canvas canvas(this, surface, window_);
    draw(&canvas);
}

void Frame::buttonPressed(PixelPoint where) {
    Canvas canvas(this, currentPlatform().windowSurface(window_), window_);
    mousePressed(&canvas, {where.x & 0xffff, where.y & 0xffff});
}

// Names are handed over in separate buffers of 1024 bytes, as long names are cut to fit.
bool Frame::dropArrived(DropKind kind, const std::vector<std::string>& items, PixelPoint where) {
    const Point at{where.x, where.y};
    if (kind == DropKind::Text) {
        const std::string text = items.empty() ? std::string() : items.front();
        const char* data[1] = {text.c_str()};
        return dropReceived(nullptr, data, static_cast<int32_t>(text.size() + 1), 1, at);
    }
    std::vector<std::array<char, kDropNameBytes>> buffers(items.size());
    std::vector<const char*> names;
    for (size_t i = 0; i < items.size(); ++i) {
        std::strncpy(buffers[i].data(), items[i].c_str(), kDropNameBytes - 1);
        buffers[i][kDropNameBytes - 1] = '\0';
        names.push_back(buffers[i].data());
    }
    return dropReceived(nullptr, names.data(), static_cast<int32_t>(names.size()), 0, at);
}

void Frame::windowDestroyed() {
    windowAlive_ = false;
    parentWindow_ = kNoWindow;
    if (window_ != kNoWindow) frameWindowCount--;
    window_ = kNoWindow;
}

}  // namespace marrowfold
