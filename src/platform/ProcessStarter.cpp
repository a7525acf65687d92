#include "platform/ProcessStarter.h"
// Placeholder.
Outcome SystemProcessStarter::start(const QString&) { return Outcome::failure(QString()); }
