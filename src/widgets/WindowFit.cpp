#include "WindowFit.h"

#include "WindowPlacement.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>
#include <QWindow>

namespace {
const QString kScrollAreaName = QStringLiteral("WindowScrollArea");
const QString kContentName = QStringLiteral("WindowContent");

QScrollArea *scrollAreaOf(const QWidget *window)
{
    return window->findChild<QScrollArea *>(kScrollAreaName, Qt::FindDirectChildrenOnly);
}

// Before the window manager has framed a window its frame is unknown: a title bar is assumed.
QMargins expectedFrame(const QWidget *window)
{
    const QMargins known = FrameMarginsOf(window);
    if (!known.isNull())
        return known;
    return {0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window), 0, 0};
}

// Moves every control of \a window into a scroll area, keeping their geometry, tab order and visibility.
QScrollArea *wrapInScrollArea(QWidget *window)
{
    const QSize designed = window->size();
    QList<QWidget *> focusChain;
    for (QWidget *w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain())
        focusChain.append(w);

    auto *content = new QWidget;
    content->setObjectName(kContentName);
    content->setFixedSize(designed);
    // The window's own colours and background, which its controls were designed against.
    content->setPalette(window->palette());
    content->setBackgroundRole(window->backgroundRole());
    content->setAutoFillBackground(true);
    content->setFont(window->font());
    // A window that follows the mouse over its background still sees it move there.
    content->setMouseTracking(window->hasMouseTracking());
    const QObjectList children = window->children();
    for (QObject *child : children) {
        auto *control = qobject_cast<QWidget *>(child);
        if (!control || control->isWindow())
            continue;
        const QRect geometry = control->geometry();
        const bool hidden = control->isHidden();
        control->setParent(content);
        control->setGeometry(geometry);
        control->setVisible(!hidden);
    }

    auto *area = new QScrollArea(window);
    area->setObjectName(kScrollAreaName);
    area->setFrameShape(QFrame::NoFrame);
    area->setBackgroundRole(window->backgroundRole());
    area->setWidget(content);
    area->setMouseTracking(window->hasMouseTracking());
    area->viewport()->setMouseTracking(window->hasMouseTracking());
    area->show();
    // Moving the controls put them at the end of the window's tab order: the designed order again.
    for (qsizetype i = 1; i < focusChain.size(); ++i) {
        if (focusChain.at(i - 1)->window() == window && focusChain.at(i)->window() == window)
            QWidget::setTabOrder(focusChain.at(i - 1), focusChain.at(i));
    }
    return area;
}

// Sizes the window for \a room (the available area less the frame); returns whether it changed.
bool fitInto(QWidget *window, const QSize &room)
{
    const QSize designed = DesignedSize(window);
    QScrollArea *area = scrollAreaOf(window);
    if (designed.width() <= room.width() && designed.height() <= room.height()) {
        if (!area || window->size() == designed)
            return false;
        // A frame smaller than assumed: the whole design fits after all.
        window->setFixedSize(designed);
        area->setGeometry(window->rect());
        return true;
    }
    if (!area)
        area = wrapInScrollArea(window);
    // A bar for the direction that is cut takes room from the other direction, where there is room.
    const int barWidth = area->verticalScrollBar()->sizeHint().width();
    const int barHeight = area->horizontalScrollBar()->sizeHint().height();
    const bool cutHeight = designed.height() > room.height();
    const bool cutWidth = designed.width() + (cutHeight ? barWidth : 0) > room.width();
    const QSize fitted(std::min(designed.width() + (cutHeight ? barWidth : 0), room.width()),
                       std::min(designed.height() + (cutWidth ? barHeight : 0), room.height()));
    const bool changed = window->size() != fitted;
    window->setFixedSize(fitted);
    area->setGeometry(window->rect());
    return changed;
}

} // namespace

QSize DesignedSize(const QWidget *window)
{
    const QScrollArea *area = scrollAreaOf(window);
    return area && area->widget() ? area->widget()->size() : window->size();
}

void FitToScreen(QWidget *window, const QRect &available)
{
    const QMargins frame = expectedFrame(window);
    fitInto(window, available.size().shrunkBy(frame));
    // Fitted once more, and put back in its place, when the frame is another than assumed.
    if (FrameMarginsOf(window).isNull()) {
        WhenFramed(window, frame, [window, available](const QMargins &real) {
            if (fitInto(window, available.size().shrunkBy(real)))
                window->move(PlacedFramePosition(window->size().grownBy(real), available));
        });
    }
}
