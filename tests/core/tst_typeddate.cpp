#include "TestMain.h"
#include "TypedDate.h"

#include <QTest>

namespace {
const QDate kEarliest(1601, 1, 1);
const QDate kLatest(9999, 12, 31);

using State = TypedDate::State;
using Part = TypedDate::Part;
} // namespace

class TestTypedDate : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void order_data();
    void order();
    void partAt_data();
    void partAt();
    void placeOf_data();
    void placeOf();
    void stepped_data();
    void stepped();
    void everyLocaleReadsItsOwnDate();
};

void TestTypedDate::read_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<State>("state");
    QTest::addColumn<QDate>("date");

    const QDate march5(2021, 3, 5);
    auto row = [](const char *name, const char *locale, const QString &text, State state, const QDate &date) {
        QTest::newRow(name) << QString::fromLatin1(locale) << text << state << date;
    };
    // Month, day, year.
    row("slashes", "en_US", QStringLiteral("3/5/2021"), State::Acceptable, march5);
    row("two digits each", "en_US", QStringLiteral("03/05/2021"), State::Acceptable, march5);
    row("dashes", "en_US", QStringLiteral("3-5-2021"), State::Acceptable, march5);
    row("dots", "en_US", QStringLiteral("3.5.2021"), State::Acceptable, march5);
    row("mixed", "en_US", QStringLiteral("3/5-2021"), State::Acceptable, march5);
    row("blanks around", "en_US", QStringLiteral(" 3 / 5 / 2021 "), State::Acceptable, march5);
    row("blanks between", "en_US", QStringLiteral("3 5 2021"), State::Acceptable, march5);
    row("closing dot", "en_US", QStringLiteral("3/5/2021."), State::Acceptable, march5);
    row("year first", "en_US", QStringLiteral("2021-03-05"), State::Acceptable, march5);
    row("earliest", "en_US", QStringLiteral("1/1/1601"), State::Acceptable, kEarliest);
    row("latest", "en_US", QStringLiteral("12/31/9999"), State::Acceptable, kLatest);
    row("leap day", "en_US", QStringLiteral("2/29/2024"), State::Acceptable, QDate(2024, 2, 29));
    row("empty", "en_US", QString(), State::Intermediate, QDate());
    row("month only", "en_US", QStringLiteral("3"), State::Intermediate, QDate());
    row("month and separator", "en_US", QStringLiteral("3/"), State::Intermediate, QDate());
    row("no year", "en_US", QStringLiteral("3/5"), State::Intermediate, QDate());
    row("year being typed", "en_US", QStringLiteral("3/5/202"), State::Intermediate, QDate());
    row("two-digit year", "en_US", QStringLiteral("3/5/21"), State::Intermediate, QDate());
    row("no such day", "en_US", QStringLiteral("2/30/2021"), State::Intermediate, QDate());
    row("no leap day", "en_US", QStringLiteral("2/29/2021"), State::Intermediate, QDate());
    row("month 13", "en_US", QStringLiteral("13/5/2021"), State::Intermediate, QDate());
    row("day 0", "en_US", QStringLiteral("3/0/2021"), State::Intermediate, QDate());
    row("before the range", "en_US", QStringLiteral("12/31/1600"), State::Intermediate, QDate());
    row("year 0", "en_US", QStringLiteral("1/1/0000"), State::Intermediate, QDate());
    row("five-digit year", "en_US", QStringLiteral("3/5/20211"), State::Invalid, QDate());
    row("three-digit day", "en_US", QStringLiteral("3/500/2021"), State::Invalid, QDate());
    row("fourth part", "en_US", QStringLiteral("3/5/2021/1"), State::Invalid, QDate());
    row("slash after the year", "en_US", QStringLiteral("3/5/2021/"), State::Invalid, QDate());
    row("two separators", "en_US", QStringLiteral("3//5/2021"), State::Invalid, QDate());
    row("separator first", "en_US", QStringLiteral("/3/5/2021"), State::Invalid, QDate());
    row("letter", "en_US", QStringLiteral("3/5/2021x"), State::Invalid, QDate());
    row("other mark", "en_US", QStringLiteral("3+5+2021"), State::Invalid, QDate());
    row("superscript", "en_US", QStringLiteral("3/5/202\u00B2"), State::Invalid, QDate());
    // Day, month, year.
    row("German dots", "de_DE", QStringLiteral("5.3.2021"), State::Acceptable, march5);
    row("German as shown", "de_DE", QStringLiteral("05.03.2021"), State::Acceptable, march5);
    row("German slashes", "de_DE", QStringLiteral("5/3/2021"), State::Acceptable, march5);
    row("German dashes", "de_DE", QStringLiteral("5-3-2021"), State::Acceptable, march5);
    row("German year first", "de_DE", QStringLiteral("2021-03-05"), State::Acceptable, march5);
    row("German 31 December", "de_DE", QStringLiteral("31.12.2021"), State::Acceptable, QDate(2021, 12, 31));
    row("German no such day", "de_DE", QStringLiteral("31.2.2021"), State::Intermediate, QDate());
    row("German month 13", "de_DE", QStringLiteral("5.13.2021"), State::Intermediate, QDate());
    row("Arabic, Latin digits", "ar_EG", QStringLiteral("5/3/2021"), State::Acceptable, march5);
    row("Arabic digits", "ar_EG", QStringLiteral("٥/٣/٢٠٢١"), State::Acceptable, march5);
    row("Arabic as shown", "ar_EG", QStringLiteral("٥\u200F/٣\u200F/٢٠٢١"), State::Acceptable, march5);
    row("Arabic year being typed", "ar_EG", QStringLiteral("٥/٣/٢٠٢"), State::Intermediate, QDate());
    row("Saudi Arabic", "ar_SA", QStringLiteral("31/12/2026"), State::Acceptable, QDate(2026, 12, 31));
    row("Moroccan Arabic", "ar_MA", QStringLiteral("7\u200F/12\u200F/2026"), State::Acceptable, QDate(2026, 12, 7));
    // Year, month, day.
    row("Japanese", "ja_JP", QStringLiteral("2021/3/5"), State::Acceptable, march5);
    row("Japanese short year", "ja_JP", QStringLiteral("21/3/5"), State::Intermediate, QDate());
    row("Hungarian", "hu_HU", QStringLiteral("2021. 03. 05."), State::Acceptable, march5);
    row("Korean", "ko_KR", QStringLiteral("2021. 3. 5."), State::Acceptable, march5);
    row("Persian digits", "fa_IR", QStringLiteral("۲۰۲۱/۳/۵"), State::Acceptable, march5);
    // The plain C settings spell the month out; typed dates are day, month, year.
    row("C settings", "C", QStringLiteral("5/3/2021"), State::Acceptable, march5);
    row("C as shown", "C", QStringLiteral("8 Dec 2026"), State::Acceptable, QDate(2026, 12, 8));
    row("C year being typed", "C", QStringLiteral("8 Dec 202"), State::Intermediate, QDate());
    row("C two-digit year", "C", QStringLiteral("8 Dec 20"), State::Intermediate, QDate());
    row("C month being typed", "C", QStringLiteral("8 De"), State::Intermediate, QDate());
    row("C month in any case", "C", QStringLiteral("8 DEC 2026"), State::Acceptable, QDate(2026, 12, 8));
    row("C month in full", "C", QStringLiteral("8 december 2026"), State::Acceptable, QDate(2026, 12, 8));
    row("C month with a dot", "C", QStringLiteral("8 Dec. 2026"), State::Acceptable, QDate(2026, 12, 8));
    row("C without blanks", "C", QStringLiteral("8Dec2026"), State::Acceptable, QDate(2026, 12, 8));
    row("C month first", "C", QStringLiteral("Dec 8 2026"), State::Acceptable, QDate(2026, 12, 8));
    row("C year first", "C", QStringLiteral("2026 Dec 8"), State::Acceptable, QDate(2026, 12, 8));
    row("C no such day", "C", QStringLiteral("31 Feb 2026"), State::Intermediate, QDate());
    row("C no such month", "C", QStringLiteral("8 Dex 2026"), State::Invalid, QDate());
    row("C two months", "C", QStringLiteral("8 Dec Jan 2026"), State::Invalid, QDate());
    row("C month as a word and a number", "C", QStringLiteral("8 Dec 12 2026"), State::Invalid, QDate());
    row("US month as a word", "en_US", QStringLiteral("Dec 8 2026"), State::Acceptable, QDate(2026, 12, 8));
}

