// The LibreOffice backend's document operations against the real office: everything generation
// and the page snapshot do, on the receipt template the program carries. One warm office serves
// the whole run, on a private profile.

#include "DocumentInspector.h"
#include "PackageFile.h"
#include "PdfFile.h"
#include "PrivateOffice.h"
#include "SmallFileSystem.h"
#include "TestData.h"
#include "TestMain.h"
#include "Word97File.h"
#include "WordAutomation.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPdfDocument>
#include <QTest>

#include <memory>

namespace {
// The fill order generation uses.
const QStringList kPlaceholders{
    QStringLiteral("[RECEIPT]"),     QStringLiteral("[NO.]"),      QStringLiteral("[FromPayee]"),
    QStringLiteral("[FromAddress]"), QStringLiteral("[FromCity]"), QStringLiteral("[ToPayee]"),
    QStringLiteral("[ToAddress]"),   QStringLiteral("[ToCity]"),   QStringLiteral("[Date]"),
    QStringLiteral("[Description]"), QStringLiteral("[Amount]"),   QStringLiteral("[Tax]"),
    QStringLiteral("[SubTotal]"),    QStringLiteral("[Total]"),
};

// The template's table, cell by cell, with each placeholder standing for \a fill(placeholder).
QStringList templateCells(const std::function<QString(const QString &)> &fill)
{
    const auto f = [&](const char *placeholder) {
        return fill(QString::fromLatin1(placeholder));
    };
    return {
        QStringLiteral("A1=") + f("[Receipt]"),
        QStringLiteral("B1=") + f("[No.]"),
        QStringLiteral("A2=Payee Name: %1\nAddress: %2\nCity, ST  ZIP Code: %3")
            .arg(f("[FromPayee]"), f("[FromAddress]"), f("[FromCity]")),
        QStringLiteral("B2=Payer Name: %1\nAddress: %2\nCity, ST  ZIP Code: %3")
            .arg(f("[ToPayee]"), f("[ToAddress]"), f("[ToCity]")),
        QStringLiteral("A3=Date"),
        QStringLiteral("B3=Description"),
        QStringLiteral("C3=Amount"),
        QStringLiteral("A4=") + f("[Date]"),
        QStringLiteral("B4=") + f("[Description]"),
        QStringLiteral("C4=") + f("[Amount]"),
        QStringLiteral("A5="),
        QStringLiteral("B5=Subtotal"),
        QStringLiteral("C5=") + f("[SubTotal]"),
        QStringLiteral("A6="),
        QStringLiteral("B6=Tax"),
        QStringLiteral("C6=") + f("[Tax]"),
        QStringLiteral("A7="),
        QStringLiteral("B7=Total"),
        QStringLiteral("C7=") + f("[Total]"),
    };
}

QStringList pristineCells()
{
    return templateCells([](const QString &placeholder) { return placeholder; });
}

QByteArray fileHash(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What the checks of the save say of \a bytes as a file of \a format.
QString outputProblem(int format, const QByteArray &bytes)
{
    switch (format) {
    case wdFormatDocument:
        return Word97File::problem(bytes);
    case wdFormatXMLDocument:
        return PackageFile::problem(bytes, {QStringLiteral("word/document.xml")});
    case wdFormatOpenDocumentText:
        return PackageFile::problem(bytes, {QStringLiteral("content.xml")});
    default:
        return PdfFile::problem(bytes);
    }
}

int darkPixels(const QImage &image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 128)
                ++count;
        }
    }
    return count;
}
} // namespace

class TestLibreOfficeDocument : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();

    void templateOpensAsUntitledCopy();
    void templateLooksAsDesigned();
    void pastedCopiesFollowInOrder();
    void fillIsLiteralAndStaysInItsTable_data();
    void fillIsLiteralAndStaysInItsTable();
    void fillFindsPlaceholdersInAnyCase();
    void rowsCentre();
    void savedDocumentReopensWithItsContent();
    void saveReplacesAnExistingFileWhole();
    void saveIntoMissingFolderFailsAndWritesNothing();
    void saveOnAFullDiskKeepsTheOldFile_data();
    void saveOnAFullDiskKeepsTheOldFile();
    void savesInEveryFormat_data();
    void savesInEveryFormat();
    void unknownFormatWritesNothing();
    void exportsTheChosenPages();
    void pictureOfOneReceiptIsAboutItsTable();
    void pictureGrowsWithTheReceipts();
    void reopenedSavedDocumentIsWhatWasSaved();
    void pasteWithoutACopyFails();
    void closedDocumentRefusesWork();
    void quitClosesOnlyThatInstancesDocuments();
    void openingAMissingFileFails();

