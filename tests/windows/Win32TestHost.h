#pragma once

// What a Windows host does around a plug-in editor, for the tests: its own windows with a plain
// background, a message pump with the editor's idle requests, clicks with the cursor where they
// land, pictures read back from a window's client area, answers to modal dialogs given from a
// timer, and counts of what the process holds in windows, classes and GDI objects.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/PluginHost.h"
#include "tests/windows/WindowQueries.h"

namespace marrowfold::testing {

// The host windows' background, 0xRRGGBB.
inline constexpr uint32_t kHostBackground = 0x202020;
inline constexpr int kDefaultTimeoutMs = 5000;

// A picture read back from a window: rows top to bottom, pixels 0xRRGGBB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool empty() const { return pixels.empty(); }
};

// The client area of the window as it is on screen: its DC copied into a DIB section.
Picture captureClient(HWND window);
// Writes a 24-bit BMP file; false when it cannot be written.
bool saveBitmapFile(const Picture& picture, const std::string& path);
// Where the screenshots go: the folder the build names, created on first use.
std::string screenshotPath(const std::string& fileName);
// How many pixels differ between two pictures of the same size (all of them when the sizes differ).
int differingPixels(const Picture& a, const Picture& b);
int distinctColours(const Picture& picture);

// A window of the test's own class with the host background: a top-level window with a caption,
// or a child of another window. Destroyed with the object unless destroyed before.
class HostWindow {
  public:
    HostWindow(int clientWidth, int clientHeight);
    HostWindow(HWND parent, const RECT& place, const char* className = nullptr);
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;
    ~HostWindow();

    HWND handle() const { return window_; }
    void destroy();

  private:
    HWND window_ = nullptr;
};

SIZE windowSize(HWND window);

// Dispatches every queued message of the thread, as a host's main loop does.
void pumpMessages();
// Pumps and sends the editor's idle request until done answers true; false on timeout.
bool idleUntil(PluginHost& host, const std::function<bool()>& done,
               int timeoutMs = kDefaultTimeoutMs);
void idleFor(PluginHost& host, int milliseconds);

// A left click at client coordinates with the system's input: the cursor moves there, the
// button goes down, the press is handled while the button is held, and the button goes up. A
// modal dialog the press opens runs inside, so a TimerScript must be there to answer it.
void clickAt(HWND window, int x, int y);
// A press and release posted to the window while the button is not held, as a click arrives that
// was over before the host got to its messages. They are handled when the messages are pumped.
void postQuickClick(HWND window, int x, int y);
// Typing into a window: characters as WM_CHAR, a key as the WM_KEYDOWN a keyboard would post.
void postText(HWND window, const std::string& text);
void postKey(HWND window, UINT virtualKey);

// The editor's window class for a module: "Plugin" and the module handle in eight hex digits.
std::string editorClassName(HMODULE module);
bool classRegistered(HMODULE module, const std::string& className);

// What the process holds, for comparing before and after.
struct GuiCounts {
    int windows = 0;
    int userObjects = 0;
    int gdiObjects = 0;
    bool operator==(const GuiCounts&) const = default;
};
GuiCounts guiCounts();

// A dialog of this thread with that title, or null.
HWND findThreadDialog(const char* title);
// What a click on the dialog's button sends it.
void pressDialogButton(HWND dialog, int buttonId);
// The texts of a dialog's static controls, joined by newlines.
std::string staticTexts(HWND dialog);

// Steps run one after the other from a thread timer, so they run inside any modal loop this
// thread enters. A step answers true when it is done. Past its deadline the script closes every
// dialog of the thread, so a dialog it failed to answer cannot hang the test.
class TimerScript {
  public:
    using Step = std::function<bool()>;
    explicit TimerScript(std::vector<Step> steps, int deadlineMs = kDefaultTimeoutMs);
    TimerScript(const TimerScript&) = delete;
    TimerScript& operator=(const TimerScript&) = delete;
    ~TimerScript();

    bool finished() const { return next_ == steps_.size(); }
    bool timedOut() const { return timedOut_; }

  private:
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD);
    void runDueStep();

    std::vector<Step> steps_;
    size_t next_ = 0;
    DWORD deadline_;
    bool timedOut_ = false;
    bool running_ = false;
    UINT_PTR timer_ = 0;
};

}  // namespace marrowfold::testing
