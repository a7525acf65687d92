#include "widgets/DoubleClicks.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace {

class DoubleClickWatcher : public QObject {
public:
    DoubleClickWatcher(QWidget* target, std::function<void()> handler)
        : QObject(target), handler_(std::move(handler)) {
        target->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::MouseButtonDblClick ||
            static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton)
            return false;
        handler_();
        return true;
    }

private:
    std::function<void()> handler_;
};

} // namespace

void OnDoubleClick(QWidget* target, std::function<void()> handler) {
    new DoubleClickWatcher(target, std::move(handler));
}
