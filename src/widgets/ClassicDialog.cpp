#include "widgets/ClassicDialog.h"

#include "common/Twips.h"
#include "widgets/Look.h"

#include <QKeyEvent>
#include <QPushButton>

ClassicDialog::ClassicDialog(const QString& name, const QString& caption, int width, int height,
                             QWidget* parent)
    : QDialog(parent, FixedWindowFlags() | Qt::Dialog) {
    setObjectName(name);
    setWindowTitle(caption);
    setWindowIcon(ProgramIcon());
    setFixedSize(twips(width), twips(height));
}

QPushButton* ClassicDialog::addButton(const QString& name, const QString& caption,
                                      const QRect& geometry) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setGeometry(geometry);
    PressOnEnter(button);
    return button;
}

void ClassicDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
