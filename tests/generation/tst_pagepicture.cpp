#include "Failure.h"
#include "PagePicture.h"
#include "TestMain.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <cmath>
#include <semaphore>
#include <thread>

namespace {
// Test pages: 4 by 3 inches, with margins of different widths all round (in points), so that a margin
// taken for another shows. At 96 dots per inch a page is 384 by 288 pixels and its text area 312 by 192.
const QSizeF kPagePoints(288, 216);
const QMarginsF kMargins(36, 27, 18, 45);
constexpr int kAreaWidth = 312;
constexpr int kAreaHeight = 192;
constexpr int kPageWidth = 384;
constexpr int kPageHeight = 288;
// The last page's ink ends this far down its text area, in pixels.
constexpr int kLastInk = 60;

// Marks in the text area, in pixels at 96 dots per inch: a blue square at its top left, a green one at its
// bottom right (not on the last page), a black bar on the last page ending at kLastInk.
const QRect kBlue(8, 8, 24, 24);
const QRect kGreen(280, 160, 24, 24);
const QRect kBar(8, 40, 64, 20);
// A black square with edges half a pixel off the grid: sharp only when rendered at twice the size.
const QRectF kFine(150.5, 80, 24, 24);

QRectF toPoints(const QRectF &pixels)
{
    return QRectF(pixels.x() * 0.75, pixels.y() * 0.75, pixels.width() * 0.75, pixels.height() * 0.75);
}

// A PDF of \a pages test pages: red margins, white text areas with the marks. \a creator is the PDF's
// creator entry. Without \a endsDocument they are pages from the middle of a document: none is the last.
QByteArray testPdf(int pages, const QString &creator = {}, bool blankLastPage = false, bool endsDocument = true)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(72); // painter units are points
        writer.setPageLayout(QPageLayout(QPageSize(kPagePoints, QPageSize::Point), QPageLayout::Portrait, QMarginsF()));
        writer.setCreator(creator);
        QPainter painter(&writer);
        for (int page = 0; page < pages; ++page) {
            if (page > 0)
                writer.newPage();
            const QRectF paper(QPointF(0, 0), kPagePoints);
            painter.fillRect(paper, Qt::red);
            const QRectF area = paper.marginsRemoved(kMargins);
            painter.fillRect(area, Qt::white);
            const bool last = endsDocument && page == pages - 1;
            if (last && blankLastPage)
                continue;
            painter.fillRect(toPoints(kBlue).translated(area.topLeft()), Qt::blue);
            if (!last) {
                painter.fillRect(toPoints(kGreen).translated(area.topLeft()), Qt::green);
                painter.fillRect(toPoints(kFine).translated(area.topLeft()), Qt::black);
            } else {
                painter.fillRect(toPoints(kBar).translated(area.topLeft()), Qt::black);
            }
        }
    }
    return bytes;
}

// Margin ink: more red than anything on the text area has.
bool isMargin(QRgb pixel)
{
    return qRed(pixel) - qMax(qGreen(pixel), qBlue(pixel)) > 40;
}

int marginPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += isMargin(image.pixel(x, y));
    }
    return count;
}

bool near(QRgb pixel, QColor color)
{
    return qAbs(qRed(pixel) - color.red()) < 40 && qAbs(qGreen(pixel) - color.green()) < 40
           && qAbs(qBlue(pixel) - color.blue()) < 40;
}

