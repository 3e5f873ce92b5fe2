#pragma once

// A display for tests of the X11 backend: the one in DISPLAY when it answers, otherwise a
// private Xvfb server started here and stopped when the session ends. The session holds a
// connection of its own for its whole life: a server resets when its last client leaves and
// refuses connections while it does, so tests that close every connection between steps would
// fail against xvfb-run or a plain Xvfb. Also runs xdotool and takes screenshots of the root
// window.

#include <X11/Xlib.h>
#include <sys/types.h>

#include <string>

namespace marrowfold::testing {

class XvfbSession {
  public:
    enum class Server { CurrentOrPrivate, Private };
    // Private always starts a server of its own and points DISPLAY at it until the session ends;
    // a private server's screen is screen (width x height x depth).
    explicit XvfbSession(Server server = Server::CurrentOrPrivate,
                         const std::string& screen = "1024x768x24");
    ~XvfbSession();
    XvfbSession(const XvfbSession&) = delete;

    // The process's session, made on first use and ended at exit.
    static XvfbSession& shared();
    // The same on a private server with room for the expanded editor at factor 3 (2184 x 639
    // device pixels) and a host's window around it, whatever display the process was given.
    static XvfbSession& largeScreen();
    XvfbSession& operator=(const XvfbSession&) = delete;

    // Whether a display answers; when not, why.
    bool ready() const { return ready_; }
    const std::string& problem() const { return problem_; }
    // The session's own connection.
    Display* display() const { return keeper_; }
    // Kills a server this session started, as a crash would end it; answers whether it did.
    bool killServer();
    // The process of the server this session started, or -1.
    pid_t serverPid() const { return server_; }

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
    void startPrivateServer(const std::string& screen);

    bool ready_ = false;
    Display* keeper_ = nullptr;
    std::string problem_;
    pid_t server_ = -1;
    int number_ = -1;
    std::string previousDisplay_;
    bool hadDisplay_ = false;
};

}  // namespace marrowfold::testing
