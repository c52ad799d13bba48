#include "Failure.h"
#include "ReceiptList.h"
#include "ReceiptTotal.h"
#include "TestMain.h"

#include <QLocale>
#include <QTest>

#include <limits>

class TestReceiptTotal : public QObject
{
    Q_OBJECT

private slots:
    void total_data();
    void total();
    void leadingNumber_data();
    void leadingNumber();
    void generalNumber_data();
    void generalNumber();
    void totalThatIsNoNumberIsAFailure_data();
    void totalThatIsNoNumberIsAFailure();
    void overflowNamesTheReceiptAndItsValues();
};

void TestReceiptTotal::total_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("tax");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("total");

    const QString us = QStringLiteral("en_US");
    QTest::newRow("amount and tax") << QStringLiteral("100") << QStringLiteral("8.25") << us
                                    << QStringLiteral("108.25");
    QTest::newRow("no tax") << QStringLiteral("100") << QStringLiteral("0") << us << QStringLiteral("100");
    QTest::newRow("empty tax") << QStringLiteral("100") << QString() << us << QStringLiteral("100");
    QTest::newRow("grouped amount as Add accepts it")
        << QStringLiteral("1,200.50") << QStringLiteral("0") << us << QStringLiteral("1200.5");
    QTest::newRow("tax in words") << QStringLiteral("100") << QStringLiteral("ten") << us << QStringLiteral("100");
    QTest::newRow("tax with a unit") << QStringLiteral("100") << QStringLiteral("7.5%") << us
                                     << QStringLiteral("107.5");
    QTest::newRow("tax with grouping the old reader stops at")
        << QStringLiteral("1") << QStringLiteral("2,000 USD") << us << QStringLiteral("3");
    QTest::newRow("blanks around") << QStringLiteral(" 75 ") << QStringLiteral(" 10 ") << us << QStringLiteral("85");
    QTest::newRow("binary fractions") << QStringLiteral("0.1") << QStringLiteral("0.2") << us << QStringLiteral("0.3");
    QTest::newRow("negative tax") << QStringLiteral("100") << QStringLiteral("-100") << us << QStringLiteral("0");
    QTest::newRow("German amount") << QStringLiteral("1.200,50") << QStringLiteral("0,5") << QStringLiteral("de_DE")
                                   << QStringLiteral("1201");
    QTest::newRow("German decimal comma")
        << QStringLiteral("10,25") << QStringLiteral("0") << QStringLiteral("de_DE") << QStringLiteral("10,25");
}

void TestReceiptTotal::total()
{
    QFETCH(QString, amount);
    QFETCH(QString, tax);
    QFETCH(QString, locale);
    QFETCH(QString, total);
    QCOMPARE(ReceiptTotal(amount, tax, QLocale(locale)), total);
}

void TestReceiptTotal::leadingNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    QTest::newRow("plain") << QStringLiteral("42") << 42.0;
    QTest::newRow("decimal point") << QStringLiteral("8.25") << 8.25;
    QTest::newRow("stops at a comma") << QStringLiteral("1,200.50") << 1.0;
    QTest::newRow("blanks inside are skipped") << QStringLiteral(" 1 2 3") << 123.0;
    QTest::newRow("text after") << QStringLiteral("12 dollars") << 12.0;
    QTest::newRow("no number") << QStringLiteral("ten") << 0.0;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("sign") << QStringLiteral("-3.5") << -3.5;
    QTest::newRow("exponent") << QStringLiteral("1.5e3") << 1500.0;
    QTest::newRow("exponent without digits") << QStringLiteral("2e") << 2.0;
    QTest::newRow("second point stops") << QStringLiteral("1.2.3") << 1.2;
    QTest::newRow("too large is infinite") << QStringLiteral("1e999") << std::numeric_limits<double>::infinity();
    QTest::newRow("too large, negative") << QStringLiteral("-1e999") << -std::numeric_limits<double>::infinity();
}

void TestReceiptTotal::leadingNumber()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(LeadingNumber(text), value);
}

void TestReceiptTotal::generalNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 100.0 << QStringLiteral("100");
    QTest::newRow("no trailing zeros") << 1200.5 << QStringLiteral("1200.5");
    QTest::newRow("no grouping") << 1234567.0 << QStringLiteral("1234567");
    QTest::newRow("fifteen digits") << 123456789012.345 << QStringLiteral("123456789012.345");
    QTest::newRow("rounded to fifteen digits") << 2.0 / 3.0 << QStringLiteral("0.666666666666667");
    QTest::newRow("large") << 1e20 << QStringLiteral("1E+20");
    QTest::newRow("small") << 0.000015 << QStringLiteral("1.5E-05");
    QTest::newRow("negative") << -2.5 << QStringLiteral("-2.5");
    QTest::newRow("zero") << 0.0 << QStringLiteral("0");
    QTest::newRow("negative zero") << -0.0 << QStringLiteral("0");
}

void TestReceiptTotal::generalNumber()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(GeneralNumber(value, QLocale(QLocale::English, QLocale::UnitedStates)), text);
}

void TestReceiptTotal::totalThatIsNoNumberIsAFailure_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("tax");
    QTest::newRow("the sum overflows") << QStringLiteral("1e308") << QStringLiteral("1e308");
    QTest::newRow("the sum overflows below zero") << QStringLiteral("-1e308") << QStringLiteral("-1e308");
    QTest::newRow("a tax too large to read") << QStringLiteral("100") << QStringLiteral("1e999 USD");
    QTest::newRow("infinities that cancel") << QStringLiteral("1e999 USD") << QStringLiteral("-1e999 USD");
}

void TestReceiptTotal::totalThatIsNoNumberIsAFailure()
{
    QFETCH(QString, amount);
    QFETCH(QString, tax);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    try {
        const QString total = ReceiptTotal(amount, tax, us);
        QFAIL(qPrintable(QStringLiteral("printed as ") + total));
    } catch (const Failure &failure) {
        QVERIFY2(failure.description().startsWith(QStringLiteral("Overflow")), qPrintable(failure.description()));
    }
    QVERIFY_THROWS_EXCEPTION(Failure, GeneralNumber(std::numeric_limits<double>::infinity(), us));
    QVERIFY_THROWS_EXCEPTION(Failure, GeneralNumber(std::numeric_limits<double>::quiet_NaN(), us));
}

void TestReceiptTotal::overflowNamesTheReceiptAndItsValues()
{
    ReceiptList receipts;
    ReceiptRecord fine;
    fine[ReceiptRecord::Amount] = QStringLiteral("5");
    receipts.append(fine);
    ReceiptRecord huge;
    huge[ReceiptRecord::Receipt] = QStringLiteral("Harbor Lights");
    huge[ReceiptRecord::No] = QStringLiteral("2024-0002");
    huge[ReceiptRecord::Amount] = QStringLiteral("1e308");
    huge[ReceiptRecord::Tax] = QStringLiteral("1e308");
    receipts.append(huge);

    QCOMPARE(ReceiptTotalOf(receipts, 1), QStringLiteral("5"));
    try {
        ReceiptTotalOf(receipts, 2);
        QFAIL("no failure");
    } catch (const Failure &failure) {
        QCOMPARE(failure.description(),
                 QStringLiteral("Overflow in receipt 2 (\"Harbor Lights\" No \"2024-0002\"): the total of the amount "
                                "\"1e308\" and the tax \"1e308\" is too large to be written"));
    }
}

PARVOLINE_TEST_APPLESS_MAIN(TestReceiptTotal)
#include "tst_receipttotal.moc"
