// The bookkeeping of the literal fill: where placeholders stand, and that text a fill inserted is
// never searched again, also after later fills in the same cell moved it.

#include "LibreOfficeFillTracker.h"
#include "TestMain.h"

#include <QTest>

class TestLibreOfficeFillTracker : public QObject
{
    Q_OBJECT

private slots:
    void findsOutsideFilledValues_data();
    void findsOutsideFilledValues();
    void changedCellsLoseTheirFilledValues();
    void cursorSteps_data();
    void cursorSteps();
};

namespace {
// Fills every occurrence of \a placeholder in the tracker's model of cell "A1" as the office would.
void fill(LibreOfficeFillTracker &tracker, const QString &placeholder, const QString &value)
{
    const QList<LibreOfficeFillTracker::Occurrence> found = tracker.find(placeholder);
    for (const LibreOfficeFillTracker::Occurrence &occurrence : found) {
        QString text = tracker.text(occurrence.cell);
        text.replace(occurrence.position, occurrence.length, value);
        tracker.filled(occurrence, text);
    }
}
} // namespace

void TestLibreOfficeFillTracker::findsOutsideFilledValues_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QStringList>("fills"); // placeholder, value, placeholder, value ...
    QTest::addColumn<QString>("expected");

    QTest::newRow("case ignored") << QStringLiteral("[Receipt] and [receipt]")
                                  << QStringList{QStringLiteral("[RECEIPT]"), QStringLiteral("R")}
                                  << QStringLiteral("R and R");
    QTest::newRow("value names a later placeholder")
        << QStringLiteral("A: [A]\nB: [B]")
        << QStringList{QStringLiteral("[A]"), QStringLiteral("[B]"), QStringLiteral("[B]"), QStringLiteral("b")}
        << QStringLiteral("A: [B]\nB: b");
    QTest::newRow("value names itself") << QStringLiteral("[A][A]")
                                        << QStringList{QStringLiteral("[A]"), QStringLiteral("[A][A]"),
                                                       QStringLiteral("[a]"), QStringLiteral("x")}
                                        << QStringLiteral("[A][A][A][A]");
    QTest::newRow("values shift and keep protecting")
        << QStringLiteral("[A]-[B]-[C]") << QStringList{QStringLiteral("[B]"), QStringLiteral("a much longer [C]"),
                                                        QStringLiteral("[A]"), QStringLiteral(""),
                                                        QStringLiteral("[C]"), QStringLiteral("c")}
        << QStringLiteral("-a much longer [C]-c");
    QTest::newRow("placeholder straddling a value is not one")
        << QStringLiteral("[To[X]")
        << QStringList{QStringLiteral("[X]"), QStringLiteral("tal]"), QStringLiteral("[Total]"), QStringLiteral("no")}
        << QStringLiteral("[Total]");
}

void TestLibreOfficeFillTracker::findsOutsideFilledValues()
{
    QFETCH(QString, cell);
    QFETCH(QStringList, fills);
    QFETCH(QString, expected);
    LibreOfficeFillTracker tracker;
    tracker.update({QStringLiteral("A1")}, {cell});
    for (qsizetype i = 0; i + 1 < fills.size(); i += 2)
        fill(tracker, fills[i], fills[i + 1]);
    QCOMPARE(tracker.text(QStringLiteral("A1")), expected);
}

void TestLibreOfficeFillTracker::changedCellsLoseTheirFilledValues()
{
    LibreOfficeFillTracker tracker;
    tracker.update({QStringLiteral("A1"), QStringLiteral("B1")}, {QStringLiteral("[A]"), QStringLiteral("[B]")});
    fill(tracker, QStringLiteral("[A]"), QStringLiteral("[Z]"));
    fill(tracker, QStringLiteral("[B]"), QStringLiteral("[Z]"));
    // B1 was changed by someone else since: what it holds now is searched like template text.
    tracker.update({QStringLiteral("A1"), QStringLiteral("B1")}, {QStringLiteral("[Z]"), QStringLiteral("[Z]!")});
    const QList<LibreOfficeFillTracker::Occurrence> found = tracker.find(QStringLiteral("[z]"));
    QCOMPARE(found.size(), 1);
    QCOMPARE(found[0].cell, QStringLiteral("B1"));
    QCOMPARE(found[0].position, 0);
}

void TestLibreOfficeFillTracker::cursorSteps_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("steps");
    QTest::newRow("plain") << QStringLiteral("abc") << 3 << 3;
    QTest::newRow("paragraphs") << QStringLiteral("a\nb") << 3 << 3;
    QTest::newRow("outside the basic plane") << QStringLiteral("😀x") << 3 << 2;
    QTest::newRow("combining mark") << QStringLiteral("e\u0301x") << 3 << 3;
}

void TestLibreOfficeFillTracker::cursorSteps()
{
    QFETCH(QString, text);
    QFETCH(int, to);
    QFETCH(int, steps);
    QCOMPARE(LibreOfficeFillTracker::cursorSteps(text, 0, to), steps);
}

PARVOLINE_TEST_APPLESS_MAIN(TestLibreOfficeFillTracker)
#include "tst_libreofficefilltracker.moc"
