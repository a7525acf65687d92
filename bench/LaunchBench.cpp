// tesselo_launch_bench [--runs N]
//
// Times a slot's "Program RUN" button on the real launcher window:
//  - launch: from the click on a slot whose picture has already collapsed until the started
//    program's main() runs. The program (tesselo_launch_marker) reports the CLOCK_MONOTONIC
//    time at which it began through a FIFO; the click is stamped on the same clock.
//  - collapse: from the click on a fresh slot until the last step of its collapse animation is
//    painted, with the number of steps painted. The program start is recorded, not made.
// Runs on $DISPLAY when there is one, otherwise offscreen. Sound effects are on, as shipped;
// close-after-launch is off so that the window stays. Prints medians.

#include "RunsArgument.h"
#include "TestSeams.h"
#include "launcher/LauncherWindow.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double LaunchGoalMs = 30;
constexpr double CollapseGoalMs = 300;
constexpr int CollapseSteps = 202;

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void printRow(const char* label, const std::vector<double>& values) {
    std::printf("%-44s %8.2f %8.2f %8.2f\n", label, median(values),
                *std::min_element(values.begin(), values.end()),
                *std::max_element(values.begin(), values.end()));
}

// The marker's report of when it began, or a negative value after five seconds.
double readMarker(int fifo) {
    QByteArray line;
    const double deadline = nowMs() + 5000;
    while (!line.endsWith('\n')) {
        pollfd p{fifo, POLLIN, 0};
        const int left = int(deadline - nowMs());
        if (left <= 0 || poll(&p, 1, left) <= 0)
            return -1;
        char buffer[64];
        const ssize_t n = read(fifo, buffer, sizeof buffer);
        if (n <= 0)
            return -1;
        line.append(buffer, n);
    }
    const QList<QByteArray> parts = line.trimmed().split(' ');
    return parts.size() == 2 ? parts[0].toDouble() * 1e3 + parts[1].toDouble() / 1e6 : -1;
}

// Times of the paints of one picture.
class PaintClock : public QObject {
public:
    std::vector<double> paints;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            paints.push_back(nowMs());
        return false;
    }
};

void writeFolder(const TempAppDir& dir) {
    const QString picture = dir.dataPath(QStringLiteral("slot.png"));
    WritePicture(picture, "png");
    QByteArray records;
    for (int i = 1; i <= 5; ++i)
        records += RecordBytes("bench", LAUNCH_MARKER, picture.toUtf8());
    dir.writeData(QStringLiteral("SetUp.FIL"), records);
    dir.writeData(QStringLiteral("DataBase.FIL"), "0,-1\r\n");
}

Seams benchSeams(RecordingMessageBoxes& messages) {
    Seams seams;
    seams.messages = &messages;
    seams.endProgram = [] {};
    return seams;
}

bool measureLaunches(int runs, std::vector<double>& launchMs, std::vector<double>& clickMs) {
    TempAppDir dir;
    writeFolder(dir);
    const QByteArray fifoPath = dir.dataPath(QStringLiteral("launched")).toLocal8Bit();
    if (mkfifo(fifoPath.constData(), 0600) != 0)
        return false;
    // Read and write: the FIFO always has a writer, so poll waits for data instead of
    // reporting the end of each marker's writing.
    const int fifo = open(fifoPath.constData(), O_RDWR);
    qputenv("TESSELO_LAUNCH_FIFO", fifoPath);

    RecordingMessageBoxes messages;
    LauncherWindow main(benchSeams(messages));
    main.show();
    if (fifo < 0 || !QTest::qWaitForWindowExposed(&main))
        return false;
    // The first click collapses the picture; it is not timed.
    QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("Run_B_1")), Qt::LeftButton);
    if (readMarker(fifo) < 0)
        return false;
    for (int run = 0; run < runs; ++run) {
        QCoreApplication::processEvents();
        const double clicked = nowMs();
        QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("Run_B_1")), Qt::LeftButton);
        const double returned = nowMs();
        const double began = readMarker(fifo);
        if (began < 0 || !messages.texts.isEmpty())
            return false;
        launchMs.push_back(began - clicked);
        clickMs.push_back(returned - clicked);
    }
    close(fifo);
    return true;
}

bool measureCollapses(int runs, std::vector<double>& collapseMs, std::vector<double>& paints) {
    TempAppDir dir;
    writeFolder(dir);
    for (int run = 0; run < runs; ++run) {
        TestRig rig;
        LauncherWindow main(rig.seams());
        main.show();
        if (!QTest::qWaitForWindowExposed(&main))
            return false;
        QCoreApplication::processEvents();
        PaintClock clock;
        main.findChild<PictureBox*>(QStringLiteral("Load_Image_1"))->installEventFilter(&clock);
        const double clicked = nowMs();
        QTest::mouseClick(main.findChild<QPushButton*>(QStringLiteral("Run_B_1")), Qt::LeftButton);
        if (clock.paints.empty() || rig.processes.started.size() != 1)
            return false;
        collapseMs.push_back(clock.paints.back() - clicked);
        paints.push_back(double(clock.paints.size()));
    }
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = RunsArgument(30);
    if (runs == 0)
        return 2;

    std::vector<double> launchMs, clickMs, collapseMs, paints;
    if (!measureLaunches(runs, launchMs, clickMs)) {
        std::fprintf(stderr, "%s: the launch could not be measured\n", argv[0]);
        return 1;
    }
    if (!measureCollapses(std::max(5, runs / 3), collapseMs, paints)) {
        std::fprintf(stderr, "%s: the collapse could not be measured\n", argv[0]);
        return 1;
    }

    std::printf("\nProgram RUN on %s (%d launches, %zu collapses; ms)\n\n",
                qPrintable(QGuiApplication::platformName()), runs, collapseMs.size());
    std::printf("%-44s %8s %8s %8s\n", "", "median", "min", "max");
    printRow("click to started program's main()", launchMs);
    printRow("click handler returns", clickMs);
    printRow("click to last collapse step painted", collapseMs);
    printRow("collapse steps painted (count)", paints);
    const bool launchOk = median(launchMs) <= LaunchGoalMs;
    const bool collapseOk = median(collapseMs) <= CollapseGoalMs &&
                            *std::min_element(paints.begin(), paints.end()) >= CollapseSteps;
    std::printf("\nlaunch (goal %.0f ms): %s; collapse (goal %.0f ms, %d steps painted): %s\n",
                LaunchGoalMs, launchOk ? "within goal" : "OVER GOAL", CollapseGoalMs, CollapseSteps,
                collapseOk ? "within goal" : "OVER GOAL");
    return 0;
}
