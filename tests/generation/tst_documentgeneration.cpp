#include "DocumentGeneration.h"
#include "DocumentName.h"
#include "GuardedProcedure.h"
#include "Locations.h"
#include "ReceiptList.h"
#include "ScriptedDialogs.h"
#include "ScriptedWord.h"
#include "TestMain.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
ReceiptRecord receipt(const QString &name, const QString &amount = QStringLiteral("100"),
                      const QString &tax = QStringLiteral("8.25"))
{
    ReceiptRecord r;
    r[ReceiptRecord::Receipt] = name;
    r[ReceiptRecord::No] = name + QStringLiteral("-no");
    r[ReceiptRecord::FromPayee] = name + QStringLiteral(" payee");
    r[ReceiptRecord::FromAddress] = name + QStringLiteral(" payee street");
    r[ReceiptRecord::FromCity] = QStringLiteral("French Leek, IN 33455");
    r[ReceiptRecord::ToPayee] = name + QStringLiteral(" payer");
    r[ReceiptRecord::ToAddress] = name + QStringLiteral(" payer street");
    r[ReceiptRecord::ToCity] = QStringLiteral("Holderness, NH 03245");
    r[ReceiptRecord::Date] = QStringLiteral("08/30/2021");
    r[ReceiptRecord::Description] = name + QStringLiteral(" work");
    r[ReceiptRecord::Amount] = amount;
    r[ReceiptRecord::Tax] = tax;
    return r;
}

// The line a failure of the given operation is reported with, for one placeholder.
int fillLine(int placeholder)
{
    return 124 + 28 * (placeholder - 1) + 26;
}
} // namespace

class TestDocumentGeneration : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void oneReceiptFillsTheTemplateTable();
    void threeReceiptsGiveThreeTablesInOrder();
    void valuesStayLiteral_data();
    void valuesStayLiteral();
    void failingStepIsReportedAndTheRunGoesOn_data();
    void failingStepIsReportedAndTheRunGoesOn();
    void unusableWordProcessorIsReportedOnce_data();
    void unusableWordProcessorIsReportedOnce();
    void templateLeftBehindIsUsedOnlyWhenItIsTheProgramsOwn_data();
    void templateLeftBehindIsUsedOnlyWhenItIsTheProgramsOwn();
    void templateThatCannotBeWrittenIsNeverOpened();
    void totalTooLargeIsReportedNotPrinted();
    void valuesAreReadWhenTheirStepRuns();
    void documentNameHasItsForm();

private:
    QString run();
    QStringList filesInTemp() const;

    std::unique_ptr<QTemporaryDir> mTemp;
    std::unique_ptr<ScriptedDialogs> mDialogs;
    std::unique_ptr<ScriptedWord> mWord;
    ReceiptList mList;
};

void TestDocumentGeneration::init()
{
    mTemp = std::make_unique<QTemporaryDir>();
    QVERIFY(mTemp->isValid());
    qputenv("TEMP", mTemp->path().toLocal8Bit());
    mDialogs = std::make_unique<ScriptedDialogs>();
    mWord = std::make_unique<ScriptedWord>();
    mList.clear();
}

void TestDocumentGeneration::cleanup()
{
    mWord.reset();
    mDialogs.reset();
    qunsetenv("TEMP");
    mTemp.reset();
}

QString TestDocumentGeneration::run()
{
    GuardedProcedure proc(Location::Form1_PushButton6_Click);
    DocumentGeneration generation(mList, proc);
    generation.setTemplateSource([] { return QByteArrayLiteral("template bytes"); });
    return generation.run();
}

QStringList TestDocumentGeneration::filesInTemp() const
{
    return QDir(mTemp->path()).entryList(QDir::Files | QDir::Hidden);
}

