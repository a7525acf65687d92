// An audit module for the dynamic loader (LD_AUDIT), used by the start-up timeline alone: it
// marks on the standard error when the loader starts and when it maps each shared library, in
// the format of the program's own start-up marks. Relocating and initialising the libraries
// comes between the last library mapped and the program's first mark.

#include <cstdio>
#include <cstring>
#include <ctime>
#include <link.h>
#include <unistd.h>

namespace {
void mark(const char* step, const char* detail) {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[512];
    const int n = std::snprintf(line, sizeof line, "tesselo-mark %s%s %lld\n", step, detail,
                                static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
    if (n > 0 && write(STDERR_FILENO, line, size_t(n)) < 0)
        return;
}
} // namespace

extern "C" {

unsigned la_version(unsigned version) {
    mark("loader-started", "");
    return version;
}

// The first time the set of libraries is complete: those the program needs at exec are mapped.
void la_activity(uintptr_t*, unsigned flag) {
    static bool first = true;
    if (flag == LA_ACT_CONSISTENT && first) {
        first = false;
        mark("libraries-mapped", "");
    }
}

unsigned la_objopen(link_map* map, Lmid_t, uintptr_t*) {
    const char* name = map->l_name && *map->l_name ? map->l_name : "program";
    const char* slash = std::strrchr(name, '/');
    mark("mapped:", slash ? slash + 1 : name);
    return 0; // no symbol bindings to audit
}
}
