#pragma once

// A display for tests of the X11 backend: the one in DISPLAY when it answers, otherwise a
// private Xvfb server started here and stopped when the session ends. Also runs xdotool and
// takes screenshots of the root window.

#include <sys/types.h>

#include <string>

namespace marrowfold::testing {

class XvfbSession {
  public:
    XvfbSession();
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;

    // The process's session, made on first use and ended at exit. A module that keeps its
    // display connection until exit stays valid as long as this was made before the module.
    static XvfbSession& shared();
    XvfbSession& operator=(const XvfbSession&) = delete;

    // Whether a display answers; when not, why.
    bool ready() const { return ready_; }
    const std::string& problem() const { return problem_; }

    // Runs xdotool with the arguments and waits for it; answers its exit status.
    static int xdotool(const std::string& arguments);
    // Starts a shell script in the background (xdotool calls, sleeps); wait with finished().
    static pid_t scriptAsync(const std::string& script);
    static bool finished(pid_t child, int* status = nullptr);
    // Waits until the script has ended; answers its exit status.
    static int waitFor(pid_t child);
    // Writes a PNG of the whole screen; answers whether it worked.
    static bool screenshot(const std::string& path);

  private:
    bool ready_ = false;
    std::string problem_;
    pid_t server_ = -1;
    std::string previousDisplay_;
    bool hadDisplay_ = false;
};

}  // namespace marrowfold::testing
