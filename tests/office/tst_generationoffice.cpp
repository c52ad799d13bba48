#include "DocumentGeneration.h"
#include "DocumentInspector.h"
#include "DocumentName.h"
#include "GuardedProcedure.h"
#include "LibreOfficeEngine.h"
#include "Locations.h"
#include "PageSnapshot.h"
#include "PrivateOffice.h"
#include "ReceiptList.h"
#include "ReceiptTemplate.h"
#include "ScriptedRun.h"
#include "TestData.h"
#include "TestMain.h"

#include <QDir>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTest>

namespace {
ReceiptRecord receipt(const QString &name, const QString &amount, const QString &tax)
{
    ReceiptRecord r = ExampleReceipt(1);
    r[ReceiptRecord::Receipt] = name;
    r[ReceiptRecord::No] = QStringLiteral("No ") + name;
    r[ReceiptRecord::Description] = name + QStringLiteral(" work");
    r[ReceiptRecord::Amount] = amount;
    r[ReceiptRecord::Tax] = tax;
    return r;
}
} // namespace

// Generation and the page snapshot against the real office: what a run leaves in the temporary
// folder, read back from the saved Word file.
class TestGenerationOffice : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void oneReceipt();
    void threeReceiptsInListOrder();
    void valuesSurviveLiterally_data();
    void valuesSurviveLiterally();
    void pagePictureOfTheSavedDocument_data();
    void pagePictureOfTheSavedDocument();
    void officeStartsAfreshWhenDue_data();
    void officeStartsAfreshWhenDue();

private:
    QString generate();
    /// Opens a saved document and hands it to \a check.
    void inspect(const QString &path, const std::function<void(DocumentInspector &)> &check);
    QStringList filesInTemp() const { return QDir(mRun->temp.path()).entryList(QDir::Files | QDir::Hidden); }

    PrivateOffice mOffice;
    std::unique_ptr<ScriptedRun> mRun;
    ReceiptList mList;
};

void TestGenerationOffice::initTestCase()
{
    QVERIFY(mOffice.setUp());
}

void TestGenerationOffice::cleanupTestCase()
{
    mOffice.shutdown();
}

void TestGenerationOffice::init()
{
    mRun = std::make_unique<ScriptedRun>();
    QVERIFY(mRun->isValid());
    mList.clear();
}

void TestGenerationOffice::cleanup()
{
    mRun.reset();
}

QString TestGenerationOffice::generate()
{
    GuardedProcedure proc(Location::Form1_PushButton6_Click);
    DocumentGeneration generation(mList, proc);
    generation.setTemplateSource(&ReceiptTemplateBytes);
    return generation.run();
}

void TestGenerationOffice::inspect(const QString &path, const std::function<void(DocumentInspector &)> &check)
{
    // Read back by an office of its own, not the one that wrote the file.
    DocumentInspector inspector = DocumentInspector::ofFile(path);
    check(inspector);
}

void TestGenerationOffice::oneReceipt()
{
    mList.append(receipt(QStringLiteral("Tree house"), QStringLiteral("100"), QStringLiteral("8.25")));
    const QString path = generate();

    QCOMPARE(mRun->dialogs.messages.size(), 0);
    QVERIFY(IsDocumentName(QFileInfo(path).fileName()));
    // Neither the template nor anything half-written stays beside the document.
    QCOMPARE(filesInTemp(), QStringList{QFileInfo(path).fileName()});
    inspect(path, [](DocumentInspector &doc) {
        QCOMPARE(doc.tableCount(), 1);
        QCOMPARE(doc.outline(), (QStringList{QString(), QString(), QStringLiteral("<table>"), QString()}));
        QCOMPARE(doc.alignment(1), QStringLiteral("center"));
        QCOMPARE(doc.cellsPerRow(1), (QList<int>{2, 2, 3, 3, 3, 3, 3}));
        const QStringList cells = doc.cells(1);
        QCOMPARE(cells.at(0), QStringLiteral("A1=Tree house"));
        QCOMPARE(cells.at(1), QStringLiteral("B1=No Tree house"));
        QVERIFY(cells.contains(QStringLiteral("A2=Payee Name: Selma Orrick\nAddress: Birchwood st\n"
                                              "City, ST  ZIP Code: French Leek, IN 33455")));
        QVERIFY(cells.contains(QStringLiteral("A4=08/30/2021")));
        QVERIFY(cells.contains(QStringLiteral("C4=100")));
        QVERIFY(cells.contains(QStringLiteral("C5=100")));
        QVERIFY(cells.contains(QStringLiteral("C6=8.25")));
        QVERIFY(cells.contains(QStringLiteral("C7=108.25")));
    });
}

