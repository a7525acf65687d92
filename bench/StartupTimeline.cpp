// tesselo_startup_timeline [--runs N] [--sound on|off] [--bare] PROGRAM
//
// Where TESSELO's start-up spends its time, step by step, from exec until its window is mapped
// and a little after: the dynamic loader's marks (an audit module, LoadAudit.cpp, given by
// LD_AUDIT) and the program's own (a build configured with -DTESSELO_STARTUP_MARKS=ON), with
// the time the X server reported the window mapped. Between the last library mapped at exec and
// the program's first mark the loader relocates the libraries and runs their initialisers. Five
// small slot pictures, as in the start-up benchmark. Prints the median time of each mark since
// exec, and the median and the shortest time from the mark before it. With --bare, PROGRAM is
// another program with a window of the launcher's size (the bare window, an older build), started
// as it is: the loader's marks work for any program. Needs an X display without a window manager.

#include "Fixture.h"
#include "WindowProbe.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The marks of one run in the order they came, in ms since the start. The libraries mapped at
// exec are summed up in the last of them.
std::vector<std::pair<std::string, double>> marksOf(const WindowProbe::Sample& sample) {
    std::vector<std::pair<std::string, double>> marks;
    std::istringstream lines(sample.errorOutput);
    std::string word, step;
    long long ns = 0;
    bool started = false; // past the libraries the program needs at exec
    std::string lastMapped;
    double lastMappedMs = 0;
    int mappedAtStart = 0;
    while (lines >> word) {
        if (word != "tesselo-mark" || !(lines >> step >> ns))
            continue;
        const double ms = double(ns - sample.startedNs) / 1e6;
        if (step == "libraries-mapped") {
            started = true;
            marks.emplace_back("libraries mapped at exec (" + std::to_string(mappedAtStart) +
                                   ", the last " + lastMapped + ")",
                               lastMappedMs);
            continue;
        }
        if (step.rfind("mapped:", 0) == 0 && !started) {
            ++mappedAtStart;
            lastMapped = step.substr(7);
            lastMappedMs = ms;
            continue;
        }
        marks.emplace_back(step, ms);
    }
    marks.emplace_back("window mapped (X server)",
                       double(sample.mappedNs - sample.startedNs) / 1e6);
    std::stable_sort(marks.begin(), marks.end(),
                     [](const auto& a, const auto& b) { return a.second < b.second; });
    return marks;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    int runs = 11;
    bool soundOn = false;
    bool bare = false;
    QString program;
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--runs") && i + 1 < args.size())
            runs = args[++i].toInt();
        else if (args[i] == QStringLiteral("--sound") && i + 1 < args.size())
            soundOn = args[++i] == QStringLiteral("on");
        else if (args[i] == QStringLiteral("--bare"))
            bare = true;
        else
            program = args[i];
    }
    if (program.isEmpty() || runs < 1) {
        std::fprintf(stderr, "usage: %s [--runs N] [--sound on|off] [--bare] PROGRAM\n", argv[0]);
        return 2;
    }
    const Fixture fixture(bare ? QString() : program, QSize(64, 64), soundOn);
    if (!bare && !fixture.isValid()) {
        std::fprintf(stderr, "%s: %s\n", argv[0], qPrintable(fixture.error()));
        return 1;
    }
    WindowProbe probe;
    if (!probe.isConnected()) {
        std::fprintf(stderr, "%s: no X display (set DISPLAY)\n", argv[0]);
        return 2;
    }
    const QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    probe.setCapture({"LD_AUDIT=" LOAD_AUDIT});

    // Each run's marks by name, and each mark's times over the runs.
    std::vector<std::map<std::string, double>> marksByRun;
    std::map<std::string, std::vector<double>> times;
    for (int run = 0; run <= runs; ++run) {
        WindowProbe::Sample sample;
        std::string error;
        const QString started = bare ? program : fixture.program();
        if (!probe.measure(started.toStdString(), 310, 482, 500, sample, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        if (run == 0) // warms the caches
            continue;
        marksByRun.emplace_back();
        for (const auto& [step, ms] : marksOf(sample)) {
            marksByRun.back()[step] = ms;
            times[step].push_back(ms);
        }
    }
    // The marks in the order of their median times; each step is from the mark before to this
    // one, taken in every run that has both. A busy machine stretches some runs' steps, so the
    // shortest shows what a step costs by itself.
    std::vector<std::pair<double, std::string>> order;
    for (const auto& [step, values] : times)
        order.emplace_back(median(values), step);
    std::sort(order.begin(), order.end());
    std::printf("\nStart-up of %s, sound %s, five small pictures: %d runs, in ms\n\n",
                qPrintable(program), soundOn ? "on" : "off", runs);
    std::printf("%10s %11s %9s  %s\n", "since exec", "step median", "step min", "mark");
    std::string previous;
    for (const auto& [at, step] : order) {
        std::vector<double> steps;
        for (const auto& marks : marksByRun)
            if (marks.count(step) && (previous.empty() || marks.count(previous)))
                steps.push_back(marks.at(step) - (previous.empty() ? 0 : marks.at(previous)));
        std::printf("%10.2f %11.2f %9.2f  %s%s\n", at, median(steps),
                    *std::min_element(steps.begin(), steps.end()), step.c_str(),
                    times[step].size() < size_t(runs) ? "  (not in every run)" : "");
        previous = step;
    }
    return 0;
}
