#include "common/StartupMark.h"
#include "launcher/LauncherWindow.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    StartupMark("main");
    QApplication app(argc, argv);
    StartupMark("application");
    LauncherWindow window;
    StartupMark("main-window-built");
    MarkFirstPaint(&window);
    window.show();
    StartupMark("shown");
    return app.exec();
}