void TestDocumentGeneration::oneReceiptFillsTheTemplateTable()
{
    mList.append(receipt(QStringLiteral("Tree house")));
    const QString path = run();

    QVERIFY(mDialogs->messages.isEmpty());
    QVERIFY(IsDocumentName(QFileInfo(path).fileName()));
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(mTemp->path()).absoluteFilePath());
    QCOMPARE(filesInTemp(), QStringList{QFileInfo(path).fileName()});
    QCOMPARE(mWord->callCount(QStringLiteral("Paste")), 0);
    QCOMPARE(mWord->quit, mWord->created);
    QCOMPARE(mWord->openDocuments, 0);

    const ScriptedDocumentModel document = mWord->saved.value(path);
    const auto tables = document.tables();
    QCOMPARE(tables.size(), 1);
    QVERIFY(tables[0]->centred);
    const QList<QStringList> expected = {
        {QStringLiteral("Tree house"), QStringLiteral("Tree house-no")},
        {QStringLiteral("Payee Name: Tree house payee\nAddress: Tree house payee street\n"
                        "City, ST  ZIP Code: French Leek, IN 33455"),
         QStringLiteral("Payer Name: Tree house payer\nAddress: Tree house payer street\n"
                        "City, ST  ZIP Code: Holderness, NH 03245")},
        {QStringLiteral("Date"), QStringLiteral("Description"), QStringLiteral("Amount")},
        {QStringLiteral("08/30/2021"), QStringLiteral("Tree house work"), QStringLiteral("100")},
        {QString(), QStringLiteral("Subtotal"), QStringLiteral("100")},
        {QString(), QStringLiteral("Tax"), QStringLiteral("8.25")},
        {QString(), QStringLiteral("Total"), QStringLiteral("108.25")},
    };
    QCOMPARE(tables[0]->rows, expected);
}

void TestDocumentGeneration::threeReceiptsGiveThreeTablesInOrder()
{
    mList.append(receipt(QStringLiteral("First")));
    mList.append(receipt(QStringLiteral("Second"), QStringLiteral("1,200.50"), QStringLiteral("0")));
    mList.append(receipt(QStringLiteral("Third"), QStringLiteral("75"), QStringLiteral("ten")));
    const QString path = run();

    QVERIFY(mDialogs->messages.isEmpty());
    const ScriptedDocumentModel document = mWord->saved.value(path);
    const auto tables = document.tables();
    QCOMPARE(tables.size(), 3);
    const QStringList names = {QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Third")};
    const QStringList totals = {QStringLiteral("108.25"), QStringLiteral("1200.5"), QStringLiteral("75")};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(tables[i]->rows[0][0], names[i]);
        QCOMPARE(tables[i]->rows[3][1], names[i] + QStringLiteral(" work"));
        QCOMPARE(tables[i]->rows[6][2], totals[i]);
        QVERIFY(tables[i]->centred);
        QVERIFY(!document.text().contains(QLatin1Char('[')));
    }
    QCOMPARE(tables[1]->rows[3][2], QStringLiteral("1,200.50"));
    QCOMPARE(document.emptyParagraphsAfterTable(1), 2);
    QCOMPARE(document.emptyParagraphsAfterTable(2), 2);
    QCOMPARE(mWord->callCount(QStringLiteral("Paste")), 2);
}

void TestDocumentGeneration::valuesStayLiteral_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("value");

    QTest::newRow("later placeholder") << int(ReceiptRecord::Description) << QStringLiteral("[Total]");
    QTest::newRow("earlier placeholder") << int(ReceiptRecord::Description) << QStringLiteral("[RECEIPT]");
    QTest::newRow("own placeholder") << int(ReceiptRecord::FromPayee) << QStringLiteral("[frompayee] and [FromCity]");
    QTest::newRow("ampersand") << int(ReceiptRecord::Receipt) << QStringLiteral("Smith & Sons");
    QTest::newRow("group reference") << int(ReceiptRecord::No) << QStringLiteral("$1 \\1 $0");
    QTest::newRow("long") << int(ReceiptRecord::Description) << QString(5000, QLatin1Char('x'));
    QTest::newRow("non-Latin") << int(ReceiptRecord::ToPayee) << QStringLiteral("Дмитрий 山田 محمد");
    QTest::newRow("blanks only") << int(ReceiptRecord::Receipt) << QStringLiteral("   ");
}

