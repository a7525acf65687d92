#pragma once

#include "common/Outcome.h"

#include <QString>

// Starts a slot's program from its command line, without waiting for it.
class ProcessStarter {
public:
    virtual ~ProcessStarter() = default;
    virtual Outcome start(const QString& commandLine) = 0;
};

// The operating system's process start. On Linux: a command line that is the path of a file
// starts exactly that file with no arguments; a desktop entry starts its application, and a
// folder or a file that is not executable opens in the default application for its type;
// any other line is split into program and arguments by the usual quoting rules, and a program
// named without a slash is looked up on the search path only. Never
// through a shell; the program is detached in its own session. On Windows: a folder or a
// document opens through its association; otherwise the command line goes unchanged to the
// system. The window is shown normally.
class SystemProcessStarter final : public ProcessStarter {
public:
    Outcome start(const QString& commandLine) override;
};