private:
    struct Opened
    {
        std::unique_ptr<WordApplication> word;
        std::shared_ptr<WordDocument> document;
    };
    Opened openTemplate();
    static void copyFirstTable(WordDocument &document);
    static void appendCopy(WordDocument &document);

    PrivateOffice mOffice;
};

void TestLibreOfficeDocument::initTestCase()
{
    QVERIFY(mOffice.setUp());
}

void TestLibreOfficeDocument::cleanupTestCase()
{
    mOffice.shutdown();
}

void TestLibreOfficeDocument::cleanup()
{
    ProgramClipboard::current().clear();
}

TestLibreOfficeDocument::Opened TestLibreOfficeDocument::openTemplate()
{
    Opened opened;
    opened.word = CreateWordApplication();
    opened.document = opened.word->Documents()->Open(mOffice.templatePath(), true);
    return opened;
}

void TestLibreOfficeDocument::copyFirstTable(WordDocument &document)
{
    document.Tables()->Item(1)->Select();
    document.ActiveWindow()->Selection()->Copy();
}

void TestLibreOfficeDocument::appendCopy(WordDocument &document)
{
    const auto selection = document.ActiveWindow()->Selection();
    selection->EndKey(wdStory);
    selection->TypeParagraph();
    selection->TypeParagraph();
    selection->Paste();
}

void TestLibreOfficeDocument::templateOpensAsUntitledCopy()
{
    const QByteArray before = fileHash(mOffice.templatePath());
    Opened opened = openTemplate();
    DocumentInspector inspect(*opened.document);
    QVERIFY(!inspect.hasLocation());
    QCOMPARE(opened.document->Tables()->Count(), 1);
    QCOMPARE(inspect.outline(), (QStringList{QString(), QString(), QStringLiteral("<table>"), QString()}));
    QCOMPARE(inspect.cells(1), pristineCells());
    QCOMPARE(inspect.cellsPerRow(1), (QList<int>{2, 2, 3, 3, 3, 3, 3}));

    opened.document->Tables()->Item(1)->FillPlaceholder(QStringLiteral("[Total]"), QStringLiteral("9"));
    opened.document->Close();
    opened.word->Quit();
    QCOMPARE(fileHash(mOffice.templatePath()), before);
}

void TestLibreOfficeDocument::templateLooksAsDesigned()
{
    Opened opened = openTemplate();
    DocumentInspector inspect(*opened.document);
    for (const char *style : {"Date", "Right Aligned", "Amount"})
        QVERIFY2(inspect.hasParagraphStyle(QString::fromLatin1(style)), style);
    // A receipt never breaks across pages: no row may, and each row keeps with the next.
    QVERIFY(!inspect.rowsMaySplit(1));
    for (const char *cell : {"A1", "B2", "C3", "C4", "B6"})
        QVERIFY2(inspect.keepsWithNext(1, QString::fromLatin1(cell)), cell);
    // Narrower than the preview's 9330 twips, with room to spare.
    QVERIFY2(inspect.widthTwips(1) <= 9000, qPrintable(QString::number(inspect.widthTwips(1))));
    QVERIFY(inspect.widthTwips(1) >= 7200);
    opened.word->Quit();
}

