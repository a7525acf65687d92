#pragma once

#include <QDialog>

// The version window (object name "Version_Jouhou"): names the product and its version, the
// system it was made for and a copyright line. Pure display; it is built afresh for every
// opening and reads nothing.
//
// "O K" holds the focus, so Enter presses it; no button is the default or the cancel button,
// so Esc does nothing. The close box closes the window exactly as "O K" does.
class VersionWindow : public QDialog {
    Q_OBJECT
public:
    explicit VersionWindow(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};
