#include "ClickableLabels.h"

#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

namespace {
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> handler)
        : QObject(parent), handler_(std::move(handler))
    {
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonRelease) {
            auto* me = static_cast<QMouseEvent*>(event);
            auto* w = static_cast<QWidget*>(watched);
            if (me->button() == Qt::LeftButton && w->rect().contains(me->position().toPoint())) {
                handler_();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> handler_;
};
}   // namespace

void OnClick(QWidget* widget, std::function<void()> handler)
{
    widget->installEventFilter(new ClickFilter(widget, std::move(handler)));
}
