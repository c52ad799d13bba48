#include "Clock.h"
#include "Failure.h"
#include "Form1Fixture.h"
#include "ReceiptList.h"
#include "ScopedDefaultLocale.h"
#include "TestMain.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
QStringList fieldsOf(const ReceiptRecord &record)
{
    return QStringList(record.fields.begin(), record.fields.end());
}
} // namespace

class TestSampleData : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void sampleRow_data();
    void sampleRow();
    void fieldsKeepTheSample();
    void typedValuesAreReplaced();
    void twiceGivesTwoIdenticalRows();
    void addAfterSampleListsItAgain();
    void failuresAreReportedWithoutIconAndTheRestRuns();

private:
    Form1 &loadedOn(const QDate &today);
    void clickSample() { mFixture->control<QPushButton>(QStringLiteral("PushButton1"))->click(); }

    std::unique_ptr<ScopedDefaultLocale> mLocale;
    std::unique_ptr<Form1Fixture> mFixture;
};

void TestSampleData::cleanup()
{
    mFixture.reset();
    mLocale.reset();
    Clock::pin(nullptr);
}

Form1 &TestSampleData::loadedOn(const QDate &today)
{
    Clock::pin([today] { return today; });
    mFixture = std::make_unique<Form1Fixture>();
    Form1 &form = mFixture->load();
    mFixture->dialogs.clear();
    return form;
}

void TestSampleData::sampleRow_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<QString>("row");

    QTest::newRow("31 August 2021") << QStringLiteral("en_US") << QDate(2021, 8, 31)
                                    << QStringLiteral("Sample receipt;210831;Selma Orrick;Birchwood st;French Leek, IN "
                                                      "33455;Dorian Quell Jr.;Elm Street;Holderness, NH "
                                                      "03245;08/30/2021;Building a tree house;75;10");
    QTest::newRow("1 January 2022") << QStringLiteral("en_US") << QDate(2022, 1, 1)
                                    << QStringLiteral("Sample receipt;220101;Selma Orrick;Birchwood st;French Leek, IN "
                                                      "33455;Dorian Quell Jr.;Elm Street;Holderness, NH "
                                                      "03245;12/31/2021;Building a tree house;75;10");
    QTest::newRow("1 March of a leap year") << QStringLiteral("en_US") << QDate(2024, 3, 1)
                                            << QStringLiteral("Sample receipt;240301;Selma Orrick;Birchwood st;French "
                                                              "Leek, IN 33455;Dorian Quell Jr.;Elm Street;Holderness, "
                                                              "NH 03245;02/29/2024;Building a tree house;75;10");
    QTest::newRow("year 2105") << QStringLiteral("en_US") << QDate(2105, 7, 4)
                               << QStringLiteral("Sample receipt;050704;Selma Orrick;Birchwood st;French Leek, IN "
                                                 "33455;Dorian Quell Jr.;Elm Street;Holderness, NH "
                                                 "03245;07/03/2105;Building a tree house;75;10");
    // The date takes the separator of the settings; Arabic settings mark it right to left, which is no
    // separator of its own.
    QTest::newRow("German settings") << QStringLiteral("de_DE") << QDate(2021, 8, 31)
                                     << QStringLiteral(
                                            "Sample receipt;210831;Selma Orrick;Birchwood st;French Leek, IN "
                                            "33455;Dorian Quell Jr.;Elm Street;Holderness, NH "
                                            "03245;08.30.2021;Building a tree house;75;10");
    QTest::newRow("Egyptian Arabic settings")
        << QStringLiteral("ar_EG") << QDate(2021, 8, 31)
        << QStringLiteral("Sample receipt;210831;Selma Orrick;Birchwood st;French Leek, IN "
                          "33455;Dorian Quell Jr.;Elm Street;Holderness, NH "
                          "03245;08/30/2021;Building a tree house;75;10");
}

void TestSampleData::sampleRow()
{
    QFETCH(QString, locale);
    QFETCH(QDate, today);
    QFETCH(QString, row);

    mLocale = std::make_unique<ScopedDefaultLocale>(QLocale(locale));
    Form1 &form = loadedOn(today);
    clickSample();

    QVERIFY(mFixture->dialogs.messages.isEmpty());
    QCOMPARE(form.receipts()->count(), 1);
    QCOMPARE(fieldsOf(form.receipts()->record(1)).join(QLatin1Char(';')), row);
}

