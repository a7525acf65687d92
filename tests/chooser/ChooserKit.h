#pragma once

// What the tests of the slot editor and the file chooser share: a launcher to open them from,
// a look into the chooser's lists, and a look at pictures.

#include "TestSeams.h"
#include "launcher/Main.h"

class PictureBox;
class QListWidget;
class QListWidgetItem;

// A launcher over a fresh program directory whose slot file holds `slotFile`, with sound
// effects on so that the cues show in the recording.
struct LauncherRig {
    explicit LauncherRig(const QByteArray& slotFile);
    TempAppDir app;
    TestRig rig;
    std::unique_ptr<Main> main;
    // The message boxes shown, each as "error: text" or "info: text".
    QStringList messages() const;
};

// Writes a small shell script, optionally executable by its owner.
void WriteTextFile(const QString& path, bool executable = false);

QStringList ItemTexts(const QListWidget* list);
// The one item with exactly this text, or null.
QListWidgetItem* FindItem(const QListWidget* list, const QString& text);
// Clicks an item with the mouse; the list's window must be shown.
void ClickItem(QListWidget* list, const QString& text);

// Whether the box shows a picture of about this colour in its middle, allowing for JPEG; an
// invalid colour asks for no picture at all.
bool ShowsColour(const PictureBox* box, const QColor& colour);
