#include "ReceiptRules.h"
#include "TestMain.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
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
    void dateTextHasAVisibleSeparatorUnderEverySetting();
    void controlCharactersAreRemoved_data();
    void controlCharactersAreRemoved();
    void singleLineText_data();
    void singleLineText();
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
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("numeric");
    QTest::addColumn<double>("value");

    QTest::newRow("German decimals") << QStringLiteral("de_DE") << QStringLiteral("75,50") << true << 75.5;
    QTest::newRow("German thousands") << QStringLiteral("de_DE") << QStringLiteral("1.075,25") << true << 1075.25;
    QTest::newRow("German negative") << QStringLiteral("de_DE") << QStringLiteral("-12,5") << true << -12.5;
    QTest::newRow("German, plain form still read")
        << QStringLiteral("de_DE") << QStringLiteral("75.50") << true << 75.5;
    QTest::newRow("German words") << QStringLiteral("de_DE") << QStringLiteral("zehn") << false << 0.0;
    QTest::newRow("Arabic digits") << QStringLiteral("ar_EG") << QStringLiteral("٧٥") << true << 75.0;
    QTest::newRow("Arabic decimals") << QStringLiteral("ar_EG") << QStringLiteral("٧٥٫٥٠") << true << 75.5;
    QTest::newRow("Arabic thousands") << QStringLiteral("ar_EG") << QStringLiteral("١٬٠٧٥٫٥٠") << true << 1075.5;
    // The settings write a letter mark before the minus sign; their own number must pass.
    QTest::newRow("Arabic negative as written")
        << QStringLiteral("ar_EG") << QLocale(QStringLiteral("ar_EG")).toString(-12.5) << true << -12.5;
    QTest::newRow("Moroccan negative as written")
        << QStringLiteral("ar_MA") << QLocale(QStringLiteral("ar_MA")).toString(-12.5) << true << -12.5;
    QTest::newRow("Arabic, Latin digits") << QStringLiteral("ar_EG") << QStringLiteral("75.50") << true << 75.5;
    QTest::newRow("Arabic, only a mark") << QStringLiteral("ar_EG") << QStringLiteral("\u061C") << false << 0.0;
    QTest::newRow("Arabic words") << QStringLiteral("ar_EG") << QStringLiteral("عشرة") << false << 0.0;
}

void TestReceiptRules::numberTestFollowsTheLocale()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(bool, numeric);
    QFETCH(double, value);
    bool ok = !numeric;
    QCOMPARE(NumericValue(text, &ok, QLocale(locale)), value);
    QCOMPARE(ok, numeric);
    QCOMPARE(IsNumeric(text, QLocale(locale)), numeric);
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
    // Arabic settings mark each slash as right to left; the mark alone is no separator.
    QTest::newRow("Egyptian Arabic") << QDate(2026, 12, 7) << QLocale(QStringLiteral("ar_EG"))
                                     << QStringLiteral("12/07/2026");
    QTest::newRow("Saudi Arabic") << QDate(2021, 3, 5) << QLocale(QStringLiteral("ar_SA"))
                                  << QStringLiteral("03/05/2021");
    QTest::newRow("Moroccan Arabic") << QDate(2021, 3, 5) << QLocale(QStringLiteral("ar_MA"))
                                     << QStringLiteral("03/05/2021");
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

void TestReceiptRules::dateTextHasAVisibleSeparatorUnderEverySetting()
{
    const QRegularExpression shape(QStringLiteral("^12(.)07\\1(2026)$"));
    int arabic = 0;
    for (const QLocale &locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        const QString text = FormatReceiptDate(QDate(2026, 12, 7), locale);
        const QRegularExpressionMatch match = shape.match(text);
        QVERIFY2(match.hasMatch(), qPrintable(locale.name() + QLatin1Char(' ') + text));
        const QChar separator = match.captured(1).at(0);
        QVERIFY2(separator.isPunct() || separator.isSymbol(), qPrintable(locale.name() + QLatin1Char(' ') + text));
        if (locale.language() == QLocale::Arabic) {
            ++arabic;
            QCOMPARE(text, QStringLiteral("12/07/2026"));
        }
    }
    QCOMPARE(arabic, 28);
}

void TestReceiptRules::controlCharactersAreRemoved_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept");

    QTest::newRow("none") << QStringLiteral("Elm Street") << QStringLiteral("Elm Street");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("start of heading") << QStringLiteral("Elm\u0001 Street") << QStringLiteral("Elm Street");
    QString every = QStringLiteral("a");
    for (char16_t c = 0; c < 0x20; ++c) {
        if (c != u'\t' && c != u'\n' && c != u'\r')
            every.append(QChar(c));
    }
    every.append(QStringLiteral("b\u007Fc"));
    QTest::newRow("all of them") << every << QStringLiteral("abc");
    QTest::newRow("tab and line breaks stay") << QStringLiteral("a\tb\r\nc\nd") << QStringLiteral("a\tb\r\nc\nd");
    QTest::newRow("delete only") << QStringLiteral("\u007F") << QString();
    QTest::newRow("other scripts stay") << QStringLiteral("Zürich 東京 ٠٣٢٤٥ 🏠")
                                        << QStringLiteral("Zürich 東京 ٠٣٢٤٥ 🏠");
    QTest::newRow("no-break space and marks stay")
        << QStringLiteral("a\u00A0b\u200Fc") << QStringLiteral("a\u00A0b\u200Fc");
}

void TestReceiptRules::controlCharactersAreRemoved()
{
    QFETCH(QString, text);
    QFETCH(QString, kept);
    QCOMPARE(RemoveControlCharacters(text), kept);
}

void TestReceiptRules::singleLineText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("movedTo");

    QTest::newRow("plain") << QStringLiteral("Elm Street") << 3 << QStringLiteral("Elm Street") << 3;
    QTest::newRow("control character") << QStringLiteral("Elm\u0001 Street") << 5 << QStringLiteral("Elm Street") << 4;
    QTest::newRow("lines of an address") << QStringLiteral("Elm Street\r\nHolderness") << 12
                                         << QStringLiteral("Elm Street Holderness") << 11;
    QTest::newRow("blank lines") << QStringLiteral("a\n\n\r\nb") << 5 << QStringLiteral("a b") << 2;
    QTest::newRow("cells of a row") << QStringLiteral("Holderness\tNH\t03245") << 14
                                    << QStringLiteral("Holderness NH 03245") << 14;
    QTest::newRow("copied with its line end") << QStringLiteral("03245\n") << 6 << QStringLiteral("03245") << 5;
    QTest::newRow("break in front") << QStringLiteral("\r\n\t75") << 3 << QStringLiteral("75") << 0;
    QTest::newRow("line and paragraph separators")
        << QStringLiteral("a\u2028b\u2029c\u0085d") << 7 << QStringLiteral("a b c d") << 7;
    QTest::newRow("vertical tab and form feed go")
        << QStringLiteral("a\u000Bb\u000Cc") << 0 << QStringLiteral("abc") << 0;
    QTest::newRow("only breaks") << QStringLiteral("\n\t\r") << 1 << QString() << 0;
}

void TestReceiptRules::singleLineText()
{
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(QString, line);
    QFETCH(int, movedTo);

    qsizetype at = position;
    QCOMPARE(SingleLineText(text, &at), line);
    QCOMPARE(at, qsizetype(movedTo));
    QCOMPARE(SingleLineText(text), line);
    // The result is a line as the box keeps it already.
    QCOMPARE(SingleLineText(line), line);
}

PARVOLINE_TEST_APPLESS_MAIN(TestReceiptRules)
#include "tst_receiptrules.moc"