void TestDocumentGeneration::valuesStayLiteral()
{
    QFETCH(int, field);
    QFETCH(QString, value);
    ReceiptRecord tricky = receipt(QStringLiteral("Tricky"));
    tricky[field] = value;
    mList.append(tricky);
    mList.append(receipt(QStringLiteral("Next")));
    const QString path = run();

    const auto tables = mWord->saved.value(path).tables();
    QCOMPARE(tables.size(), 2);
    auto cellsOf = [](const ScriptedTable &table) {
        QString all;
        for (const QStringList &row : table.rows)
            all += row.join(QLatin1Char('|')) + QLatin1Char('\n');
        return all;
    };
    QVERIFY2(cellsOf(*tables[0]).contains(value), qPrintable(cellsOf(*tables[0])));
    QCOMPARE(tables[1]->rows[0][0], QStringLiteral("Next"));
    QVERIFY(!cellsOf(*tables[1]).contains(value));
    QCOMPARE(tables[1]->rows[6][2], QStringLiteral("108.25"));
}

void TestDocumentGeneration::failingStepIsReportedAndTheRunGoesOn_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<int>("line");
    // Without the copied table the second receipt has no table: pasting, centring and its fourteen
    // fills fail and are reported too.
    QTest::addColumn<int>("reportCount");

    QTest::newRow("select the template table") << QStringLiteral("Select") << 1 << 118 << 19;
    QTest::newRow("copy it") << QStringLiteral("Copy") << 1 << 120 << 18;
    QTest::newRow("clear find formatting") << QStringLiteral("Find.ClearFormatting") << 1 << 124 << 1;
    QTest::newRow("match case of the second placeholder") << QStringLiteral("Find.setMatchCase") << 2 << 168 << 1;
    QTest::newRow("fill the receipt name") << QStringLiteral("FillPlaceholder") << 1 << fillLine(1) << 1;
    QTest::newRow("fill the total") << QStringLiteral("FillPlaceholder") << 14 << fillLine(14) << 1;
    QTest::newRow("go to the end") << QStringLiteral("EndKey") << 1 << 518 << 1;
    QTest::newRow("second paragraph mark") << QStringLiteral("TypeParagraph") << 2 << 522 << 1;
    QTest::newRow("paste") << QStringLiteral("Paste") << 1 << 524 << 17;
    QTest::newRow("centre the new table") << QStringLiteral("Rows.setAlignment") << 1 << 526 << 1;
    QTest::newRow("no wrapping") << QStringLiteral("Rows.setWrapAroundText") << 1 << 528 << 1;
    QTest::newRow("count tables") << QStringLiteral("Tables.Count") << 2 << 532 << 1;
    QTest::newRow("centre every table") << QStringLiteral("Rows.setAlignment") << 2 << 534 << 1;
    QTest::newRow("alerts off") << QStringLiteral("setDisplayAlerts") << 1 << 556 << 1;
    QTest::newRow("close") << QStringLiteral("Close") << 1 << 558 << 1;
    QTest::newRow("quit") << QStringLiteral("Quit") << 1 << 560 << 1;
}

void TestDocumentGeneration::failingStepIsReportedAndTheRunGoesOn()
{
    QFETCH(QString, operation);
    QFETCH(int, occurrence);
    QFETCH(int, line);
    QFETCH(int, reportCount);
    mList.append(receipt(QStringLiteral("One")));
    mList.append(receipt(QStringLiteral("Two")));
    mWord->failAt(operation, occurrence);

    const QString path = run();

    const auto reports = mDialogs->errorReports();
    QCOMPARE(reports.size(), reportCount);
    QVERIFY2(reports[0].text.startsWith(QStringLiteral("Scripted failure of ") + operation + QStringLiteral("\r\n")
                                        + QLatin1String(Location::Form1_PushButton6_Click) + QStringLiteral("at line ")
                                        + QString::number(line) + QStringLiteral("\r\r")),
             qPrintable(reports[0].text));
    QCOMPARE(reports[0].icon, UserDialogs::Icon::Exclamation);
    // The run went on to its end: the template file is gone again.
    QVERIFY(!filesInTemp().contains(QLatin1String(kTemplateFileName)));
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(mWord->saved.contains(path));
    if (operation != QLatin1String("Quit"))
        QCOMPARE(mWord->quit, 1);
}

