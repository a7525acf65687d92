#include "platform/WritableFolder.h"

#include <QTemporaryFile>

bool CanWriteIn(const QString& dir) {
    // Windows calls folders such as Program Files writable whatever their access rules say;
    // only a try tells. The probe file goes again at once.
    QTemporaryFile probe(dir + QStringLiteral("/write-check-XXXXXX"));
    return probe.open();
}
