#include "Failure.h"
#include "FileSizeLimit.h"
#include "ReceiptCsv.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {
const QLocale kUnitedStates(QLocale::English, QLocale::UnitedStates);

using Values = QList<std::pair<int, QString>>;

// A record with a name, a number and an amount, and any other fields given.
ReceiptRecord receipt(const QString &name, const QString &number, const QString &amount, const Values &others = {})
{
    ReceiptRecord r;
    r[ReceiptRecord::Receipt] = name;
    r[ReceiptRecord::No] = number;
    r[ReceiptRecord::Amount] = amount;
    for (const auto &[field, value] : others)
        r[field] = value;
    return r;
}

QList<QStringList> fieldsOf(const QList<ReceiptRecord> &records)
{
    QList<QStringList> result;
    for (const ReceiptRecord &r : records)
        result.append(QStringList(r.fields.begin(), r.fields.end()));
    return result;
}

QString describe(const QList<ReceiptCsv::RejectedRow> &rows)
{
    QStringList lines;
    for (const ReceiptCsv::RejectedRow &row : rows)
        lines.append(QStringLiteral("%1: %2").arg(row.row).arg(row.reason));
    return lines.join(QLatin1Char('\n'));
}

const QByteArray kFullHeader = "Receipt,No,From Payee,From Address,From City,To Payee,To Address,To City,Date,"
                               "Description,Amount,Tax\r\n";
} // namespace

class TestReceiptCsv : public QObject
{
    Q_OBJECT

private slots:
    void readsRecords_data();
    void readsRecords();
    void rowsThatFailAreListed_data();
    void rowsThatFailAreListed();
    void unusableFiles_data();
    void unusableFiles();
    void ignoredColumnsAreListedOnce_data();
    void ignoredColumnsAreListedOnce();
    void separatorComesFromTheHeader_data();
    void separatorComesFromTheHeader();
    void amountFollowsTheLocale();

    void composeQuotesWhatNeedsIt();
    void composeThenParseGivesTheSameRecords();

    void formulasAreGuardedAndRoundTrip_data();
    void formulasAreGuardedAndRoundTrip();

    void readFileRefusals();
    void unreachableFileNamesTheCause_data();
    void unreachableFileNamesTheCause();
    void failedWriteLeavesTheOldFile();
};

