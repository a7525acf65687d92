// tesselo_startup_bench [--runs N] [--settle-ms MS] [--photos] [--bare NAME=PROGRAM]...
//                       BASELINE NAME=TESSELO...
//
// Compares the start-up of one or more builds of TESSELO (NAME=path of the executable; the first
// is the one the goals are for) with that of a bare Qt Widgets window (BASELINE): the time from
// starting the process until its titled window is mapped (wall time, and the CPU time the
// process used, which a busy machine disturbs less), and the resident memory a moment after.
// Every build starts with five small slot pictures, once with sound effects off and once on.
// With --photos the first build also starts with five 4000 x 3000 JPEG photos: with an empty
// thumbnail cache for every run (a first start) and with the cache its earlier runs left (every
// later start). Each program runs once more first to warm the system's caches, then all run in
// turn, each round in another order; the tables show medians, and the ratios also for each half
// of the rounds, which tells how steady they are. The machine's load is sampled every round.
// Each --bare program is another bare window, started as it is (the baseline linked with a
// library more, say), to tell what that library costs by itself.
// Needs an X display without a window manager ($DISPLAY; scripts/bench provides one).

#include "Fixture.h"
#include "WindowProbe.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int LauncherWidth = 310; // 4650 x 7230 twips
constexpr int LauncherHeight = 482;
constexpr QSize SmallSize(64, 64); // the size a slot shows; no thumbnail is kept for it
constexpr QSize PhotoSize(4000, 3000);

struct Build {
    QString name;
    QString program;
};

struct Settings {
    int runs = 16;
    int settleMs = 500;
    bool photos = false;
    QString baseline;
    std::vector<Build> builds;
    std::vector<Build> bare;
};

bool parseBuild(const QString& text, std::vector<Build>& builds) {
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 1)
        return false;
    builds.push_back({text.left(equals), text.mid(equals + 1)});
    return true;
}

// The thumbnail cache a series starts with: one that its own earlier runs filled, or a new
// empty one for every run.
enum class Cache { Kept, EmptyEachRun };

struct Series {
    std::string label;
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

// The median of the first or the second half of the runs (of all of them, for a single run).
double halfMedian(const std::vector<double>& values, int half) {
    if (values.size() < 2)
        return median(values);
    const auto middle = values.begin() + long(values.size() / 2);
    return half == 0 ? median(std::vector<double>(values.begin(), middle))
                     : median(std::vector<double>(middle, values.end()));
}

bool parse(const QStringList& args, Settings& settings) {
    QStringList programs;
    for (int i = 1; i < args.size(); ++i) {
        bool ok = true;
        if (args[i] == QStringLiteral("--runs") && i + 1 < args.size())
            settings.runs = args[++i].toInt(&ok);
        else if (args[i] == QStringLiteral("--settle-ms") && i + 1 < args.size())
            settings.settleMs = args[++i].toInt(&ok);
        else if (args[i] == QStringLiteral("--photos"))
            settings.photos = true;
        else if (args[i] == QStringLiteral("--bare") && i + 1 < args.size())
            ok = parseBuild(args[++i], settings.bare);
        else
            programs << args[i];
        if (!ok)
            return false;
    }
    if (programs.size() < 2 || settings.runs < 1 || settings.settleMs < 0)
        return false;
    settings.baseline = programs.takeFirst();
    for (const QString& build : programs)
        if (!parseBuild(build, settings.builds))
            return false;
    return true;
}

bool runOnce(WindowProbe& probe, Series& series, int settleMs, bool keep) {
    WindowProbe::Sample sample;
    std::string error;
    const QTemporaryDir emptyCache;
    const QTemporaryDir& cache = series.cache == Cache::Kept ? series.keptCache : emptyCache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    if (!probe.measure(series.program, LauncherWidth, LauncherHeight, settleMs, sample, error)) {
        std::fprintf(stderr, "%s: %s\n", series.label.c_str(), error.c_str());
        return false;
    }
    if (keep) {
        series.ms.push_back(sample.msToMapped);
        series.cpuMs.push_back(sample.cpuMsToMapped);
        series.mib.push_back(sample.residentKiB / 1024.0);
    }
    return true;
}

// The load average of the last minute.
double loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    return file.readLine().split(' ').value(0).toDouble();
}