void TestGenerationOffice::threeReceiptsInListOrder()
{
    mList.append(receipt(QStringLiteral("First"), QStringLiteral("100"), QStringLiteral("8.25")));
    mList.append(receipt(QStringLiteral("Second"), QStringLiteral("1,200.50"), QStringLiteral("0")));
    mList.append(receipt(QStringLiteral("Third"), QStringLiteral("100"), QStringLiteral("ten")));
    const QString path = generate();

    QCOMPARE(mRun->dialogs.messages.size(), 0);
    inspect(path, [](DocumentInspector &doc) {
        QCOMPARE(doc.tableCount(), 3);
        const QString table = QStringLiteral("<table>");
        QCOMPARE(doc.outline(), (QStringList{QString(), QString(), table, QString(), QString(), table, QString(),
                                             QString(), table, QString()}));
        const QStringList names = {QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Third")};
        const QStringList amounts = {QStringLiteral("100"), QStringLiteral("1,200.50"), QStringLiteral("100")};
        const QStringList totals = {QStringLiteral("108.25"), QStringLiteral("1200.5"), QStringLiteral("100")};
        for (int n = 1; n <= 3; ++n) {
            QCOMPARE(doc.cell(n, QStringLiteral("A1")), names[n - 1]);
            QCOMPARE(doc.cell(n, QStringLiteral("B4")), names[n - 1] + QStringLiteral(" work"));
            QCOMPARE(doc.cell(n, QStringLiteral("C4")), amounts[n - 1]);
            QCOMPARE(doc.cell(n, QStringLiteral("C5")), amounts[n - 1]);
            QCOMPARE(doc.cell(n, QStringLiteral("C7")), totals[n - 1]);
            QCOMPARE(doc.alignment(n), QStringLiteral("center"));
        }
    });
}

void TestGenerationOffice::valuesSurviveLiterally_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("value");

    const int description = ReceiptRecord::Description;
    QTest::newRow("a later placeholder") << description << QStringLiteral("B4") << QStringLiteral("[Total]");
    QTest::newRow("an earlier placeholder") << description << QStringLiteral("B4") << QStringLiteral("[RECEIPT]");
    QTest::newRow("ampersand") << int(ReceiptRecord::Receipt) << QStringLiteral("A1") << QStringLiteral("Smith & Sons");
    QTest::newRow("group reference") << int(ReceiptRecord::No) << QStringLiteral("B1") << QStringLiteral("$1 \\1");
    QTest::newRow("5,000 characters") << description << QStringLiteral("B4")
                                      << QStringLiteral("Lorem ipsum [Tax] dolor & $1 ").repeated(200).left(5000);
    QTest::newRow("non-Latin") << int(ReceiptRecord::ToPayee) << QStringLiteral("B2")
                               << QStringLiteral("Дмитрий 山田 محمد Ελλάδα");
    QTest::newRow("long receipt name") << int(ReceiptRecord::Receipt) << QStringLiteral("A1")
                                       << QStringLiteral("Receipt ").repeated(1250);
    QTest::newRow("long number") << int(ReceiptRecord::No) << QStringLiteral("B1")
                                 << QStringLiteral("Receipt ").repeated(1250);
    QTest::newRow("long payee") << int(ReceiptRecord::FromPayee) << QStringLiteral("A2")
                                << QStringLiteral("Receipt ").repeated(1250);
}

void TestGenerationOffice::valuesSurviveLiterally()
{
    QFETCH(int, field);
    QFETCH(QString, cell);
    QFETCH(QString, value);
    ReceiptRecord tricky = receipt(QStringLiteral("Tricky"), QStringLiteral("100"), QStringLiteral("8.25"));
    tricky[field] = value;
    mList.append(tricky);
    mList.append(receipt(QStringLiteral("Next"), QStringLiteral("5"), QStringLiteral("1")));
    const QString path = generate();

    QCOMPARE(mRun->dialogs.messages.size(), 0);
    inspect(path, [&](DocumentInspector &doc) {
        const QString filled = doc.cell(1, cell);
        QVERIFY2(filled.contains(value), qPrintable(filled.left(200)));
        QCOMPARE(doc.cell(2, QStringLiteral("A1")), QStringLiteral("Next"));
        QCOMPARE(doc.cell(2, QStringLiteral("C7")), QStringLiteral("6"));
        QCOMPARE(doc.cell(1, QStringLiteral("C7")), QStringLiteral("108.25"));
        QVERIFY(!doc.cells(2).join(QLatin1Char('\n')).contains(value));
    });
}

