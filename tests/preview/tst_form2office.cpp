#include "TestData.h"
#include "TestMain.h"
// The preview's saves in other formats and its printing, against the real office: the document of a
// real generation run, its page picture, and the files read back by another office or by QtPdf.

#include "DocumentGeneration.h"
#include "DocumentInspector.h"
#include "Form2.h"
#include "GuardedProcedure.h"
#include "Locations.h"
#include "PageSnapshot.h"
#include "ProgramFiles.h"
#include "ReceiptList.h"
#include "ReceiptTemplate.h"
#include "RunTempFolder.h"
#include "ScriptedDialogs.h"
#include "SmallFileSystem.h"
#include "TestOffice.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPdfDocument>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int kReceipts = 7;

QString receiptNumber(int n)
{
    return QStringLiteral("No. 2024-%1").arg(n, 4, 10, QLatin1Char('0'));
}

} // namespace

class tst_Form2Office final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void savesInTheChosenFormat_data();
    void savesInTheChosenFormat();
    void failedWriteKeepsTheOldFile();
    void printsToAPdfFile_data();
    void printsToAPdfFile();
    void cancelledPrintPrintsNothing();
    void failedPrintIsReported();

private:
    void clickSave()
    {
        QTest::mouseClick(mForm->findChild<QPushButton *>(QStringLiteral("PushButton6")), Qt::LeftButton);
    }
    void pressCtrlP() { QTest::keyClick(mForm.get(), Qt::Key_P, Qt::ControlModifier); }
    QStringList outFiles() const { return QDir(mOut->path()).entryList(QDir::Files | QDir::Hidden); }

    RunTempFolder mTemp;
    std::unique_ptr<QTemporaryDir> mOut;
    TestOffice mOffice;
    ScriptedDialogs mDialogs;
    std::unique_ptr<Form2> mForm;
    QString mDocument;
    QStringList mPages;
};

void tst_Form2Office::initTestCase()
{
    QVERIFY(mTemp.isValid());
    QVERIFY(mOffice.install());

    // The document and page of a run of several pages, as the hand-over gives them to the preview.
    ReceiptList receipts;
    for (int n = 1; n <= kReceipts; ++n) {
        ReceiptRecord record;
        record[ReceiptRecord::Receipt] = QStringLiteral("Harbor Lights Bakery");
        record[ReceiptRecord::No] = receiptNumber(n);
        record[ReceiptRecord::Description] = QStringLiteral("Wedding cake & <candles>");
        record[ReceiptRecord::Amount] = QString::number(100 + n);
        record[ReceiptRecord::Tax] = QStringLiteral("8.25");
        receipts.append(record);
    }
    GuardedProcedure procedure(Location::Form1_PushButton6_Click);
    DocumentGeneration generation(receipts, procedure);
    generation.setTemplateSource(&ReceiptTemplateBytes);
    mDocument = generation.run();
    QVERIFY(!mDocument.isEmpty());
    QCOMPARE(SaveDocAsJPG(mDocument), SnapshotResult::Written);
    const QString picturePath = TempFile(QLatin1String(kPagePictureFileName));
    const PagePicture picture = PagePicture::fromFile(picturePath);
    QVERIFY(QFile::remove(picturePath));
    QCOMPARE(mDialogs.errorReports().size(), 0);
    mPages = PdfPageTexts(picture.bytes());
    QVERIFY2(mPages.size() >= 2, qPrintable(QString::number(mPages.size())));

    mForm = std::make_unique<Form2>();
    mForm->setPagePicture(picture);
    mForm->setWordFile(mDocument);
    mForm->show();
    mForm->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(mForm.get()));
}

void tst_Form2Office::cleanupTestCase()
{
    mForm.reset();
    DocumentInspector::shutdownReader();
    mOffice.shutdown();
}

void tst_Form2Office::init()
{
    mDialogs.clear();
    mOut = std::make_unique<QTemporaryDir>();
    QVERIFY(mOut->isValid());
}

void tst_Form2Office::savesInTheChosenFormat_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("saved");

    QTest::newRow("docx") << "receipts"
                          << "Word 2007-365 (*.docx)"
                          << "receipts.docx";
    QTest::newRow("odt") << "receipts"
                         << "OpenDocument Text (*.odt)"
                         << "receipts.odt";
    QTest::newRow("pdf") << "receipts"
                         << "PDF (*.pdf)"
                         << "receipts.pdf";
    QTest::newRow("pdf typed, Word chosen") << "receipts.pdf"
                                            << "Word Files (*.doc)"
                                            << "receipts.pdf";
}

