// Arbitrary bytes as a whole slot file, through the real slot reading and writing code.

#include "FuzzChecks.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString broken =
        CheckSlotFileBytes(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, "slot file: %s\n", broken.toUtf8().constData());
        std::abort();
    }
    return 0;
}