void TestGenerationOffice::pagePictureOfTheSavedDocument_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::addColumn<bool>("oneReceiptHigh");

    QTest::newRow("a receipt") << QStringLiteral("Tree house") << QStringLiteral("Building a tree house") << true;
    QTest::newRow("10,000-character name")
        << QStringLiteral("Receipt ").repeated(1250) << QStringLiteral("Building a tree house") << false;
    QTest::newRow("5,000-character description")
        << QStringLiteral("Tree house") << QStringLiteral("Lorem ipsum dolor ").repeated(278) << false;
    // Taller than a page: such a receipt may break across pages rather than never be laid out.
    QTest::newRow("6,000 characters in name and number")
        << QStringLiteral("Receipt ").repeated(750) << QStringLiteral("Building a tree house") << false;
    QTest::newRow("10,000 characters in every field")
        << QStringLiteral("Field ").repeated(1667).left(10000) << QString() << false;
}

void TestGenerationOffice::pagePictureOfTheSavedDocument()
{
    QFETCH(QString, name);
    QFETCH(QString, description);
    QFETCH(bool, oneReceiptHigh);
    ReceiptRecord record = receipt(name, QStringLiteral("75"), QStringLiteral("10"));
    record[ReceiptRecord::No] = name.size() >= 6000 ? name : QStringLiteral("210831");
    record[ReceiptRecord::Description] = description;
    if (description.isEmpty()) {
        for (int field = 0; field < ReceiptRecord::kFieldCount; ++field)
            record[field] = name;
    }
    mList.append(record);
    const QString path = generate();
    QCOMPARE(SaveDocAsJPG(path), SnapshotResult::Written);

    QCOMPARE(mRun->dialogs.messages.size(), 0);
    const QSize picture =
        PagePicture::fromFile(QDir(mRun->temp.path()).filePath(QLatin1String(kPagePictureFileName))).size();
    // About the size of one receipt's table at 96 dots per inch: a few inches wide and high, not a page.
    QVERIFY2(picture.width() > 400 && picture.width() <= 640, qPrintable(QString::number(picture.width())));
    if (oneReceiptHigh)
        QVERIFY2(picture.height() > 150 && picture.height() < 500, qPrintable(QString::number(picture.height())));
    else
        QVERIFY(picture.height() >= 500);
}

PARVOLINE_TEST_MAIN(TestGenerationOffice)
void TestGenerationOffice::officeStartsAfreshWhenDue_data()
{
    QTest::addColumn<bool>("keep");
    QTest::addColumn<qint64>("growthKb");
    QTest::addColumn<qint64>("firstWorkKb");
    QTest::addColumn<int>("runs");
    QTest::addColumn<int>("freshStarts");
    const qint64 ordinary = LibreOfficeEngine::Settings().firstWorkKilobytes;
    // Any growth after the first piece of work calls for a fresh start, but the window keeps a saved
    // document for its picture: the office must not go away under it.
    QTest::newRow("kept for a picture") << true << qint64(1) << ordinary << 2 << 0;
    // The batch command keeps none, so that an office grown by one part starts afresh before the next
    // instead of holding two parts at once.
    QTest::newRow("kept for none") << false << qint64(1) << ordinary << 2 << 1;
    // What a first piece of work leaves is the measure, unless it left more than an ordinary one: the
    // office keeps the memory of a first document of thousands of pages for good.
    QTest::newRow("an ordinary first run") << false << qint64(48 * 1024) << ordinary << 1 << 0;
    QTest::newRow("a first run larger than an ordinary one") << false << qint64(48 * 1024) << qint64(1) << 1 << 1;
}

void TestGenerationOffice::officeStartsAfreshWhenDue()
{
    QFETCH(bool, keep);
    QFETCH(qint64, growthKb);
    QFETCH(qint64, firstWorkKb);
    QFETCH(int, runs);
    QFETCH(int, freshStarts);
    QTemporaryDir profile;
    LibreOfficeEngine::Settings settings;
    settings.profileFolder = profile.path();
    settings.recycleGrowthKilobytes = growthKb;
    settings.firstWorkKilobytes = firstWorkKb;
    settings.keepSavedDocument = keep;
    LibreOfficeEngine engine(settings);
    engine.install();
    mList.append(receipt(QStringLiteral("Tree house"), QStringLiteral("100"), QStringLiteral("8.25")));
    for (int run = 0; run < runs; ++run)
        QVERIFY(!generate().isEmpty());
    QCOMPARE(engine.recycleCount(), freshStarts);
    engine.shutdown();
    mOffice.engine().install();
}

#include "tst_generationoffice.moc"