// Paints the whole of \a picture at \a scale onto a magenta image, as the preview does.
QImage painted(const PagePicture &picture, double scale, double ratio = 1.0)
{
    const QSizeF target = QSizeF(picture.size()) * scale;
    QImage image((target * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    const QRectF all(QPointF(0, 0), target);
    picture.paint(painter, all, QRectF(QPointF(0, 0), QSizeF(picture.size())), all);
    return image;
}

// The colour at the centre of \a rect (picture pixels) on text area \a page, painted at \a scale.
QRgb at(const QImage &image, int page, const QRectF &rect, double scale)
{
    const QPointF centre = rect.center() + QPointF(0, page * kAreaHeight);
    return image.pixel(int(centre.x() * scale), int(centre.y() * scale));
}
} // namespace

class TestPagePicture : public QObject
{
    Q_OBJECT

private slots:
    void sizeIsTheTextAreasStackedAndTrimmed();
    void blankLastPage();
    void paint_data();
    void paint();
    void paintAtTheScreensPixelRatio();
    void paintInPiecesAcrossTiles();
    void paintOnlyWhatIsExposed();
    void paintPartOfThePicture();
    void withoutMarginsNoteWholePages();
    void marginsNoteTravelsInTheKeywords();
    void rasterPicture();
    void vectorBytesAreThePdf();
    void fromFile();
    void unreadable_data();
    void unreadable();
    void noTextArea();
    void nullPicture();
    void restOfThePagesArriveLater();
    void makerBusyOrGone();
    void pagesMadeOnAThreadOfTheirOwn();
    void firstPagesFileIsTheSamePicture();
};

void TestPagePicture::sizeIsTheTextAreasStackedAndTrimmed()
{
    const PagePicture picture = PagePicture::fromPdf(testPdf(3), kMargins);
    QVERIFY(picture.isVector());
    QCOMPARE(picture.pageCount(), 3);
    QCOMPARE(picture.size(), QSize(kAreaWidth, 2 * kAreaHeight + kLastInk));

    const PagePicture one = PagePicture::fromPdf(testPdf(1), kMargins);
    QCOMPARE(one.size(), QSize(kAreaWidth, kLastInk));
}

void TestPagePicture::blankLastPage()
{
    // Nothing on the last page: one row of it stays, so the picture ends with the page before.
    const PagePicture picture = PagePicture::fromPdf(testPdf(2, {}, true), kMargins);
    QCOMPARE(picture.size(), QSize(kAreaWidth, kAreaHeight + 1));
    QCOMPARE(marginPixels(picture.toImage()), 0);
}

void TestPagePicture::paint_data()
{
    QTest::addColumn<double>("scale");
    QTest::newRow("1") << 1.0;
    QTest::newRow("2") << 2.0;
    QTest::newRow("3, several tiles a page") << 3.0;
    QTest::newRow("1.37") << 1.37;
    QTest::newRow("0.5") << 0.5;
}

void TestPagePicture::paint()
{
    QFETCH(double, scale);
    const PagePicture picture = PagePicture::fromPdf(testPdf(3), kMargins);
    const QImage image = painted(picture, scale);

    // Every pixel is painted, none of it a margin: not the first page's bottom margin over the second
    // page's text area, nor a left margin beside it.
    QCOMPARE(marginPixels(image), 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == QColor(Qt::magenta).rgb())
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 not painted").arg(x).arg(y)));
        }
    }
    for (int page = 0; page < 3; ++page) {
        QVERIFY(near(at(image, page, kBlue, scale), Qt::blue));
        QVERIFY(near(at(image, page, QRectF(200, 30, 1, 1), scale), Qt::white));
        if (page < 2)
            QVERIFY(near(at(image, page, kGreen, scale), Qt::green));
    }
    QVERIFY(near(at(image, 2, kBar, scale), Qt::black));
    // The marks' edges where they belong, away from antialiased borders.
    if (scale >= 1) {
        const auto pixel = [&](double x, double y) {
            return image.pixel(int(x * scale), int(y * scale));
        };
        QVERIFY(near(pixel(kBlue.left() + 0.5, kBlue.top() + 0.5), Qt::blue));
        QVERIFY(near(pixel(kBlue.left() - 1.5, kBlue.top() + 4), Qt::white));
        QVERIFY(near(pixel(kGreen.right() + 0.5, kAreaHeight + kGreen.bottom() + 0.5), Qt::green));
        QVERIFY(near(pixel(kGreen.right() + 1.5, kAreaHeight + kGreen.bottom() + 0.5), Qt::white));
        QVERIFY(near(pixel(kBar.left() + 2, 2 * kAreaHeight + kLastInk - 0.5), Qt::black));
    }
}

