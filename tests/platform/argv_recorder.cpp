// Records how it was started, for the process start tests: its arguments, its session and
// whether it still has a controlling terminal. Writes to the file named by TESSELO_RECORD
// (whole, by renaming it into place). With TESSELO_HOLD naming a FIFO it then keeps running
// until the test closes the FIFO's other end.
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    const char* record = std::getenv("TESSELO_RECORD");
    if (!record)
        return 2;
    const int tty = open("/dev/tty", O_RDONLY | O_NOCTTY);
    std::string text = "pid " + std::to_string(getpid()) + "\nsid " + std::to_string(getsid(0)) +
                       "\ntty " + (tty >= 0 ? "1" : "0") + "\n";
    for (int i = 1; i < argc; ++i)
        text += std::string("arg ") + argv[i] + "\n";

    const std::string part = std::string(record) + ".part";
    FILE* out = std::fopen(part.c_str(), "w");
    if (!out)
        return 3;
    std::fputs(text.c_str(), out);
    std::fclose(out);
    std::rename(part.c_str(), record);

    if (const char* hold = std::getenv("TESSELO_HOLD")) {
        const int fifo = open(hold, O_RDONLY);
        char c;
        while (fifo >= 0 && read(fifo, &c, 1) > 0) {
        }
    }
    return 0;
}
