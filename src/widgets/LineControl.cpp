#include "widgets/LineControl.h"

#include "common/SlotRecord.h"
#include "common/Twips.h"

#include <QPainter>

LineControl::LineControl(QWidget* parent, int x1, int x2, int y, QPalette::ColorGroup group,
                         QPalette::ColorRole role)
    : QWidget(parent), group_(group), role_(role) {
    // A line is drawing, not a control: clicks on it go to the window behind.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Lines are drawn on the window itself, beneath every control that crosses them.
    lower();
    setGeometry(twips(x1), twips(y), twips(x2) - twips(x1), 1);
}

void LineControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(group_, role_));
}

void AddSlotLines(QWidget* window, int index, int line1Y) {
    const bool last = index == SlotCount - 1;
    auto* line1 =
        new LineControl(window, last ? 2520 : 2280, 3480, line1Y, QPalette::Active, QPalette::Base);
    line1->setObjectName(SlotControlName("Line1_", index));
    auto* line2 = new LineControl(window, last ? 2400 : 2280, 3480, line1Y - 15, QPalette::Inactive,
                                  QPalette::Mid);
    line2->setObjectName(SlotControlName("Line2_", index));
}
