#include "PictureBox.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRectF>
#include <QtMath>

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
    mContent = QImage();
    update();
}

void PictureBox::setPicture(const QImage &picture)
{
    mPicture = picture;
    mContent = QImage();
    update();
}

void PictureBox::clearPicture()
{
    mPicture = QImage();
    mContent = QImage();
    update();
}

void PictureBox::paintPicture(const QImage &image, const QRectF &target, const QRectF &source)
{
    fitContent();
    if (mContent.isNull() || image.isNull())
        return;
    // Scaling the part first averages the pixels a strong reduction drops, so small zooms stay legible.
    const QSize size(qCeil(target.width()), qCeil(target.height()));
    if (size.isEmpty())
        return;
    const QImage scaled =
        image.copy(source.toAlignedRect()).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPainter painter(&mContent);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, scaled, QRectF(QPointF(0, 0), target.size()));
    painter.end();
    update();
}

QImage PictureBox::content() const
{
    fitContent();
    return mContent;
}

QRect PictureBox::innerRect() const
{
    return mBordered ? rect().adjusted(1, 1, -1, -1) : rect();
}

void PictureBox::fitContent() const
{
    const QSize size = innerRect().size();
    if (!mContent.isNull() && mContent.size() == size)
        return;
    if (size.isEmpty()) {
        mContent = QImage();
        return;
    }
    QImage fitted(size, QImage::Format_RGB32);
    fitted.fill(mBackground);
    QPainter painter(&fitted);
    // The picture is the ground of the box; without one, what was painted stays where it was.
    if (!mPicture.isNull())
        painter.drawImage(0, 0, mPicture);
    else if (!mContent.isNull())
        painter.drawImage(0, 0, mContent);
    painter.end();
    mContent = fitted;
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setClipRegion(event->region());
    const QRect inner = innerRect();
    if (!mContent.isNull() || mPicture.isNull()) {
        fitContent();
        if (mContent.isNull())
            painter.fillRect(inner, mBackground);
        else
            painter.drawImage(inner.topLeft(), mContent);
    } else {
        // Nothing painted over the picture yet: show it as it is, without a copy of a long page.
        painter.fillRect(inner, mBackground);
        painter.drawImage(inner.topLeft(), mPicture);
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
