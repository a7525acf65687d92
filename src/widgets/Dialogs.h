#pragma once

#include <QString>

class QDialog;
class QWidget;

enum class MessageIcon { Information, Question, Error };
enum class MessageAnswer { Ok, Yes, No };

// Modal message boxes. Information boxes are titled "Tesselo" and have an OK button; questions
// are titled "TESSELO" and have Yes and No with Yes as the default; errors are titled
// "TESSELO" and have an OK button. Tests replace this with a recorder that answers.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(QWidget* parent, MessageIcon icon, const QString& title,
                               const QString& text) = 0;

    void Information(QWidget* parent, const QString& text);
    bool Question(QWidget* parent, const QString& text); // true for Yes
    void Error(QWidget* parent, const QString& text);
};

class QtMessageBoxes final : public MessageBoxes {
public:
    MessageAnswer show(QWidget* parent, MessageIcon icon, const QString& title,
                       const QString& text) override;
};

// Shows a window modally and returns when it has closed. Tests replace this with a script that
// works the window and closes it.
class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    virtual int exec(QDialog& dialog) = 0;
};

class QtModalRunner final : public ModalRunner {
public:
    int exec(QDialog& dialog) override;
};