void TestLibreOfficeDocument::pastedCopiesFollowInOrder()
{
    Opened opened = openTemplate();
    WordDocument &document = *opened.document;
    copyFirstTable(document);
    document.Tables()->Item(1)->FillPlaceholder(QStringLiteral("[No.]"), QStringLiteral("first"));
    appendCopy(document);
    document.Tables()->Item(2)->FillPlaceholder(QStringLiteral("[No.]"), QStringLiteral("second"));
    appendCopy(document);
    document.Tables()->Item(3)->FillPlaceholder(QStringLiteral("[No.]"), QStringLiteral("third"));

    QCOMPARE(document.Tables()->Count(), 3);
    DocumentInspector inspect(document);
    const QString table = QStringLiteral("<table>");
    // Two empty paragraphs between neighbours.
    QCOMPARE(inspect.outline(), (QStringList{QString(), QString(), table, QString(), QString(), table, QString(),
                                             QString(), table, QString()}));
    QCOMPARE(inspect.cell(1, QStringLiteral("B1")), QStringLiteral("first"));
    QCOMPARE(inspect.cell(2, QStringLiteral("B1")), QStringLiteral("second"));
    QCOMPARE(inspect.cell(3, QStringLiteral("B1")), QStringLiteral("third"));
    // Each copy is the whole table, not its first cell.
    QStringList expected = pristineCells();
    expected[1] = QStringLiteral("B1=third");
    QCOMPARE(inspect.cells(3), expected);
    opened.word->Quit();
}

void TestLibreOfficeDocument::fillIsLiteralAndStaysInItsTable_data()
{
    // The value goes into every placeholder, or (for a long one) into the description only, as a
    // long description is what a user types; the others then get short values of their own.
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("everywhere");
    QTest::newRow("plain") << QStringLiteral("Acme Supplies Inc.") << true;
    QTest::newRow("a later placeholder") << QStringLiteral("[Total]") << true;
    QTest::newRow("an earlier placeholder") << QStringLiteral("[RECEIPT]") << true;
    QTest::newRow("the next placeholder of the same cell") << QStringLiteral("[FromAddress] [fromcity]") << true;
    QTest::newRow("ampersand") << QStringLiteral("Smith & Sons &") << true;
    QTest::newRow("group reference") << QStringLiteral("$1 $0 \\1") << true;
    QTest::newRow("escaped line feed") << QStringLiteral("a\\nb\\t") << true;
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("non-Latin") << QStringLiteral("Zürich – 東京 – القاهرة – Ελλάδα – 😀 e\u0301") << true;
    QTest::newRow("5,000 characters") << QStringLiteral("Lorem ipsum [Total] dolor & $1 ").repeated(170).left(5000)
                                      << false;
}

void TestLibreOfficeDocument::fillIsLiteralAndStaysInItsTable()
{
    QFETCH(QString, value);
    QFETCH(bool, everywhere);
    Opened opened = openTemplate();
    WordDocument &document = *opened.document;
    copyFirstTable(document);
    appendCopy(document);

    const auto valueFor = [&](const QString &placeholder) {
        if (everywhere || placeholder.compare(QLatin1String("[Description]"), Qt::CaseInsensitive) == 0)
            return value;
        for (qsizetype i = 0; i < kPlaceholders.size(); ++i) {
            if (kPlaceholders[i].compare(placeholder, Qt::CaseInsensitive) == 0)
                return QStringLiteral("v%1").arg(i + 1);
        }
        return QString();
    };
    const std::shared_ptr<WordTable> first = document.Tables()->Item(1);
    for (const QString &placeholder : kPlaceholders)
        first->FillPlaceholder(placeholder, valueFor(placeholder));

    DocumentInspector inspect(document);
    QCOMPARE(inspect.cells(1), templateCells(valueFor));
    QCOMPARE(inspect.cells(2), pristineCells());
    opened.word->Quit();
}

void TestLibreOfficeDocument::fillFindsPlaceholdersInAnyCase()
{
    Opened opened = openTemplate();
    const std::shared_ptr<WordTable> table = opened.document->Tables()->Item(1);
    table->FillPlaceholder(QStringLiteral("[receipt]"), QStringLiteral("Receipt"));
    table->FillPlaceholder(QStringLiteral("[NO.]"), QStringLiteral("No. 42"));
    table->FillPlaceholder(QStringLiteral("[SUBTOTAL]"), QStringLiteral("100"));
    // Filled already: nothing left to find, nothing changes.
    table->FillPlaceholder(QStringLiteral("[Receipt]"), QStringLiteral("again"));

    DocumentInspector inspect(*opened.document);
    QCOMPARE(inspect.cell(1, QStringLiteral("A1")), QStringLiteral("Receipt"));
    QCOMPARE(inspect.cell(1, QStringLiteral("B1")), QStringLiteral("No. 42"));
    QCOMPARE(inspect.cell(1, QStringLiteral("C5")), QStringLiteral("100"));
    opened.word->Quit();
}

