// Preloaded (LD_PRELOAD) by the start-up timeline alone: a library that needs nothing but the C
// library is initialised before all others, right after the dynamic loader has relocated them,
// so its initialiser marks where relocating ends and initialising the libraries begins.

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {
[[gnu::constructor]] void markRelocated() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[96];
    const int n = std::snprintf(line, sizeof line, "tesselo-mark libraries-relocated %lld\n",
                                static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    if (n > 0 && write(STDERR_FILENO, line, size_t(n)) < 0)
        return;
}
} // namespace
