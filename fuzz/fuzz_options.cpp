// Arbitrary bytes as the options file, through the real parser, formatter and loader.

#include "FuzzChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString broken =
        CheckOptionsBytes(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "options: %s\n", broken.toUtf8().constData());
        std::abort();
    }
    return 0;
}
