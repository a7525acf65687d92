#include "launcher/LauncherWindow.h"

#include "platform/Clock.h"
#include "platform/ProcessStarter.h"
#include "storage/DataFolderClaim.h"
#include "widgets/Dialogs.h"
#include "widgets/PictureBox.h"

#include <QAction>

namespace {
const QString LaunchFailure = QStringLiteral("起動エラー");

// A picture taller than this still shows and collapses on launch; a collapsed one is 51 high.
constexpr int CollapsibleHeight = 100;
constexpr int CollapseSteps = 101;
// Out of sight: beyond the right edge of the 4650-twip client area.
constexpr int HiddenLeft = 5000;
} // namespace

void LauncherWindow::runSlot(int index) {
    if (ending_)
        return;
    const QString program = programs_[index];
    if (program.isEmpty())
        return;
    cues_.play(SoundCue::Launch);
    collapsePicture(*pictures_[index]);

    if (!processes_->start(program)) {
        // The picture stays collapsed and the launcher stays open, whatever the options say.
        messages_->Error(nullptr, LaunchFailure);
        return;
    }
    options_.closeAfterLaunch = StoredBoolean(closeAfterLaunchAction_->isChecked());
    if (options_.closeAfterLaunch == StoredFalse)
        return;
    closeAfterLaunch();
}

void LauncherWindow::collapsePicture(PictureBox& picture) {
    int h = picture.twipsHeight();
    int l = picture.twipsLeft();
    int t = picture.twipsTop();
    int w = picture.twipsWidth();
    if (picture.twipsHeight() <= CollapsibleHeight)
        return;

    // No event runs between the steps: each one is painted at once, so the user sees the
    // picture shrink towards its middle and then slide to the right.
    for (int step = 0; step < CollapseSteps; ++step) {
        const QRect before = picture.geometry();
        h -= 9;
        t += 4;
        picture.setTwipsHeight(h);
        picture.setTwipsTop(t);
        repaintMoved(before, picture.geometry());
    }
    for (int step = 0; step < CollapseSteps; ++step) {
        const QRect before = picture.geometry();
        l += 5;
        w -= 9;
        picture.setTwipsLeft(l);
        picture.setTwipsWidth(w);
        repaintMoved(before, picture.geometry());
    }
    const QRect before = picture.geometry();
    picture.setTwipsLeft(HiddenLeft);
    repaintMoved(before, picture.geometry());
}

void LauncherWindow::repaintMoved(const QRect& before, const QRect& after) {
    // The window paints what the picture uncovered together with the picture itself.
    repaint(before.united(after));
}

void LauncherWindow::closeAfterLaunch() {
    // From here on the launcher is on its way out: every handler ignores input, and a new start
    // waits for it to end instead of bringing it forward.
    ending_ = true;
    claim_->setEnding();
    cues_.closeDevice();
    slotFile_.close();
    const Outcome saved = saveOptionsAtShutdown();
    if (!saved) {
        // Nothing is left to work with: say what was lost and end. The message box has held
        // the launcher longer than the wait would have.
        showHoldingMessage(saved.message());
        endProgram();
        return;
    }
    waitForSecondAfterNext();
    endProgram();
}

void LauncherWindow::waitForSecondAfterNext() {
    // Ends once the clock shows the second after next, counted on past the minute's end: more
    // than one and at most two seconds from now. Each wait returns by the next second at the
    // latest, so the decisive reading ends the loop without one more wait after it.
    const int s = clock_->secondOfMinute();
    if (s + 2 < 60) {
        while (clock_->secondOfMinute() < s + 2)
            clock_->letEventsRun();
        return;
    }
    int n = 0;
    for (;;) {
        if (clock_->secondOfMinute() < s)
            n = clock_->secondOfMinute() + 60;
        if (n >= s + 2)
            return;
        clock_->letEventsRun();
    }
}
