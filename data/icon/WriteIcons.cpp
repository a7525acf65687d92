// tesselo_icon_writer DIR SIZE...: writes the program icon, as the windows draw it, to
// DIR/tesselo-SIZE.png for each SIZE, for the desktop entry and the icon theme, and the first
// size as DIR/tesselo.ico for the Windows executable's resources.

#include "widgets/Look.h"

#include <QDir>
#include <QImage>
#include <QString>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DIR SIZE...\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "%s: cannot create %s\n", argv[0], argv[1]);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 16 || size > 1024) {
            std::fprintf(stderr, "%s: not an icon size: %s\n", argv[0], argv[i]);
            return 2;
        }
        const QString file = QStringLiteral("%1/tesselo-%2.png").arg(dir).arg(size);
        const QString ico = dir + QStringLiteral("/tesselo.ico");
        if (!ProgramIconImage(size).save(file, "PNG") ||
            (i == 2 && !ProgramIconImage(size).save(ico, "ICO"))) {
            std::fprintf(stderr, "%s: cannot write %s\n", argv[0], qPrintable(file));
            return 1;
        }
    }
    return 0;
}