void TestDocumentGeneration::unusableWordProcessorIsReportedOnce_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<bool>("lose");
    QTest::addColumn<int>("line");

    QTest::newRow("cannot start") << QStringLiteral("Create") << 1 << false << 112;
    QTest::newRow("cannot open the template") << QStringLiteral("Open") << 1 << false << 116;
    QTest::newRow("dies while filling") << QStringLiteral("FillPlaceholder") << 3 << true << fillLine(3);
    QTest::newRow("dies while pasting") << QStringLiteral("Paste") << 1 << true << 524;
    QTest::newRow("cannot save") << QStringLiteral("SaveAs") << 1 << false << 554;
    QTest::newRow("dies while saving") << QStringLiteral("SaveAs") << 1 << true << 554;
    QTest::newRow("dies at quit") << QStringLiteral("Quit") << 1 << true << 560;
}

void TestDocumentGeneration::unusableWordProcessorIsReportedOnce()
{
    QFETCH(QString, operation);
    QFETCH(int, occurrence);
    QFETCH(bool, lose);
    QFETCH(int, line);
    mList.append(receipt(QStringLiteral("One")));
    mList.append(receipt(QStringLiteral("Two")));
    if (lose)
        mWord->loseAt(operation, occurrence);
    else
        mWord->failAt(operation, occurrence);

    const QString path = run();

    QVERIFY(path.isEmpty());
    const auto reports = mDialogs->errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports[0].text.contains(QStringLiteral("at line ") + QString::number(line) + QStringLiteral("\r\r")),
             qPrintable(reports[0].text));
    // Nothing of the run is left behind: no template, no document, no open document.
    QCOMPARE(filesInTemp(), QStringList());
    QCOMPARE(mWord->openDocuments, 0);
}

void TestDocumentGeneration::templateLeftBehindIsUsedOnlyWhenItIsTheProgramsOwn_data()
{
    QTest::addColumn<QString>("left");
    QTest::newRow("left by an earlier run, the program's own") << QStringLiteral("own");
    QTest::newRow("other bytes") << QStringLiteral("other");
    QTest::newRow("a link to a private file") << QStringLiteral("link");
    QTest::newRow("a dangling link") << QStringLiteral("dangling");
}