void TestReceiptCsv::readsRecords_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QList<ReceiptRecord>>("records");
    QTest::addColumn<QList<int>>("rows");

    ReceiptRecord full;
    for (int field = 0; field < ReceiptRecord::kFieldCount; ++field)
        full[field] = QStringLiteral("v%1").arg(field);
    full[ReceiptRecord::Amount] = QStringLiteral("75.50");
    QTest::newRow("all twelve columns") << kFullHeader + "v0,v1,v2,v3,v4,v5,v6,v7,v8,v9,75.50,v11\r\n"
                                        << QList<ReceiptRecord>{full} << QList<int>{2};

    QTest::newRow("any order, any case, blanks around captions")
        << QByteArray(" amount ,TAX,  receipt\t,No\n75,10,Rent,1\n")
        << QList<ReceiptRecord>{receipt(QStringLiteral("Rent"), QStringLiteral("1"), QStringLiteral("75"),
                                        {{ReceiptRecord::Tax, QStringLiteral("10")}})}
        << QList<int>{2};

    QTest::newRow("byte-order mark") << QByteArray("\xef\xbb\xbfReceipt,No,Amount\nRent,1,75\n")
                                     << QList<ReceiptRecord>{receipt(QStringLiteral("Rent"), QStringLiteral("1"),
                                                                     QStringLiteral("75"))}
                                     << QList<int>{2};

    QTest::newRow("quoted separators, quotes and empty quotes")
        << QByteArray("Receipt,No,Amount,Description\n\"Smith, Jones & Co\",\"1\",75,\"the \"\"big\"\" job\"\n"
                      "\"\",2,5,\"\"\n")
        << QList<ReceiptRecord>{receipt(QStringLiteral("Smith, Jones & Co"), QStringLiteral("1"), QStringLiteral("75"),
                                        {{ReceiptRecord::Description, QStringLiteral("the \"big\" job")}}),
                                receipt(QString(), QStringLiteral("2"), QStringLiteral("5"))}
        << QList<int>{2, 3};

    QTest::newRow("line breaks inside quotes become blanks and rows count records")
        << QByteArray("Receipt,No,Amount,From Address\r\nRent,1,75,\"Elm Street\r\nApt 4\nBack door\"\r\n"
                      "Fee,2,5,\"\r\n\"\r\n")
        << QList<ReceiptRecord>{receipt(QStringLiteral("Rent"), QStringLiteral("1"), QStringLiteral("75"),
                                        {{ReceiptRecord::FromAddress, QStringLiteral("Elm Street Apt 4 Back door")}}),
                                receipt(QStringLiteral("Fee"), QStringLiteral("2"), QStringLiteral("5"),
                                        {{ReceiptRecord::FromAddress, QStringLiteral(" ")}})}
        << QList<int>{2, 3};

    QTest::newRow("old Mac line ends, no line end at the end")
        << QByteArray("Receipt,No,Amount\rRent,1,75\rFee,2,5")
        << QList<ReceiptRecord>{receipt(QStringLiteral("Rent"), QStringLiteral("1"), QStringLiteral("75")),
                                receipt(QStringLiteral("Fee"), QStringLiteral("2"), QStringLiteral("5"))}
        << QList<int>{2, 3};

    QTest::newRow("blank rows are skipped but counted")
        << QByteArray("\n\nReceipt,No,Amount\n\nRent,1,75\n,,\n\nFee,2,5\n\n")
        << QList<ReceiptRecord>{receipt(QStringLiteral("Rent"), QStringLiteral("1"), QStringLiteral("75")),
                                receipt(QStringLiteral("Fee"), QStringLiteral("2"), QStringLiteral("5"))}
        << QList<int>{5, 8};

    QTest::newRow("values keep their blanks, dates and city lines stay text")
        << QByteArray("Receipt,No,Amount,Date,To City\n Rent , 1 , 75 ,31.8.2021,\", \"\n")
        << QList<ReceiptRecord>{receipt(
               QStringLiteral(" Rent "), QStringLiteral(" 1 "), QStringLiteral(" 75 "),
               {{ReceiptRecord::Date, QStringLiteral("31.8.2021")}, {ReceiptRecord::ToCity, QStringLiteral(", ")}})}
        << QList<int>{2};

    QTest::newRow("short rows leave the rest empty, empty extra values are no matter")
        << QByteArray("Receipt,No,Amount,Tax,Description\nRent,1,75\nFee,2,5,1,x,,,\n")
        << QList<ReceiptRecord>{receipt(QStringLiteral("Rent"), QStringLiteral("1"), QStringLiteral("75")),
                                receipt(QStringLiteral("Fee"), QStringLiteral("2"), QStringLiteral("5"),
                                        {{ReceiptRecord::Tax, QStringLiteral("1")},
                                         {ReceiptRecord::Description, QStringLiteral("x")}})}
        << QList<int>{2, 3};

    QTest::newRow("quote inside an unquoted value, text after a closing quote")
        << QByteArray("Receipt,No,Amount,Description\n5\" pipe,1,75,\"half\" inch\n")
        << QList<ReceiptRecord>{receipt(QStringLiteral("5\" pipe"), QStringLiteral("1"), QStringLiteral("75"),
                                        {{ReceiptRecord::Description, QStringLiteral("half inch")}})}
        << QList<int>{2};

    QTest::newRow("control characters go, tabs become blanks")
        << QByteArray("Receipt,No,Amount,Description\nRe\x01nt\x7f,\x1b[1m1,75,\"a\tb\x0b\x0c\"\n")
        << QList<ReceiptRecord>{receipt(QStringLiteral("Rent"), QStringLiteral("[1m1"), QStringLiteral("75"),
                                        {{ReceiptRecord::Description, QStringLiteral("a b")}})}
        << QList<int>{2};

    QTest::newRow("text beyond ASCII") << QByteArray("Receipt,No,Amount,To Payee\nMiete,1,75,Jürgen Weiß 東京\n")
                                       << QList<ReceiptRecord>{receipt(
                                              QStringLiteral("Miete"), QStringLiteral("1"), QStringLiteral("75"),
                                              {{ReceiptRecord::ToPayee, QStringLiteral("Jürgen Weiß 東京")}})}
                                       << QList<int>{2};

    QTest::newRow("header only") << QByteArray("Receipt,No,Amount\r\n") << QList<ReceiptRecord>{} << QList<int>{};
}

