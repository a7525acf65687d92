#pragma once

#include <chrono>
#include <string>

struct xcb_connection_t;

// Starts a program on the X display and measures how long it takes until its first top-level
// window is mapped, as seen by the X server's MapNotify, and its resident memory a moment
// later, and the CPU time it used until the window was mapped. The display runs no window manager,
// so the program's window is a child of the root window and its MapNotify reaches us directly.
class WindowProbe {
public:
    struct Sample {
        double msToMapped = 0;
        double cpuMsToMapped = 0; // CPU time of all its threads until then: less hurt by load
        long residentKiB = 0;
    };

    WindowProbe();
    ~WindowProbe();
    WindowProbe(const WindowProbe&) = delete;
    WindowProbe& operator=(const WindowProbe&) = delete;

    bool isConnected() const;

    // Runs `program`, waits for its first mapped top-level window, checks that it is
    // width x height (anything else, such as a message box, fails the run), waits settleMs,
    // reads VmRSS and ends the program. On failure returns false with `error` set.
    bool measure(const std::string& program, int width, int height, int settleMs, Sample& sample,
                 std::string& error);

private:
    using TimePoint = std::chrono::steady_clock::time_point;
    bool waitForMappedWindow(int pid, unsigned& window, TimePoint& mapped, bool& ended,
                             std::string& error);
    int windowPid(unsigned window);

    xcb_connection_t* connection_ = nullptr;
    unsigned root_ = 0;
    unsigned pidAtom_ = 0;
};
