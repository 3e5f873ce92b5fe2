#pragma once

// The window-system backend for X11: our windows are Xlib children of the host's window, drawn
// through cairo-xlib surfaces. Events arrive on a connection of our own and are drained from the
// editor's idle. The connection is opened with the first window of ours (frame or dialog) and
// closed with the last, so nothing of ours stays on the server while no editor is open; a server
// that goes away ends our windows, never the host process. The Xlib types stay inside the
// backend's source files.

#include <map>
#include <memory>

#include "platform/LineEditor.h"
#include "platform/Platform.h"
#include "platform/PressLatch.h"

namespace marrowfold {

class X11Platform : public Platform {
  public:
    X11Platform();
    ~X11Platform() override;

    WindowId createChildWindow(WindowId parent, const std::string& className, int32_t width,
                               int32_t height, WindowEvents* events) override;
    void destroyWindow(WindowId window) override;
    std::shared_ptr<DrawingSurface> windowSurface(WindowId window) override;
    void flushWindow(WindowId window) override;
    PixelRect windowRect(WindowId window) override;
    WindowId parentWindow(WindowId window) override;
    std::string windowClassName(WindowId window) override;
    void resizeWindow(WindowId window, int32_t width, int32_t height) override;
    // Hosts here embed the editor without a dialog frame around it.
    int32_t dialogFrameThickness() override { return 0; }
    // The window never advertises itself as a drop target, so drops are refused.
    bool acceptDrops(WindowId, bool) override { return false; }
    // X has no window classes to register.
    void windowClassUnused(const std::string&) override {}

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
    // Xft.dpi / 96 from the server's resources, or 1 without a display or that resource.
    double desktopScaleFactor() override;

    // Whether a connection to the display is open now (only while a window of ours exists).
    bool connected() const;
    // Whether the open connection was lost because the server went away.
    bool connectionLost() const;
    // X protocol errors seen on our connection since it opened.
    int32_t errorCount() const;
    // Windows of ours that exist now (frames and edit fields).
    size_t liveWindowCount() const;

    struct Connection;
    struct OwnWindow;
    struct Field;

  private:
    // Opens the connection when none is open; answers whether a usable one is there.
    bool connect();
    // Closes the connection once no window, edit field or dialog of ours needs it.
    void disconnectWhenUnused();
    // After a loss, ends every window of ours as a destroyed window ends, at a point where no
    // press or paint of ours is running.
    void dropLostWindows();
    // A modal dialog keeps the connection open from its start to its end.
    bool beginDialog();
    void endDialog();
    void handleEvent(void* event);
    void paint(WindowId window);
    void handleFieldEvent(Field& field, void* event);
    void drawField(Field& field);
    void placeFieldCaret(Field& field, int32_t clickX);
    void finishField(EditFieldId id);
    Field* fieldOfWindow(WindowId window, EditFieldId* id);

    std::unique_ptr<Connection> connection_;
    std::map<WindowId, std::unique_ptr<OwnWindow>> windows_;
    std::map<EditFieldId, std::unique_ptr<Field>> fields_;
    EditFieldId nextField_ = 1;
    int32_t dialogsOpen_ = 0;
    PressLatch pressLatch_;
};

}  // namespace marrowfold