void TestTypedDate::read()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(State, state);
    QFETCH(QDate, date);

    const TypedDate typed = TypedDate::read(text, QLocale(locale), kEarliest, kLatest);
    QCOMPARE(typed.state(), state);
    if (state == State::Acceptable)
        QCOMPARE(typed.date(), date);
}

void TestTypedDate::order_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QList<Part>>("parts");
    QTest::newRow("en_US") << QStringLiteral("en_US") << QList<Part>{Part::Month, Part::Day, Part::Year};
    QTest::newRow("de_DE") << QStringLiteral("de_DE") << QList<Part>{Part::Day, Part::Month, Part::Year};
    QTest::newRow("ar_EG") << QStringLiteral("ar_EG") << QList<Part>{Part::Day, Part::Month, Part::Year};
    QTest::newRow("ja_JP") << QStringLiteral("ja_JP") << QList<Part>{Part::Year, Part::Month, Part::Day};
    // The Bulgarian short date ends in a quoted word with a "d" in no place of its own.
    QTest::newRow("bg_BG") << QStringLiteral("bg_BG") << QList<Part>{Part::Day, Part::Month, Part::Year};
}

void TestTypedDate::order()
{
    QFETCH(QString, locale);
    QFETCH(QList<Part>, parts);
    QCOMPARE(TypedDate::order(QLocale(locale)), parts);
}

