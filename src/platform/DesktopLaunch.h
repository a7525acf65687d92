#pragma once

#include "common/Outcome.h"

#include <QString>

// What a Linux desktop starts for files that are no programs of their own, through GLib's GIO,
// the implementation of the freedesktop conventions that the desktops themselves use. Both
// start the program in a session of its own, as every program the launcher starts.

// Starts the application of a desktop entry (`*.desktop`) as the desktop would: its Exec with
// the field codes expanded for no files, Path as working directory, Terminal in a terminal,
// D-Bus activation when it asks for it. An entry that is broken, hidden, of another type than
// Application, or whose program is not installed, is a failure.
Outcome LaunchDesktopEntry(const QString& path);

// Opens a document or folder in the user's default application for its type (mimeapps.list,
// else an installed application that claims the type). No such application is a failure.
Outcome OpenWithDefaultApplication(const QString& path);
