#include "Failure.h"
#include "PagePicture.h"
#include "PrintPages.h"
#include "TestMain.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {
constexpr int kPages = 3;
// The printer's resolution in the tests: enough to tell a sharp page from a blurred one, and quick.
constexpr int kDotsPerInch = 150;

// A document of three A5 pages; page k has a black bar at its own height, so a printed sheet tells
// which page it is, and a line of text, so it tells whether it is sharp.
QByteArray threePages(QPageLayout::Orientation orientation = QPageLayout::Portrait)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A5), orientation, QMarginsF()));
    QPainter painter(&writer);
    const QRect page = painter.viewport();
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(page.height() / 30);
    painter.setFont(font);
    for (int k = 0; k < kPages; ++k) {
        if (k > 0)
            writer.newPage();
        const int top = page.height() * (2 + 3 * k) / 10;
        painter.fillRect(QRect(page.width() / 10, top, page.width() * 8 / 10, page.height() / 20), Qt::black);
        painter.drawText(QRect(0, page.height() * 9 / 10, page.width(), page.height() / 10), Qt::AlignCenter,
                         QStringLiteral("Receipt page %1 of three").arg(k + 1));
    }
    painter.end();
    return bytes;
}

struct Printed
{
    QByteArray bytes;
    QBuffer buffer;
    QPdfDocument pdf;

    explicit Printed(const QString &path)
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        pdf.load(&buffer);
    }
};

QImage render(QPdfDocument &pdf, int page, int dotsPerInch)
{
    const QSizeF points = pdf.pagePointSize(page);
    const QSize size(std::lround(points.width() * dotsPerInch / 72.0),
                     std::lround(points.height() * dotsPerInch / 72.0));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(0, 0, pdf.render(page, size));
    return image;
}

// Which page of threePages() \a sheet shows, by the height of its bar; -1 for none.
int pageShown(const QImage &sheet)
{
    const int x = sheet.width() / 2;
    for (int y = 0; y < sheet.height() * 9 / 10; ++y) {
        if (qGray(sheet.pixel(x, y)) < 64)
            return int(std::lround((10.0 * y / sheet.height() - 2) / 3));
    }
    return -1;
}

bool inkIn(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                return true;
        }
    }
    return false;
}

// How soft the edges of \a image are: its grey pixels for each black one. Text drawn at a lower
// resolution and enlarged has wide grey edges.
double softness(const QImage &image)
{
    int grey = 0;
    int black = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int value = qGray(image.pixel(x, y));
            if (value < 64)
                ++black;
            else if (value < 192)
                ++grey;
        }
    }
    return black > 0 ? double(grey) / black : 1e9;
}
} // namespace

class tst_PrintPages final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void printsTheChosenPagesInOrder_data();
    void printsTheChosenPagesInOrder();
    void pagesArePrintedSharpAtTheirOwnSize();
    void landscapePagesTurnThePaper();
    void rasterPictureFillsOneSheet();
    void rangeBeyondTheDocumentPrintsNothing();

private:
    std::unique_ptr<QTemporaryDir> mDir;
    QString mOutput;
};

void tst_PrintPages::init()
{
    mDir = std::make_unique<QTemporaryDir>();
    QVERIFY(mDir->isValid());
    mOutput = mDir->filePath(QStringLiteral("printed.pdf"));
}

void tst_PrintPages::printsTheChosenPagesInOrder_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("lastFirst");
    QTest::addColumn<int>("copies");
    QTest::addColumn<bool>("collate");
    QTest::addColumn<QList<int>>("sheets");

    QTest::newRow("all") << 0 << 0 << false << 1 << true << QList<int>{0, 1, 2};
    QTest::newRow("pages 2 to 3") << 2 << 3 << false << 1 << true << QList<int>{1, 2};
    QTest::newRow("range past the end") << 2 << 9 << false << 1 << true << QList<int>{1, 2};
    QTest::newRow("one page") << 3 << 3 << false << 1 << true << QList<int>{2};
    QTest::newRow("last page first") << 0 << 0 << true << 1 << true << QList<int>{2, 1, 0};
    // A PDF file cannot hold copies itself: they are printed one after another.
    QTest::newRow("two copies, collated") << 1 << 2 << false << 2 << true << QList<int>{0, 1, 0, 1};
    QTest::newRow("two copies, not collated") << 1 << 2 << false << 2 << false << QList<int>{0, 0, 1, 1};
}

