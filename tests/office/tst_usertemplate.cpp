#include "DocumentGeneration.h"
#include "DocumentInspector.h"
#include "FlatOdf.h"
#include "GuardedProcedure.h"
#include "Locations.h"
#include "PrivateOffice.h"
#include "ReceiptList.h"
#include "ReceiptTemplate.h"
#include "ScriptedRun.h"
#include "TemplateCheck.h"
#include "TestData.h"
#include "TestMain.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <zlib.h>

namespace {
const QString kHeaderLine = QStringLiteral("Harbour Bakery, 4 Quay Street");
const QString kBefore = QStringLiteral("Receipts of the Harbour Bakery");
const QString kAfter = QStringLiteral("Thank you for your custom.");
const QString kTerms = QStringLiteral("Payable within 30 days");

QByteArray logoPng()
{
    QImage logo(64, 32, QImage::Format_RGB32);
    logo.fill(QColor(200, 40, 40));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    logo.save(&buffer, "PNG");
    return png;
}

QByteArray logoFrame(const char *name)
{
    return QByteArrayLiteral("<draw:frame draw:name=\"") + name
           + QByteArrayLiteral("\" text:anchor-type=\"as-char\" svg:width=\"0.8in\" svg:height=\"0.4in\">"
                               "<draw:image><office:binary-data>")
           + logoPng().toBase64() + QByteArrayLiteral("</office:binary-data></draw:image></draw:frame>");
}

// A template as a user makes one: A4 paper with margins of its own, a header line, a logo above the
// table and one in it, text before and after, and the placeholders in an order of their own.
QByteArray userTemplate(const QByteArray &table, const QByteArray &after = {})
{
    const QByteArray head =
        "<office:automatic-styles><style:page-layout style:name=\"Page\"><style:page-layout-properties"
        " fo:page-width=\"21cm\" fo:page-height=\"29.7cm\" fo:margin-top=\"1.5cm\" fo:margin-bottom=\"1.5cm\""
        " fo:margin-left=\"2cm\" fo:margin-right=\"2cm\"/></style:page-layout></office:automatic-styles>"
        "<office:master-styles><style:master-page style:name=\"Standard\" style:page-layout-name=\"Page\">"
        "<style:header><text:p>"
        + kHeaderLine.toUtf8() + "</text:p></style:header></style:master-page></office:master-styles>";
    const QByteArray body = "<text:p>" + logoFrame("Letterhead") + kBefore.toUtf8() + "</text:p>" + table + "<text:p>"
                            + kAfter.toUtf8() + "</text:p>" + after;
    return FlatOdf::document(body, head);
}

QByteArray row(const QList<QByteArray> &cells)
{
    QByteArray xml = "<table:table-row>";
    for (const QByteArray &cell : cells)
        xml += "<table:table-cell office:value-type=\"string\"><text:p>" + cell + "</text:p></table:table-cell>";
    return xml + "</table:table-row>";
}

QByteArray receiptTable()
{
    return "<table:table table:name=\"Mine\"><table:table-column table:number-columns-repeated=\"2\"/>"
           + row({logoFrame("Stamp") + "[Total]", "[No.] / [Receipt]"})
           + row({"[Date]", "To [ToPayee], [ToAddress], [ToCity]"})
           + row({"[Description]: [Amount] + [Tax] = [SubTotal]", "From [FromPayee], [FromAddress], [FromCity]"})
           + "</table:table>";
}

ReceiptRecord receipt(int n)
{
    ReceiptRecord r = ExampleReceipt(n);
    r[ReceiptRecord::Amount] = QString::number(100 * n);
    r[ReceiptRecord::Tax] = QStringLiteral("0.5");
    return r;
}

// The entry \a name of a zip package, inflated; empty when it is not there. Sizes come from the central
// directory: the office writes them after the data, not before it.
QByteArray zipEntry(const QByteArray &zip, const char *name)
{
    const auto u16 = [&](qsizetype at) {
        return quint16(uchar(zip[at]) | uchar(zip[at + 1]) << 8);
    };
    const auto u32 = [&](qsizetype at) {
        return quint32(u16(at) | quint32(u16(at + 2)) << 16);
    };
    for (qsizetype at = zip.indexOf("PK\x01\x02"); at >= 0 && at + 46 <= zip.size();
         at = zip.indexOf("PK\x01\x02", at + 4)) {
        if (zip.mid(at + 46, u16(at + 28)) != name)
            continue;
        const quint16 method = u16(at + 10);
        const quint32 size = u32(at + 20);
        const quint32 unpacked = u32(at + 24);
        const qsizetype local = u32(at + 42);
        const QByteArray data = zip.mid(local + 30 + u16(local + 26) + u16(local + 28), size);
        if (method == 0)
            return data;
        QByteArray out(qsizetype(unpacked), '\0');
        z_stream stream{};
        inflateInit2(&stream, -MAX_WBITS);
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
        stream.avail_in = uInt(data.size());
        stream.next_out = reinterpret_cast<Bytef *>(out.data());
        stream.avail_out = uInt(out.size());
        const int result = inflate(&stream, Z_FINISH);
        inflateEnd(&stream);
        return result == Z_STREAM_END ? out : QByteArray();
    }
    return {};
}

double pageWidthInches(const QByteArray &flatXml)
{
    static const QRegularExpression width(QStringLiteral("fo:page-width=\"([0-9.]+)(in|cm)\""));
    const QRegularExpressionMatch match = width.match(QString::fromUtf8(flatXml));
    if (!match.hasMatch())
        return 0;
    return match.captured(1).toDouble() / (match.captured(2) == QLatin1String("cm") ? 2.54 : 1.0);
}
} // namespace

