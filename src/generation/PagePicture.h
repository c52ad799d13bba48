#pragma once

#include <QByteArray>
#include <QImage>
#include <QMarginsF>
#include <QRectF>
#include <QSize>

#include <memory>

class QPainter;

/// The picture of a document's main text: the text area of every page, without the margins, the
/// pages one under another, trimmed below the last mark on the last page. Its unscaled size is that
/// area at 96 dots per inch (15 twips a pixel).
///
/// Usually a vector picture, the office's PDF of the document: it is painted part by part at any
/// scale, so a picture of a thousand pages costs no more memory than the part on the screen, and
/// stays sharp at every zoom and on high-density screens. A raster picture serves as well.
/// Copies share the picture.
class PagePicture final
{
public:
    /// No picture.
    PagePicture();
    ~PagePicture();
    PagePicture(const PagePicture &);
    PagePicture &operator=(const PagePicture &);

    /// The pages of \a pdf; \a textMargins (in points) are cut off every page. Throws Failure when the
    /// PDF cannot be read or has no text area.
    static PagePicture fromPdf(const QByteArray &pdf, const QMarginsF &textMargins);
    /// A raster picture, shown pixel for pixel at its unscaled size.
    static PagePicture fromImage(const QImage &image);
    /// Reads a picture file as written with bytes(): a PDF, or any image format Qt reads. Throws Failure.
    static PagePicture fromFile(const QString &path);
    /// Reads picture bytes as fromFile() does.
    static PagePicture fromBytes(const QByteArray &bytes);

    bool isNull() const;
    bool isVector() const;
    /// The unscaled size in pixels at 96 dots per inch.
    QSize size() const;
    int pageCount() const;

    /// The note that tells a reader of the PDF which margins to cut: the backend puts it in the PDF's
    /// keywords, and fromBytes() finds it there.
    static QString marginsNote(const QMarginsF &margins);

    /// The picture as a file holds it: the PDF with the text margins noted in it, or the image as PNG.
    QByteArray bytes() const;

    /// Paints the \a source part of the picture (unscaled pixels) stretched onto \a target (in the
    /// painter's coordinates), but only as much of it as lies in \a exposed; rendered at the painter's
    /// device pixel ratio.
    void paint(QPainter &painter, const QRectF &target, const QRectF &source, const QRectF &exposed) const;

    /// The picture as a raster image at its unscaled size, for tests and small pictures; a null image
    /// when it would be larger than \a maximumPixels.
    QImage toImage(qint64 maximumPixels = 64LL * 1024 * 1024) const;

private:
    struct Data;
    static std::weak_ptr<Data> &lastMade();
    std::shared_ptr<Data> d;
};
