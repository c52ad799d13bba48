#pragma once

#include <QRect>
#include <QSize>

class QWidget;

/// Makes a fixed-size top-level window fit the screen's available area: when its designed size with
/// its frame does not fit, the window's controls move, as they are, into a scroll area that fills a
/// window as large as fits, so every control can still be reached. When it fits, nothing changes.
/// The controls keep their names and their geometry within their own parents. Checked again once the
/// window manager has told the size of the frame it put around the window.
void FitToScreen(QWidget *window, const QRect &available);

/// The window's designed client size: its size, or, once its controls sit in a scroll area, theirs.
QSize DesignedSize(const QWidget *window);
