#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

/// Where a window's frame (title bar and borders included) goes when the window first opens: centred
/// on the screen's available area and wholly within it. A window larger than the area keeps its title
/// bar and left edge on it, so it can always be moved, minimised and closed.
QPoint PlacedFramePosition(const QSize &frameSize, const QRect &available);

/// Places the top-level window that way within the available area, now and once more when the window
/// manager has told the size of the frame it put around it.
void PlaceOnScreen(QWidget *window, const QRect &available);

/// The margins of the frame the window manager put around the top-level \a window; none before it is framed.
QMargins FrameMarginsOf(const QWidget *window);

/// Calls \a framed with the frame's margins once the window manager has framed \a window with a frame other
/// than \a assumed. Only a window's first moments are watched: a frame told later is not waited for.
void WhenFramed(QWidget *window, const QMargins &assumed, std::function<void(const QMargins &frame)> framed);
