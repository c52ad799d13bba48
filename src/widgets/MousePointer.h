#pragma once

#include <QCursor>

class QString;
class QWidget;

/// The pointer a window shows: the default arrow, the hand cursor, or the busy hourglass.
class MousePointer
{
public:
    enum class Shape { Default, Custom, Busy };

    explicit MousePointer(QWidget *window);

    /// Loads the hand cursor file; until then the custom pointer looks like the default one.
    /// Throws Failure when the file is not a cursor Qt can read.
    void loadCustom(const QString &path);

    void set(Shape shape);
    Shape shape() const { return mShape; }
    bool isBusy() const { return mShape == Shape::Busy; }

    /// What moving the mouse over a control does: anything but hide the busy pointer.
    void setUnlessBusy(Shape shape);

private:
    QWidget *mWindow;
    QCursor mCustom{Qt::ArrowCursor};
    Shape mShape = Shape::Default;
};