void tst_PrintPages::printsTheChosenPagesInOrder()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, lastFirst);
    QFETCH(int, copies);
    QFETCH(bool, collate);
    QFETCH(QList<int>, sheets);

    const PagePicture picture = PagePicture::fromPdf(threePages(), QMarginsF(30, 30, 30, 30));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(mOutput);
    printer.setResolution(kDotsPerInch);
    if (from > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(from, to);
    }
    printer.setPageOrder(lastFirst ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
    printer.setCopyCount(copies);
    printer.setCollateCopies(collate);
    QVERIFY(!printer.supportsMultipleCopies());
    MatchPrinterToPages(picture, printer);
    int bands = 0;
    PrintPages(picture, printer, [&] { ++bands; });

    Printed printed(mOutput);
    QCOMPARE(printed.pdf.status(), QPdfDocument::Status::Ready);
    QList<int> shown;
    for (int sheet = 0; sheet < printed.pdf.pageCount(); ++sheet) {
        const QImage image = render(printed.pdf, sheet, 50);
        shown.append(pageShown(image));
        // The whole page is printed: the line of text in its bottom margin too, which the picture on
        // the screen leaves out.
        QVERIFY(inkIn(image, QRect(0, image.height() * 93 / 100, image.width(), image.height() * 4 / 100)));
    }
    QCOMPARE(shown, sheets);
    QVERIFY(bands >= sheets.size());
}

void tst_PrintPages::pagesArePrintedSharpAtTheirOwnSize()
{
    const QByteArray document = threePages();
    const PagePicture picture = PagePicture::fromPdf(document, QMarginsF());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(mOutput);
    printer.setResolution(kDotsPerInch);
    MatchPrinterToPages(picture, printer);
    PrintPages(picture, printer);

    Printed printed(mOutput);
    QBuffer buffer;
    buffer.setData(document);
    buffer.open(QIODevice::ReadOnly);
    QPdfDocument original;
    original.load(&buffer);
    QCOMPARE(printed.pdf.pageCount(), kPages);
    for (int page = 0; page < kPages; ++page) {
        const QSizeF size = printed.pdf.pagePointSize(page);
        const QSizeF expected = original.pagePointSize(page);
        QVERIFY2(std::abs(size.width() - expected.width()) < 1 && std::abs(size.height() - expected.height()) < 1,
                 qPrintable(QStringLiteral("%1 x %2").arg(size.width()).arg(size.height())));
        // Rendered at the printer's resolution, a sheet's text is about as sharp as the page's at that
        // resolution (the sheet's picture is compressed); a page rendered at less and enlarged has edges
        // twice as soft or more.
        const QImage sheet = render(printed.pdf, page, kDotsPerInch);
        const QImage wanted = render(original, page, kDotsPerInch);
        const QRect text(0, sheet.height() * 9 / 10, sheet.width(), sheet.height() / 10);
        const double printedSoftness = softness(sheet.copy(text));
        const double expectedSoftness = softness(wanted.copy(text));
        QVERIFY2(printedSoftness < expectedSoftness * 1.6,
                 qPrintable(QStringLiteral("%1 against %2").arg(printedSoftness).arg(expectedSoftness)));
    }
}

void tst_PrintPages::landscapePagesTurnThePaper()
{
    const PagePicture picture = PagePicture::fromPdf(threePages(QPageLayout::Landscape), QMarginsF());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(mOutput);
    printer.setResolution(kDotsPerInch);
    MatchPrinterToPages(picture, printer);
    QCOMPARE(printer.pageLayout().orientation(), QPageLayout::Landscape);
    PrintPages(picture, printer);

    Printed printed(mOutput);
    QCOMPARE(printed.pdf.pageCount(), kPages);
    const QSizeF size = printed.pdf.pagePointSize(0);
    QVERIFY(size.width() > size.height());
}

void tst_PrintPages::rasterPictureFillsOneSheet()
{
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(mOutput);
    printer.setResolution(kDotsPerInch);
    PrintPages(PagePicture::fromImage(image), printer);

    Printed printed(mOutput);
    QCOMPARE(printed.pdf.pageCount(), 1);
    // At its own size: 300 pixels at 96 dots per inch, about 3.1 inches from the sheet's corner.
    const QImage sheet = render(printed.pdf, 0, 96);
    QVERIFY(qGray(sheet.pixel(150, 100)) < 64);
    QVERIFY(qGray(sheet.pixel(320, 100)) > 192);
}

void tst_PrintPages::rangeBeyondTheDocumentPrintsNothing()
{
    const PagePicture picture = PagePicture::fromPdf(threePages(), QMarginsF());
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(mOutput);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(4, 5);
    QVERIFY_THROWS_EXCEPTION(Failure, PrintPages(picture, printer));
    QVERIFY(!QFile::exists(mOutput));
    QVERIFY_THROWS_EXCEPTION(Failure, PrintPages(PagePicture(), printer));
    QVERIFY(!QFile::exists(mOutput));
}

PARVOLINE_TEST_MAIN(tst_PrintPages)
#include "tst_printpages.moc"