void TestPagePicture::paintAtTheScreensPixelRatio()
{
    // On a screen of twice the density the picture is rendered at twice the size, not enlarged: a mark
    // half a pixel off the grid has sharp edges.
    const PagePicture picture = PagePicture::fromPdf(testPdf(2), kMargins);
    const QImage image = painted(picture, 1.0, 2.0);
    QCOMPARE(image.size(), picture.size() * 2);
    QCOMPARE(marginPixels(image), 0);
    const int left = int(kFine.left() * 2);
    const int y = int(kFine.center().y() * 2);
    QVERIFY(near(image.pixel(left - 1, y), Qt::white));
    QVERIFY(near(image.pixel(left, y), Qt::black));
    QVERIFY(near(image.pixel(int(kFine.right() * 2) - 1, y), Qt::black));
    QVERIFY(near(image.pixel(int(kFine.right() * 2), y), Qt::white));
    QVERIFY(near(image.pixel(int(kBlue.center().x() * 2), int(kBlue.center().y() * 2)), Qt::blue));
}

void TestPagePicture::paintInPiecesAcrossTiles()
{
    // Painted piece by piece, as a window repaints what is exposed, the picture is the same as painted at
    // once: the pieces cross the tiles (512 pixels) and the pages.
    const double scale = 2.0;
    const PagePicture picture = PagePicture::fromPdf(testPdf(3), kMargins);
    const QImage whole = painted(picture, scale);

    QImage pieces(whole.size(), QImage::Format_RGB32);
    pieces.fill(Qt::magenta);
    QPainter painter(&pieces);
    const QRectF all(QPointF(0, 0), QSizeF(whole.size()));
    const QRectF source(QPointF(0, 0), QSizeF(picture.size()));
    for (int y = 0; y < whole.height(); y += 131) {
        for (int x = 0; x < whole.width(); x += 173)
            picture.paint(painter, all, source, QRectF(x, y, 173, 131));
    }
    painter.end();
    QCOMPARE(pieces, whole);
}

void TestPagePicture::paintOnlyWhatIsExposed()
{
    const double scale = 2.0;
    const PagePicture picture = PagePicture::fromPdf(testPdf(3), kMargins);
    const QImage whole = painted(picture, scale);

    // Across the boundary of two tiles both ways, and of the first two pages.
    const QRect exposed(100, 300, 400, 300);
    QImage image(whole.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    picture.paint(painter, QRectF(QPointF(0, 0), QSizeF(whole.size())), QRectF(QPointF(0, 0), QSizeF(picture.size())),
                  exposed);
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb expected = exposed.contains(x, y) ? whole.pixel(x, y) : QColor(Qt::magenta).rgb();
            if (image.pixel(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
    }
}

void TestPagePicture::paintPartOfThePicture()
{
    // The blue square of the second page, enlarged onto a whole image.
    const PagePicture picture = PagePicture::fromPdf(testPdf(3), kMargins);
    QImage image(120, 120, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    const QRectF source = QRectF(kBlue).adjusted(2, 2, -2, -2).translated(0, kAreaHeight);
    picture.paint(painter, QRectF(image.rect()), source, QRectF(image.rect()));
    painter.end();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!near(image.pixel(x, y), Qt::blue))
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is not blue").arg(x).arg(y)));
        }
    }
}

void TestPagePicture::withoutMarginsNoteWholePages()
{
    const PagePicture picture = PagePicture::fromBytes(testPdf(3));
    QVERIFY(picture.isVector());
    // The last page's bottom margin is red: ink to its very end.
    QCOMPARE(picture.size(), QSize(kPageWidth, 3 * kPageHeight));
    const QImage image = picture.toImage();
    QVERIFY(isMargin(image.pixel(2, 2)));
    QVERIFY(near(image.pixel(48 + kBlue.center().x(), kPageHeight + 36 + kBlue.center().y()), Qt::blue));
}

