#include "PagePicture.h"

#include "Failure.h"
#include "GuardedProcedure.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QImageReader>
#include <QList>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfDocumentRenderOptions>
#include <QPdfWriter>
#include <QRegularExpression>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <future>
#include <list>
#include <vector>

namespace {
constexpr double kDotsPerInch = 96.0;
constexpr double kPointsPerInch = 72.0;
// Pages are rendered in tiles of this many device pixels a side, kept while they may be seen again.
constexpr int kTile = 512;
constexpr qint64 kTileCacheBytes = 96LL * 1024 * 1024;
const char kMarginsKey[] = "text-area-margins:";
const char kPagesKey[] = "document-pages:";

} // namespace

namespace {
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
        return QStringLiteral("the file was not found");
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

// How much larger than the part wanted the clip given to QPdfDocument::render must be. Some versions
// of Qt scale a clipped part by its right() - left(), one pixel less than its width, so a page came out
// a pixel short on every tile, and the margin beside and below a text area showed inside it. Found
// once, on a page of ink whose last column must come out inked.
int clipCorrection()
{
    static const int correction = [] {
        QByteArray bytes;
        {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter writer(&buffer);
            writer.setResolution(72);
            writer.setPageLayout(
                QPageLayout(QPageSize(QSizeF(100, 100), QPageSize::Point), QPageLayout::Portrait, QMarginsF()));
            QPainter painter(&writer);
            painter.fillRect(QRectF(0, 0, 100, 100), Qt::black);
        }
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        QPdfDocument pdf;
        pdf.load(&buffer);
        QPdfDocumentRenderOptions options;
        options.setScaledSize(QSize(100, 100));
        options.setScaledClipRect(QRect(0, 0, 100, 100));
        const QImage probe = pdf.render(0, QSize(100, 100), options);
        return !probe.isNull() && qAlpha(probe.pixel(99, 99)) < 128 ? 1 : 0;
    }();
    return correction;
}

// The rows of \a image above its last row that is not all white; at least one row.
int rowsWithInk(const QImage &image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = rgb.height() - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        if (std::any_of(line, line + rgb.width(), [](QRgb pixel) { return (pixel | 0xff000000u) != 0xffffffffu; }))
            return y + 1;
    }
    return 1;
}
} // namespace

struct PagePicture::Data
{
    struct Source
    {
        QByteArray bytes;
        QBuffer buffer;
        QPdfDocument pdf;
    };
    struct Area
    {
        int page = 0;       // in the document, from 0
        int source = -1;    // the PDF that holds the page; -1 while it is not made
        int sourcePage = 0; // the page in that PDF
        QSize pagePixels;   // the whole page at 96 dpi
        QRect textArea;     // in page pixels
        int top = 0;        // where it starts in the picture
        int height = 0;     // how much of it the picture shows
    };
    struct TileKey
    {
        int page;
        qint64 scale; // device pixels per unscaled pixel, in millionths
        int column;
        int row;
        bool operator==(const TileKey &other) const
        {
            return page == other.page && scale == other.scale && column == other.column && row == other.row;
        }
    };
    struct TileKeyHash
    {
        size_t operator()(const TileKey &key) const { return qHashMulti(0, key.page, key.scale, key.column, key.row); }
    };

    QImage image;
    QMarginsF margins;
    // The first holds the pages the picture was made with; more come as the maker makes them.
    std::vector<std::unique_ptr<Source>> sources;
    QList<Area> areas;
    QSize size;
    int pageCount = 0;
    // Which pages of the document are made, from 0, and how many are not: asked for at every turn of the
    // window's events while pages arrive.
    std::vector<bool> made;
    int toMake = 0;
    // Where each page of the document is: its source and its page there; -1 while it is not made.
    std::vector<std::pair<int, int>> placed;
    PageMaker maker;
    bool makerFailed = false;
    // Pages being made on a thread of their own, and which ones (from 0).
    std::future<QByteArray> pending;
    std::pair<int, int> pendingPages;

    ~Data() { releaseMaker(); }

    /// Lets go of the maker, which may close a document in the office and let events run meanwhile:
    /// by then the picture no longer has it. Pages still being made are waited for first, so that the
    /// maker is let go of here, on this thread, never on the one that made them.
    void releaseMaker() noexcept
    {
        if (pending.valid())
            pending.wait();
        pending = std::future<QByteArray>();
        PageMaker released = std::move(maker);
        maker = nullptr;
        released = nullptr;
    }
    /// The pages (from 0) to make next: up to \a count from the first not made in \a wanted.
    std::pair<int, int> nextPages(int count, const QRectF &wanted) const;
    /// Takes the pages \a start to \a end (from 0) from the PDF \a pdfOfPages gives; an empty one leaves
    /// them for later, a failure ends the making. Returns the part of the picture that changed.
    QRectF takePages(int start, int end, const std::function<QByteArray()> &pdfOfPages);

