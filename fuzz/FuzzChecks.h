#pragma once

#include <QByteArrayView>
#include <QString>

// What must hold for any bytes where a data file belongs, through the program's own reading and
// writing code; each returns the property broken, or an empty string.
QString CheckSlotFileBytes(QByteArrayView data);
QString CheckOptionsBytes(QByteArrayView data);
