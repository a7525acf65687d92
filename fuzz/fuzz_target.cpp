// Arbitrary bytes through the check named by FUZZ_CHECK; a broken property aborts.

#include "FuzzChecks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const QString broken = FUZZ_CHECK(QByteArrayView(data, qsizetype(size)));
    if (!broken.isEmpty()) {
        std::fprintf(stderr, FUZZ_LABEL ": %s\n", qPrintable(broken));
        std::abort();
    }
    return 0;
}
