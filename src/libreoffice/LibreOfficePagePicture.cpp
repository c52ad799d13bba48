#include "LibreOfficePagePicture.h"

#include "WordAutomation.h"

#include <QList>
#include <QPainter>
#include <QPdfDocument>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kDotsPerInch = 96.0;
constexpr double kPointsPerInch = 72.0;

int toPixels(double points)
{
    return static_cast<int>(std::lround(points * kDotsPerInch / kPointsPerInch));
}

QString describe(QPdfDocument::Error error)
{
    switch (error) {
    case QPdfDocument::Error::None:
        return QStringLiteral("no error");
    case QPdfDocument::Error::FileNotFound:
        return QStringLiteral("the file was not written");
    case QPdfDocument::Error::InvalidFileFormat:
        return QStringLiteral("the file is not a valid PDF");
    case QPdfDocument::Error::IncorrectPassword:
    case QPdfDocument::Error::UnsupportedSecurityScheme:
        return QStringLiteral("the file is protected");
    case QPdfDocument::Error::DataNotYetAvailable:
    case QPdfDocument::Error::Unknown:
        break;
    }
    return QStringLiteral("the file cannot be read");
}
} // namespace

QImage LibreOfficePagePicture::render(const QString &pdfPath, const QMarginsF &margins)
{
    QPdfDocument pdf;
    const QPdfDocument::Error error = pdf.load(pdfPath);
    if (error != QPdfDocument::Error::None)
        throw AutomationError(QStringLiteral("The picture of the document could not be made: %1").arg(describe(error)));
    if (pdf.pageCount() < 1)
        throw AutomationError(QStringLiteral("The picture of the document could not be made: it has no pages"));

    // Where each page's text area goes, from the page sizes alone: the picture is then painted page by
    // page, so a long document never holds its pages and the whole picture at once.
    struct Area
    {
        int page;
        QSize pixels;
        QRect textArea;
    };
    QList<Area> areas;
    int width = 0;
    int height = 0;
    for (int page = 0; page < pdf.pageCount() && height < kMaximumHeight; ++page) {
        const QSizeF points = pdf.pagePointSize(page);
        const QSize pixels(toPixels(points.width()), toPixels(points.height()));
        if (pixels.isEmpty())
            continue;
        const QRect textArea = QRect(QPoint(0, 0), pixels)
                                   .adjusted(toPixels(margins.left()), toPixels(margins.top()),
                                             -toPixels(margins.right()), -toPixels(margins.bottom()));
        if (textArea.isEmpty())
            continue;
        width = qMax(width, textArea.width());
        height += textArea.height();
        areas.append({page, pixels, textArea});
    }
    if (areas.isEmpty())
        throw AutomationError(QStringLiteral("The picture of the document could not be made: no text area"));

    QImage picture(width, qMin(height, kMaximumHeight), QImage::Format_RGB32);
    if (picture.isNull())
        throw AutomationError(QStringLiteral("The picture of the document could not be made: out of memory"));
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        int top = 0;
        for (const Area &area : std::as_const(areas)) {
            const QImage rendered = pdf.render(area.page, area.pixels);
            if (rendered.isNull())
                throw AutomationError(
                    QStringLiteral("The picture of page %1 could not be made (out of memory?)").arg(area.page + 1));
            painter.drawImage(QPoint(0, top), rendered, area.textArea);
            top += area.textArea.height();
        }
    }
    return trimmedBelow(picture);
}

QImage LibreOfficePagePicture::trimmedBelow(const QImage &image, QRgb background)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const QRgb opaque = background | 0xff000000u;
    int rows = qMin(rgb.height(), 1);
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        if (std::any_of(line, line + rgb.width(), [&](QRgb pixel) { return (pixel | 0xff000000u) != opaque; })) {
            rows = y + 1;
            break;
        }
    }
    if (rows == rgb.height())
        return rgb;
    // The rows above share the pixels of the untrimmed picture, which lives as long as they do: a long
    // document's picture is not copied just to lose its blank bottom.
    auto *owner = new QImage(rgb);
    return QImage(
        owner->constBits(), owner->width(), rows, owner->bytesPerLine(), owner->format(),
        [](void *info) { delete static_cast<QImage *>(info); }, owner);
}
