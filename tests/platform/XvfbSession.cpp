#include "tests/platform/XvfbSession.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "tests/platform/X11ServerState.h"

extern char** environ;

namespace marrowfold::testing {

namespace {

constexpr int kFirstDisplay = 71;
constexpr int kLastDisplay = 99;
constexpr int kStartupPolls = 100;
// A server resets within milliseconds of losing its last client; a second is plenty.
constexpr int kResetPolls = 20;
constexpr auto kPollPause = std::chrono::milliseconds(50);
constexpr const char* kLargeScreen = "2400x1000x24";

// Connects, waiting while a server that has just lost its last client resets: connections that
// arrive during a reset are closed by the server.
Display* openPatiently(const char* name, int polls) {
    for (int poll = 0; poll < polls; ++poll) {
        if (Display* display = XOpenDisplay(name)) return display;
        std::this_thread::sleep_for(kPollPause);
    }
    return nullptr;
}

pid_t spawnShell(const std::string& command) {
    pid_t child = -1;
    const char* argv[] = {"/bin/sh", "-c", command.c_str(), nullptr};
    if (posix_spawn(&child, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) {
        return -1;
    }
    return child;
}

std::string numbered(const char* format, int number) {
    char text[64];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

// The process id an X server wrote into its lock file, or -1.
pid_t lockHolder(const std::string& lock) {
    FILE* file = std::fopen(lock.c_str(), "r");
    if (!file) return -1;
    long pid = -1;
    if (std::fscanf(file, "%ld", &pid) != 1) pid = -1;
    std::fclose(file);
    return static_cast<pid_t>(pid);
}

bool executableOnPath(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace

XvfbSession::XvfbSession(Server server, const std::string& screen) {
    if (const char* current = std::getenv("DISPLAY")) {
        hadDisplay_ = true;
        previousDisplay_ = current;
    }
    if (server == Server::CurrentOrPrivate && hadDisplay_) {
        keeper_ = openPatiently(previousDisplay_.c_str(), kResetPolls);
    }
    if (!keeper_) startPrivateServer(screen);
    ready_ = keeper_ != nullptr;
    if (ready_) surviveLostConnection(keeper_);
}

void XvfbSession::startPrivateServer(const std::string& screen) {
    if (!executableOnPath("Xvfb")) {
        problem_ = "no display and no Xvfb";
        return;
    }
    for (int number = kFirstDisplay; number <= kLastDisplay && !keeper_; ++number) {
        struct stat info {};
        const std::string socket = numbered("/tmp/.X11-unix/X%d", number);
        const std::string lock = numbered("/tmp/.X%d-lock", number);
        if (stat(socket.c_str(), &info) == 0 || stat(lock.c_str(), &info) == 0) continue;
        const std::string name = numbered(":%d", number);
        std::string command = "exec Xvfb ";
        command.append(name)
            .append(" -screen 0 ")
            .append(screen)
            .append(" -nolisten tcp -noreset >/dev/null 2>&1");
        server_ = spawnShell(command);
        for (int poll = 0; poll < kStartupPolls && server_ > 0; ++poll) {
            // Another test process may have started a server on the same number at the same
            // moment: only a server whose lock file names our child is ours.
            if (lockHolder(lock) == server_ && (keeper_ = XOpenDisplay(name.c_str()))) {
                setenv("DISPLAY", name.c_str(), 1);
                number_ = number;
                break;
            }
            if (waitpid(server_, nullptr, WNOHANG) == server_) {
                server_ = -1;  // it gave up: the number was taken
                break;
            }
            std::this_thread::sleep_for(kPollPause);
        }
        if (!keeper_ && server_ > 0) {
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
            server_ = -1;
        }
    }
    if (!keeper_) problem_ = "Xvfb did not start";
}

XvfbSession::~XvfbSession() {
    if (keeper_) XCloseDisplay(keeper_);
    if (server_ > 0) {
        kill(server_, SIGTERM);
        waitpid(server_, nullptr, 0);
    }
    if (hadDisplay_) {
        setenv("DISPLAY", previousDisplay_.c_str(), 1);
    } else {
        unsetenv("DISPLAY");
    }
}

bool XvfbSession::killServer() {
    if (server_ <= 0) return false;
    kill(server_, SIGKILL);
    waitpid(server_, nullptr, 0);
    server_ = -1;
    // A killed server leaves its lock file and socket; later sessions would skip the number.
    std::remove(numbered("/tmp/.X%d-lock", number_).c_str());
    std::remove(numbered("/tmp/.X11-unix/X%d", number_).c_str());
    return true;
}

XvfbSession& XvfbSession::shared() {
    static XvfbSession session;
    return session;
}

XvfbSession& XvfbSession::largeScreen() {
    static XvfbSession session(Server::Private, kLargeScreen);
    return session;
}

int XvfbSession::xdotool(const std::string& arguments) {
    int status = -1;
    const pid_t child = spawnShell("exec xdotool " + arguments);
    if (child < 0) return -1;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

pid_t XvfbSession::scriptAsync(const std::string& script) {
    return spawnShell(script);
}

bool XvfbSession::finished(pid_t child, int* status) {
    int local = 0;
    const pid_t done = waitpid(child, &local, WNOHANG);
    if (done == child && status) *status = WIFEXITED(local) ? WEXITSTATUS(local) : -1;
    return done == child;
}

int XvfbSession::waitFor(pid_t child) {
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool XvfbSession::screenshot(const std::string& path) {
    return std::system(("import -window root " + path + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace marrowfold::testing