void TestDocumentGeneration::templateLeftBehindIsUsedOnlyWhenItIsTheProgramsOwn()
{
    QFETCH(QString, left);
    const QByteArray ownBytes = QByteArrayLiteral("the program's template");
    const QString templatePath = QDir(mTemp->path()).filePath(QLatin1String(kTemplateFileName));
    const QString privatePath = QDir(mTemp->path()).filePath(QStringLiteral("private.txt"));
    if (left == QLatin1String("own") || left == QLatin1String("other")) {
        QFile stale(templatePath);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(left == QLatin1String("own") ? ownBytes : QByteArrayLiteral("planted text"));
        stale.close();
        QVERIFY(stale.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    } else {
        if (left == QLatin1String("link")) {
            QFile secret(privatePath);
            QVERIFY(secret.open(QIODevice::WriteOnly));
            secret.write("private");
        }
        QVERIFY(QFile::link(privatePath, templatePath));
    }
    mList.append(receipt(QStringLiteral("One")));

    // What the word processor finds when it opens the template.
    QByteArray opened;
    bool openedALink = false;
    mWord->onCall = [&](const QString &operation) {
        if (operation != QLatin1String("Open") || !opened.isNull())
            return;
        openedALink = QFileInfo(templatePath).isSymLink();
        QFile file(templatePath);
        opened = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("");
    };
    GuardedProcedure proc(Location::Form1_PushButton6_Click);
    DocumentGeneration generation(mList, proc);
    generation.setTemplateSource([&] { return ownBytes; });
    QVERIFY(!generation.run().isEmpty());

    QVERIFY(mDialogs->messages.isEmpty());
    QVERIFY(mWord->calls.contains(QStringLiteral("Open(") + templatePath + QStringLiteral(", readOnly)")));
    QVERIFY(!openedALink);
    QCOMPARE(opened, ownBytes);
    QVERIFY(!QFileInfo::exists(templatePath) && !QFileInfo(templatePath).isSymLink());
    if (left == QLatin1String("link")) {
        QFile secret(privatePath);
        QVERIFY(secret.open(QIODevice::ReadOnly));
        QCOMPARE(secret.readAll(), QByteArray("private"));
    } else if (left == QLatin1String("dangling")) {
        QVERIFY(!QFileInfo::exists(privatePath));
    }
}

void TestDocumentGeneration::templateThatCannotBeWrittenIsNeverOpened()
{
    // Something the program cannot replace holds the template's name.
    QVERIFY(QDir(mTemp->path()).mkpath(QLatin1String(kTemplateFileName) + QStringLiteral("/inside")));
    mList.append(receipt(QStringLiteral("One")));

    QVERIFY(run().isEmpty());

    const auto reports = mDialogs->errorReports();
    QCOMPARE(reports.size(), 2);
    QVERIFY2(reports[0].text.contains(QStringLiteral("at line 110\r\r")), qPrintable(reports[0].text));
    QVERIFY2(reports[1].text.contains(QStringLiteral("at line 116\r\r")), qPrintable(reports[1].text));
    QCOMPARE(mWord->callCount(QStringLiteral("Open")), 0);
    QCOMPARE(filesInTemp(), QStringList());
}

void TestDocumentGeneration::totalTooLargeIsReportedNotPrinted()
{
    mList.append(receipt(QStringLiteral("Huge"), QStringLiteral("1e308"), QStringLiteral("1e308")));
    const QString path = run();

    const auto reports = mDialogs->errorReports();
    QCOMPARE(reports.size(), 1);
    // The total's value is read at line L + 8 of the fourteenth placeholder.
    QVERIFY2(reports[0].text.startsWith(QStringLiteral("Overflow")), qPrintable(reports[0].text));
    QVERIFY2(reports[0].text.contains(QStringLiteral("at line %1\r\r").arg(124 + 28 * 13 + 8)),
             qPrintable(reports[0].text));
    const auto tables = mWord->saved.value(path).tables();
    QCOMPARE(tables.size(), 1);
    QCOMPARE(tables[0]->rows[4][2], QStringLiteral("1e308"));
    QCOMPARE(tables[0]->rows[6][2], QString());
}

void TestDocumentGeneration::valuesAreReadWhenTheirStepRuns()
{
    mList.append(receipt(QStringLiteral("One")));
    mList.append(receipt(QStringLiteral("Two")));
    GuardedProcedure proc(Location::Form1_PushButton6_Click);
    DocumentGeneration generation(mList, proc);
    // Someone deletes the second receipt while the first is being filled.
    generation.setProgress([&](DocumentGeneration::Stage stage, int receipt, int count) {
        QCOMPARE(count, 2);
        if (stage == DocumentGeneration::Stage::Receipt && receipt == 1)
            mList.removeRow(2);
    });
    const QString path = generation.run();

    const auto tables = mWord->saved.value(path).tables();
    QCOMPARE(tables.size(), 1);
    QCOMPARE(tables[0]->rows[0][0], QStringLiteral("One"));
    // Filling the vanished receipt fails for each value it asks for; the run still ends.
    QVERIFY(mDialogs->errorReports().size() >= 1);
    QVERIFY(mDialogs->errorReports().constFirst().text.startsWith(QStringLiteral("Index out of bounds")));
}

void TestDocumentGeneration::documentNameHasItsForm()
{
    QVERIFY(IsDocumentName(QStringLiteral("ticket12345678.doc")));
    QVERIFY(IsDocumentName(QStringLiteral("ticket99999999")));
    QVERIFY(!IsDocumentName(QStringLiteral("ticket12345670.doc")));
    QVERIFY(!IsDocumentName(QStringLiteral("ticket1234567.doc")));
    QVERIFY(!IsDocumentName(QStringLiteral("Ticket12345678.doc")));

    QSet<int> seen;
    for (int i = 0; i < 500; ++i) {
        const int digit = RandomNameDigit();
        QVERIFY(digit >= 1 && digit <= 9);
        seen.insert(digit);
    }
    // Draws that follow each other are independent: all nine digits turn up.
    QCOMPARE(seen.size(), 9);
}

PARVOLINE_TEST_GUILESS_MAIN(TestDocumentGeneration)
#include "tst_documentgeneration.moc"
