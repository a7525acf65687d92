#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Calls `handler` whenever `target` is double-clicked with the left button, in place of the
// target's own reaction (a text box would select a word under a path it has just replaced).
// For a scroll area pass its viewport, which is what receives the mouse.
void OnDoubleClick(QWidget* target, std::function<void()> handler);