    // Most recently used first.
    std::list<std::pair<TileKey, QImage>> tiles;
    qint64 tileBytes = 0;

    /// Reads \a pdf as one more source. Throws Failure.
    int addSource(const QByteArray &pdf);
    QRect textAreaOf(const QSize &pagePixels) const;
    QImage tile(const Area &area, double scale, int column, int row);
};

int PagePicture::Data::addSource(const QByteArray &pdf)
{
    auto source = std::make_unique<Source>();
    source->bytes = pdf;
    source->buffer.setData(source->bytes);
    source->buffer.open(QIODevice::ReadOnly);
    source->pdf.load(&source->buffer);
    if (source->pdf.status() != QPdfDocument::Status::Ready)
        throw Failure(
            QStringLiteral("The picture of the document could not be read: %1").arg(describe(source->pdf.error())));
    sources.push_back(std::move(source));
    return int(sources.size()) - 1;
}

QRect PagePicture::Data::textAreaOf(const QSize &pagePixels) const
{
    return QRect(QPoint(0, 0), pagePixels)
        .adjusted(toPixels(margins.left()), toPixels(margins.top()), -toPixels(margins.right()),
                  -toPixels(margins.bottom()));
}

QImage PagePicture::Data::tile(const Area &area, double scale, int column, int row)
{
    const TileKey key{area.page, std::llround(scale * 1e6), column, row};
    for (auto it = tiles.begin(); it != tiles.end(); ++it) {
        if (it->first == key) {
            tiles.splice(tiles.begin(), tiles, it);
            return it->second;
        }
    }
    const QSize scaledPage(qMax(1, int(std::lround(area.pagePixels.width() * scale))),
                           qMax(1, int(std::lround(area.pagePixels.height() * scale))));
    if (area.source < 0)
        return {};
    const QRect clip = QRect(column * kTile, row * kTile, kTile, kTile).intersected(QRect(QPoint(), scaledPage));
    QImage rendered;
    if (!clip.isEmpty()) {
        QPdfDocumentRenderOptions options;
        options.setScaledSize(scaledPage);
        const int correction = clipCorrection();
        options.setScaledClipRect(QRect(clip.topLeft(), clip.size() + QSize(correction, correction)));
        rendered = sources[size_t(area.source)]->pdf.render(area.sourcePage, clip.size(), options);
    }
    if (rendered.isNull())
        return rendered;
    tiles.emplace_front(key, rendered);
    tileBytes += rendered.sizeInBytes();
    while (tileBytes > kTileCacheBytes && tiles.size() > 1) {
        tileBytes -= tiles.back().second.sizeInBytes();
        tiles.pop_back();
    }
    return rendered;
}

PagePicture::PagePicture() = default;
PagePicture::~PagePicture() = default;
PagePicture::PagePicture(const PagePicture &) = default;
PagePicture &PagePicture::operator=(const PagePicture &) = default;

QString PagePicture::marginsNote(const QMarginsF &margins)
{
    return QStringLiteral("%1%2,%3,%4,%5")
        .arg(QLatin1String(kMarginsKey))
        .arg(margins.left())
        .arg(margins.top())
        .arg(margins.right())
        .arg(margins.bottom());
}

QString PagePicture::pagesNote(int pageCount, const QList<int> &pagesInPdf)
{
    QStringList pages;
    for (const int page : pagesInPdf)
        pages.append(QString::number(page));
    return QStringLiteral("%1%2:%3").arg(QLatin1String(kPagesKey)).arg(pageCount).arg(pages.join(QLatin1Char(',')));
}

PagePicture PagePicture::fromPdf(const QByteArray &pdf, const QMarginsF &textMargins)
{
    return fromPdfPages(pdf, textMargins, 0, {});
}

PagePicture PagePicture::fromFirstPages(const QByteArray &pdf, const QMarginsF &textMargins, int pageCount,
                                        const QList<int> &pagesInPdf, PageMaker maker)
{
    PagePicture picture = fromPdfPages(pdf, textMargins, pageCount, pagesInPdf);
    if (!picture.isComplete())
        picture.d->maker = std::move(maker);
    return picture;
}

