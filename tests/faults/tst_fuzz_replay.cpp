// Every seed of the fuzzers and every input they ever found a fault with, run through the same
// checks in the ordinary builds, so that a fixed fault stays fixed.

#include "FuzzChecks.h"

#include <QDirIterator>
#include <QFile>
#include <QTest>

class TestFuzzReplay : public QObject {
    Q_OBJECT

private slots:
    void slotFile_data() { addInputs(QStringLiteral("slot_file")); }
    void slotFile() {
        QFETCH(QByteArray, input);
        const QString broken = CheckSlotFileBytes(input);
        QVERIFY2(broken.isEmpty(), qPrintable(broken));
    }
    void options_data() { addInputs(QStringLiteral("options")); }
    void options() {
        QFETCH(QByteArray, input);
        const QString broken = CheckOptionsBytes(input);
        QVERIFY2(broken.isEmpty(), qPrintable(broken));
    }

private:
    static void addInputs(const QString& target) {
        QTest::addColumn<QByteArray>("input");
        int found = 0;
        for (const char* folder : {"corpus", "regressions"}) {
            const QString dir =
                QStringLiteral(FUZZ_DIR "/%1/%2").arg(QLatin1String(folder), target);
            QDirIterator it(dir, QDir::Files);
            while (it.hasNext()) {
                QFile file(it.next());
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QByteArray name = (QLatin1String(folder) + u'/' + it.fileName()).toUtf8();
                QTest::newRow(name.constData()) << file.readAll();
                ++found;
            }
        }
        QVERIFY2(found > 0, "no seeds found");
    }
};

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "tst_fuzz_replay.moc"