// Templates of the user's own against the real office: what is kept, what is filled, what is refused.
class TestUserTemplate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void keepsTheTemplateAndFillsEveryReceipt_data();
    void keepsTheTemplateAndFillsEveryReceipt();
    void badTemplateIsRefused_data();
    void badTemplateIsRefused();
    void wordFileCountsNothingItInherited();

private:
    QString generate(const QByteArray &templateBytes, int fileFormat = wdFormatDocument);

    PrivateOffice mOffice;
    QTemporaryDir mUser;
    std::unique_ptr<ScriptedRun> mRun;
    ReceiptList mList;
};

void TestUserTemplate::initTestCase()
{
    QVERIFY(mOffice.setUp());
    QVERIFY(mUser.isValid());
}

void TestUserTemplate::cleanupTestCase()
{
    mOffice.shutdown();
    DocumentInspector::shutdownReader();
}

void TestUserTemplate::init()
{
    mRun = std::make_unique<ScriptedRun>();
    QVERIFY(mRun->isValid());
    mList.clear();
}

void TestUserTemplate::cleanup()
{
    mRun.reset();
}

QString TestUserTemplate::generate(const QByteArray &templateBytes, int fileFormat)
{
    GuardedProcedure proc(Location::Form1_PushButton6_Click);
    DocumentGeneration generation(mList, proc);
    generation.setTemplateSource([templateBytes] { return templateBytes; });
    generation.setFileFormat(fileFormat);
    return generation.run();
}

void TestUserTemplate::keepsTheTemplateAndFillsEveryReceipt_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("filter");
    QTest::newRow("Word 2007") << "mine.docx"
                               << "MS Word 2007 XML";
    QTest::newRow("OpenDocument") << "mine.odt"
                                  << "writer8";
}

void TestUserTemplate::keepsTheTemplateAndFillsEveryReceipt()
{
    QFETCH(QString, name);
    QFETCH(QString, filter);
    const QString path = mUser.filePath(name);
    // A table of terms after the receipt is the user's, and is no receipt.
    const QByteArray terms =
        "<table:table table:name=\"Terms\"><table:table-column/>" + row({kTerms.toUtf8()}) + "</table:table>";
    const QByteArray original = DocumentInspector::convert(userTemplate(receiptTable(), terms), filter);
    WriteWholeFile(path, original);

    QByteArray checked;
    const TemplateReview review = TemplateCheck::checkFile(path, checked);
    QVERIFY2(review.usable(), qPrintable(review.refusal));
    QCOMPARE(review.warning(name), QString());
    QCOMPARE(checked, original);
    QCOMPARE(FolderEntries(mRun->temp.path()), QStringList());

    constexpr int kCount = 3;
    for (int n = 1; n <= kCount; ++n)
        mList.append(receipt(n));
    const QString document = generate(checked);
    QVERIFY(!document.isEmpty());
    QCOMPARE(mRun->dialogs.messages.size(), 0);
    // The user's file is only read.
    QCOMPARE(ReadWholeFile(path), original);

    const DocumentInspector doc = DocumentInspector::ofFile(document);
    QCOMPARE(doc.tableCount(), kCount + 1);
    QCOMPARE(doc.cells(2), QStringList{QStringLiteral("A1=") + kTerms});
    const QStringList outline = doc.outline();
    QVERIFY2(outline.first().contains(kBefore), qPrintable(outline.join(u'|')));
    QVERIFY(outline.contains(kAfter));
    for (int n = 1; n <= kCount; ++n) {
        const ReceiptRecord r = receipt(n);
        // The copies follow everything the template holds.
        const int table = n == 1 ? 1 : n + 1;
        QCOMPARE(doc.cell(table, QStringLiteral("A1")).trimmed(), QString::number(100 * n + 0.5));
        QCOMPARE(doc.cell(table, QStringLiteral("B1")),
                 r[ReceiptRecord::No] + QStringLiteral(" / ") + r[ReceiptRecord::Receipt]);
        QCOMPARE(doc.cell(table, QStringLiteral("A3")),
                 QStringLiteral("%1: %2 + 0.5 = %2").arg(r[ReceiptRecord::Description], r[ReceiptRecord::Amount]));
        QVERIFY(doc.cell(table, QStringLiteral("B2")).startsWith(QStringLiteral("To ") + r[ReceiptRecord::ToPayee]));
    }
    const QByteArray xml = doc.flatXml();
    QVERIFY(xml.contains(kHeaderLine.toUtf8()));
    QVERIFY2(qAbs(pageWidthInches(xml) - 21 / 2.54) < 0.02, xml.left(4000).constData());
    // The logo above the table, and the one in each receipt's copy of the table.
    QCOMPARE(xml.count("<draw:image"), 1 + kCount);

    // The PDF of the saved document: its pages are A4, with the header, the logos and every receipt.
    const QString pdfPath = mUser.filePath(QStringLiteral("mine.pdf"));
    {
        const std::unique_ptr<WordApplication> word = CreateWordApplication();
        word->Documents()->Open(document)->ExportAsFixedFormat(pdfPath, wdExportFormatPDF, wdExportAllDocument, 0, 0);
        word->Quit();
    }
    const QByteArray pdf = ReadWholeFile(pdfPath);
    QVERIFY(QRegularExpression(QStringLiteral("MediaBox\\s*\\[\\s*0 0 595\\.[0-9]+ 841\\.[0-9]+"))
                .match(QString::fromLatin1(pdf))
                .hasMatch());
    QVERIFY(pdf.contains("/Subtype/Image"));
    const QString text = PdfPageTexts(pdf).join(u'\n');
    QVERIFY(text.contains(kHeaderLine));
    for (int n = 1; n <= kCount; ++n)
        QVERIFY2(text.contains(receipt(n)[ReceiptRecord::Receipt]), qPrintable(text));
    QFile::remove(pdfPath);
    QFile::remove(document);
}

