#include "WindowProbe.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto MapTimeout = std::chrono::seconds(30);

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

long residentKiB(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

// utime + stime of a /proc stat file, in clock ticks.
long cpuTicks(const std::filesystem::path& stat) {
    std::ifstream file(stat);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // The fields after the command name, which may hold spaces, start with the third.
    std::istringstream fields(text.substr(std::min(text.size(), text.rfind(')') + 1)));
    std::string skipped;
    for (int field = 3; field < 14; ++field)
        fields >> skipped;
    long user = 0, system = 0;
    fields >> user >> system;
    return user + system;
}

// Time on the CPU of all threads of `pid` so far: the scheduler's nanosecond counters of the
// threads still running, and the clock ticks that threads which have ended (a picture decoded
// ahead) left in the process's totals.
double cpuMs(int pid) {
    const std::filesystem::path process = "/proc/" + std::to_string(pid);
    std::error_code error;
    double ns = 0;
    long liveTicks = 0;
    for (const auto& task : std::filesystem::directory_iterator(process / "task", error)) {
        std::ifstream schedstat(task.path() / "schedstat");
        double onCpu = 0;
        if (schedstat >> onCpu)
            ns += onCpu;
        liveTicks += cpuTicks(task.path() / "stat");
    }
    const long endedTicks = std::max(0L, cpuTicks(process / "stat") - liveTicks);
    return ns / 1e6 + double(endedTicks) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

// The caller's environment, with the program forced onto the X display, and `extra` added.
std::vector<char*> childEnvironment(std::vector<std::string>& extra) {
    static std::string platform = "QT_QPA_PLATFORM=xcb";
    std::vector<char*> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0)
            env.push_back(*e);
    env.push_back(platform.data());
    for (std::string& entry : extra)
        env.push_back(entry.data());
    env.push_back(nullptr);
    return env;
}

long long nanoseconds(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// Everything left in the pipe of a program that has ended.
std::string drain(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, size_t(n));
    close(fd);
    return text;
}

void endProgram(int pid) {
    kill(pid, SIGKILL);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

WindowProbe::WindowProbe() {
    connection_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection_))
        return;
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
    root_ = screen->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    const char name[] = "_NET_WM_PID";
    const Reply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, sizeof(name) - 1, name),
                              nullptr),
        &std::free);
    pidAtom_ = atom ? atom->atom : 0;
    xcb_flush(connection_);
}

WindowProbe::~WindowProbe() {
    xcb_disconnect(connection_);
}

bool WindowProbe::isConnected() const {
    return xcb_connection_has_error(connection_) == 0 && pidAtom_ != 0;
}

int WindowProbe::windowPid(unsigned window) {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(
            connection_,
            xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1), nullptr),
        &std::free);
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 4)
        return -1;
    return int(*static_cast<const uint32_t*>(xcb_get_property_value(reply.get())));
}

bool WindowProbe::measure(const std::string& program, int width, int height, int settleMs,
                          Sample& sample, std::string& error) {
    // Events left over from the previous run must not be taken for this one.
    while (Reply<xcb_generic_event_t>(xcb_poll_for_event(connection_), &std::free)) {
    }

    std::vector<char*> env = childEnvironment(extraEnvironment_);
    std::string path = program;
    char* argv[] = {path.data(), nullptr};
    // The programs' chatter would only get in the way of the table; what is captured goes
    // into a pipe, read once the program has ended.
    int errorPipe[2] = {-1, -1};
    if (capture_ && pipe2(errorPipe, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    if (capture_)
        posix_spawn_file_actions_adddup2(&quiet, errorPipe[1], 2);
    else
        posix_spawn_file_actions_adddup2(&quiet, 1, 2);
    const auto started = Clock::now();
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, path.c_str(), &quiet, nullptr, argv, env.data());
    posix_spawn_file_actions_destroy(&quiet);
    if (capture_)
        close(errorPipe[1]);
    if (failed) {
        if (capture_)
            close(errorPipe[0]);
        error = "cannot start " + program + ": " + std::strerror(failed);
        return false;
    }
    struct PipeReader {
        int fd;
        Sample& sample;
        ~PipeReader() {
            if (fd >= 0)
                sample.errorOutput = drain(fd);
        }
    } reader{capture_ ? errorPipe[0] : -1, sample};
    sample.startedNs = nanoseconds(started);

    unsigned window = 0;
    Clock::time_point mapped;
    bool ended = false;
    if (!waitForMappedWindow(pid, window, mapped, ended, error)) {
        if (!ended)
            endProgram(pid);
        return false;
    }
    sample.msToMapped = std::chrono::duration<double, std::milli>(mapped - started).count();
    sample.mappedNs = nanoseconds(mapped);
    sample.cpuMsToMapped = cpuMs(pid);

    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr),
        &std::free);
    if (!geometry || geometry->width != width || geometry->height != height) {
        error = "the first window of " + program + " is " +
                (geometry ? std::to_string(geometry->width) + "x" + std::to_string(geometry->height)
                          : std::string("gone")) +
                ", not the expected " + std::to_string(width) + "x" + std::to_string(height) +
                " (a start-up failure message?)";
        endProgram(pid);
        return false;
    }

    // Qt names the window before it maps it; a window without a title is not the program's.
    const Reply<xcb_get_property_reply_t> title(
        xcb_get_property_reply(connection_,
                               xcb_get_property(connection_, 0, window, XCB_ATOM_WM_NAME,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
                               nullptr),
        &std::free);
    if (!title || xcb_get_property_value_length(title.get()) == 0) {
        error = "the first window of " + program + " has no title";
        endProgram(pid);
        return false;
    }

    std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    sample.residentKiB = residentKiB(pid);
    endProgram(pid);
    if (sample.residentKiB < 0) {
        error = program + " ended before its memory could be read";
        return false;
    }
    return true;
}

// Waits for the MapNotify of a top-level window that belongs to `pid`; `mapped` is when the
// event arrived, before the look-ups that tell whose window it is. `ended` tells that the
// program ended (and has been waited for) without showing a window.
bool WindowProbe::waitForMappedWindow(int pid, unsigned& window, TimePoint& mapped, bool& ended,
                                      std::string& error) {
    const auto deadline = Clock::now() + MapTimeout;
    const int fd = xcb_get_file_descriptor(connection_);
    while (Clock::now() < deadline) {
        while (Reply<xcb_generic_event_t> event{xcb_poll_for_event(connection_), &std::free}) {
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
                continue;
            const auto arrived = Clock::now();
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
            // Pop-ups bypass the window manager and are never a program's main window.
            if (map->event != root_ || map->override_redirect || windowPid(map->window) != pid)
                continue;
            window = map->window;
            mapped = arrived;
            return true;
        }
        if (xcb_connection_has_error(connection_)) {
            error = "lost the X display";
            return false;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            ended = true;
            error = "the program ended before it showed a window";
            return false;
        }
        pollfd wait{fd, POLLIN, 0};
        poll(&wait, 1, 50);
    }
    error = "no window within 30 seconds";
    return false;
}
