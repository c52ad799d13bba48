#include "PictureBox.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRectF>

namespace {
// Larger contents are not made into one image: they are only ever drawn part by part.
constexpr qint64 kMaximumContentPixels = 64LL * 1024 * 1024;
} // namespace

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
{
    // Window colouring tells picture boxes from frames and labels by this property.
    setProperty("pictureBox", true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setBordered(bool bordered)
{
    mBordered = bordered;
    if (mInner)
        mInner->setGeometry(innerRect());
    update();
}

QWidget *PictureBox::innerArea()
{
    if (!mBordered)
        return this;
    if (!mInner) {
        mInner = new QWidget(this);
        mInner->setObjectName(objectName() + QStringLiteral("Inner"));
        mInner->setGeometry(innerRect());
        mInner->show();
    }
    return mInner;
}

void PictureBox::setBackground(const QColor &colour)
{
    mBackground = colour;
    mPaintings.clear();
    update();
}

void PictureBox::setPicture(const PagePicture &picture)
{
    mPicture = picture;
    mPaintings.clear();
    update();
}

void PictureBox::clearPicture()
{
    mPicture = PagePicture();
    mPaintings.clear();
    update();
}

void PictureBox::paintPicture(const PagePicture &picture, const QRectF &target, const QRectF &source)
{
    if (picture.isNull() || target.isEmpty() || source.isEmpty())
        return;
    mPaintings.append({picture, target, source});
    update();
}

QRectF PictureBox::pictureArea(const QRectF &area) const
{
    if (mPaintings.isEmpty()) {
        if (mPicture.isNull())
            return {};
        return area.intersected(QRectF(QPointF(0, 0), QSizeF(mPicture.size())));
    }
    const Painting &last = mPaintings.last();
    const QRectF shown = area.intersected(last.target);
    if (shown.isEmpty())
        return {};
    const double scaleX = last.source.width() / last.target.width();
    const double scaleY = last.source.height() / last.target.height();
    return QRectF(last.source.x() + (shown.x() - last.target.x()) * scaleX,
                  last.source.y() + (shown.y() - last.target.y()) * scaleY, shown.width() * scaleX,
                  shown.height() * scaleY);
}

QImage PictureBox::content() const
{
    const QSize size = innerRect().size();
    if (size.isEmpty() || qint64(size.width()) * size.height() > kMaximumContentPixels)
        return {};
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    paintContent(painter, QPoint(0, 0), QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

QRect PictureBox::innerRect() const
{
    return mBordered ? rect().adjusted(1, 1, -1, -1) : rect();
}

void PictureBox::paintContent(QPainter &painter, const QPoint &offset, const QRectF &exposed) const
{
    painter.fillRect(exposed.translated(offset), mBackground);
    const QRectF visible = exposed.translated(offset);
    if (!mPicture.isNull()) {
        const QRectF whole(QPointF(0, 0), QSizeF(mPicture.size()));
        mPicture.paint(painter, whole.translated(offset), whole, visible);
    }
    for (const Painting &painting : mPaintings)
        painting.picture.paint(painter, painting.target.translated(offset), painting.source, visible);
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect inner = innerRect();
    const QRect exposed = event->rect().intersected(inner);
    if (!exposed.isEmpty()) {
        painter.save();
        painter.setClipRect(exposed);
        paintContent(painter, inner.topLeft(), QRectF(exposed.translated(-inner.topLeft())));
        painter.restore();
    }
    if (mBordered) {
        painter.setPen(palette().color(QPalette::Shadow));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (mInner)
        mInner->setGeometry(innerRect());
}
