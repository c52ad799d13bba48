#include "PrintPages.h"

#include "Failure.h"
#include "PagePicture.h"

#include <QBuffer>
#include <QImage>
#include <QList>
#include <QPageSize>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfDocumentRenderOptions>
#include <QPrinter>
#include <QScopeGuard>

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPointsPerInch = 72.0;
// Rows of device pixels rendered at a time: about 20 MB for a letter page at 1200 dots per inch.
constexpr int kBandRows = 512;

/// The picture's PDF, loaded for reading its pages.
class Pages
{
public:
    explicit Pages(const QByteArray &bytes)
    {
        mBytes = bytes;
        mBuffer.setData(mBytes);
        mBuffer.open(QIODevice::ReadOnly);
        mPdf.load(&mBuffer);
        if (mPdf.status() != QPdfDocument::Status::Ready || mPdf.pageCount() < 1)
            throw Failure(QStringLiteral("The pages of the document cannot be read for printing"));
    }

    QPdfDocument &pdf() { return mPdf; }

private:
    QByteArray mBytes;
    QBuffer mBuffer;
    QPdfDocument mPdf;
};

// The pages to print, from 0, in the order the sheets come out.
QList<int> sheets(QPrinter &printer, int pageCount)
{
    int from = 1;
    int to = pageCount;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        from = printer.fromPage();
        to = printer.toPage() > 0 ? std::min(printer.toPage(), pageCount) : pageCount;
    }
    if (from > to)
        throw Failure(QStringLiteral("The document has no page %1; it has %2").arg(from).arg(pageCount));
    QList<int> pages;
    for (int page = from; page <= to; ++page)
        pages.append(page - 1);
    if (printer.pageOrder() == QPrinter::LastPageFirst)
        std::reverse(pages.begin(), pages.end());

    const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
    QList<int> result;
    if (printer.collateCopies()) {
        for (int copy = 0; copy < copies; ++copy)
            result.append(pages);
    } else {
        for (int page : std::as_const(pages)) {
            for (int copy = 0; copy < copies; ++copy)
                result.append(page);
        }
    }
    return result;
}

// \a band, a rendered part of a page whose paper is transparent, on white paper.
QImage onWhite(const QImage &band)
{
    QImage sheet(band.size(), QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    painter.drawImage(0, 0, band);
    return sheet;
}

void printRaster(const QImage &image, QPrinter &printer, QPainter &painter)
{
    // A raster page was made at 96 dots per inch.
    const double scale = printer.resolution() / 96.0;
    const QRect paper = printer.pageLayout().fullRectPixels(printer.resolution());
    QSizeF size = QSizeF(image.size()) * scale;
    size.scale(size.boundedTo(QSizeF(paper.size())), Qt::KeepAspectRatio);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(QPointF(0, 0), size), image);
}
} // namespace

void MatchPrinterToPages(const PagePicture &picture, QPrinter &printer)
{
    if (!picture.isVector())
        return;
    Pages pages(picture.bytes());
    const QSizeF points = pages.pdf().pagePointSize(0);
    if (points.isEmpty())
        return;
    const bool landscape = points.width() > points.height();
    printer.setPageSize(QPageSize(landscape ? points.transposed() : points, QPageSize::Point));
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void PrintPages(const PagePicture &picture, QPrinter &printer, const std::function<void()> &betweenBands)
{
    if (picture.isNull())
        throw Failure(QStringLiteral("There is no page to print"));
    // The sheet's corner is the painter's origin, as it is the page's.
    printer.setFullPage(true);
    QPainter painter;
    if (!picture.isVector()) {
        const QList<int> pages = sheets(printer, 1);
        if (!painter.begin(&printer))
            throw Failure(QStringLiteral("The printer cannot be used"));
        for (qsizetype i = 0; i < pages.size(); ++i) {
            if (i > 0 && !printer.newPage())
                throw Failure(QStringLiteral("The printer did not take the next page"));
            printRaster(picture.toImage(), printer, painter);
        }
        if (!painter.end())
            throw Failure(QStringLiteral("The printer did not finish the pages"));
        return;
    }

    // Every page, also those the preview has not made yet.
    if (!picture.isComplete() && !picture.makeAllPages())
        throw Failure(QStringLiteral("Not every page of the document could be made ready for the printer"));
    const QList<int> order = sheets(printer, picture.pageCount());
    const double dotsPerPoint = printer.resolution() / kPointsPerInch;
    if (!painter.begin(&printer))
        throw Failure(QStringLiteral("The printer cannot be used"));
    // A print that fails halfway is called off: no half of it comes out of the printer.
    auto callOff = qScopeGuard([&] {
        printer.abort();
        painter.end();
    });
    for (qsizetype i = 0; i < order.size(); ++i) {
        const int page = order.at(i);
        int inPdf = 0;
        QPdfDocument *pdf = picture.pageSource(page, &inPdf);
        if (!pdf)
            throw Failure(QStringLiteral("Page %1 could not be made ready for the printer").arg(page + 1));
        if (i > 0 && !printer.newPage())
            throw Failure(QStringLiteral("The printer did not take the next page"));
        // At its own size, in the printer's dots; smaller only where the paper is.
        const QRect paper = printer.pageLayout().fullRectPixels(printer.resolution());
        QSizeF size = pdf->pagePointSize(inPdf) * dotsPerPoint;
        if (size.width() > paper.width() || size.height() > paper.height())
            size.scale(QSizeF(paper.size()), Qt::KeepAspectRatio);
        const QSize dots(std::max(1, int(std::lround(size.width()))), std::max(1, int(std::lround(size.height()))));
        for (int top = 0; top < dots.height(); top += kBandRows) {
            const QRect band(0, top, dots.width(), std::min(kBandRows, dots.height() - top));
            QPdfDocumentRenderOptions options;
            options.setScaledSize(dots);
            options.setScaledClipRect(band);
            const QImage rendered = pdf->render(inPdf, band.size(), options);
            if (rendered.isNull())
                throw Failure(QStringLiteral("Page %1 could not be made ready for the printer").arg(page + 1));
            painter.drawImage(band.topLeft(), onWhite(rendered));
            if (betweenBands)
                betweenBands();
        }
    }
    callOff.dismiss();
    if (!painter.end())
        throw Failure(QStringLiteral("The printer did not finish the pages"));
}