void TestLibreOfficeDocument::rowsCentre()
{
    Opened opened = openTemplate();
    const std::shared_ptr<WordRows> rows = opened.document->Tables()->Item(1)->Rows();
    rows->setAlignment(0);
    QCOMPARE(DocumentInspector(*opened.document).alignment(1), QStringLiteral("left"));
    rows->setAlignment(wdAlignRowCenter);
    rows->setWrapAroundText(false);
    QCOMPARE(DocumentInspector(*opened.document).alignment(1), QStringLiteral("center"));
    QVERIFY_THROWS_EXCEPTION(AutomationError, rows->setAlignment(7));
    opened.word->Quit();
}

void TestLibreOfficeDocument::savedDocumentReopensWithItsContent()
{
    Opened opened = openTemplate();
    WordDocument &document = *opened.document;
    copyFirstTable(document);
    appendCopy(document);
    for (int n = 1; n <= 2; ++n) {
        const std::shared_ptr<WordTable> table = document.Tables()->Item(n);
        for (const QString &placeholder : kPlaceholders)
            table->FillPlaceholder(placeholder, placeholder.toLower() + QString::number(n));
        table->Rows()->setAlignment(wdAlignRowCenter);
    }
    const QString path = mOffice.filePath(QStringLiteral("saved folder/receipts 1.doc"));
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    document.SaveAs(path);
    opened.document->Close();
    opened.word->Quit();

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.read(4).toHex(), QByteArray("d0cf11e0"));
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("receipts 1.doc")});

    Opened reopened;
    reopened.word = CreateWordApplication();
    reopened.document = reopened.word->Documents()->Open(path);
    QCOMPARE(reopened.document->Tables()->Count(), 2);
    reopened.word->Quit();
    // Read back by an office that did not write it.
    const DocumentInspector inspect = DocumentInspector::ofFile(path);
    for (int n = 1; n <= 2; ++n) {
        QCOMPARE(inspect.cells(n),
                 templateCells([&](const QString &placeholder) { return placeholder.toLower() + QString::number(n); }));
        QCOMPARE(inspect.alignment(n), QStringLiteral("center"));
    }
}

void TestLibreOfficeDocument::saveReplacesAnExistingFileWhole()
{
    const QString path = mOffice.filePath(QStringLiteral("replace.doc"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(200000, 'z'));
    old.close();

    Opened opened = openTemplate();
    opened.document->SaveAs(path);
    opened.word->Quit();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes.left(4).toHex(), QByteArray("d0cf11e0"));
    QVERIFY(!bytes.contains(QByteArray(1000, 'z')));
}

void TestLibreOfficeDocument::saveOnAFullDiskKeepsTheOldFile_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("Word 97-2003") << int(wdFormatDocument);
    QTest::newRow("PDF") << int(wdFormatPDF);
}

