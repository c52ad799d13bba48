#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

class QRectF;

/// A picture box: shows a picture at its top left on a plain background, takes stretched paintings of
/// other pictures, and keeps what it shows when it is covered and uncovered. It may have a one-pixel
/// border; boxes placed inside it live in its inner area, which clips them.
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
    void setPicture(const QImage &picture);
    QImage picture() const { return mPicture; }
    /// Lets go of the picture and shows the plain background.
    void clearPicture();
    /// Paints the \a source part of \a image stretched onto \a target (pixels of the inner area).
    void paintPicture(const QImage &image, const QRectF &target, const QRectF &source);

    /// What the box shows inside its border.
    QImage content() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QRect innerRect() const;
    void fitContent() const;

    QImage mPicture;
    // What the box shows, kept between repaints; grows and shrinks with the box.
    mutable QImage mContent;
    QColor mBackground{Qt::white};
    bool mBordered = false;
    QWidget *mInner = nullptr;
};
