#include "MousePointer.h"

#include "Failure.h"

#include <QFile>
#include <QImageReader>
#include <QPixmap>
#include <QWidget>

MousePointer::MousePointer(QWidget *window)
    : mWindow(window)
{}

void MousePointer::loadCustom(const QString &path)
{
    QImageReader reader(path);
    // Cursor files are icon files with a hot spot; Qt's icon reader takes both.
    if (reader.format().isEmpty())
        reader.setFormat("cur");
    const QImage image = reader.read();
    if (image.isNull())
        throw Failure(QStringLiteral("Invalid picture: ") + reader.errorString());
    int hotX = -1;
    int hotY = -1;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        // A cursor directory entry keeps the hot spot where an icon keeps its planes and bit count.
        const QByteArray head = file.read(14);
        if (head.size() == 14 && head.at(2) == 2 && head.at(3) == 0) {
            hotX = quint8(head.at(10)) | (quint8(head.at(11)) << 8);
            hotY = quint8(head.at(12)) | (quint8(head.at(13)) << 8);
        }
    }
    mCustom = QCursor(QPixmap::fromImage(image), hotX, hotY);
    if (mShape == Shape::Custom)
        set(Shape::Custom);
}

void MousePointer::set(Shape shape)
{
    mShape = shape;
    switch (shape) {
    case Shape::Default:
        mWindow->setCursor(Qt::ArrowCursor);
        break;
    case Shape::Custom:
        mWindow->setCursor(mCustom);
        break;
    case Shape::Busy:
        mWindow->setCursor(Qt::WaitCursor);
        break;
    }
}

void MousePointer::setUnlessBusy(Shape shape)
{
    if (!isBusy() && shape != mShape)
        set(shape);
}
