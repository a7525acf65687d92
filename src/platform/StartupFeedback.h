#pragma once

#include <QByteArray>

// The desktop's start-up feedback: the busy cursor or the spinning task-bar entry a desktop
// shows from the moment it starts a program until that program shows a window.

// The token the desktop gave this start: Wayland's activation token, or X11's startup id. It
// lets the window that this start brings forward take the focus. Empty when none was given.
QByteArray startupToken();

// Tells the desktop that this start is done although it shows no window of its own (it handed
// over to a launcher already running), so that the busy cursor stops at once rather than at
// the desktop's timeout. Nothing to do where the desktop gave no X11 startup id.
void endStartupFeedback();
