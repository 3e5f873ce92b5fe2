#pragma once

#include <optional>
#include <string>
#include <vector>

#include "gui/View.h"
#include "platform/Platform.h"

namespace marrowfold {

class Bitmap;

// The view that owns the editor's child window: it holds the other views in paint order, turns
// the window's paint, press, drop and wheel events into calls on them, and draws the dirty ones
// when the editor idles.
class Frame : public View, private WindowEvents {
  public:
    static constexpr int32_t kCursorRestore = 0;

    // With a parent window, makes the frame's child window inside it; without, draws and
    // dispatches nothing.
    Frame(const Rect& size, WindowId parentWindow, EditorBase* editor);
    ~Frame() override;

    void draw(Canvas* context) override;
    void mousePressed(Canvas* context, Point where) override;
    void redrawIfDirty(Canvas* context) override;
    bool dropReceived(Canvas* context, const char* const* data, int32_t count, int32_t kind,
                      Point where) override;
    bool wheelMoved(Canvas* context, Point where, float distance) override;
    EditorBase* ownerEditor() const override { return editor_; }

    // Appends the view on top; answers false when the list cannot grow.
    virtual bool insertView(View* view);
    virtual bool takeOutView(View* view, bool release);
    virtual bool takeOutAll(bool release);
    virtual bool containsView(View* view) const;

    void setBackdrop(Bitmap* bitmap);
    Bitmap* backdrop() const { return background_; }
    bool setExclusiveView(View* view);
    View* exclusiveView() const { return exclusive_; }
    void setKeyFocusView(View* view);
    View* keyFocusView() const { return keyFocus_; }
    bool resizeWindow(int32_t width, int32_t height);
    // Draws view at once, or the whole frame when view is null or not in the list.
    void redrawNow(View* view);
    void idle();
    // The cursor in window coordinates.
    void cursorPosition(Point& where) const;
    void chooseCursor(int32_t kind);
    void dragStarted(int32_t tag);
    void dragEnded(int32_t tag);
    int32_t currentKnobMode() const;
    uint32_t tickCount() const;

    int32_t viewCount() const { return static_cast<int32_t>(views_.size()); }
    View* viewAt(int32_t index) const { return views_[static_cast<size_t>(index)]; }
    WindowId window() const { return window_; }
    WindowId parentWindow() const { return parentWindow_; }
    bool windowAlive() const { return windowAlive_; }
    bool firstPaintPending() const { return firstPaintPending_; }
    bool dropTargetRegistered() const { return dropTargetRegistered_; }

    // The window-class name of this module's frames and how many frame windows use it now.
    static const std::string& windowClassName();
    static int32_t windowClassUsers();

  private:
    void paintRequested(DrawingSurface* surface) override;
    void buttonPressed(PixelPoint where) override;
    bool dropArrived(DropKind kind, const std::vector<std::string>& items,
                     PixelPoint where) override;
    void windowDestroyed() override;

    void createWindow();
    bool anythingToDraw() const;
    View* topMostAt(Point where, bool mustTakeMouse) const;
    void resizeEnclosingWindows(int32_t width, int32_t height, int32_t twoFrames);

    EditorBase* editor_;
    WindowId parentWindow_;
    Bitmap* background_ = nullptr;
    std::vector<View*> views_;
    View* exclusive_ = nullptr;
    View* keyFocus_ = nullptr;
    bool firstPaintPending_ = true;
    bool windowAlive_ = true;
    bool dropTargetRegistered_ = false;
    // The frame made a window once, so its class counts the frame among its users.
    bool madeWindow_ = false;
    WindowId window_ = kNoWindow;
    std::optional<PointerShape> savedCursor_;
};

}  // namespace marrowfold
