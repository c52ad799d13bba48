#pragma once

#include <QByteArray>
#include <QImage>
#include <QMarginsF>
#include <QRectF>
#include <QSize>

#include <functional>
#include <memory>

class QPainter;
class QPdfDocument;

/// The picture of a document's main text: the text area of every page, without the margins, the
/// pages one under another, trimmed below the last mark on the last page. Its unscaled size is that
/// area at 96 dots per inch (15 twips a pixel).
///
/// Usually a vector picture, the office's PDF of the document: it is painted part by part at any
/// scale, so a picture of a thousand pages costs no more memory than the part on the screen, and
/// stays sharp at every zoom and on high-density screens. A raster picture serves as well.
/// Copies share the picture.
///
/// A long document's picture may start with a few of its pages and take the others as they are made:
/// its size and the place of every page are known from the start, a page not made yet shows as blank
/// paper, and makePages() brings the rest, a few at a time, from the maker that made the first ones.
class PagePicture final
{
public:
    /// Makes a PDF of the document's pages \a first to \a last (counted from 1), every page the size
    /// the office lays it out at. Returns an empty array when the maker cannot work just now (try
    /// again later); throws when it never will. Called on this thread, or on one of its own (see
    /// startMakingPages()); copies of it are let go of on this thread.
    using PageMaker = std::function<QByteArray(int first, int last)>;

    /// No picture.
    PagePicture();
    ~PagePicture();
    PagePicture(const PagePicture &);
    PagePicture &operator=(const PagePicture &);

    /// The pages of \a pdf; \a textMargins (in points) are cut off every page. Throws Failure when the
    /// PDF cannot be read or has no text area.
    static PagePicture fromPdf(const QByteArray &pdf, const QMarginsF &textMargins);
    /// The picture of a document of \a pageCount pages of which \a pdf holds the pages \a pagesInPdf
    /// (counted from 1, in order; the first and the last page of the document among them), with
    /// \a textMargins cut off every page. The pages not in \a pdf are taken to be the size of the
    /// page before them until \a maker makes them. Throws Failure as fromPdf() does.
    static PagePicture fromFirstPages(const QByteArray &pdf, const QMarginsF &textMargins, int pageCount,
                                      const QList<int> &pagesInPdf, PageMaker maker);
    /// A raster picture, shown pixel for pixel at its unscaled size.
    static PagePicture fromImage(const QImage &image);
    /// Reads a picture file as written with bytes(): a PDF, or any image format Qt reads. Throws Failure.
    static PagePicture fromFile(const QString &path);
    /// Reads picture bytes as fromFile() does.
    static PagePicture fromBytes(const QByteArray &bytes);

    bool isNull() const;
    /// True when \a other is a copy of this picture (or both are null).
    bool isSameAs(const PagePicture &other) const { return d == other.d; }
    bool isVector() const;
    /// The unscaled size in pixels at 96 dots per inch.
    QSize size() const;
    int pageCount() const;

    /// The note that tells a reader of the PDF which margins to cut: the backend puts it in the PDF's
    /// keywords, and fromBytes() finds it there.
    static QString marginsNote(const QMarginsF &margins);
    /// The note that tells a reader of a PDF holding only some pages of a document of \a pageCount
    /// pages which ones it holds; it goes in the keywords with the margins note.
    static QString pagesNote(int pageCount, const QList<int> &pagesInPdf);

    /// The picture as a file holds it: the PDF with the text margins noted in it, or the image as PNG.
    /// For a picture whose pages are still being made, the PDF of its first pages, which a reader
    /// takes for the same picture with the other pages blank.
    QByteArray bytes() const;
    /// True when every page has been made (always, for a picture made whole).
    bool isComplete() const;
    /// The pages (counted from 1) that are not made yet.
    int pagesToMake() const;
    /// Making pages changes every copy of the picture, as painting fills the cache of all: they are const.
    /// Makes up to \a count of the pages not made yet: first those that show in \a wanted (unscaled
    /// pixels of the picture), then the next ones in order. Returns the part of the picture that
    /// changed (empty when nothing was made: all are made, the maker is busy, or it failed, which
    /// ends the making; the pages not made stay blank).
    QRectF makePages(int count, const QRectF &wanted = QRectF()) const;
    /// As makePages(), but the maker works on a thread of its own while this one goes on; takeMadePages()
    /// brings the pages in. False when nothing was started: all are made, the making ended, or pages are
    /// being made already.
    bool startMakingPages(int count, const QRectF &wanted = QRectF()) const;
    /// True while pages started with startMakingPages() have not been brought in.
    bool isMakingInBackground() const;
    /// Brings in the pages started with startMakingPages() once they are made (at once when \a wait is
    /// false and they are not: nothing changes). Returns the part of the picture that changed.
    QRectF takeMadePages(bool wait = false) const;
    /// Makes every page not made yet, at once. Returns true when the picture is then complete.
    bool makeAllPages() const;
    /// Lets go of the maker: the pages not made yet stay blank. A picture lets go of it by itself once
    /// every page is made.
    void stopMaking();
    /// The PDF that holds the document's page \a page (from 0) of a vector picture, and in \a pageInPdf
    /// its page there; null while the page is not made.
    QPdfDocument *pageSource(int page, int *pageInPdf) const;
    /// True while pages are still to come from a maker that has not failed nor been stopped.
    bool isMaking() const;

    /// Paints the \a source part of the picture (unscaled pixels) stretched onto \a target (in the
    /// painter's coordinates), but only as much of it as lies in \a exposed; rendered at the painter's
    /// device pixel ratio.
    void paint(QPainter &painter, const QRectF &target, const QRectF &source, const QRectF &exposed) const;

    /// The picture as a raster image at its unscaled size, for tests and small pictures; a null image
    /// when it would be larger than \a maximumPixels.
    QImage toImage(qint64 maximumPixels = 64LL * 1024 * 1024) const;

private:
    struct Data;
    static PagePicture fromPdfPages(const QByteArray &pdf, const QMarginsF &textMargins, int pageCount,
                                    const QList<int> &pagesInPdf);
    std::shared_ptr<Data> d;
};
