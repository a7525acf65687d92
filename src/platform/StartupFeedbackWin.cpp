#include "platform/StartupFeedback.h"

#include <QtGlobal>

// Windows gives a start no token of its own and ends its busy cursor by itself, when the
// process first waits for input or after a few seconds. A token in the environment, where a
// start was handed one all the same, is passed on as elsewhere.
QByteArray startupToken() {
    const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN");
    return token.isEmpty() ? qgetenv("DESKTOP_STARTUP_ID") : token;
}

void endStartupFeedback() {}
