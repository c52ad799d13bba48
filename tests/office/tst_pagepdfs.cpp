#include "TestMain.h"
// One-receipt documents joined, laid out once by the real office, and cut into a PDF of each one's own
// pages: each must show what the receipt's own document shows as a PDF, page for page.

#include "DocumentGeneration.h"
#include "GuardedProcedure.h"
#include "Locations.h"
#include "OdfPageBatch.h"
#include "PagePdfs.h"
#include "PrivateOffice.h"
#include "ReceiptList.h"
#include "ReceiptTemplate.h"
#include "RunTempFolder.h"
#include "ScriptedDialogs.h"
#include "TestData.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPdfDocument>
#include <QTest>

namespace {
// What each page of \a pdf looks like, drawn at 50 dots per inch.
QList<QImage> pageImages(const QByteArray &pdf)
{
    QBuffer buffer;
    buffer.setData(pdf);
    buffer.open(QIODevice::ReadOnly);
    QPdfDocument document;
    document.load(&buffer);
    QList<QImage> images;
    for (int page = 0; page < document.pageCount(); ++page)
        images.append(document.render(page, (document.pagePointSize(page) * 50 / 72).toSize()));
    return images;
}
} // namespace

class tst_PagePdfs final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(mOffice.setUp()); }
    void cleanupTestCase() { mOffice.shutdown(); }
    void eachShowsWhatItsOwnDocumentShows_data();
    void eachShowsWhatItsOwnDocumentShows();

private:
    /// The document of \a record alone in \a fileFormat, as its bytes.
    QByteArray ownDocument(const ReceiptRecord &record, int fileFormat);

    PrivateOffice mOffice;
};

QByteArray tst_PagePdfs::ownDocument(const ReceiptRecord &record, int fileFormat)
{
    ReceiptList list;
    list.append(record);
    GuardedProcedure procedure(Location::Form1_PushButton6_Click);
    DocumentGeneration generation(list, procedure);
    generation.setTemplateSource(&ReceiptTemplateBytes);
    generation.setFileFormat(fileFormat);
    const QString path = generation.run();
    const QByteArray bytes = ReadWholeFile(path);
    QFile::remove(path);
    return bytes;
}

void tst_PagePdfs::eachShowsWhatItsOwnDocumentShows_data()
{
    QTest::addColumn<QStringList>("descriptions");
    QTest::addColumn<QList<int>>("pages");
    // "-": a receipt whose every field is empty.
    QTest::newRow("a page each") << QStringList{QStringLiteral("Cake"), QStringLiteral("-"), QStringLiteral("Bread")}
                                 << QList<int>{1, 1, 1};
    QStringList lines;
    for (int line = 1; line <= 90; ++line)
        lines.append(QStringLiteral("Line %1 of a description that goes on and on.").arg(line));
    QTest::newRow("one takes two pages") << QStringList{QStringLiteral("Cake"), lines.join(QLatin1Char(' ')),
                                                        QStringLiteral("-"), QStringLiteral("Bread")}
                                         << QList<int>{1, 2, 1, 1};
}

void tst_PagePdfs::eachShowsWhatItsOwnDocumentShows()
{
    QFETCH(QStringList, descriptions);
    QFETCH(QList<int>, pages);

    RunTempFolder temp;
    QVERIFY(temp.isValid());
    ScriptedDialogs dialogs;
    OdfPageBatch batch;
    QList<QByteArray> own;
    for (int i = 0; i < descriptions.size(); ++i) {
        ReceiptRecord record = ExampleReceipt(i + 1);
        if (descriptions.at(i) == QLatin1String("-")) {
            for (int field = 0; field < ReceiptRecord::kFieldCount; ++field)
                record[field].clear();
        } else {
            record[ReceiptRecord::Description] = descriptions.at(i);
        }
        QString problem;
        QVERIFY2(batch.append(ownDocument(record, wdFormatFlatOpenDocumentText), problem), qPrintable(problem));
        own.append(ownDocument(record, wdFormatPDF));
    }
    QCOMPARE(dialogs.messages.size(), 0);

    QList<QByteArray> made;
    QVERIFY(MakePagePdfs(mOffice.engine(), batch, QStringLiteral("Making PDFs"), [&](int index, const QByteArray &pdf) {
        made.append(index == made.size() ? pdf : QByteArray());
        return true;
    }));
    QCOMPARE(made.size(), own.size());
    for (int i = 0; i < own.size(); ++i) {
        const QStringList texts = PdfPageTexts(own.at(i));
        QCOMPARE(texts.size(), pages.at(i));
        QCOMPARE(PdfPageTexts(made.at(i)), texts);
        const QList<QImage> images = pageImages(own.at(i));
        const QList<QImage> madeImages = pageImages(made.at(i));
        QCOMPARE(images.size(), pages.at(i));
        QVERIFY(!images.constFirst().isNull());
        for (int page = 0; page < images.size(); ++page)
            QVERIFY2(madeImages.value(page) == images.at(page), qPrintable(QStringLiteral("page %1").arg(page + 1)));
    }
}

PARVOLINE_TEST_MAIN(tst_PagePdfs)
#include "tst_pagepdfs.moc"