void TestReceiptCsv::readsRecords()
{
    QFETCH(QByteArray, csv);
    QFETCH(QList<ReceiptRecord>, records);
    QFETCH(QList<int>, rows);

    const ReceiptCsv::Import result = ReceiptCsv::parse(csv, kUnitedStates);
    QCOMPARE(result.error, QString());
    QCOMPARE(describe(result.rejected), QString());
    QCOMPARE(fieldsOf(result.records), fieldsOf(records));
    QCOMPARE(result.recordRows, rows);
}

void TestReceiptCsv::rowsThatFailAreListed_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("rejected");
    QTest::addColumn<QStringList>("imported");

    QTest::newRow("amount is checked as Add checks it")
        << QByteArray("Receipt,No,Amount\nA,1,abc\nB,2,\nC,3,  \nD,4,75 dollars\nE,5,\" 1,075.50 \"\nF,6,inf\n")
        << QStringLiteral("2: the amount \"abc\" is not a number\n"
                          "3: the amount is empty\n"
                          "4: the amount \"  \" is not a number\n"
                          "5: the amount \"75 dollars\" is not a number\n"
                          "7: the amount \"inf\" is not a number")
        << QStringList{QStringLiteral("E")};

    QTest::newRow("name and number may not both be empty")
        << QByteArray("Receipt,No,Amount\n,,75\nA,,75\n,2,75\n\" \",,75\n")
        << QStringLiteral("2: \"Receipt\" and \"No\" are both empty")
        << QStringList{QStringLiteral("A"), QString(), QStringLiteral(" ")};

    QTest::newRow("every reason of a row")
        << QByteArray("Receipt,No,Amount\n,,x,surplus\n")
        << QStringLiteral("2: it has more values than the header row has columns (4 against 3); the amount \"x\" "
                          "is not a number; \"Receipt\" and \"No\" are both empty")
        << QStringList{};

    QTest::newRow("rows are numbered as a spreadsheet shows them")
        << QByteArray("Receipt,No,Amount,Description\nA,1,75,\"two\nlines\"\n\nB,2,x,\"three\n\nlines\"\nC,3,y\n")
        << QStringLiteral("4: the amount \"x\" is not a number\n5: the amount \"y\" is not a number")
        << QStringList{QStringLiteral("A")};

    const QString longAmount(100, QLatin1Char('z'));
    QTest::newRow("a long value is shortened")
        << (QByteArray("Receipt,No,Amount\nA,1,") + longAmount.toLatin1() + '\n')
        << QStringLiteral("2: the amount \"%1...\" is not a number").arg(QString(37, QLatin1Char('z')))
        << QStringList{};
}

void TestReceiptCsv::rowsThatFailAreListed()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, rejected);
    QFETCH(QStringList, imported);

    const ReceiptCsv::Import result = ReceiptCsv::parse(csv, kUnitedStates);
    QCOMPARE(result.error, QString());
    QCOMPARE(describe(result.rejected), rejected);
    QStringList names;
    for (const ReceiptRecord &r : result.records)
        names.append(r[ReceiptRecord::Receipt]);
    QCOMPARE(names, imported);
}