void TestTypedDate::partAt_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("position");
    QTest::addColumn<Part>("part");

    const QString us = QStringLiteral("3/5/2021");
    QTest::newRow("before the month") << QStringLiteral("en_US") << us << 0 << Part::Month;
    QTest::newRow("behind the month") << QStringLiteral("en_US") << us << 1 << Part::Month;
    QTest::newRow("before the day") << QStringLiteral("en_US") << us << 2 << Part::Day;
    QTest::newRow("in the year") << QStringLiteral("en_US") << us << 6 << Part::Year;
    QTest::newRow("at the end") << QStringLiteral("en_US") << us << 8 << Part::Year;
    QTest::newRow("German month") << QStringLiteral("de_DE") << QStringLiteral("05.03.2021") << 4 << Part::Month;
    QTest::newRow("year first: year") << QStringLiteral("en_US") << QStringLiteral("2021-03-05") << 2 << Part::Year;
    QTest::newRow("year first: day") << QStringLiteral("en_US") << QStringLiteral("2021-03-05") << 9 << Part::Day;
    QTest::newRow("month as a word") << QStringLiteral("C") << QStringLiteral("5 Mar 2021") << 3 << Part::Month;
    QTest::newRow("Arabic day") << QStringLiteral("ar_EG") << QStringLiteral("٥\u200F/٣\u200F/٢٠٢١") << 1 << Part::Day;
    QTest::newRow("Arabic month") << QStringLiteral("ar_EG") << QStringLiteral("٥\u200F/٣\u200F/٢٠٢١") << 3
                                  << Part::Month;
    QTest::newRow("nothing typed") << QStringLiteral("en_US") << QString() << 0 << Part::Month;
}

void TestTypedDate::partAt()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(int, position);
    QFETCH(Part, part);
    QCOMPARE(TypedDate::partAt(text, position, QLocale(locale)), part);
}

