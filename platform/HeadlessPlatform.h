#pragma once

// A complete window system in memory: windows are cairo image surfaces, the mouse, the clock,
// the edit fields and the dialogs follow a script that the caller feeds. With a scale factor the
// surfaces hold device pixels while the script, like everything else, speaks logical pixels. It
// carries the tests of everything above the platform.

#include <deque>
#include <map>
#include <set>

#include "platform/Platform.h"
#include "platform/cairo/CairoSurface.h"

namespace marrowfold {

// One position of the scripted mouse, in screen coordinates, held for at least holdMs of virtual
// time and for at least one poll of the mouse state. The position set by setMouse or press is
// seen by at least one poll too before the queued steps follow.
struct MouseStep {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t state = 0;
    uint32_t holdMs = 1;
};

struct NameDialogAnswer {
    bool ok = false;
    std::string text;
};

class HeadlessPlatform : public Platform {
  public:
    // Every poll of the mouse state takes this much virtual time, so that a tracking loop
    // always makes progress through the script.
    static constexpr uint32_t kPollCostMs = 1;
    static constexpr uint32_t kDoubleClickMs = 500;
    // A press lasts a few polls, so that the nested handlers that ask whether the button is
    // down (a group, then its button) all see it before the script moves on.
    static constexpr uint32_t kPressHoldMs = 3;

    struct Window {
        WindowId parent = kNoWindow;
        std::string className;
        PixelRect screenRect;
        std::shared_ptr<CairoSurface> surface;
        WindowEvents* events = nullptr;
        PointerShape cursor = PointerShape::Arrow;
        bool acceptsDrops = false;
        int32_t resizeCount = 0;
    };

    struct EditField {
        WindowId window = kNoWindow;
        EditFieldSpec spec;
        std::string text;
        bool allSelected = true;
        EditFieldEvents* events = nullptr;
    };

    HeadlessPlatform();
    ~HeadlessPlatform() override;

    WindowId createChildWindow(WindowId parent, const std::string& className, int32_t width,
                               int32_t height, WindowEvents* events) override;
    void destroyWindow(WindowId window) override;
    std::shared_ptr<DrawingSurface> windowSurface(WindowId window) override;
    void flushWindow(WindowId window) override;
    PixelRect windowRect(WindowId window) override;
    WindowId parentWindow(WindowId window) override;
    std::string windowClassName(WindowId window) override;
    void resizeWindow(WindowId window, int32_t width, int32_t height) override;
    int32_t dialogFrameThickness() override { return dialogFrame_; }
    bool acceptDrops(WindowId window, bool accept) override;
    void windowClassUnused(const std::string& className) override;

    uint32_t mouseState() override;
    PixelPoint cursorPosition() override;
    PointerShape windowCursor(WindowId window) override;
    void setWindowCursor(WindowId window, PointerShape shape) override;
    uint32_t doubleClickTime() override { return doubleClickMs_; }

    uint32_t tickCount() override { return clock_; }
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
    double desktopScaleFactor() override { return desktopScale_; }
    double largestScaleFactor() const override { return largestScale_; }

    // --- The script and what it lets a test observe ---

    // A window of the host (no surface, no events) at a screen rectangle.
    WindowId createHostWindow(WindowId parent, const std::string& className, PixelRect rect);
    const Window* window(WindowId window) const;
    size_t windowCount() const { return windows_.size(); }
    // Destroys a window the way the window system would, telling its owner first.
    void destroyFromOutside(WindowId window);
    void setDialogFrameThickness(int32_t thickness) { dialogFrame_ = thickness; }
    // The factor the scripted desktop asks for.
    void setDesktopScaleFactor(double factor) { desktopScale_ = factor; }
    // Stands in for a backend that draws at no larger factor than this.
    void setLargestScaleFactor(double factor) { largestScale_ = factor; }
    // Classes registered by child windows and not released since.
    const std::set<std::string>& registeredClasses() const { return classes_; }

    // Moves the mouse at once and drops any queued steps.
    void setMouse(int32_t screenX, int32_t screenY, uint32_t state);
    void queueMouse(const std::vector<MouseStep>& steps);
    size_t queuedMouseSteps() const { return mouseQueue_.size(); }
    PixelPoint toScreen(WindowId window, int32_t x, int32_t y);
    // A button press at window coordinates: the cursor moves there with the given state and
    // the press is delivered; steps queued before then drive the mouse during tracking.
    void press(WindowId window, int32_t x, int32_t y, uint32_t state = kMouseLeft);
    bool paintPending(WindowId window) const;
    bool drop(WindowId window, DropKind kind, const std::vector<std::string>& items,
              PixelPoint where);

    void advanceClock(uint32_t milliseconds) { clock_ += milliseconds; }
    // The double-click time the user has set in the window system.
    void setDoubleClickTime(uint32_t milliseconds) { doubleClickMs_ = milliseconds; }
    uint32_t totalSleptMs() const { return slept_; }

    // The open edit field, or null.
    EditField* openField();
    size_t openFieldCount() const { return fields_.size(); }
    // Replaces the field's text as if the user typed it, then presses Enter.
    void typeAndEnter(const std::string& text);
    // Takes the keyboard focus away from the open field.
    void loseEditFocus();

    void queueNameAnswers(const std::vector<NameDialogAnswer>& answers);
    void queueYesNoAnswers(const std::vector<bool>& answers);
    int32_t nameDialogsShown() const { return nameDialogs_; }
    const std::string& lastQuestion() const { return lastQuestion_; }
    const std::string& lastQuestionTitle() const { return lastQuestionTitle_; }

    // The window's pixels, or null for a window without a surface.
    cairo_surface_t* windowPixels(WindowId window);
    // Writes the window's surface as a PNG; answers whether it worked.
    bool savePng(WindowId window, const std::string& path);

  private:
    Window* find(WindowId window);
    void advanceMouseScript();
    // Marks a window as needing paint; dispatching then paints it.
    void invalidate(WindowId window);

    std::map<WindowId, Window> windows_;
    std::deque<WindowId> pendingPaints_;
    WindowId nextWindow_ = 0x1000;
    int32_t dialogFrame_ = 0;
    double desktopScale_ = kSmallestScaleFactor;
    double largestScale_ = kLargestScaleFactor;
    std::set<std::string> classes_;

    MouseStep mouse_;
    std::deque<MouseStep> mouseQueue_;
    uint32_t stepStartedAt_ = 0;
    bool stepSeen_ = false;

    uint32_t clock_ = 0;
    uint32_t doubleClickMs_ = kDoubleClickMs;
    uint32_t slept_ = 0;

    std::map<EditFieldId, EditField> fields_;
    EditFieldId nextField_ = 1;

    std::deque<NameDialogAnswer> nameAnswers_;
    std::deque<bool> yesNoAnswers_;
    int32_t nameDialogs_ = 0;
    std::string lastQuestion_;
    std::string lastQuestionTitle_;
};

}  // namespace marrowfold