PagePicture PagePicture::fromPdfPages(const QByteArray &pdf, const QMarginsF &textMargins, int pageCount,
                                      const QList<int> &pagesInPdf)
{
    PagePicture picture;
    picture.d = std::make_shared<Data>();
    Data &d = *picture.d;
    d.margins = textMargins;
    const QPdfDocument &first = d.sources.at(size_t(d.addSource(pdf)))->pdf;
    QList<int> inPdf = pagesInPdf;
    if (inPdf.isEmpty()) {
        pageCount = first.pageCount();
        for (int page = 1; page <= pageCount; ++page)
            inPdf.append(page);
    }
    if (inPdf.size() != first.pageCount() || inPdf.last() != pageCount || inPdf.first() != 1
        || !std::is_sorted(inPdf.begin(), inPdf.end()))
        throw Failure(QStringLiteral("The picture of the document could not be read: its pages are not those of the "
                                     "document"));
    d.pageCount = pageCount;
    d.made.assign(size_t(pageCount), false);
    d.toMake = pageCount;
    d.placed.assign(size_t(pageCount), {-1, 0});

    // Where each page's text area goes, from the page sizes alone: nothing is rendered until it is seen.
    // A page not made yet is taken to be the size of the page before it, as pages of one style are.
    int width = 0;
    int height = 0;
    QSize pixels;
    qsizetype next = 0;
    for (int page = 0; page < pageCount; ++page) {
        Data::Area area;
        area.page = page;
        if (next < inPdf.size() && inPdf.at(next) == page + 1) {
            const QSizeF points = first.pagePointSize(int(next));
            pixels = QSize(toPixels(points.width()), toPixels(points.height()));
            area.source = 0;
            area.sourcePage = int(next);
            d.made[size_t(page)] = true;
            --d.toMake;
            d.placed[size_t(page)] = {0, int(next)};
            ++next;
        }
        area.pagePixels = pixels;
        area.textArea = d.textAreaOf(pixels);
        if (area.textArea.isEmpty())
            continue;
        width = qMax(width, area.textArea.width());
        area.top = height;
        area.height = area.textArea.height();
        d.areas.append(area);
        height += area.height;
    }
    if (d.areas.isEmpty())
        throw Failure(QStringLiteral("The picture of the document could not be made: it has no text area"));

    d.size = QSize(width, height);
    // Below the last mark of the last page there is only paper. Found on the picture as it is painted,
    // so the last row shown is the last one with ink.
    Data::Area &last = d.areas.last();
    QImage lastArea(last.textArea.width(), last.height, QImage::Format_RGB32);
    lastArea.fill(Qt::white);
    QPainter painter(&lastArea);
    const QRectF inPicture(0, last.top, last.textArea.width(), last.height);
    picture.paint(painter, QRectF(QPointF(0, 0), inPicture.size()), inPicture, QRectF(lastArea.rect()));
    painter.end();
    last.height = rowsWithInk(lastArea);
    d.size.setHeight(last.top + last.height);
    return picture;
}

PagePicture PagePicture::fromImage(const QImage &image)
{
    PagePicture picture;
    if (image.isNull())
        return picture;
    picture.d = std::make_shared<Data>();
    picture.d->image = image;
    picture.d->size = image.size();
    return picture;
}

PagePicture PagePicture::fromBytes(const QByteArray &bytes)
{
    if (bytes.startsWith("%PDF")) {
        // The margins travel in the PDF's keywords; without them the whole pages are the picture. A PDF
        // of some of a document's pages says which ones it holds.
        QMarginsF margins;
        int pageCount = 0;
        QList<int> pages;
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        QPdfDocument pdf;
        pdf.load(&buffer);
        const QString keywords = pdf.metaData(QPdfDocument::MetaDataField::Keywords).toString();
        static const QRegularExpression note(QStringLiteral("%1([-0-9.e]+),([-0-9.e]+),([-0-9.e]+),([-0-9.e]+)")
                                                 .arg(QRegularExpression::escape(QLatin1String(kMarginsKey))));
        const QRegularExpressionMatch match = note.match(keywords);
        if (match.hasMatch())
            margins = QMarginsF(match.captured(1).toDouble(), match.captured(2).toDouble(),
                                match.captured(3).toDouble(), match.captured(4).toDouble());
        static const QRegularExpression pagesNote(
            QStringLiteral("%1([0-9]+):([0-9,]+)").arg(QRegularExpression::escape(QLatin1String(kPagesKey))));
        const QRegularExpressionMatch pagesMatch = pagesNote.match(keywords);
        if (pagesMatch.hasMatch()) {
            pageCount = pagesMatch.captured(1).toInt();
            for (const QString &page : pagesMatch.captured(2).split(QLatin1Char(','), Qt::SkipEmptyParts))
                pages.append(page.toInt());
        }
        return fromPdfPages(bytes, margins, pageCount, pages);
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QImage image = reader.read();
    if (image.isNull())
        throw Failure(QStringLiteral("Invalid picture: ") + reader.errorString());
    return fromImage(image);
}

PagePicture PagePicture::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("File not found: ") + path);
    return fromBytes(file.readAll());
}