void printRow(const Series& s) {
    std::printf("%-36s %8.1f %8.1f %8.1f %8.1f %12.1f\n", s.label.c_str(), median(s.ms),
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
    return goal <= 0 ? "-" : ratio <= goal ? "within" : "OVER";
}

void printRatios(const Series& baseline, const Series& s) {
    const auto ratio = [&](const std::vector<double> Series::*values) {
        return median(s.*values) / median(baseline.*values);
    };
    const auto halves = [&](const std::vector<double> Series::*values) {
        char text[32];
        std::snprintf(text, sizeof text, "%.2f, %.2f",
                      halfMedian(s.*values, 0) / halfMedian(baseline.*values, 0),
                      halfMedian(s.*values, 1) / halfMedian(baseline.*values, 1));
        return std::string(text);
    };
    const double time = ratio(&Series::ms);
    const double memory = ratio(&Series::mib);
    std::printf("%-36s %6.2fx %11s %6.2fx %6.2fx %11s %6s %6s  %s, %s\n", s.label.c_str(), time,
                halves(&Series::ms).c_str(), ratio(&Series::cpuMs), memory,
                halves(&Series::mib).c_str(), goalText(s.timeGoal).c_str(),
                goalText(s.memoryGoal).c_str(), verdict(time, s.timeGoal),
                verdict(memory, s.memoryGoal));
}

void printTables(const std::vector<Series*>& series, const Settings& settings,
                 const std::vector<double>& loads) {
    std::printf("\nFrom process start until the titled window is mapped: wall time and CPU time;\n"
                "resident memory %d ms later. %d runs of each, in turn; medians.\n",
                settings.settleMs, settings.runs);
    std::printf("Load average (1 min) on %u CPUs: %.2f before the runs, %.2f to %.2f during "
                "them, %.2f after.\n\n",
                std::thread::hardware_concurrency(), loads.front(),
                *std::min_element(loads.begin() + 1, loads.end() - 1),
                *std::max_element(loads.begin() + 1, loads.end() - 1), loads.back());
    std::printf("%-36s %8s %8s %8s %8s %12s\n", "", "ms", "min ms", "max ms", "CPU ms",
                "memory MiB");
    for (const Series* s : series)
        printRow(*s);
    std::printf("\n%-36s %7s %11s %7s %7s %11s %6s %6s  %s\n", "against the bare window", "time",
                "(halves)", "CPU", "memory", "(halves)", "goal", "goal", "time, memory");
    for (size_t i = 1; i < series.size(); ++i)
        printRatios(*series[0], *series[i]);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    Settings settings;
    if (!parse(QCoreApplication::arguments(), settings)) {
        std::fprintf(stderr,
                     "usage: %s [--runs N] [--settle-ms MS] [--photos] [--bare NAME=PROGRAM]... "
                     "BASELINE NAME=TESSELO...\n",
                     argv[0]);
        return 2;
    }
    WindowProbe probe;
    if (!probe.isConnected()) {
        std::fprintf(stderr, "%s: no X display (set DISPLAY)\n", argv[0]);
        return 2;
    }

    // The program folders, and the series that start them.
    std::vector<std::unique_ptr<Fixture>> fixtures;
    std::vector<std::unique_ptr<Series>> all;
    const auto add = [&](const std::string& label, const Fixture& fixture, Cache cache,
                         double timeGoal, double memoryGoal) {
        auto s = std::make_unique<Series>();
        s->label = label;
        s->program = fixture.program().toStdString();
        s->cache = cache;
        s->timeGoal = timeGoal;
        s->memoryGoal = memoryGoal;
        all.push_back(std::move(s));
    };
    const auto fixture = [&](const QString& program, QSize size, bool soundOn) -> const Fixture* {
        fixtures.push_back(std::make_unique<Fixture>(program, size, soundOn));
        if (fixtures.back()->isValid())
            return fixtures.back().get();
        std::fprintf(stderr, "%s: %s\n", argv[0], qPrintable(fixtures.back()->error()));
        return nullptr;
    };

    const auto bare = [&](const std::string& label, const QString& program) {
        auto s = std::make_unique<Series>();
        s->label = label;
        s->program = program.toStdString();
        all.push_back(std::move(s));
    };
    bare("bare Qt Widgets window", settings.baseline);
    for (const Build& b : settings.bare)
        bare(b.name.toStdString(), b.program);
    for (size_t b = 0; b < settings.builds.size(); ++b) {
        const Build& build = settings.builds[b];
        const bool goals = b == 0;
        for (const bool soundOn : {false, true}) {
            const Fixture* small = fixture(build.program, SmallSize, soundOn);
            if (!small)
                return 1;
            add(build.name.toStdString() + (soundOn ? ", sound on" : ", sound off"), *small,
                Cache::Kept, goals ? 1.10 : 0, goals ? (soundOn ? 1.25 : 1.10) : 0);
        }
    }
    if (settings.photos) {
        const Fixture* photos = fixture(settings.builds[0].program, PhotoSize, true);
        if (!photos)
            return 1;
        const std::string name = settings.builds[0].name.toStdString();
        add(name + ", photos, first start", *photos, Cache::EmptyEachRun, 3.0, 0);
        add(name + ", photos, later starts", *photos, Cache::Kept, 1.3, 1.2);
    }

    std::vector<Series*> order;
    for (const auto& s : all)
        order.push_back(s.get());
    std::vector<double> loads{loadAverage()};
    for (Series* s : order)
        if (!runOnce(probe, *s, 0, false))
            return 1;
    for (int run = 0; run < settings.runs; ++run) {
        std::rotate(order.begin(), order.begin() + 1, order.end());
        for (Series* s : order)
            if (!runOnce(probe, *s, settings.settleMs, true))
                return 1;
        loads.push_back(loadAverage());
    }
    loads.push_back(loadAverage());
    std::vector<Series*> rows;
    for (const auto& s : all)
        rows.push_back(s.get());
    printTables(rows, settings, loads);
    return 0;
}
