#include "WindowPlacement.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace {
// Placing a window is a matter of its first moments: a frame the window manager tells later than this
// is not waited for, and a window the user has moved since is left where it is.
constexpr int kFrameWaitEvents = 64;

int placedAlong(int frameLength, int availableStart, int availableLength)
{
    const int centred = availableStart + (availableLength - frameLength) / 2;
    // Too long for the area: start where the area starts, so the title bar and the left edge stay on it.
    if (frameLength >= availableLength)
        return availableStart;
    return qBound(availableStart, centred, availableStart + availableLength - frameLength);
}

// Until it is mapped, a window has no frame on X11; once the window manager has framed it, its frame
// margins are known.
class FrameWatch final : public QObject
{
public:
    FrameWatch(QWidget *window, const QMargins &assumed, std::function<void(const QMargins &)> framed)
        : QObject(window)
        , mWindow(window)
        , mAssumed(assumed)
        , mFramed(std::move(framed))
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != mWindow)
            return false;
        const QEvent::Type type = event->type();
        if (type != QEvent::Move && type != QEvent::Expose && type != QEvent::WindowActivate && type != QEvent::Resize)
            return false;
        const QMargins margins = FrameMarginsOf(mWindow);
        const bool framed = !margins.isNull() && margins != mAssumed;
        if (framed)
            mFramed(margins);
        if (framed || ++mSeen >= kFrameWaitEvents) {
            mWindow->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> mWindow;
    QMargins mAssumed;
    std::function<void(const QMargins &)> mFramed;
    int mSeen = 0;
};
} // namespace

QPoint PlacedFramePosition(const QSize &frameSize, const QRect &available)
{
    return {placedAlong(frameSize.width(), available.left(), available.width()),
            placedAlong(frameSize.height(), available.top(), available.height())};
}

void PlaceOnScreen(QWidget *window, const QRect &available)
{
    const QMargins margins = FrameMarginsOf(window);
    // A top-level window's move() places its frame, so the title bar goes where it is asked to be.
    window->move(PlacedFramePosition(window->size().grownBy(margins), available));
    if (window->isVisible()) {
        // Placed again with the real frame size.
        WhenFramed(window, margins, [window, available](const QMargins &frame) {
            window->move(PlacedFramePosition(window->size().grownBy(frame), available));
        });
    }
}

QMargins FrameMarginsOf(const QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

void WhenFramed(QWidget *window, const QMargins &assumed, std::function<void(const QMargins &frame)> framed)
{
    new FrameWatch(window, assumed, std::move(framed));
}
