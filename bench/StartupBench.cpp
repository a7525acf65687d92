// tesselo_startup_bench [--runs N] [--settle-ms MS] TESSELO BASELINE
//
// Compares TESSELO's start-up with that of a bare Qt Widgets window (BASELINE): the time from
// starting the process until its window is mapped (wall time, and the CPU time the process
// used, which a busy machine disturbs less), and the resident memory a moment after.
// TESSELO starts with five slots holding 960 x 960 JPEG pictures. The two programs run
// alternately, each once more first to warm the caches; the table shows medians.
// Needs an X display without a window manager ($DISPLAY; scripts/bench provides one).

#include "Fixture.h"
#include "WindowProbe.h"

#include <QCoreApplication>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int LauncherWidth = 310; // 4650 x 7230 twips
constexpr int LauncherHeight = 482;
constexpr double TimeGoal = 1.15;
constexpr double MemoryGoal = 1.20;

struct Settings {
    int runs = 15;
    int settleMs = 300;
    QString tesselo;
    QString baseline;
};

struct Series {
    const char* label;
    std::string program;
    std::vector<double> ms;
    std::vector<double> cpuMs;
    std::vector<double> mib;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

bool parse(const QStringList& args, Settings& settings) {
    QStringList programs;
    for (int i = 1; i < args.size(); ++i) {
        bool ok = true;
        if (args[i] == QStringLiteral("--runs") && i + 1 < args.size())
            settings.runs = args[++i].toInt(&ok);
        else if (args[i] == QStringLiteral("--settle-ms") && i + 1 < args.size())
            settings.settleMs = args[++i].toInt(&ok);
        else
            programs << args[i];
        if (!ok)
            return false;
    }
    if (programs.size() != 2 || settings.runs < 1 || settings.settleMs < 0)
        return false;
    settings.tesselo = programs[0];
    settings.baseline = programs[1];
    return true;
}

bool runOnce(WindowProbe& probe, Series& series, int settleMs, bool keep) {
    WindowProbe::Sample sample;
    std::string error;
    if (!probe.measure(series.program, LauncherWidth, LauncherHeight, settleMs, sample, error)) {
        std::fprintf(stderr, "%s: %s\n", series.label, error.c_str());
        return false;
    }
    if (keep) {
        series.ms.push_back(sample.msToMapped);
        series.cpuMs.push_back(sample.cpuMsToMapped);
        series.mib.push_back(sample.residentKiB / 1024.0);
    }
    return true;
}

void printRow(const Series& s) {
    std::printf("%-32s %8.1f %8.1f %8.1f %8.1f %12.1f\n", s.label, median(s.ms),
                *std::min_element(s.ms.begin(), s.ms.end()),
                *std::max_element(s.ms.begin(), s.ms.end()), median(s.cpuMs), median(s.mib));
}

const char* verdict(double ratio, double goal) {
    return ratio <= goal ? "within goal" : "OVER GOAL";
}

void printTable(const Series& baseline, const Series& tesselo, const Settings& settings) {
    const double timeRatio = median(tesselo.ms) / median(baseline.ms);
    const double cpuRatio = median(tesselo.cpuMs) / median(baseline.cpuMs);
    const double memoryRatio = median(tesselo.mib) / median(baseline.mib);
    std::printf("\nFrom process start until the window is mapped: wall time and CPU time;\n"
                "resident memory %d ms later. %d runs of each, alternating; medians.\n\n",
                settings.settleMs, settings.runs);
    std::printf("%-32s %8s %8s %8s %8s %12s\n", "", "ms", "min ms", "max ms", "CPU ms",
                "memory MiB");
    printRow(baseline);
    printRow(tesselo);
    std::printf("%-32s %7.2fx %17s %8.2fx %11.2fx\n", "TESSELO / baseline", timeRatio, "", cpuRatio,
                memoryRatio);
    std::printf("%-32s %7.2fx %17s %8.2fx %11.2fx\n", "goal (at most)", TimeGoal, "", TimeGoal,
                MemoryGoal);
    std::printf("\ntime: %s; CPU time: %s; memory: %s\n", verdict(timeRatio, TimeGoal),
                verdict(cpuRatio, TimeGoal), verdict(memoryRatio, MemoryGoal));
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    Settings settings;
    if (!parse(QCoreApplication::arguments(), settings)) {
        std::fprintf(stderr, "usage: %s [--runs N] [--settle-ms MS] TESSELO BASELINE\n", argv[0]);
        return 2;
    }
    WindowProbe probe;
    if (!probe.isConnected()) {
        std::fprintf(stderr, "%s: no X display (set DISPLAY)\n", argv[0]);
        return 2;
    }
    const Fixture fixture(settings.tesselo);
    if (!fixture.isValid()) {
        std::fprintf(stderr, "%s: %s\n", argv[0], qPrintable(fixture.error()));
        return 1;
    }

    Series baseline{"Qt Widgets window (baseline)", settings.baseline.toStdString(), {}, {}, {}};
    Series tesselo{"TESSELO, five picture slots", fixture.program().toStdString(), {}, {}, {}};
    if (!runOnce(probe, baseline, 0, false) || !runOnce(probe, tesselo, 0, false))
        return 1;
    for (int run = 0; run < settings.runs; ++run) {
        Series& first = run % 2 ? tesselo : baseline;
        Series& second = run % 2 ? baseline : tesselo;
        if (!runOnce(probe, first, settings.settleMs, true) ||
            !runOnce(probe, second, settings.settleMs, true))
            return 1;
    }
    printTable(baseline, tesselo, settings);
    return 0;
}
