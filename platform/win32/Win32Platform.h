#pragma once

// The window-system backend for Windows: our windows are Win32 child windows of the host's window,
// drawn into a GDI back buffer that is copied to the screen when the window paints and when the
// editor's idle has drawn into it. Messages reach the window procedure through the host's own
// message loop; the edit field is the system's EDIT control, the name dialog the module's dialog
// resource, the drop target an OLE one. The Windows types stay inside the backend's source files.

#include <map>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/PressLatch.h"

namespace marrowfold::win32 {

class Win32Platform : public Platform {
  public:
    Win32Platform();
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    WindowId createChildWindow(WindowId parent, const std::string& className, int32_t width,
                               int32_t height, WindowEvents* events) override;
    void destroyWindow(WindowId window) override;
    std::shared_ptr<DrawingSurface> windowSurface(WindowId window) override;
    void flushWindow(WindowId window) override;
    PixelRect windowRect(WindowId window) override;
    WindowId parentWindow(WindowId window) override;
    std::string windowClassName(WindowId window) override;
    void resizeWindow(WindowId window, int32_t width, int32_t height) override;
    int32_t dialogFrameThickness() override;
    bool acceptDrops(WindowId window, bool accept) override;
    void windowClassUnused(const std::string& className) override;

    uint32_t mouseState() override;
    PixelPoint cursorPosition() override;
    PointerShape windowCursor(WindowId window) override;
    void setWindowCursor(WindowId window, PointerShape shape) override;
    uint32_t doubleClickTime() override;

    uint32_t tickCount() override;
    void sleep(uint32_t milliseconds) override;

    void dispatchEvents() override;
    bool dispatchOnePaint() override;

    EditFieldId openEditField(WindowId window, const EditFieldSpec& spec,
                              EditFieldEvents* events) override;
    std::string editFieldText(EditFieldId field) override;
    void closeEditField(EditFieldId field) override;

    std::optional<std::string> askName(WindowId owner, const NameDialogSpec& spec) override;
    bool askYesNo(WindowId owner, const std::string& title, const std::string& text) override;

    std::unique_ptr<DrawingSurface> createPicture(int32_t width, int32_t height) override;
    std::unique_ptr<DrawingSurface> loadBitmap(int32_t resourceId) override;

    std::string moduleFileVersion() override;
    // The screen's resolution against 96 dots per inch; a window's own where Windows knows it.
    double desktopScaleFactor() override;
    double windowScaleFactor(WindowId window) override;

    struct OwnWindow;
    struct Field;

    // What the window procedures hand over; each takes the window's record.
    void paint(OwnWindow& own);
    // Draws the window into a device context of the caller's (a host's PrintWindow).
    void print(OwnWindow& own, void* targetDc);
    // A button press with the buttons and keys its message carried.
    void press(OwnWindow& own, PixelPoint where, uint32_t state);
    void destroyedFromOutside(OwnWindow& own);
    // The brush that colours an open edit field of the window, or null when it is not ours.
    void* editFieldBrush(OwnWindow& own, void* fieldWindow, void* dc);
    // Enter or the loss of the keyboard focus in a field.
    void fieldFinished(Field& field);

  private:
    double scaleOf(WindowId window) const;
    bool registerClass(const std::string& className);
    void closeFieldsOf(WindowId window);
    // Ends the field's control; the record, with the text it had, stays until it is closed.
    static void releaseFieldWindow(Field& field);
    void endDrops(OwnWindow& own);

    std::map<WindowId, std::unique_ptr<OwnWindow>> windows_;
    std::map<EditFieldId, std::unique_ptr<Field>> fields_;
    EditFieldId nextField_ = 1;
    PressLatch pressLatch_;
};

}  // namespace marrowfold::win32