bool PagePicture::isNull() const
{
    return !d;
}

bool PagePicture::isVector() const
{
    return d && d->image.isNull();
}

QSize PagePicture::size() const
{
    return d ? d->size : QSize();
}

int PagePicture::pageCount() const
{
    if (!d)
        return 0;
    return isVector() ? d->pageCount : 1;
}

QByteArray PagePicture::bytes() const
{
    if (!d)
        return {};
    if (isVector())
        return d->sources.front()->bytes;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    d->image.save(&buffer, "PNG");
    return png;
}

bool PagePicture::isComplete() const
{
    return pagesToMake() == 0;
}

int PagePicture::pagesToMake() const
{
    if (!d)
        return 0;
    return d->toMake;
}

bool PagePicture::isMaking() const
{
    return d && d->maker && !d->makerFailed && !isComplete();
}

void PagePicture::stopMaking()
{
    if (d)
        d->releaseMaker();
}

bool PagePicture::makeAllPages() const
{
    while (isMaking()) {
        if (makePages(pagesToMake()).isEmpty())
            break;
    }
    return isComplete();
}

QPdfDocument *PagePicture::pageSource(int page, int *pageInPdf) const
{
    if (!isVector() || page < 0 || page >= d->pageCount || d->placed[size_t(page)].first < 0)
        return nullptr;
    *pageInPdf = d->placed[size_t(page)].second;
    return &d->sources[size_t(d->placed[size_t(page)].first)]->pdf;
}

std::pair<int, int> PagePicture::Data::nextPages(int count, const QRectF &wanted) const
{
    // The first page not made that shows, or else the first not made at all; then the pages after it
    // that are not made either.
    int start = -1;
    if (!wanted.isEmpty()) {
        for (const Area &area : areas) {
            if (area.source < 0 && QRectF(0, area.top, area.textArea.width(), area.height).intersects(wanted)) {
                start = area.page;
                break;
            }
        }
    }
    if (start < 0)
        start = int(std::find(made.begin(), made.end(), false) - made.begin());
    int end = start;
    while (end + 1 < pageCount && end + 1 - start < count && !made[size_t(end + 1)])
        ++end;
    return {start, end};
}

QRectF PagePicture::Data::takePages(int start, int end, const std::function<QByteArray()> &pdfOfPages)
{
    int source = -1;
    try {
        const QByteArray pdf = pdfOfPages();
        if (pdf.isEmpty())
            return {};
        source = addSource(pdf);
        if (sources.back()->pdf.pageCount() != end - start + 1)
            throw Failure(QStringLiteral("the word processor made %1 pages instead of %2")
                              .arg(sources.back()->pdf.pageCount())
                              .arg(end - start + 1));
    } catch (...) {
        // The pages not made stay blank; the picture is no worse than it was.
        qWarning("The pages %d to %d of the picture could not be made: %s", start + 1, end + 1,
                 qUtf8Printable(DescribeException(std::current_exception())));
        makerFailed = true;
        return {};
    }
    QRectF changed;
    for (int page = start; page <= end; ++page) {
        // A page made meanwhile by another way stays as it was made.
        if (made[size_t(page)])
            continue;
        made[size_t(page)] = true;
        --toMake;
        placed[size_t(page)] = {source, page - start};
        for (Area &area : areas) {
            if (area.page != page)
                continue;
            area.source = source;
            area.sourcePage = page - start;
            // A page of another size than the one before it keeps the place it was given.
            const QSizeF points = sources.back()->pdf.pagePointSize(area.sourcePage);
            area.pagePixels = QSize(toPixels(points.width()), toPixels(points.height()));
            const QRect textArea = textAreaOf(area.pagePixels);
            if (!textArea.isEmpty())
                area.textArea = textArea;
            changed |= QRectF(0, area.top, size.width(), area.height);
        }
    }
    // Every page is made: the office may let go of the document.
    if (toMake == 0)
        releaseMaker();
    return changed;
}

QRectF PagePicture::makePages(int count, const QRectF &wanted) const
{
    if (!isMaking() || count < 1)
        return {};
    Data &data = *d;
    // Pages being made in the background come first.
    if (data.pending.valid())
        return takeMadePages(true);
    const auto [start, end] = data.nextPages(count, wanted);
    const PageMaker maker = data.maker;
    return data.takePages(start, end, [&] { return maker(start + 1, end + 1); });
}