void tst_Form2Office::savesInTheChosenFormat()
{
    QFETCH(QString, typed);
    QFETCH(QString, type);
    QFETCH(QString, saved);

    const QString path = mOut->filePath(saved);
    mDialogs.queueSavePath(mOut->filePath(typed), type);
    clickSave();

    QCOMPARE(mDialogs.texts(), QStringList{QStringLiteral("Done.")});
    QCOMPARE(outFiles(), QStringList{saved});
    if (saved.endsWith(QLatin1String(".pdf"))) {
        // The document's own pages, text and all.
        QCOMPARE(PdfPageTexts(ReadWholeFile(path)), mPages);
    } else {
        const DocumentInspector inspect = DocumentInspector::ofFile(path);
        QCOMPARE(inspect.tableCount(), kReceipts);
        for (int n = 1; n <= kReceipts; ++n) {
            QCOMPARE(inspect.cell(n, QStringLiteral("B1")), receiptNumber(n));
            QCOMPARE(inspect.cell(n, QStringLiteral("B4")), QStringLiteral("Wedding cake & <candles>"));
            QCOMPARE(inspect.alignment(n), QStringLiteral("center"));
        }
    }
    // The generated document is still there for further saves.
    QVERIFY(ReadWholeFile(mDocument).startsWith(QByteArray::fromHex("d0cf11e0")));
}

void tst_Form2Office::failedWriteKeepsTheOldFile()
{
    SmallFileSystem disk;
    if (!disk.mount(64 * 1024))
        QSKIP("No small file system can be mounted here");
    const QString path = disk.filePath(QStringLiteral("receipts.pdf"));
    WriteWholeFile(path, QByteArray(8 * 1024, 'o'));
    // Less room left than the document's PDF needs.
    WriteWholeFile(disk.filePath(QStringLiteral("other files")), QByteArray(48 * 1024, 'f'));
    QVERIFY(ReadWholeFile(mForm->wordFile()).size() > 0);
    mDialogs.queueSavePath(path);
    mDialogs.queueAnswer(UserDialogs::Answer::Yes);

    clickSave();

    const auto reports = mDialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(
        reports.first().text.contains(QLatin1String(Location::Form2_PushButton6_Click) + QStringLiteral("at line 130")),
        qPrintable(reports.first().text));
    QVERIFY(!mDialogs.texts().contains(QStringLiteral("Done.")));
    QCOMPARE(ReadWholeFile(path), QByteArray(8 * 1024, 'o'));
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("other files"), QStringLiteral("receipts.pdf")}));
}

void tst_Form2Office::printsToAPdfFile_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("every page") << 0 << 0;
    QTest::newRow("the second page") << 2 << 2;
    QTest::newRow("from the second page past the end") << 2 << 99;
}

void tst_Form2Office::printsToAPdfFile()
{
    QFETCH(int, from);
    QFETCH(int, to);

    const QString path = mOut->filePath(QStringLiteral("printed.pdf"));
    mDialogs.queuePrintToFile(path, from, to);
    pressCtrlP();

    QCOMPARE(mDialogs.errorReports().size(), 0);
    QCOMPARE(mDialogs.printRequests.size(), 1);
    QCOMPARE(mDialogs.printRequests.first().pageCount, int(mPages.size()));
    const QStringList expected = from == 0 ? mPages : mPages.mid(from - 1, qMin<int>(to, mPages.size()) - from + 1);
    QCOMPARE(PdfPageTexts(ReadWholeFile(path)), expected);
    QCOMPARE(outFiles(), QStringList{QStringLiteral("printed.pdf")});
    QVERIFY(!mForm->isBusy());
}

void tst_Form2Office::cancelledPrintPrintsNothing()
{
    pressCtrlP();
    QCOMPARE(mDialogs.printRequests.size(), 1);
    QCOMPARE(mDialogs.messages.size(), 0);
    QCOMPARE(outFiles(), QStringList());
}

void tst_Form2Office::failedPrintIsReported()
{
    mDialogs.queuePrintToFile(mOut->filePath(QStringLiteral("no such folder/printed.pdf")));
    pressCtrlP();

    const auto reports = mDialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY(
        reports.first().text.contains(QLatin1String(Location::Form2_PrintDocument) + QStringLiteral("at line 106")));
    QCOMPARE(QDir(mOut->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QVERIFY(!mForm->isBusy());
    QCOMPARE(mForm->mousePointer().shape(), MousePointer::Shape::Default);
}

PARVOLINE_TEST_MAIN(tst_Form2Office)
#include "tst_form2office.moc"
