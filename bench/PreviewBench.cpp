// tesselo_preview_bench [--runs N]
//
// Times the file chooser's preview in "Image" mode: from the click on a 4000 x 3000 JPEG photo
// in the file list until the preview has been painted with it. Once for a photo never seen
// before (the thumbnail cache emptied before each click) and once for one seen before (the
// cache as the click before left it). Between two timed clicks a small picture is clicked, so
// that each timed click selects the photo afresh. Runs on $DISPLAY when there is one,
// otherwise offscreen. Prints medians.

#include "Fixture.h"
#include "RunsArgument.h"
#include "TestSeams.h"
#include "chooser/FileChooser.h"
#include "sound/CuePlayer.h"
#include "widgets/PictureBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double PreviewGoalMs = 100;
constexpr QSize PhotoSize(4000, 3000);
const QString Photo = QStringLiteral("photo.jpg");
const QString Small = QStringLiteral("small.bmp");

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void printRow(const char* label, const std::vector<double>& values) {
    std::printf("%-44s %8.1f %8.1f %8.1f\n", label, median(values),
                *std::min_element(values.begin(), values.end()),
                *std::max_element(values.begin(), values.end()));
}

// Notes when the preview is painted, in ms of `clock`.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(const QElapsedTimer& clock) : clock_(clock) {}
    double paintedAt = -1;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && paintedAt < 0)
            paintedAt = double(clock_.nsecsElapsed()) / 1e6;
        return false;
    }

private:
    const QElapsedTimer& clock_;
};

// Clicks `name` in the file list and returns the ms until the preview was painted, or a
// negative value when it was not within five seconds.
double clickAndWaitForPaint(FileChooser& chooser, const QString& name) {
    auto* files = chooser.findChild<QListWidget*>(QStringLiteral("File1"));
    auto* preview = chooser.findChild<PictureBox*>(QStringLiteral("Load_Image"));
    const QList<QListWidgetItem*> items = files->findItems(name, Qt::MatchExactly);
    if (items.size() != 1)
        return -1;
    QElapsedTimer clock;
    PaintWatch watch(clock);
    preview->installEventFilter(&watch);
    clock.start();
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                      files->visualItemRect(items.first()).center());
    (void)QTest::qWaitFor([&] { return watch.paintedAt >= 0; }, 5000);
    preview->removeEventFilter(&watch);
    return watch.paintedAt;
}

bool measure(int runs, std::vector<double>& unseenMs, std::vector<double>& seenMs) {
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    TempAppDir app;
    app.writeData(QStringLiteral("DataBase.FIL"), "0,0\r\n");
    const QString pictures = app.path() + QStringLiteral("/Pictures");
    QDir().mkpath(pictures);
    if (!WritePhoto(pictures + u'/' + Photo, 1, PhotoSize))
        return false;
    WritePicture(pictures + u'/' + Small, "bmp");
    QDir::setCurrent(pictures);

    TestRig rig;
    CuePlayer cues(rig.sound, app.dataPath({}), [] { return false; });
    const Services services{rig.messages, rig.modal, cues};
    FileChooser chooser(ChooserMode::Picture, QPixmap(), services);
    chooser.show();
    if (!QTest::qWaitForWindowExposed(&chooser))
        return false;
    for (int run = 0; run < runs; ++run) {
        for (std::vector<double>* series : {&unseenMs, &seenMs}) {
            if (clickAndWaitForPaint(chooser, Small) < 0)
                return false;
            if (series == &unseenMs && !QDir(cache.path()).removeRecursively())
                return false;
            const double ms = clickAndWaitForPaint(chooser, Photo);
            if (ms < 0 ||
                !chooser.findChild<PictureBox*>(QStringLiteral("Load_Image"))->hasPicture())
                return false;
            series->push_back(ms);
        }
    }
    return rig.messages.texts.isEmpty();
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = RunsArgument(15);
    if (runs == 0)
        return 2;
    std::vector<double> unseenMs, seenMs;
    if (!measure(runs, unseenMs, seenMs)) {
        std::fprintf(stderr, "%s: the preview could not be measured\n", argv[0]);
        return 1;
    }
    std::printf("\nThe chooser's preview of a %d x %d JPEG photo on %s, from the click until the\n"
                "preview is painted (%d clicks of each; ms)\n\n",
                PhotoSize.width(), PhotoSize.height(), qPrintable(QGuiApplication::platformName()),
                runs);
    std::printf("%-44s %8s %8s %8s\n", "", "median", "min", "max");
    printRow("photo never seen before", unseenMs);
    printRow("photo seen before", seenMs);
    const bool ok = *std::max_element(unseenMs.begin(), unseenMs.end()) <= PreviewGoalMs &&
                    *std::max_element(seenMs.begin(), seenMs.end()) <= PreviewGoalMs;
    std::printf("\npreview (goal: every click within %.0f ms): %s\n", PreviewGoalMs,
                ok ? "within goal" : "OVER GOAL");
    return 0;
}