void TestReceiptCsv::unusableFiles_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QString>("error");

    QTest::newRow("empty") << QByteArray() << QStringLiteral("The file is empty.");
    QTest::newRow("only blank lines") << QByteArray("\r\n\n\n") << QStringLiteral("The file holds no text.");
    QTest::newRow("binary") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                            << QStringLiteral("The file is not a text file, so it cannot be CSV.");
    QTest::newRow("UTF-16") << QByteArray("\xff\xfeR\0e\0", 6) << QStringLiteral("UTF-16");
    QTest::newRow("Latin-1") << QByteArray("Receipt,No,Amount\nCaf\xe9,1,75\n") << QStringLiteral("not UTF-8 text");
    QTest::newRow("no header row") << QByteArray("Rent,1,75\nFee,2,5\n")
                                   << QStringLiteral("it has no \"Receipt\" or \"No\" column");
    QTest::newRow("no number column") << QByteArray("Receipt,Amount\nRent,75\n")
                                      << QStringLiteral("it has no \"No\" column");
    QTest::newRow("quote never closed") << QByteArray("Receipt,No,Amount\nRent,1,75\nFee,\"2,5\nA,3,7\n")
                                        << QStringLiteral(
                                               "The quoted value that begins in row 3 has no closing quote.");
    QTest::newRow("quote never closed in the header")
        << QByteArray("\n\"Receipt,No,Amount\nRent,1,75\n")
        << QStringLiteral("The quoted value that begins in row 2 has no closing quote.");
}

void TestReceiptCsv::unusableFiles()
{
    QFETCH(QByteArray, csv);
    QFETCH(QString, error);

    const ReceiptCsv::Import result = ReceiptCsv::parse(csv, kUnitedStates);
    QVERIFY2(result.error.contains(error), qPrintable(result.error));
    QVERIFY(result.records.isEmpty());
    QVERIFY(result.rejected.isEmpty());
}

void TestReceiptCsv::ignoredColumnsAreListedOnce_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("ignored");
    QTest::addColumn<QString>("amount");

    QTest::newRow("unknown captions, each once")
        << QByteArray("Notes,Receipt,No,Amount,Category,notes,Notes\nx,Rent,1,75,y,z,w\nx,Fee,2,5,y,z,w\n")
        << QStringList{QStringLiteral("Notes"), QStringLiteral("Category")} << QStringLiteral("75");
    QTest::newRow("a repeated caption: the first column counts")
        << QByteArray("Receipt,No,Amount,AMOUNT \nRent,1,75,80\n") << QStringList{QStringLiteral("AMOUNT (repeated)")}
        << QStringLiteral("75");
    QTest::newRow("a column without caption only when it holds values")
        << QByteArray("Receipt,No,Amount,,,\nRent,1,75,,x,\n")
        << QStringList{QStringLiteral("(column 5 without caption)")} << QStringLiteral("75");
    QTest::newRow("nothing to say") << QByteArray("Receipt,No,Amount,\nRent,1,75,\n") << QStringList{}
                                    << QStringLiteral("75");
}

void TestReceiptCsv::ignoredColumnsAreListedOnce()
{
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, ignored);
    QFETCH(QString, amount);

    const ReceiptCsv::Import result = ReceiptCsv::parse(csv, kUnitedStates);
    QCOMPARE(result.error, QString());
    QCOMPARE(result.ignoredColumns, ignored);
    QVERIFY(!result.records.isEmpty());
    QCOMPARE(result.records.first()[ReceiptRecord::Amount], amount);
}

void TestReceiptCsv::separatorComesFromTheHeader_data()
{
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("description");

    QTest::newRow("comma") << QByteArray("Receipt,No,Amount,Description\nRent,1,75,a;b\n") << QChar(QLatin1Char(','))
                           << QStringLiteral("a;b");
    QTest::newRow("semicolon") << QByteArray("Receipt;No;Amount;Description\nRent;1;75;a,b\n")
                               << QChar(QLatin1Char(';')) << QStringLiteral("a,b");
    QTest::newRow("tab") << QByteArray("Receipt\tNo\tAmount\tDescription\nRent\t1\t75\ta, b; c\n")
                         << QChar(QLatin1Char('\t')) << QStringLiteral("a, b; c");
    QTest::newRow("tab, with a comma in an unknown caption")
        << QByteArray("Receipt\tNo\tNotes, misc\tAmount\tDescription\nRent\t1\tx\t75\td\n") << QChar(QLatin1Char('\t'))
        << QStringLiteral("d");
    QTest::newRow("semicolon, with a quoted caption holding a comma")
        << QByteArray("\"Receipt\";\"No\";\"Amount\";\"Notes, misc\";\"Description\"\nRent;1;75;x;d\n")
        << QChar(QLatin1Char(';')) << QStringLiteral("d");
}