void TestTypedDate::placeOf_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<Part>("part");
    QTest::addColumn<QString>("selected");

    QTest::newRow("US day") << QStringLiteral("en_US") << QStringLiteral("12/31/2021") << Part::Day
                            << QStringLiteral("31");
    QTest::newRow("US year") << QStringLiteral("en_US") << QStringLiteral("12/31/2021") << Part::Year
                             << QStringLiteral("2021");
    QTest::newRow("German month") << QStringLiteral("de_DE") << QStringLiteral("05.03.2021") << Part::Month
                                  << QStringLiteral("03");
    QTest::newRow("month as a word") << QStringLiteral("C") << QStringLiteral("5 Mar 2021") << Part::Month
                                     << QStringLiteral("Mar");
    QTest::newRow("missing part") << QStringLiteral("en_US") << QStringLiteral("12/") << Part::Year << QString();
}

void TestTypedDate::placeOf()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(Part, part);
    QFETCH(QString, selected);
    const auto [start, length] = TypedDate::placeOf(text, part, QLocale(locale));
    QCOMPARE(text.mid(start, length), selected);
}

void TestTypedDate::stepped_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<Part>("part");
    QTest::addColumn<int>("steps");
    QTest::addColumn<QDate>("to");

    QTest::newRow("next day") << QDate(2021, 3, 5) << Part::Day << 1 << QDate(2021, 3, 6);
    QTest::newRow("day stops at the month's end") << QDate(2021, 3, 31) << Part::Day << 1 << QDate(2021, 3, 31);
    QTest::newRow("day stops at the first") << QDate(2021, 3, 1) << Part::Day << -1 << QDate(2021, 3, 1);
    QTest::newRow("month into a shorter one") << QDate(2021, 1, 31) << Part::Month << 1 << QDate(2021, 2, 28);
    QTest::newRow("month stops at December") << QDate(2021, 11, 5) << Part::Month << 10 << QDate(2021, 12, 5);
    QTest::newRow("leap day a year on") << QDate(2020, 2, 29) << Part::Year << 1 << QDate(2021, 2, 28);
    QTest::newRow("ten years back") << QDate(2021, 3, 5) << Part::Year << -10 << QDate(2011, 3, 5);
    QTest::newRow("stays at the latest") << kLatest << Part::Year << 1 << kLatest;
    QTest::newRow("stays at the earliest") << kEarliest << Part::Day << -1 << kEarliest;
    QTest::newRow("year clamps to the range") << QDate(1605, 6, 1) << Part::Year << -10 << QDate(1601, 6, 1);
}

void TestTypedDate::stepped()
{
    QFETCH(QDate, from);
    QFETCH(Part, part);
    QFETCH(int, steps);
    QFETCH(QDate, to);
    QCOMPARE(TypedDate::stepped(from, part, steps, kEarliest, kLatest), to);
}

void TestTypedDate::everyLocaleReadsItsOwnDate()
{
    // What the picker shows, settings by settings, reads back as the same date: with its own
    // digits, marks and separators and month names, the two-digit years written in full as the picker
    // writes them.
    const QDate date(2026, 12, 7);
    int checked = 0;
    for (const QLocale &locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        QString format = locale.dateFormat(QLocale::ShortFormat);
        if (!format.contains(QLatin1String("yyyy")))
            format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        // Words other than the parts are the picker's own and not typed.
        if (format.contains(QLatin1Char('\'')))
            continue;
        const QString shown = locale.toString(date, format);
        const TypedDate typed = TypedDate::read(shown, locale, kEarliest, kLatest);
        QVERIFY2(typed.state() == State::Acceptable, qPrintable(locale.name() + QLatin1Char(' ') + shown));
        QVERIFY2(typed.date() == date, qPrintable(locale.name() + QLatin1Char(' ') + shown));
        ++checked;
    }
    QVERIFY(checked > 500);
}

PARVOLINE_TEST_APPLESS_MAIN(TestTypedDate)
#include "tst_typeddate.moc"
