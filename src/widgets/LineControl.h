#pragma once

#include <QPalette>
#include <QWidget>

// A one-pixel horizontal line from x1 to x2 (twips) at height y, in a system colour.
class LineControl : public QWidget {
    Q_OBJECT
public:
    LineControl(QWidget* parent, int x1, int x2, int y, QPalette::ColorGroup group,
                QPalette::ColorRole role);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPalette::ColorGroup group_;
    QPalette::ColorRole role_;
};

// The two lines under a slot's controls, leading to its picture at x = 3480: Line1_N in the
// window colour at height `line1Y` (twips) and Line2_N in the inactive caption colour 15 twips
// above it. The last slot's lines start further right, as the windows were drawn.
void AddSlotLines(QWidget* window, int index, int line1Y);
