#include "EventHooks.h"

#include "GuardedProcedure.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QWidget>

namespace {
class EventHook final : public QObject
{
public:
    /// \a handler sees each event of the given types and returns true to keep it from the widget.
    EventHook(QWidget *widget, std::initializer_list<QEvent::Type> types, std::function<bool(QEvent *)> handler)
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
                return mHandler(event);
            } catch (...) {
                // Hover, focus and key handlers have no report of their own and must never throw into Qt.
                qWarning("Event handler failed: %s", qUtf8Printable(DescribeException(std::current_exception())));
            }
        }
        return false;
    }

private:
    QList<QEvent::Type> mTypes;
    std::function<bool(QEvent *)> mHandler;
};

bool isEnterKey(const QKeyEvent *key)
{
    return (key->key() == Qt::Key_Enter || key->key() == Qt::Key_Return)
           && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}
} // namespace

void OnMouseMove(QWidget *widget, std::function<void()> handler)
{
    widget->setMouseTracking(true);
    new EventHook(widget, {QEvent::MouseMove}, [handler = std::move(handler)](QEvent *) {
        handler();
        return false;
    });
}

void OnFocusIn(QWidget *widget, std::function<void()> handler)
{
    new EventHook(widget, {QEvent::FocusIn}, [handler = std::move(handler)](QEvent *) {
        handler();
        return false;
    });
}

void OnFocusChange(QWidget *widget, std::function<void(const QFocusEvent &)> handler)
{
    new EventHook(widget, {QEvent::FocusIn, QEvent::FocusOut}, [handler = std::move(handler)](QEvent *event) {
        handler(*static_cast<QFocusEvent *>(event));
        return false;
    });
}

void ClickOnEnter(QAbstractButton *button)
{
    new EventHook(button, {QEvent::KeyPress}, [button](QEvent *event) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!isEnterKey(key))
            return false;
        // Holding the key down must not start the same action over and over.
        if (!key->isAutoRepeat())
            button->click();
        return true;
    });
}
