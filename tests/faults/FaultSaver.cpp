#include "FaultSaver.h"

SlotRecord SaverRecord(int slot, int state) {
    const QString n = QString::number(slot);
    if (state == 0)
        return {QStringLiteral("あ").repeated(10 * slot) + n, QStringLiteral("/usr/bin/first") + n,
                QString()};
    return {QStringLiteral("Z").repeated(200 - 10 * slot) + n, QString(),
            QStringLiteral("/pictures/second-%1.png").arg(n).repeated(3)};
}

StoredOptions SaverOptions(int state) {
    return state == 0 ? StoredOptions{0, -1} : StoredOptions{-1, 0};
}
