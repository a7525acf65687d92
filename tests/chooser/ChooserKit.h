#pragma once

// Small helpers for the tests that work the file chooser's lists and look at pictures.

#include <QColor>
#include <QPixmap>
#include <QStringList>

class QListWidget;
class QListWidgetItem;

// Writes a small shell script, optionally executable by its owner.
void WriteTextFile(const QString& path, bool executable = false);

QStringList ItemTexts(const QListWidget* list);
// The one item with exactly this text, or null.
QListWidgetItem* FindItem(const QListWidget* list, const QString& text);
// Clicks an item with the mouse; the list's window must be shown.
void ClickItem(QListWidget* list, const QString& text);

// The colour in the middle of a picture, and whether two colours are alike allowing for JPEG.
QColor CentreColour(const QPixmap& picture);
bool ColoursNear(const QColor& a, const QColor& b);
