#include "platform/StartupFeedback.h"

// Windows ends the busy cursor of a start on its own, when the process first waits for input
// or after a few seconds; it gives no token either.
QByteArray startupToken() {
    return {};
}

void endStartupFeedback() {}
