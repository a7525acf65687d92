#pragma once

#include <QFont>
#include <QIcon>
#include <Qt>

// The program's look, shared by all of its windows.

// Japanese standard buttons and the Japanese UI font. Safe to call more than once.
void InstallJapaneseUi();

// "ＭＳ Ｐゴシック" with the Japanese character set; where the face is missing it maps to
// IPA P Gothic.
QFont PGothicFont(qreal pointSize, bool bold, bool italic);

// The 32 x 32 program icon, drawn by the program itself.
QImage ProgramIconImage(int size = 32);
QIcon ProgramIcon();

class QPushButton;

// Makes Enter and Return press the button while it has the keyboard focus, as Space does, in
// every window alike. The button never becomes a window's default button, so Enter in a text
// box or a list presses nothing, and Esc is left alone.
void PressOnEnter(QPushButton* button);

// Window flags for a fixed-size window without a maximize box.
Qt::WindowFlags FixedWindowFlags();
