#pragma once

// The whole contract between the toolkit and a window system. The toolkit above this header never
// includes a window-system header; each backend implements this interface in its own files.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/DrawingSurface.h"
#include "platform/ScaleFactor.h"

namespace marrowfold {

// A window as the window system knows it; 0 is no window. The host hands its parent window to
// the editor as a pointer-sized handle, which is this value.
using WindowId = std::uintptr_t;
inline constexpr WindowId kNoWindow = 0;

// A single-line edit field opened over a window; 0 is none.
using EditFieldId = std::uintptr_t;
inline constexpr EditFieldId kNoEditField = 0;

// Mouse buttons and modifier keys as the controls read them while they track the mouse.
enum MouseStateBits : uint32_t {
    kMouseLeft = 1,
    kMouseMiddle = 2,
    kMouseRight = 4,
    kKeyShift = 8,
    kKeyControl = 16,
    kKeyAlt = 32,
};

// The stock cursors a frame can choose; Arrow is the window's own default.
enum class PointerShape { Arrow, Wait, SizeWestEast, SizeNorthSouth, SizeAll, SizeNeSw, SizeNwSe };

enum class DropKind { FileList = 0, Text = 1 };

// What a window reports to the object that owns it (the frame).
class WindowEvents {
  public:
    // The window must be drawn; the surface is the window's, valid for this call.
    virtual void paintRequested(DrawingSurface* surface) = 0;
    // A mouse button went down at window coordinates.
    virtual void buttonPressed(PixelPoint where) = 0;
    // Something was dropped on the window; answers whether it was taken.
    virtual bool dropArrived(DropKind kind, const std::vector<std::string>& items,
                             PixelPoint where) = 0;
    // The window system destroyed the window; it must not be used any more.
    virtual void windowDestroyed() = 0;

  protected:
    ~WindowEvents() = default;
};

// What an open edit field reports: Enter was pressed or the field lost the keyboard focus.
class EditFieldEvents {
  public:
    virtual void editingFinished() = 0;

  protected:
    ~EditFieldEvents() = default;
};

struct EditFieldSpec {
    PixelRect rect;    // window coordinates of the field
    std::string text;  // initial text, shown selected
    FontSpec font;
    int32_t alignment = 0;  // 0 left, 1 centre, 2 right
    PackedRgb textColour = 0xffffff;
    PackedRgb backgroundColour = 0;
};

struct NameDialogSpec {
    std::string title;
    std::string prompt;
    std::string note;
    // Decides whether OK may close the dialog with the text typed; a refusal keeps it open.
    std::function<bool(const std::string&)> acceptText;
};

class Platform {
  public:
    virtual ~Platform() = default;

    // Windows. A child window lies at (0, 0) inside its parent and is visible at once.
    virtual WindowId createChildWindow(WindowId parent, const std::string& className, int32_t width,
                                       int32_t height, WindowEvents* events) = 0;
    virtual void destroyWindow(WindowId window) = 0;
    // The window's drawing surface, shared so that a canvas drawing on it keeps it alive even when
    // the window is resized or destroyed meanwhile; null for a window the platform does not own.
    virtual std::shared_ptr<DrawingSurface> windowSurface(WindowId window) = 0;
    // Makes what was drawn on the window's surface visible.
    virtual void flushWindow(WindowId window) = 0;
    // The window's rectangle in screen coordinates.
    virtual PixelRect windowRect(WindowId window) = 0;
    virtual WindowId parentWindow(WindowId window) = 0;
    virtual std::string windowClassName(WindowId window) = 0;
    // Resizes keeping the window's position.
    virtual void resizeWindow(WindowId window, int32_t width, int32_t height) = 0;
    // Thickness of the frame the host puts around a dialog-like child; 0 when there is none.
    virtual int32_t dialogFrameThickness() = 0;
    // Offers the window as a drop target or withdraws it; answers whether drops will arrive.
    virtual bool acceptDrops(WindowId window, bool accept) = 0;
    // No window of the class is left; whatever the platform registered for it is released, and
    // the next window of the class registers it again.
    virtual void windowClassUnused(const std::string& className) = 0;

    // Input, read at the moment of the call.
    virtual uint32_t mouseState() = 0;
    virtual PixelPoint cursorPosition() = 0;
    virtual PointerShape windowCursor(WindowId window) = 0;
    virtual void setWindowCursor(WindowId window, PointerShape shape) = 0;
    virtual uint32_t doubleClickTime() = 0;

    // Time in milliseconds; wraps around like any 32-bit tick count.
    virtual uint32_t tickCount() = 0;
    virtual void sleep(uint32_t milliseconds) = 0;

    // Events. Both run on the window's thread and call back into WindowEvents.
    virtual void dispatchEvents() = 0;
    // Delivers at most one pending paint; answers whether one was delivered.
    virtual bool dispatchOnePaint() = 0;

    // A single-line edit field over a window, with all its text selected and the focus.
    virtual EditFieldId openEditField(WindowId window, const EditFieldSpec& spec,
                                      EditFieldEvents* events) = 0;
    virtual std::string editFieldText(EditFieldId field) = 0;
    virtual void closeEditField(EditFieldId field) = 0;

    // Modal questions owned by a window. askName answers the accepted text, or nothing when
    // the user cancelled.
    virtual std::optional<std::string> askName(WindowId owner, const NameDialogSpec& spec) = 0;
    virtual bool askYesNo(WindowId owner, const std::string& title, const std::string& text) = 0;

    // Pictures in memory: a new one of that size (black), or the module's bitmap resource of
    // that id (null when it has none or it cannot be read).
    virtual std::unique_ptr<DrawingSurface> createPicture(int32_t width, int32_t height) = 0;
    virtual std::unique_ptr<DrawingSurface> loadBitmap(int32_t resourceId) = 0;

    // The version of the module file; empty when it carries none.
    virtual std::string moduleFileVersion() = 0;

    // Device pixels per logical pixel for the windows, pictures, edit fields and dialogs made
    // from now on, and for every coordinate this interface takes or answers: those are all
    // logical pixels, and only the backend knows device pixels. Kept between 1 and the largest
    // factor the backend draws at.
    void setScaleFactor(double factor) {
        const double usable = usableScaleFactor(factor);
        scale_ = usable < largestScaleFactor() ? usable : largestScaleFactor();
    }
    double scaleFactor() const { return scale_; }
    // The factor the user's desktop asks for (its resolution against 96 dots per inch), or 1.
    virtual double desktopScaleFactor() { return kSmallestScaleFactor; }
    // The factor the window system asks for in that window (a host's parent window), where it
    // differs from the desktop's: each screen of a desktop may have its own.
    virtual double windowScaleFactor(WindowId) { return desktopScaleFactor(); }
    // The largest factor the backend draws at.
    virtual double largestScaleFactor() const { return kLargestScaleFactor; }

  private:
    double scale_ = kSmallestScaleFactor;
};

// The platform the toolkit talks to. Without one installed, the window-system backend is made
// on first use.
Platform& currentPlatform();

// Installs a platform and answers the previous one (null when none was made yet).
std::unique_ptr<Platform> replacePlatform(std::unique_ptr<Platform> platform);

}  // namespace marrowfold