void TestPagePicture::marginsNoteTravelsInTheKeywords()
{
    // Qt writes no keywords into a PDF; the creator entry, renamed in place (the names are equally long,
    // so every offset in the file stays right), stands in for what the office writes.
    const QByteArray written = testPdf(2, PagePicture::marginsNote(kMargins));
    QByteArray pdf = written;
    pdf.replace("/Creator ", "/Keywords");
    QVERIFY(pdf != written);

    const PagePicture noted = PagePicture::fromBytes(pdf);
    // Whole pages would mean the note was never read: the picture would keep the margins it should trim.
    QVERIFY2(noted.size() != QSize(kPageWidth, 2 * kPageHeight), "the margins note was not read");
    const PagePicture expected = PagePicture::fromPdf(written, kMargins);
    QCOMPARE(noted.size(), expected.size());
    QCOMPARE(noted.toImage(), expected.toImage());

    // Margins that are no whole number of points.
    const QMarginsF odd(36.75, 27.375, 17.25, 45.5);
    QByteArray oddPdf = testPdf(2, PagePicture::marginsNote(odd));
    oddPdf.replace("/Creator ", "/Keywords");
    const QSize oddSize = PagePicture::fromBytes(oddPdf).size();
    QCOMPARE(oddSize.width(), kPageWidth - int(std::lround(36.75 / 0.75)) - int(std::lround(17.25 / 0.75)));
}

void TestPagePicture::rasterPicture()
{
    QImage image(37, 23, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(3, 4, qRgb(10, 20, 30));
    image.setPixel(36, 22, qRgb(200, 100, 50));
    const PagePicture picture = PagePicture::fromImage(image);
    QVERIFY(!picture.isVector());
    QCOMPARE(picture.pageCount(), 1);
    QCOMPARE(picture.size(), image.size());

    const QByteArray bytes = picture.bytes();
    QVERIFY(bytes.startsWith("\x89PNG"));
    const PagePicture back = PagePicture::fromBytes(bytes);
    QVERIFY(!back.isVector());
    QCOMPARE(back.size(), image.size());
    QCOMPARE(back.toImage().convertToFormat(QImage::Format_RGB32), image);
    // Painted at its size, pixel for pixel.
    QImage canvas(image.size(), QImage::Format_RGB32);
    canvas.fill(Qt::magenta);
    QPainter painter(&canvas);
    back.paint(painter, QRectF(canvas.rect()), QRectF(canvas.rect()), QRectF(canvas.rect()));
    painter.end();
    QCOMPARE(canvas, image);
}

void TestPagePicture::vectorBytesAreThePdf()
{
    const QByteArray pdf = testPdf(2);
    const PagePicture picture = PagePicture::fromPdf(pdf, kMargins);
    QCOMPARE(picture.bytes(), pdf);
    const PagePicture copy = picture; // copies share the picture
    QCOMPARE(copy.size(), picture.size());
    QCOMPARE(copy.bytes(), pdf);
}

void TestPagePicture::fromFile()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("temp.bmp"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(testPdf(2));
    file.close();
    const PagePicture picture = PagePicture::fromFile(path);
    QVERIFY(picture.isVector());
    QCOMPARE(picture.pageCount(), 2);

    QVERIFY_THROWS_EXCEPTION(Failure, PagePicture::fromFile(folder.filePath(QStringLiteral("missing.bmp"))));
    QVERIFY_THROWS_EXCEPTION(Failure, PagePicture::fromFile(folder.path()));
}

void TestPagePicture::unreadable_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray pdf = testPdf(1);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArrayLiteral("no picture at all");
    QTest::newRow("PDF header only") << QByteArrayLiteral("%PDF-1.4\n");
    QTest::newRow("PDF with garbage") << QByteArrayLiteral("%PDF-1.4\n") + QByteArray(2000, 'x');
    QTest::newRow("PDF cut in half") << pdf.left(pdf.size() / 2);
    QTest::newRow("PNG cut short") << PagePicture::fromImage(QImage(40, 40, QImage::Format_RGB32)).bytes().left(30);
}

void TestPagePicture::unreadable()
{
    QFETCH(QByteArray, bytes);
    QVERIFY_THROWS_EXCEPTION(Failure, PagePicture::fromBytes(bytes));
}

