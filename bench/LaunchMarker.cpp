// The program the launch benchmark starts: the first thing it does is report the monotonic
// time at which its main() began, through the FIFO named by TESSELO_LAUNCH_FIFO.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

int main() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const char* fifo = std::getenv("TESSELO_LAUNCH_FIFO");
    if (!fifo)
        return 2;
    const int fd = open(fifo, O_WRONLY);
    if (fd < 0)
        return 3;
    char line[64];
    const int n = std::snprintf(line, sizeof line, "%lld %ld\n", static_cast<long long>(now.tv_sec),
                                now.tv_nsec);
    const bool written = n > 0 && write(fd, line, size_t(n)) == n;
    close(fd);
    return written ? 0 : 4;
}