void TestReceiptCsv::separatorComesFromTheHeader()
{
    QFETCH(QByteArray, csv);
    QFETCH(QChar, separator);
    QFETCH(QString, description);

    const ReceiptCsv::Import result = ReceiptCsv::parse(csv, kUnitedStates);
    QCOMPARE(result.error, QString());
    QCOMPARE(result.separator, separator);
    QCOMPARE(result.records.size(), 1);
    QCOMPARE(result.records.first()[ReceiptRecord::Description], description);
    QCOMPARE(result.records.first()[ReceiptRecord::Amount], QStringLiteral("75"));
}

void TestReceiptCsv::amountFollowsTheLocale()
{
    // What spreadsheets write in much of Europe: semicolons, and a decimal comma in the amounts.
    const QByteArray csv = "Receipt;No;Amount\nMiete;1;1.075,50\nGebühr;2;7,5\n";
    const ReceiptCsv::Import german = ReceiptCsv::parse(csv, QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(german.error, QString());
    QCOMPARE(german.records.size(), 2);
    QCOMPARE(german.records.at(0)[ReceiptRecord::Amount], QStringLiteral("1.075,50"));
    QCOMPARE(german.records.at(1)[ReceiptRecord::Amount], QStringLiteral("7,5"));
}

void TestReceiptCsv::composeQuotesWhatNeedsIt()
{
    ReceiptRecord r = receipt(QStringLiteral("Smith, Jones"), QStringLiteral("1"), QStringLiteral(" 75 "));
    r[ReceiptRecord::Description] = QStringLiteral("the \"big\" job");
    r[ReceiptRecord::FromCity] = QStringLiteral("Holderness, NH 03245");
    r[ReceiptRecord::ToCity] = QStringLiteral(", ");
    r[ReceiptRecord::Tax] = QStringLiteral("a;b");
    r[ReceiptRecord::Date] = QStringLiteral("08/31/2021");

    const QByteArray expected = "\xef\xbb\xbf" + kFullHeader
                                + "\"Smith, Jones\",1,,,\"Holderness, NH 03245\",,,\", \",08/31/2021,"
                                  "\"the \"\"big\"\" job\",\" 75 \",a;b\r\n";
    QCOMPARE(ReceiptCsv::compose({r}), expected);
    QCOMPARE(ReceiptCsv::compose({}), "\xef\xbb\xbf" + kFullHeader);
}

void TestReceiptCsv::composeThenParseGivesTheSameRecords()
{
    QList<ReceiptRecord> records;
    records.append(receipt(QStringLiteral("Sample receipt"), QStringLiteral("210830"), QStringLiteral("75"),
                           {{ReceiptRecord::FromCity, QStringLiteral("French Leek, IN 33455")},
                            {ReceiptRecord::ToCity, QStringLiteral(", ")},
                            {ReceiptRecord::Date, QStringLiteral("08/30/2021")}}));
    records.append(receipt(QStringLiteral(" "), QString(), QStringLiteral(" 1,075.50 "),
                           {{ReceiptRecord::Description, QStringLiteral("\"quoted\", and; more\ttabbed")},
                            {ReceiptRecord::Tax, QStringLiteral("ten")}}));
    records.append(receipt(QString(), QStringLiteral("7"), QStringLiteral("-5"),
                           {{ReceiptRecord::ToPayee, QStringLiteral("Jürgen Weiß 東京 ")},
                            {ReceiptRecord::FromAddress, QStringLiteral("\"")}}));
    // A tab in a list value is not kept by the reader: the list never holds one that it imported.
    records[1][ReceiptRecord::Description].replace(QLatin1Char('\t'), QLatin1Char(' '));

    const ReceiptCsv::Import result = ReceiptCsv::parse(ReceiptCsv::compose(records), kUnitedStates);
    QCOMPARE(result.error, QString());
    QCOMPARE(describe(result.rejected), QString());
    QCOMPARE(result.ignoredColumns, QStringList());
    QCOMPARE(fieldsOf(result.records), fieldsOf(records));
}

void TestReceiptCsv::formulasAreGuardedAndRoundTrip_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("cell"); // as the file holds it, quotes and all

    QTest::newRow("hyperlink") << "=HYPERLINK(\"http://x.example\",\"Click\")"
                               << "\"'=HYPERLINK(\"\"http://x.example\"\",\"\"Click\"\")\"";
    QTest::newRow("command") << "=cmd|' /C calc'!A0"
                             << "'=cmd|' /C calc'!A0";
    QTest::newRow("plus") << "+A1+1"
                          << "'+A1+1";
    QTest::newRow("minus formula") << "-2+3+cmd|' /C calc'!A0"
                                   << "'-2+3+cmd|' /C calc'!A0";
    QTest::newRow("at") << "@SUM(A1:A2)"
                        << "'@SUM(A1:A2)";
    QTest::newRow("tab") << "\t=1"
                         << "'\t=1";
    QTest::newRow("carriage return") << "\r=1"
                                     << "\"'\r=1\"";
    QTest::newRow("negative number stays a number") << "-5"
                                                    << "-5";
    QTest::newRow("signed decimal stays a number") << "+1.5"
                                                   << "+1.5";
    QTest::newRow("grouped negative stays a number") << "-1,234.50"
                                                     << "\"-1,234.50\"";
    QTest::newRow("exponent stays a number") << "-2E3"
                                             << "-2E3";
    QTest::newRow("a lone minus") << "-"
                                  << "'-";
    QTest::newRow("apostrophe then formula") << "'=1+1"
                                             << "''=1+1";
    QTest::newRow("apostrophes then number") << "''-5"
                                             << "'''-5";
    QTest::newRow("apostrophe then text") << "'quoted"
                                          << "'quoted";
    QTest::newRow("only apostrophes") << "''"
                                      << "''";
    QTest::newRow("formula sign later") << "a=b"
                                        << "a=b";
}