void TestUserTemplate::badTemplateIsRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("reason");
    const QString filter = QStringLiteral("MS Word 2007 XML");
    QTest::newRow("misspelt placeholder only")
        << DocumentInspector::convert(
               userTemplate("<table:table table:name=\"T\"><table:table-column/>" + row({"[Totl]"}) + "</table:table>"),
               filter)
        << "its first table holds none of the placeholders, such as [Description] or [Amount] (it holds [Totl] "
           "(for [Total]), misspelt).";
    QTest::newRow("no table") << DocumentInspector::convert(userTemplate("<text:p>[Amount]</text:p>"), filter)
                              << "it has no table to hold the receipt.";
    QTest::newRow("not a document") << QByteArray("[Receipt]\t[Amount]\n")
                                    << "it is not a Word or OpenDocument text document.";
    QTest::newRow("a spreadsheet") << DocumentInspector::convert(FlatOdf::document("<text:p>x</text:p>"),
                                                                 QStringLiteral("writer8"))
                                          .replace("application/vnd.oasis.opendocument.text",
                                                   "application/vnd.oasis.opendocument.spreadsheet")
                                   << "it is not a Word or OpenDocument text document.";
}

void TestUserTemplate::badTemplateIsRefused()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, reason);
    const QString path = mUser.filePath(QStringLiteral("bad.docx"));
    WriteWholeFile(path, file);

    QByteArray checked;
    const TemplateReview review = TemplateCheck::checkFile(path, checked);

    QCOMPARE(review.refusal, QStringLiteral("The template %1 cannot be used: %2").arg(path, reason));
    QVERIFY(checked.isEmpty());
    QCOMPARE(FolderEntries(mRun->temp.path()), QStringList());
    QCOMPARE(ReadWholeFile(path), file);
}

void TestUserTemplate::wordFileCountsNothingItInherited()
{
    // The built-in template says of itself: one page, 34 words.
    for (int n = 1; n <= 3; ++n)
        mList.append(receipt(n));
    const QString document = generate(ReceiptTemplateBytes(), wdFormatXMLDocument);
    QVERIFY(!document.isEmpty());
    const QByteArray app = zipEntry(ReadWholeFile(document), "docProps/app.xml");
    QVERIFY2(app.contains("<Application>"), app.constData());
    static const QRegularExpression pages(QStringLiteral("<Pages>1</Pages>"));
    static const QRegularExpression words(QStringLiteral("<Words>34</Words>"));
    QVERIFY2(!pages.match(QString::fromUtf8(app)).hasMatch(), app.constData());
    QVERIFY2(!words.match(QString::fromUtf8(app)).hasMatch(), app.constData());
    QFile::remove(document);
}

PARVOLINE_TEST_MAIN(TestUserTemplate)
#include "tst_usertemplate.moc"
