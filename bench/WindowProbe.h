#pragma once

#include <chrono>
#include <string>
#include <vector>

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
        // With setCapture: when the program was started and when its window was mapped, on
        // the monotonic clock in nanoseconds, and what it wrote to its standard error.
        long long startedNs = 0;
        long long mappedNs = 0;
        std::string errorOutput;
    };

    WindowProbe();
    ~WindowProbe();
    WindowProbe(const WindowProbe&) = delete;
    WindowProbe& operator=(const WindowProbe&) = delete;

    bool isConnected() const;

    // Keep what the programs write to their standard error, and start them with these
    // environment entries ("NAME=value") added.
    void setCapture(std::vector<std::string> environment) {
        capture_ = true;
        extraEnvironment_ = std::move(environment);
    }

    // Runs `program`, waits for its first mapped top-level window, checks that it is
    // width x height (anything else, such as a message box, fails the run) and has a title,
    // waits settleMs, reads VmRSS and ends the program. On failure returns false with `error` set.
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
    bool capture_ = false;
    std::vector<std::string> extraEnvironment_;
};
