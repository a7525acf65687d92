#include "widgets/Dialogs.h"

#include <QDialog>
#include <QMessageBox>

void MessageBoxes::Information(QWidget* parent, const QString& text) {
    show(parent, MessageIcon::Information, QStringLiteral("Tesselo"), text);
}

bool MessageBoxes::Question(QWidget* parent, const QString& text) {
    return show(parent, MessageIcon::Question, QStringLiteral("TESSELO"), text) ==
           MessageAnswer::Yes;
}

void MessageBoxes::Error(QWidget* parent, const QString& text) {
    show(parent, MessageIcon::Error, QStringLiteral("TESSELO"), text);
}

MessageAnswer QtMessageBoxes::show(QWidget* parent, MessageIcon icon, const QString& title,
                                   const QString& text) {
    switch (icon) {
    case MessageIcon::Information:
        QMessageBox::information(parent, title, text);
        return MessageAnswer::Ok;
    case MessageIcon::Error:
        QMessageBox::critical(parent, title, text);
        return MessageAnswer::Ok;
    case MessageIcon::Question:
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::Yes) == QMessageBox::Yes
                   ? MessageAnswer::Yes
                   : MessageAnswer::No;
    }
    return MessageAnswer::Ok;
}

int QtModalRunner::exec(QDialog& dialog) {
    return dialog.exec();
}
