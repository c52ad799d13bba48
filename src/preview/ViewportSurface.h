#pragma once

class QRectF;

/// What the viewport needs from the window that shows it: the picture work on the page box and the
/// holder, the pointer, and showing the boxes and scroll bars after the viewport changed them.
/// Every call may throw Failure; the viewport's steps report it like any other failure.
class ViewportSurface
{
public:
    virtual ~ViewportSurface() = default;

    /// A box or a scroll bar of the viewport changed its geometry or state: show it.
    virtual void viewportChanged() = 0;
    /// The holder takes the page box's picture.
    virtual void copyPageToHolder() = 0;
    /// The page box lets go of its picture and shows its background; its size stays.
    virtual void clearPagePicture() = 0;
    /// Paints the holder's picture into the page box, stretched from \a source onto \a target (both in twips).
    virtual void paintPageFromHolder(const QRectF &target, const QRectF &source) = 0;
    /// The window shows the default pointer.
    virtual void setDefaultPointer() = 0;

protected:
    ViewportSurface() = default;
    ViewportSurface(const ViewportSurface &) = default;
    ViewportSurface &operator=(const ViewportSurface &) = default;
};
