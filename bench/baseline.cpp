// The yardstick for the start-up benchmark: the least a Qt Widgets program must do to show a
// window the size of the launcher's.

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Baseline"));
    window.setFixedSize(310, 482);
    window.show();
    return app.exec();
}