void TestReceiptCsv::formulasAreGuardedAndRoundTrip()
{
    QFETCH(QString, value);
    QFETCH(QString, cell);

    // The value in the description and in the tax, the last cell of the row.
    const ReceiptRecord r = receipt(QStringLiteral("R"), QStringLiteral("1"), QStringLiteral("5"),
                                    {{ReceiptRecord::Description, value}, {ReceiptRecord::Tax, value}});
    const QByteArray csv = ReceiptCsv::compose({r});
    const QString row = QString::fromUtf8(csv).section(QStringLiteral("\r\n"), 1).chopped(2);
    QCOMPARE(row, QStringLiteral("R,1,,,,,,,,%1,5,%1").arg(cell));

    const ReceiptCsv::Import back = ReceiptCsv::parse(csv, kUnitedStates);
    QCOMPARE(back.error, QString());
    QCOMPARE(back.records.size(), 1);
    // The list never holds tabs or line breaks, which the reader turns into blanks; all else comes back.
    QString expected = value;
    expected.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    QCOMPARE(back.records.first()[ReceiptRecord::Description], expected);
    QCOMPARE(back.records.first()[ReceiptRecord::Tax], expected);
}

void TestReceiptCsv::readFileRefusals()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    QVERIFY(
        ReceiptCsv::readFile(dir.filePath(QStringLiteral("missing.csv"))).error.contains(QStringLiteral("not exist")));
    QVERIFY(ReceiptCsv::readFile(dir.path()).error.contains(QStringLiteral("folder")));

    // A sparse file: as large as it says, without filling the disk.
    QFile large(dir.filePath(QStringLiteral("large.csv")));
    QVERIFY(large.open(QIODevice::WriteOnly));
    QVERIFY(large.write(kFullHeader) > 0);
    QVERIFY(large.resize(ReceiptCsv::kMaxFileSize + 1));
    large.close();
    QVERIFY(ReceiptCsv::readFile(large.fileName()).error.contains(QStringLiteral("too large")));

    QFile good(dir.filePath(QStringLiteral("good.csv")));
    QVERIFY(good.open(QIODevice::WriteOnly));
    good.write("Receipt,No,Amount\nRent,1,75\n");
    good.close();
    const ReceiptCsv::Import result = ReceiptCsv::readFile(good.fileName(), kUnitedStates);
    QCOMPARE(result.error, QString());
    QCOMPARE(result.records.size(), 1);
}

