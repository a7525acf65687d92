#pragma once

#include <QDialog>

class QPushButton;

// A modal window in the program's classic style: fixed size without a maximize box, the
// program icon, buttons that Enter presses only while they have the focus, and no closing
// with Escape, which would throw away what the user did. Closing through the frame goes to
// reject(), which each window points at its own "キャンセル".
class ClassicDialog : public QDialog {
    Q_OBJECT
protected:
    // `width` and `height` are the client area in twips.
    ClassicDialog(const QString& name, const QString& caption, int width, int height,
                  QWidget* parent);

    QPushButton* addButton(const QString& name, const QString& caption, const QRect& geometry);

    void keyPressEvent(QKeyEvent* event) override;
};
