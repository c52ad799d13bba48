#include "Program.h"
#include "TestMain.h"

#include <QTest>

class TestApplicationTitle : public QObject
{
    Q_OBJECT

private slots:
    void shortened_data();
    void shortened();
    void productTitle();
};

void TestApplicationTitle::shortened_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");

    QTest::newRow("one word stays") << QStringLiteral("Parvoline") << QStringLiteral("Parvoline");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("cut once even when short")
        << QStringLiteral("Parvoline Receipt Maker") << QStringLiteral("Parvoline Receipt");
    QTest::newRow("two words") << QStringLiteral("Parvoline 2021") << QStringLiteral("Parvoline");
    QTest::newRow("trailing blank") << QStringLiteral("Parvoline ") << QStringLiteral("Parvoline");
    // 48 characters: the first cut leaves 46, "Offices 2021" go while it is still longer than 40.
    QTest::newRow("cut while longer than 40") << QStringLiteral("Parvoline Receipt Maker For Small Offices 2021 X")
                                              << QStringLiteral("Parvoline Receipt Maker For Small");
    QTest::newRow("exactly 40 after the first cut") << QStringLiteral("aaaaaaaaa bbbbbbbbb ccccccccc dddddddddd eee")
                                                    << QStringLiteral("aaaaaaaaa bbbbbbbbb ccccccccc dddddddddd");
    QTest::newRow("long word without blanks left")
        << QStringLiteral("Parvolinereceiptmakerforsmallofficesandhomes 2021")
        << QStringLiteral("Parvolinereceiptmakerforsmallofficesandhomes");
}

void TestApplicationTitle::shortened()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QCOMPARE(ShortenedTitle(name), title);
}

void TestApplicationTitle::productTitle()
{
    SetApplicationTitle();
    QCOMPARE(ApplicationTitle(), QStringLiteral("Parvoline"));
}

PARVOLINE_TEST_APPLESS_MAIN(TestApplicationTitle)
#include "tst_applicationtitle.moc"