void TestReceiptCsv::failedWriteLeavesTheOldFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("receipts.csv"));
    const QByteArray oldContent = "\xef\xbb\xbf" + kFullHeader + "Old,1,,,,,,,,,5,\r\n";
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(oldContent);
    old.close();

    QList<ReceiptRecord> records;
    for (int i = 0; i < 200; ++i)
        records.append(receipt(QStringLiteral("Receipt %1").arg(i), QString::number(i), QStringLiteral("75")));
    bool failed = false;
    QString description;
    {
        FileSizeLimit limit(4096);
        if (!limit.active())
            QSKIP("The file-size limit cannot be lowered here");
        try {
            ReceiptCsv::writeFile(records, path);
        } catch (const Failure &failure) {
            failed = true;
            description = failure.description();
        }
    }
    QVERIFY(failed);
    QVERIFY2(description.contains(QStringLiteral("receipts.csv")), qPrintable(description));
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), oldContent);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("receipts.csv")});
}

void TestReceiptCsv::unreachableFileNamesTheCause_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("error"); // %1: the test's folder

    QTest::newRow("no such file") << "missing"
                                  << "The file does not exist.";
    QTest::newRow("a folder that cannot be entered") << "locked"
                                                     << "The folder %1/locked cannot be entered: Permission denied.";
    QTest::newRow("a file where a folder should be") << "file"
                                                     << "The file cannot be there: %1/notes.txt is not a folder.";
    QTest::newRow("links in a loop") << "loop"
                                     << "The file cannot be reached: Too many levels of symbolic links.";
}

void TestReceiptCsv::unreachableFileNamesTheCause()
{
    QFETCH(QString, fault);
    QFETCH(QString, error);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(QStringLiteral("missing.csv"));
    const uid_t self = ::geteuid();
    uid_t reader = self;
    if (fault == QLatin1String("locked")) {
        // Open to all but the inner folder, which only its owner may enter. The superuser enters any
        // folder, so then the file is looked for as another user.
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                      | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                                                      | QFile::ExeOther));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("locked")));
        path = dir.filePath(QStringLiteral("locked/receipts.csv"));
        QVERIFY(QFile(path).open(QIODevice::WriteOnly));
        QVERIFY(QFile::setPermissions(dir.filePath(QStringLiteral("locked")), QFile::ReadOwner | QFile::ExeOwner));
        if (self == 0)
            reader = 65534;
    } else if (fault == QLatin1String("file")) {
        QVERIFY(QFile(dir.filePath(QStringLiteral("notes.txt"))).open(QIODevice::WriteOnly));
        path = dir.filePath(QStringLiteral("notes.txt/receipts.csv"));
    } else if (fault == QLatin1String("loop")) {
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("b.csv")), dir.filePath(QStringLiteral("a.csv"))));
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("a.csv")), dir.filePath(QStringLiteral("b.csv"))));
        path = dir.filePath(QStringLiteral("a.csv"));
    }

    QVERIFY(::seteuid(reader) == 0);
    const ReceiptCsv::Import result = ReceiptCsv::readFile(path);
    QVERIFY(::seteuid(self) == 0);
    QCOMPARE(result.error, error.contains(QLatin1String("%1")) ? error.arg(dir.path()) : error);
}

PARVOLINE_TEST_GUILESS_MAIN(TestReceiptCsv)
#include "tst_receiptcsv.moc"
