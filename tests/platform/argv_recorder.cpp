// Records how it was started, for the process start tests: its process id, its session,
// whether it has a controlling terminal, then one argument a line. Writes to the file named by
// TESSELO_RECORD, whole, by renaming it into place.
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    const char* record = std::getenv("TESSELO_RECORD");
    if (!record)
        return 2;
    const bool tty = open("/dev/tty", O_RDONLY | O_NOCTTY) >= 0;
    std::string text =
        std::to_string(getpid()) + ' ' + std::to_string(getsid(0)) + ' ' + (tty ? '1' : '0') + '\n';
    for (int i = 1; i < argc; ++i)
        text += std::string(argv[i]) + '\n';
    const std::string part = std::string(record) + ".part";
    FILE* out = std::fopen(part.c_str(), "w");
    if (!out)
        return 3;
    std::fputs(text.c_str(), out);
    std::fclose(out);
    return std::rename(part.c_str(), record) == 0 ? 0 : 4;
}
