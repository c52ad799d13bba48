#pragma once

#include "PagePicture.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QWidget>

/// A picture box: shows a picture at its top left on a plain background, takes stretched paintings of
/// other pictures, and keeps what it shows when it is covered and uncovered. It may have a one-pixel
/// border; boxes placed inside it live in its inner area, which clips them.
///
/// What it shows is kept as the paintings themselves, not as pixels: only the part on the screen is
/// ever drawn, at the screen's resolution, so a box as tall as a thousand pages costs next to nothing.
class PictureBox final : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

    void setBordered(bool bordered);
    bool isBordered() const { return mBordered; }
    /// Where boxes placed inside this one go: the area inside the border (the box itself without one).
    QWidget *innerArea();

    /// The background; changing it clears what was painted and shows the picture on the new colour.
    void setBackground(const QColor &colour);
    QColor background() const { return mBackground; }

    /// Shows \a picture at the top left, in place of everything shown before.
    void setPicture(const PagePicture &picture);
    PagePicture picture() const { return mPicture; }
    /// Lets go of the picture and shows the plain background.
    void clearPicture();
    /// Paints the \a source part of \a picture (its unscaled pixels) stretched onto \a target (pixels of
    /// the inner area).
    void paintPicture(const PagePicture &picture, const QRectF &target, const QRectF &source);

    /// The part of the picture last painted (or else of the picture shown at the top left), in its
    /// unscaled pixels, that shows in \a area (pixels of the inner area).
    QRectF pictureArea(const QRectF &area) const;

    /// What the box shows inside its border, as an image; null when that would be too large to hold.
    QImage content() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Painting
    {
        PagePicture picture;
        QRectF target;
        QRectF source;
    };

    QRect innerRect() const;
    /// Paints the box's content, as much of it as lies in \a exposed (inner-area pixels), at \a offset.
    void paintContent(QPainter &painter, const QPoint &offset, const QRectF &exposed) const;

    PagePicture mPicture;
    // What was painted over the background since the picture was last set or cleared.
    QList<Painting> mPaintings;
    QColor mBackground{Qt::white};
    bool mBordered = false;
    QWidget *mInner = nullptr;
};