void TestPagePicture::noTextArea()
{
    QVERIFY_THROWS_EXCEPTION(Failure, PagePicture::fromPdf(testPdf(1), QMarginsF(150, 0, 150, 0)));
    QVERIFY_THROWS_EXCEPTION(Failure, PagePicture::fromPdf(testPdf(1), QMarginsF(0, 120, 0, 100)));
}

void TestPagePicture::nullPicture()
{
    const PagePicture none;
    QVERIFY(none.isNull());
    QVERIFY(!none.isVector());
    QCOMPARE(none.pageCount(), 0);
    QCOMPARE(none.size(), QSize());
    QVERIFY(none.bytes().isEmpty());
    QVERIFY(none.toImage().isNull());
    QVERIFY(PagePicture::fromImage(QImage()).isNull());
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    none.paint(painter, QRectF(image.rect()), QRectF(image.rect()), QRectF(image.rect()));
    painter.end();
    QCOMPARE(image.pixel(5, 5), QColor(Qt::magenta).rgb());
}

// A document of six test pages of which the first two and the last are made at once; the maker makes
// the others and notes what it was asked for.
struct FirstPages
{
    QList<std::pair<int, int>> asked;
    bool busy = false;
    bool broken = false;

    PagePicture picture()
    {
        return PagePicture::fromFirstPages(testPdf(3), kMargins, 6, {1, 2, 6}, [this](int first, int last) {
            asked.append({first, last});
            if (broken)
                throw Failure(QStringLiteral("the word processor went away"));
            if (busy)
                return QByteArray();
            return testPdf(last - first + 1, {}, false, false);
        });
    }
};

void TestPagePicture::restOfThePagesArriveLater()
{
    const PagePicture whole = PagePicture::fromPdf(testPdf(6), kMargins);
    FirstPages document;
    PagePicture picture = document.picture();
    // The picture has its whole size from the start, so the preview's scroll bars never change.
    QCOMPARE(picture.size(), whole.size());
    QCOMPARE(picture.pageCount(), 6);
    QCOMPARE(picture.pagesToMake(), 3);
    QVERIFY(picture.isMaking());
    QVERIFY(document.asked.isEmpty());
    // Made pages show at once, those to come as blank paper.
    QImage image = painted(picture, 1.0);
    QVERIFY(near(at(image, 1, kGreen, 1.0), Qt::green));
    QVERIFY(near(at(image, 5, kBar, 1.0), Qt::black));
    QVERIFY(near(at(image, 2, kGreen, 1.0), Qt::white));

    const PagePicture copy = picture; // as the preview's boxes hold it
    const QRectF changed = picture.makePages(2);
    QCOMPARE(document.asked, (QList<std::pair<int, int>>{{3, 4}}));
    QCOMPARE(changed, QRectF(0, 2 * kAreaHeight, kAreaWidth, 2 * kAreaHeight));
    QVERIFY(near(at(painted(copy, 1.0), 3, kGreen, 1.0), Qt::green));
    QVERIFY(!picture.makePages(10).isEmpty());
    QCOMPARE(document.asked.last(), (std::pair<int, int>{5, 5}));
    QVERIFY(picture.isComplete());
    QVERIFY(!picture.isMaking());
    QVERIFY(picture.makePages(10).isEmpty());
    QCOMPARE(document.asked.size(), 2);
    QCOMPARE(painted(picture, 1.0), painted(whole, 1.0));
    // Printing finds every page where it was made.
    int inPdf = -1;
    int first = -1;
    QVERIFY(picture.pageSource(3, &inPdf));
    QCOMPARE(inPdf, 1);
    QVERIFY(picture.pageSource(3, &inPdf) != picture.pageSource(0, &first));
    QCOMPARE(picture.pageSource(5, &inPdf), picture.pageSource(0, &first));
    QCOMPARE(inPdf, 2);
}

void TestPagePicture::makerBusyOrGone()
{
    FirstPages document;
    PagePicture picture = document.picture();
    document.busy = true;
    QVERIFY(picture.makePages(2).isEmpty());
    QVERIFY(picture.isMaking()); // asked again later
    document.busy = false;
    document.broken = true;
    QVERIFY(picture.makePages(2).isEmpty());
    QVERIFY(!picture.isMaking());
    QCOMPARE(picture.pagesToMake(), 3);
    QVERIFY(near(at(painted(picture, 1.0), 2, kGreen, 1.0), Qt::white));
    // Printing cannot have every page any more.
    QVERIFY(!picture.makeAllPages());
    int inPdf = 0;
    QVERIFY(!picture.pageSource(2, &inPdf));
}

