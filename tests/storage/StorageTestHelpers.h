#pragma once

#include "common/Outcome.h"
#include "common/SlotRecord.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

// Passes when the outcome is a success, showing its message when it is not.
#define QVERIFY_OK(expression)                                                                     \
    do {                                                                                           \
        const Outcome outcome_ = (expression);                                                     \
        QVERIFY2(outcome_.ok(), qPrintable(outcome_.message()));                                   \
    } while (false)

// Lets QCOMPARE show both records when they differ.
inline char* toString(const SlotRecord& record) {
    return QTest::toString(
        QStringLiteral("{%1 | %2 | %3}").arg(record.Name, record.ProgramPath, record.ImagePath));
}

// Puts a FIFO at `path`; false where the system has none. Opening a FIFO for reading blocks
// until a writer comes, so a data file check that opened it first would hang the test.
inline bool MakeFifo(const QString& path) {
#ifdef Q_OS_UNIX
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
#else
    Q_UNUSED(path);
    return false;
#endif
}

// Something that is not a regular file, put where a data file belongs.
enum class NotAFile { Directory, Fifo, LinkToDevice, DanglingLink };

// False where the system cannot make it; the test then skips.
inline bool PutNotAFile(NotAFile kind, const QString& path) {
    switch (kind) {
    case NotAFile::Directory:
        return QDir().mkdir(path);
    case NotAFile::Fifo:
        return MakeFifo(path);
    case NotAFile::LinkToDevice:
        return QFile::exists(QStringLiteral("/dev/null")) &&
               QFile::link(QStringLiteral("/dev/null"), path);
    case NotAFile::DanglingLink:
        return QFile::link(path + QStringLiteral(".gone"), path);
    }
    return false;
}

// One row for each kind, named after it.
inline void AddNotAFileRows() {
    QTest::addColumn<NotAFile>("kind");
    QTest::newRow("directory") << NotAFile::Directory;
    QTest::newRow("FIFO") << NotAFile::Fifo;
    QTest::newRow("link to a device") << NotAFile::LinkToDevice;
    QTest::newRow("dangling link") << NotAFile::DanglingLink;
}
