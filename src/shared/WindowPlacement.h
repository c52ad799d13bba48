#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

/// Where a window's frame (title bar and borders included) goes when the window first opens: centred
/// on the screen's available area and wholly within it. A window larger than the area keeps its title
/// bar and left edge on it, so it can always be moved, minimised and closed.
QPoint PlacedFramePosition(const QSize &frameSize, const QRect &available);

/// Places the top-level window that way within the available area, now and once more when the window
/// manager has told the size of the frame it put around it.
void PlaceOnScreen(QWidget *window, const QRect &available);