namespace {
// What a maker holds: in the program, the document in the office, which must be let go of on the thread
// that talks to the office's owner.
struct HeldDocument
{
    explicit HeldDocument(QThread *&letGoOn)
        : lastLetGoOn(letGoOn)
    {}
    HeldDocument(const HeldDocument &) = delete;
    HeldDocument &operator=(const HeldDocument &) = delete;
    ~HeldDocument() { lastLetGoOn = QThread::currentThread(); }
    QThread *&lastLetGoOn;
};
} // namespace

void TestPagePicture::pagesMadeOnAThreadOfTheirOwn()
{
    // The window goes on while the office makes pages: nothing waits for them until they are there.
    const QByteArray twoPages = testPdf(2, {}, false, false);
    std::counting_semaphore<8> release(0);
    QThread *madeOn = nullptr;
    QThread *letGoOn = nullptr;
    auto held = std::make_shared<HeldDocument>(letGoOn);
    PagePicture picture =
        PagePicture::fromFirstPages(testPdf(3), kMargins, 6, {1, 2, 6}, [&, held](int first, int last) {
            madeOn = QThread::currentThread();
            release.acquire();
            return last - first == 1 ? twoPages : testPdf(last - first + 1, {}, false, false);
        });
    held.reset();

    QVERIFY(picture.startMakingPages(2));
    QVERIFY(picture.isMakingInBackground());
    QVERIFY(!picture.startMakingPages(2)); // one step at a time
    QVERIFY(picture.takeMadePages().isEmpty());
    QVERIFY(near(at(painted(picture, 1.0), 2, kGreen, 1.0), Qt::white));
    release.release();
    QRectF changed;
    QTRY_VERIFY(!(changed |= picture.takeMadePages()).isEmpty());
    QCOMPARE(changed, QRectF(0, 2 * kAreaHeight, kAreaWidth, 2 * kAreaHeight));
    QVERIFY(madeOn && madeOn != QThread::currentThread());
    QVERIFY(near(at(painted(picture, 1.0), 2, kGreen, 1.0), Qt::green));
    QCOMPARE(picture.pagesToMake(), 1);

    // Stopped while a step is under way (the preview's Back): the step is waited for, and the document
    // is let go of by the time stopMaking() returns, here, not whenever the picture goes.
    QVERIFY(picture.startMakingPages(2));
    std::thread later([&] {
        QThread::msleep(50);
        release.release();
    });
    QVERIFY(!letGoOn);
    picture.stopMaking();
    later.join();
    QCOMPARE(letGoOn, QThread::currentThread());
    QVERIFY(!picture.isMaking());
}

void TestPagePicture::firstPagesFileIsTheSamePicture()
{
    // What the picture file holds of a picture still being made: its first pages, with the notes that
    // place them (the creator entry stands in for the keywords, as above).
    const QString note = PagePicture::marginsNote(kMargins) + QLatin1Char(' ') + PagePicture::pagesNote(6, {1, 2, 6});
    QByteArray pdf = testPdf(3, note);
    pdf.replace("/Creator ", "/Keywords");
    const PagePicture inMemory =
        PagePicture::fromFirstPages(pdf, kMargins, 6, {1, 2, 6}, [](int, int) { return QByteArray(); });
    QCOMPARE(inMemory.bytes(), pdf);
    const PagePicture fromFile = PagePicture::fromBytes(inMemory.bytes());
    QCOMPARE(fromFile.size(), inMemory.size());
    QCOMPARE(fromFile.pageCount(), 6);
    QCOMPARE(fromFile.toImage(), inMemory.toImage());
    QVERIFY(!fromFile.isMaking());
}

PARVOLINE_TEST_MAIN(TestPagePicture)
#include "tst_pagepicture.moc"