void TestSampleData::fieldsKeepTheSample()
{
    loadedOn(QDate(2021, 8, 31));
    clickSample();

    const char *expected[][2] = {
        {"Text1", "Sample receipt"},
        {"Text2", "210831"},
        {"Text3", "Selma Orrick"},
        {"Text4", "Birchwood st"},
        {"Text5", "French Leek"},
        {"Text6", "IN"},
        {"Text7", "33455"},
        {"Text9", "Dorian Quell Jr."},
        {"Text10", "Elm Street"},
        {"Text11", "Holderness"},
        {"Text12", "NH"},
        {"Text8", "03245"},
        {"Text14", "Building a tree house"},
        {"Text15", "75"},
        {"Text16", "10"},
    };
    for (const auto &e : expected)
        QCOMPARE(mFixture->control<QLineEdit>(QLatin1String(e[0]))->text(), QLatin1String(e[1]));
    QCOMPARE(mFixture->control<QDateEdit>(QStringLiteral("DateTimePicker1"))->date(), QDate(2021, 8, 30));
}

void TestSampleData::typedValuesAreReplaced()
{
    Form1 &form = loadedOn(QDate(2021, 8, 31));
    for (QLineEdit *box : mFixture->boxes())
        box->setText(QStringLiteral("typed before"));
    mFixture->control<QDateEdit>(QStringLiteral("DateTimePicker1"))->setDate(QDate(1999, 12, 31));

    clickSample();

    for (QLineEdit *box : mFixture->boxes())
        QVERIFY2(box->text() != QLatin1String("typed before"), qPrintable(box->objectName()));
    const QStringList fields = fieldsOf(form.receipts()->record(1));
    QVERIFY(!fields.join(QLatin1Char(';')).contains(QLatin1String("typed before")));
    QCOMPARE(fields.at(ReceiptRecord::Date), QStringLiteral("08/30/2021"));
}

void TestSampleData::twiceGivesTwoIdenticalRows()
{
    Form1 &form = loadedOn(QDate(2021, 8, 31));
    clickSample();
    clickSample();
    QCOMPARE(form.receipts()->count(), 2);
    QCOMPARE(form.receipts()->record(1), form.receipts()->record(2));
    QCOMPARE(form.receipts()->text(2, ReceiptRecord::No), QStringLiteral("210831"));
}

void TestSampleData::addAfterSampleListsItAgain()
{
    Form1 &form = loadedOn(QDate(2021, 8, 31));
    clickSample();
    mFixture->control<QPushButton>(QStringLiteral("PushButton3"))->click();

    QVERIFY(mFixture->dialogs.messages.isEmpty());
    QCOMPARE(form.receipts()->count(), 2);
    QCOMPARE(form.receipts()->record(2), form.receipts()->record(1));
}

void TestSampleData::failuresAreReportedWithoutIconAndTheRestRuns()
{
    Form1 &form = loadedOn(QDate(2021, 8, 31));
    mFixture->box(2)->setText(QStringLiteral("typed"));
    Clock::pin([]() -> QDate { throw Failure(QStringLiteral("Invalid procedure call")); });

    clickSample();

    const auto reports = mFixture->dialogs.errorReports();
    QCOMPARE(reports.size(), 2);
    QVERIFY(reports.at(0).text.startsWith(
        QLatin1String("Invalid procedure call\r\nin Quorvel2021/08/31.Form1.PushButton1_Click at line 102\r\r")));
    QVERIFY(reports.at(1).text.startsWith(
        QLatin1String("Invalid procedure call\r\nin Quorvel2021/08/31.Form1.PushButton1_Click at line 130\r\r")));
    for (const auto &report : reports)
        QCOMPARE(report.icon, UserDialogs::Icon::None);

    // The failed steps are skipped; every other value is set and the row is listed.
    QCOMPARE(form.receipts()->count(), 1);
    QCOMPARE(form.receipts()->text(1, ReceiptRecord::No), QStringLiteral("typed"));
    QCOMPARE(form.receipts()->text(1, ReceiptRecord::Tax), QStringLiteral("10"));
    QCOMPARE(form.receipts()->text(1, ReceiptRecord::Date), QStringLiteral("08/31/2021"));
}

PARVOLINE_TEST_MAIN(TestSampleData)
#include "tst_sampledata.moc"
