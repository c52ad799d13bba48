#include "ReceiptRules.h"
#include "TestMain.h"

#include <QDate>
#include <QLocale>
#include <QTest>

class TestReceiptRules : public QObject
{
    Q_OBJECT

private slots:
    void numberTest_data();
    void numberTest();
    void numberTestFollowsTheLocale_data();
    void numberTestFollowsTheLocale();
    void cityLine_data();
    void cityLine();
    void dateText_data();
    void dateText();
    void dateTextUsesTheUsersSettings();
};

void TestReceiptRules::numberTest_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");

    QTest::newRow("whole number") << QStringLiteral("75") << true;
    QTest::newRow("blanks around") << QStringLiteral(" 75 ") << true;
    QTest::newRow("decimals") << QStringLiteral("75.50") << true;
    QTest::newRow("thousands separator") << QStringLiteral("1,075") << true;
    QTest::newRow("negative") << QStringLiteral("-12.5") << true;
    QTest::newRow("zero") << QStringLiteral("0") << true;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blanks only") << QStringLiteral("   ") << false;
    QTest::newRow("letters") << QStringLiteral("abc") << false;
    QTest::newRow("number word") << QStringLiteral("ten") << false;
    QTest::newRow("number then letters") << QStringLiteral("75abc") << false;
    QTest::newRow("two numbers") << QStringLiteral("75 50") << false;
    QTest::newRow("infinity") << QStringLiteral("inf") << false;
    QTest::newRow("not a number") << QStringLiteral("nan") << false;
    QTest::newRow("placeholder") << QStringLiteral("[Amount]") << false;
}

void TestReceiptRules::numberTest()
{
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QCOMPARE(IsNumeric(text, QLocale(QLocale::English, QLocale::UnitedStates)), numeric);
    // The tests run under United States settings, which the default argument picks up.
    QCOMPARE(IsNumeric(text), numeric);
}

void TestReceiptRules::numberTestFollowsTheLocale_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("German decimals") << QStringLiteral("75,50") << 75.5;
    QTest::newRow("German thousands") << QStringLiteral("1.075,25") << 1075.25;
    QTest::newRow("plain form still read") << QStringLiteral("75.50") << 75.5;
}

void TestReceiptRules::numberTestFollowsTheLocale()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    const QLocale german(QLocale::German, QLocale::Germany);
    bool ok = false;
    QCOMPARE(NumericValue(text, &ok, german), value);
    QVERIFY(ok);
    QVERIFY(IsNumeric(text, german));
}

void TestReceiptRules::cityLine_data()
{
    QTest::addColumn<QString>("city");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("zip");
    QTest::addColumn<QString>("line");

    QTest::newRow("full") << QStringLiteral("Holderness") << QStringLiteral("NH") << QStringLiteral("03245")
                          << QStringLiteral("Holderness, NH 03245");
    QTest::newRow("all empty") << QString() << QString() << QString() << QStringLiteral(",  ");
    QTest::newRow("city only") << QStringLiteral("French Leek") << QString() << QString()
                               << QStringLiteral("French Leek,  ");
    QTest::newRow("kept as typed") << QStringLiteral(" Holderness ") << QStringLiteral("nh")
                                   << QStringLiteral("03245-1234") << QStringLiteral(" Holderness , nh 03245-1234");
    QTest::newRow("other scripts") << QStringLiteral("Zürich") << QStringLiteral("東京") << QStringLiteral("٠٣٢٤٥")
                                   << QStringLiteral("Zürich, 東京 ٠٣٢٤٥");
}

void TestReceiptRules::cityLine()
{
    QFETCH(QString, city);
    QFETCH(QString, state);
    QFETCH(QString, zip);
    QFETCH(QString, line);
    QCOMPARE(ComposeCityLine(city, state, zip), line);
}

void TestReceiptRules::dateText_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");

    const QLocale us(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("5 March 2021") << QDate(2021, 3, 5) << us << QStringLiteral("03/05/2021");
    QTest::newRow("30 August 2021") << QDate(2021, 8, 30) << us << QStringLiteral("08/30/2021");
    QTest::newRow("earliest") << QDate(1601, 1, 1) << us << QStringLiteral("01/01/1601");
    QTest::newRow("latest") << QDate(9999, 12, 31) << us << QStringLiteral("12/31/9999");
    QTest::newRow("German separator") << QDate(2021, 3, 5) << QLocale(QLocale::German, QLocale::Germany)
                                      << QStringLiteral("03.05.2021");
    QTest::newRow("Dutch separator") << QDate(2021, 3, 5) << QLocale(QLocale::Dutch, QLocale::Netherlands)
                                     << QStringLiteral("03-05-2021");
    QTest::newRow("C settings spell the month out")
        << QDate(2021, 3, 5) << QLocale::c() << QStringLiteral("03/05/2021");
}

void TestReceiptRules::dateText()
{
    QFETCH(QDate, date);
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QCOMPARE(FormatReceiptDate(date, locale), text);
}

void TestReceiptRules::dateTextUsesTheUsersSettings()
{
    QCOMPARE(FormatReceiptDate(QDate(2021, 3, 5)), QStringLiteral("03/05/2021"));
}

PARVOLINE_TEST_APPLESS_MAIN(TestReceiptRules)
#include "tst_receiptrules.moc"
