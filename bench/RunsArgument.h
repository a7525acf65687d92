#pragma once

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

// The in-process benchmarks' one option, "--runs N". Returns the number of runs, or 0 after
// printing the usage when the arguments are anything else.
inline int RunsArgument(int defaultRuns) {
    const QStringList args = QCoreApplication::arguments();
    const int runs =
        args.size() == 3 && args[1] == QStringLiteral("--runs") ? args[2].toInt() : defaultRuns;
    if (runs < 1 || (args.size() != 1 && args.size() != 3)) {
        std::fprintf(stderr, "usage: %s [--runs N]\n", qPrintable(args.value(0)));
        return 0;
    }
    return runs;
}
