// tesselo_startup_bench [--runs N] [--settle-ms MS] TESSELO BASELINE
//
// Compares TESSELO's start-up with that of a bare Qt Widgets window (BASELINE): the time from
// starting the process until its window is mapped (wall time, and the CPU time the process
// used, which a busy machine disturbs less), and the resident memory a moment after.
// TESSELO starts with five slots holding 960 x 960 JPEG pictures, and with five 4000 x 3000
// JPEG photos: once with an empty thumbnail cache for every run (a first start) and once with
// the cache its earlier runs left (every later start). Each program runs once more first to
// warm the system's caches, then all run in turn; the table shows medians.
// Needs an X display without a window manager ($DISPLAY; scripts/bench provides one).

#include "Fixture.h"
#include "WindowProbe.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int LauncherWidth = 310; // 4650 x 7230 twips
constexpr int LauncherHeight = 482;
constexpr QSize IconSize(960, 960);
constexpr QSize PhotoSize(4000, 3000);

struct Settings {
    int runs = 15;
    int settleMs = 300;
    QString tesselo;
    QString baseline;
};

// The thumbnail cache a series starts with: one that its own earlier runs filled, or a new
// empty one for every run.
enum class Cache { Kept, EmptyEachRun };

struct Series {
    const char* label = "";
    std::string program;
    Cache cache = Cache::Kept;
    double timeGoal = 0; // at most this many times the baseline; 0: none
    double memoryGoal = 0;
    QTemporaryDir keptCache{};
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
    const QTemporaryDir emptyCache;
    const QTemporaryDir& cache = series.cache == Cache::Kept ? series.keptCache : emptyCache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
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
    std::printf("%-40s %8.1f %8.1f %8.1f %8.1f %12.1f\n", s.label, median(s.ms),
                *std::min_element(s.ms.begin(), s.ms.end()),
                *std::max_element(s.ms.begin(), s.ms.end()), median(s.cpuMs), median(s.mib));
}

// "1.15x", or "-" without a goal.
std::string goalText(double goal) {
    char text[16] = "-";
    if (goal > 0)
        std::snprintf(text, sizeof text, "%.2fx", goal);
    return text;
}

const char* verdict(double ratio, double goal) {
    return goal <= 0 ? "" : ratio <= goal ? "within goal" : "OVER GOAL";
}

void printRatios(const Series& baseline, const Series& s) {
    const double time = median(s.ms) / median(baseline.ms);
    const double cpu = median(s.cpuMs) / median(baseline.cpuMs);
    const double memory = median(s.mib) / median(baseline.mib);
    std::printf("%-40s %7.2fx %7.2fx %7.2fx %8s %8s  time %s, CPU %s, memory %s\n", s.label, time,
                cpu, memory, goalText(s.timeGoal).c_str(), goalText(s.memoryGoal).c_str(),
                verdict(time, s.timeGoal), verdict(cpu, s.timeGoal), verdict(memory, s.memoryGoal));
}

void printTable(const std::vector<Series*>& series, const Settings& settings) {
    std::printf("\nFrom process start until the window is mapped: wall time and CPU time;\n"
                "resident memory %d ms later. %d runs of each, in turn; medians.\n\n",
                settings.settleMs, settings.runs);
    std::printf("%-40s %8s %8s %8s %8s %12s\n", "", "ms", "min ms", "max ms", "CPU ms",
                "memory MiB");
    for (const Series* s : series)
        printRow(*s);
    std::printf("\n%-40s %8s %8s %8s %8s %8s\n", "against the baseline", "time", "CPU", "memory",
                "goal", "goal mem");
    for (size_t i = 1; i < series.size(); ++i)
        printRatios(*series[0], *series[i]);
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
    const Fixture icons(settings.tesselo, IconSize);
    const Fixture photos(settings.tesselo, PhotoSize);
    for (const Fixture* fixture : {&icons, &photos}) {
        if (!fixture->isValid()) {
            std::fprintf(stderr, "%s: %s\n", argv[0], qPrintable(fixture->error()));
            return 1;
        }
    }

    const auto series = [](const char* label, const QString& program, Cache cache, double timeGoal,
                           double memoryGoal) {
        auto s = std::make_unique<Series>();
        s->label = label;
        s->program = program.toStdString();
        s->cache = cache;
        s->timeGoal = timeGoal;
        s->memoryGoal = memoryGoal;
        return s;
    };
    const std::unique_ptr<Series> all[] = {
        series("Qt Widgets window (baseline)", settings.baseline, Cache::Kept, 0, 0),
        series("TESSELO, five 960 x 960 pictures", icons.program(), Cache::Kept, 1.15, 1.20),
        series("TESSELO, five photos, first start", photos.program(), Cache::EmptyEachRun, 3.0, 0),
        series("TESSELO, five photos, later starts", photos.program(), Cache::Kept, 1.3, 1.2),
    };
    std::vector<Series*> order;
    for (const auto& s : all)
        order.push_back(s.get());
    for (Series* s : order)
        if (!runOnce(probe, *s, 0, false))
            return 1;
    // Each round in a different order, so that no program always follows the same one.
    for (int run = 0; run < settings.runs; ++run) {
        std::rotate(order.begin(), order.begin() + 1, order.end());
        for (Series* s : order)
            if (!runOnce(probe, *s, settings.settleMs, true))
                return 1;
    }
    std::vector<Series*> rows;
    for (const auto& s : all)
        rows.push_back(s.get());
    printTable(rows, settings);
    return 0;
}