void TestLibreOfficeDocument::saveOnAFullDiskKeepsTheOldFile()
{
    // The office's output goes to the disk as it comes: the disk fills up part of the way through.
    QFETCH(int, format);
    SmallFileSystem disk;
    if (!disk.mount(64 * 1024))
        QSKIP("No small file system can be mounted here");
    const QString path = disk.filePath(QStringLiteral("receipts.doc"));
    const QByteArray old(4096, 'o');
    WriteWholeFile(path, old);
    WriteWholeFile(disk.filePath(QStringLiteral("other files")), QByteArray(52 * 1024, 'f'));
    const QStringList before = QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    Opened opened = openTemplate();
    copyFirstTable(*opened.document);
    for (int n = 0; n < 20; ++n)
        appendCopy(*opened.document);
    try {
        if (format == wdFormatPDF)
            opened.document->ExportAsFixedFormat(path, wdExportFormatPDF, wdExportAllDocument, 1, 1);
        else
            opened.document->SaveAs2(path, format);
        QFAIL("saving onto a full disk succeeded");
    } catch (const AutomationError &error) {
        QVERIFY2(error.description().contains(QStringLiteral("receipts.doc"))
                     && error.description().contains(QStringLiteral("Disk full")),
                 qPrintable(error.description()));
    }
    opened.word->Quit();
    QCOMPARE(QDir(disk.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    QCOMPARE(ReadWholeFile(path), old);
}

void TestLibreOfficeDocument::saveIntoMissingFolderFailsAndWritesNothing()
{
    Opened opened = openTemplate();
    const QString path = mOffice.filePath(QStringLiteral("no such folder/receipt.doc"));
    try {
        opened.document->SaveAs(path);
        QFAIL("saving into a missing folder succeeded");
    } catch (const AutomationError &error) {
        QVERIFY2(error.description().contains(QStringLiteral("receipt.doc")), qPrintable(error.description()));
    }
    QVERIFY(!QFileInfo::exists(QFileInfo(path).absolutePath()));
    opened.word->Quit();
}

void TestLibreOfficeDocument::savesInEveryFormat_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<QString>("name");
    QTest::newRow("Word 97-2003") << wdFormatDocument << "receipts.doc";
    QTest::newRow("Word 2007-365") << wdFormatXMLDocument << "receipts.docx";
    QTest::newRow("OpenDocument Text") << wdFormatOpenDocumentText << "receipts.odt";
    QTest::newRow("PDF") << wdFormatPDF << "receipts.pdf";
}

void TestLibreOfficeDocument::savesInEveryFormat()
{
    QFETCH(int, format);
    QFETCH(QString, name);

    Opened opened = openTemplate();
    WordDocument &document = *opened.document;
    copyFirstTable(document);
    appendCopy(document);
    const auto value = [](const QString &placeholder, int n) {
        return placeholder.mid(1, placeholder.size() - 2).toLower() + QStringLiteral(" & <%1>").arg(n);
    };
    for (int n = 1; n <= 2; ++n) {
        const std::shared_ptr<WordTable> table = document.Tables()->Item(n);
        for (const QString &placeholder : kPlaceholders)
            table->FillPlaceholder(placeholder, value(placeholder, n));
        table->Rows()->setAlignment(wdAlignRowCenter);
    }
    const QString path = mOffice.filePath(QStringLiteral("formats %1/").arg(format) + name);
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    document.SaveAs2(path, format);
    opened.word->Quit();

    const QByteArray bytes = readAll(path);
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files | QDir::Hidden), QStringList{name});
    QCOMPARE(outputProblem(format, bytes), QString());
    // What an office that ran out of disk hands back is told from a whole file: cut short, or ending
    // in zeros (which a Word 97-2003 file may do by itself, its sectors being padded).
    QVERIFY(!outputProblem(format, bytes.first(bytes.size() / 2)).isEmpty());
    if (format != wdFormatDocument)
        QVERIFY(!outputProblem(format, bytes.first(bytes.size() - 100) + QByteArray(100, '\0')).isEmpty());

    if (format == wdFormatPDF) {
        const QString text = PdfPageTexts(bytes).join(QLatin1Char('\n'));
        for (int n = 1; n <= 2; ++n) {
            for (const QString &placeholder : kPlaceholders)
                QVERIFY2(text.contains(value(placeholder, n)), qPrintable(value(placeholder, n)));
        }
        return;
    }
    // Read back by an office that did not write it.
    const DocumentInspector inspect = DocumentInspector::ofFile(path);
    QCOMPARE(inspect.tableCount(), 2);
    for (int n = 1; n <= 2; ++n) {
        QCOMPARE(inspect.cells(n), templateCells([&](const QString &placeholder) { return value(placeholder, n); }));
        QCOMPARE(inspect.alignment(n), QStringLiteral("center"));
    }
}

void TestLibreOfficeDocument::unknownFormatWritesNothing()
{
    Opened opened = openTemplate();
    const QString path = mOffice.filePath(QStringLiteral("unknown/receipt.rtf"));
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QVERIFY_THROWS_EXCEPTION(AutomationError, opened.document->SaveAs2(path, 6));
    QVERIFY_THROWS_EXCEPTION(AutomationError,
                             opened.document->ExportAsFixedFormat(path, wdExportFormatPDF, wdExportFromTo, 2, 1));
    QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
    opened.word->Quit();
}

