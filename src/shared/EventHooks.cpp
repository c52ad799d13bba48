#include "EventHooks.h"

#include "GuardedProcedure.h"

#include <QEvent>
#include <QWidget>

namespace {
class EventHook final : public QObject
{
public:
    EventHook(QWidget *widget, std::initializer_list<QEvent::Type> types, std::function<void()> handler)
        : QObject(widget)
        , mTypes(types)
        , mHandler(std::move(handler))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == parent() && mTypes.contains(event->type())) {
            try {
                mHandler();
            } catch (...) {
                // Hover and focus handlers have no report of their own and must never throw into Qt.
                qWarning("Event handler failed: %s", qUtf8Printable(DescribeException(std::current_exception())));
            }
        }
        return false;
    }

private:
    QList<QEvent::Type> mTypes;
    std::function<void()> mHandler;
};
} // namespace

void OnMouseMove(QWidget *widget, std::function<void()> handler)
{
    widget->setMouseTracking(true);
    new EventHook(widget, {QEvent::MouseMove}, std::move(handler));
}

void OnFocusIn(QWidget *widget, std::function<void()> handler)
{
    new EventHook(widget, {QEvent::FocusIn}, std::move(handler));
}
