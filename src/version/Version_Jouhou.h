#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The version window: names the product and its version, the system it was made for and a
// copyright line. Pure display; it is built afresh for every opening and reads nothing.
//
// "O K" holds the focus, so Enter presses it; no button is the default or the cancel button,
// so Esc does nothing. The close box closes the window exactly as "O K" does.
class Version_Jouhou : public QDialog {
    Q_OBJECT
public:
    explicit Version_Jouhou(QWidget* parent = nullptr);

    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QPushButton* OK = nullptr;

    void OK_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