void TestLibreOfficeDocument::exportsTheChosenPages()
{
    Opened opened = openTemplate();
    WordDocument &document = *opened.document;
    copyFirstTable(document);
    // Enough receipts for three pages or more.
    for (int n = 2; n <= 7; ++n)
        appendCopy(document);
    for (int n = 1; n <= 7; ++n)
        document.Tables()->Item(n)->FillPlaceholder(QStringLiteral("[No.]"), QStringLiteral("number %1").arg(n));
    const QString whole = mOffice.filePath(QStringLiteral("pages/all.pdf"));
    const QString part = mOffice.filePath(QStringLiteral("pages/two and three.pdf"));
    QVERIFY(QDir().mkpath(QFileInfo(whole).absolutePath()));
    document.ExportAsFixedFormat(whole, wdExportFormatPDF, wdExportAllDocument, 1, 1);
    document.ExportAsFixedFormat(part, wdExportFormatPDF, wdExportFromTo, 2, 3);
    opened.word->Quit();

    const QStringList all = PdfPageTexts(readAll(whole));
    QVERIFY2(all.size() >= 3, qPrintable(QString::number(all.size())));
    QCOMPARE(PdfPageTexts(readAll(part)), all.mid(1, 2));
}

void TestLibreOfficeDocument::pictureOfOneReceiptIsAboutItsTable()
{
    Opened opened = openTemplate();
    const std::shared_ptr<WordTable> table = opened.document->Tables()->Item(1);
    const QStringList values{
        QStringLiteral("Receipt"),
        QStringLiteral("No. 1001"),
        QStringLiteral("Harbor Lights Bakery"),
        QStringLiteral("12 Pier Road"),
        QStringLiteral("Portland, ME 04101"),
        QStringLiteral("Jane Doe"),
        QStringLiteral("88 Elm Street"),
        QStringLiteral("Bangor, ME 04401"),
        QStringLiteral("03/14/2024"),
        QStringLiteral("Wedding cake, three tiers"),
        QStringLiteral("100"),
        QStringLiteral("8.25"),
        QStringLiteral("100"),
        QStringLiteral("108.25"),
    };
    for (qsizetype i = 0; i < kPlaceholders.size(); ++i)
        table->FillPlaceholder(kPlaceholders[i], values[i]);
    const QString path = mOffice.filePath(QStringLiteral("picture.doc"));
    opened.document->SaveAs(path);
    opened.word->Quit();

    // As the snapshot does: a second instance on the saved document.
    std::unique_ptr<WordApplication> word = CreateWordApplication();
    word->Documents()->Open(path);
    word->ActiveDocument()->Range()->CopyAsPicture();
    word->ActiveDocument()->Close(wdDoNotSaveChanges);
    word->Quit();

    const QImage picture = ProgramClipboard::current().picture(0).toImage();
    QVERIFY(!picture.isNull());
    const int tableWidthPixels = DocumentInspector(*openTemplate().document).widthTwips(1) / 15;
    QVERIFY2(picture.width() >= tableWidthPixels && picture.width() <= 600,
             qPrintable(QString::number(picture.width())));
    QVERIFY2(picture.height() >= 150 && picture.height() <= 500, qPrintable(QString::number(picture.height())));
    QVERIFY(darkPixels(picture) > 500);
    // Trimmed below the table: its last row holds the table's bottom border.
    const QImage lastRow = picture.copy(0, picture.height() - 1, picture.width(), 1);
    int marked = 0;
    for (int x = 0; x < lastRow.width(); ++x)
        marked += lastRow.pixel(x, 0) != qRgb(255, 255, 255) ? 1 : 0;
    QVERIFY(marked > lastRow.width() / 2);
}