bool PagePicture::startMakingPages(int count, const QRectF &wanted) const
{
    if (!isMaking() || count < 1 || d->pending.valid())
        return false;
    Data &data = *d;
    const auto [start, end] = data.nextPages(count, wanted);
    data.pendingPages = {start, end};
    // The thread works on its own copy of the maker; it never lets go of the last one (see releaseMaker).
    data.pending =
        std::async(std::launch::async, [maker = data.maker, start, end] { return maker(start + 1, end + 1); });
    return true;
}

bool PagePicture::isMakingInBackground() const
{
    return d && d->pending.valid();
}

QRectF PagePicture::takeMadePages(bool wait) const
{
    if (!d || !d->pending.valid())
        return {};
    Data &data = *d;
    if (!wait && data.pending.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return {};
    std::future<QByteArray> pending = std::move(data.pending);
    const auto [start, end] = data.pendingPages;
    return data.takePages(start, end, [&] { return pending.get(); });
}

void PagePicture::paint(QPainter &painter, const QRectF &target, const QRectF &source, const QRectF &exposed) const
{
    if (!d || source.isEmpty() || target.isEmpty())
        return;
    const QRectF visible = target.intersected(exposed);
    if (visible.isEmpty())
        return;
    const double scaleX = target.width() / source.width();
    const double scaleY = target.height() / source.height();
    // The part of the picture that shows, in unscaled pixels.
    const QRectF shown(source.x() + (visible.x() - target.x()) / scaleX,
                       source.y() + (visible.y() - target.y()) / scaleY, visible.width() / scaleX,
                       visible.height() / scaleY);
    const auto toTarget = [&](const QRectF &picture) {
        return QRectF(target.x() + (picture.x() - source.x()) * scaleX,
                      target.y() + (picture.y() - source.y()) * scaleY, picture.width() * scaleX,
                      picture.height() * scaleY);
    };

    painter.save();
    if (!isVector()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setClipRect(visible, Qt::IntersectClip);
        painter.drawImage(target, d->image, source);
        painter.restore();
        return;
    }

    const double ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    // Tiles are rendered at one scale for both directions; a page stretched unevenly is drawn stretched.
    const double scale = qMax(scaleX, scaleY) * ratio;
    for (const Data::Area &area : std::as_const(d->areas)) {
        const QRectF inPicture(0, area.top, area.textArea.width(), area.height);
        const QRectF part = inPicture.intersected(shown);
        if (part.isEmpty())
            continue;
        if (area.source < 0) {
            // A page still to come is blank paper meanwhile.
            painter.fillRect(toTarget(part), Qt::white);
            continue;
        }
        // The part in the page's own pixels, then in the rendered page's.
        const QRectF onPage = part.translated(area.textArea.x(), area.textArea.y() - area.top);
        const QRectF scaled(onPage.x() * scale, onPage.y() * scale, onPage.width() * scale, onPage.height() * scale);
        painter.save();
        painter.setClipRect(toTarget(part), Qt::IntersectClip);
        const int firstColumn = int(std::floor(scaled.left() / kTile));
        const int lastColumn = int(std::floor((scaled.right() - 1e-6) / kTile));
        const int firstRow = int(std::floor(scaled.top() / kTile));
        const int lastRow = int(std::floor((scaled.bottom() - 1e-6) / kTile));
        for (int row = firstRow; row <= lastRow; ++row) {
            for (int column = firstColumn; column <= lastColumn; ++column) {
                const QImage tile = d->tile(area, scale, column, row);
                if (tile.isNull())
                    continue;
                // The tile's place on the page, back in unscaled pixels of the picture.
                const QRectF tileOnPage(column * kTile / scale, row * kTile / scale, tile.width() / scale,
                                        tile.height() / scale);
                const QRectF tileInPicture = tileOnPage.translated(-area.textArea.x(), area.top - area.textArea.y());
                const QRectF destination = toTarget(tileInPicture);
                painter.fillRect(destination, Qt::white);
                painter.drawImage(destination, tile);
            }
        }
        painter.restore();
    }
    painter.restore();
}

QImage PagePicture::toImage(qint64 maximumPixels) const
{
    if (!d)
        return {};
    if (!isVector())
        return d->image;
    if (qint64(d->size.width()) * d->size.height() > maximumPixels)
        return {};
    QImage image(d->size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QRectF all(QPointF(0, 0), QSizeF(d->size));
    paint(painter, all, all, all);
    painter.end();
    return image;
}