void TestLibreOfficeDocument::reopenedSavedDocumentIsWhatWasSaved()
{
    // Opening the file saved last takes the content the program still holds, but only while it is
    // what the file holds.
    for (const bool changedAfterSaving : {false, true}) {
        Opened opened = openTemplate();
        opened.document->Tables()->Item(1)->FillPlaceholder(QStringLiteral("[RECEIPT]"), QStringLiteral("Saved"));
        const QString path = mOffice.filePath(QStringLiteral("reopened.doc"));
        opened.document->SaveAs(path);
        if (changedAfterSaving)
            opened.document->Tables()->Item(1)->FillPlaceholder(QStringLiteral("[NO.]"), QStringLiteral("Unsaved"));
        opened.word->Quit();

        std::unique_ptr<WordApplication> word = CreateWordApplication();
        const QString text = word->Documents()->Open(path)->Tables()->Item(1)->Range()->Text();
        word->Quit();
        QVERIFY(text.contains(QStringLiteral("Saved")));
        QVERIFY(!text.contains(QStringLiteral("Unsaved")));
        QVERIFY(text.contains(QStringLiteral("[No.]"), Qt::CaseInsensitive));
    }
}

void TestLibreOfficeDocument::pictureGrowsWithTheReceipts()
{
    int heights[2] = {};
    for (int receipts = 1; receipts <= 2; ++receipts) {
        Opened opened = openTemplate();
        copyFirstTable(*opened.document);
        for (int n = 2; n <= receipts; ++n)
            appendCopy(*opened.document);
        opened.document->Range()->CopyAsPicture();
        heights[receipts - 1] = ProgramClipboard::current().picture(0).size().height();
        opened.word->Quit();
    }
    QVERIFY2(heights[1] > heights[0] * 3 / 2 && heights[1] < heights[0] * 5 / 2,
             qPrintable(QStringLiteral("%1 then %2").arg(heights[0]).arg(heights[1])));
}

void TestLibreOfficeDocument::pasteWithoutACopyFails()
{
    Opened opened = openTemplate();
    ProgramClipboard::current().clear();
    QVERIFY_THROWS_EXCEPTION(AutomationError, opened.document->ActiveWindow()->Selection()->Paste());
    ProgramClipboard::current().setPicture(PagePicture::fromImage(QImage(2, 2, QImage::Format_RGB32)));
    QVERIFY_THROWS_EXCEPTION(AutomationError, opened.document->ActiveWindow()->Selection()->Paste());
    QCOMPARE(opened.document->Tables()->Count(), 1);
    opened.word->Quit();
}

void TestLibreOfficeDocument::closedDocumentRefusesWork()
{
    Opened opened = openTemplate();
    const std::shared_ptr<WordTables> tables = opened.document->Tables();
    QCOMPARE(opened.word->ActiveDocument(), opened.document);
    opened.document->Close();
    QVERIFY_THROWS_EXCEPTION(AutomationError, tables->Count());
    QVERIFY_THROWS_EXCEPTION(AutomationError, opened.document->Tables());
    QVERIFY_THROWS_EXCEPTION(AutomationError, opened.document->Close());
    QVERIFY_THROWS_EXCEPTION(AutomationError, opened.word->ActiveDocument());
    opened.word->Quit();
    QVERIFY_THROWS_EXCEPTION(AutomationError, opened.word->Documents());
}

void TestLibreOfficeDocument::quitClosesOnlyThatInstancesDocuments()
{
    Opened first = openTemplate();
    Opened second = openTemplate();
    const std::shared_ptr<WordTables> firstTables = first.document->Tables();
    first.word->Quit();
    QVERIFY_THROWS_EXCEPTION(AutomationError, firstTables->Count());
    QCOMPARE(second.document->Tables()->Count(), 1);
    second.word->Quit();
}

void TestLibreOfficeDocument::openingAMissingFileFails()
{
    std::unique_ptr<WordApplication> word = CreateWordApplication();
    const QString path = mOffice.filePath(QStringLiteral("missing.dot"));
    try {
        word->Documents()->Open(path, true);
        QFAIL("opening a missing file succeeded");
    } catch (const AutomationError &error) {
        QVERIFY2(error.description().contains(QStringLiteral("missing.dot")), qPrintable(error.description()));
    }
    word->Quit();
}

PARVOLINE_TEST_MAIN(TestLibreOfficeDocument)
#include "tst_libreofficedocument.moc"
