#include "ErrorReport.h"
#include "Failure.h"
#include "GuardedProcedure.h"
#include "Locations.h"
#include "ProgramFiles.h"
#include "ScriptedDialogs.h"
#include "TestMain.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <new>
#include <stdexcept>

class TestGuardedProcedure : public QObject
{
    Q_OBJECT

private slots:
    void failingStepIsReportedAndTheNextRuns();
    void twoFailuresGiveTwoReportsInOrder();
    void failingTestRunsWhatItGuards();
    void testThatHoldsOrNot_data();
    void testThatHoldsOrNot();
    void failedAssignmentLeavesTheTarget();
    void descriptions_data();
    void descriptions();
    void failureInsideSharedProcedureNamesCallersStep();
};

void TestGuardedProcedure::failingStepIsReportedAndTheNextRuns()
{
    ScriptedDialogs dialogs;
    QStringList ran;
    {
        GuardedProcedure proc(Location::Form1_PushButton3_Click);
        QVERIFY(proc.step(100, [&] { ran << QStringLiteral("100"); }));
        QVERIFY(!proc.step(102, [&] {
            ran << QStringLiteral("102 begun");
            throw Failure(QStringLiteral("Type mismatch"));
            ran << QStringLiteral("102 finished");
        }));
        QVERIFY(proc.step(104, [&] { ran << QStringLiteral("104"); }));
        QCOMPARE(proc.failures(), 1);
        QCOMPARE(proc.line(), 104);
    }

    QCOMPARE(ran, (QStringList{QStringLiteral("100"), QStringLiteral("102 begun"), QStringLiteral("104")}));
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages.first().text,
             ComposeErrorReport(QStringLiteral("Type mismatch"), QString::fromLatin1(Location::Form1_PushButton3_Click),
                                102));
}

void TestGuardedProcedure::twoFailuresGiveTwoReportsInOrder()
{
    ScriptedDialogs dialogs;
    bool lastRan = false;
    GuardedProcedure proc(Location::Form2_RedrawImage);
    proc.step(104, [] { throw Failure(QStringLiteral("first")); });
    proc.step(106, [] {});
    proc.step(108, [] { throw Failure(QStringLiteral("second")); });
    proc.step(110, [&] { lastRan = true; });

    QVERIFY(lastRan);
    const auto reports = dialogs.errorReports();
    QCOMPARE(reports.size(), 2);
    const QString location = QString::fromLatin1(Location::Form2_RedrawImage);
    QCOMPARE(reports.at(0).text, ComposeErrorReport(QStringLiteral("first"), location, 104));
    QCOMPARE(reports.at(1).text, ComposeErrorReport(QStringLiteral("second"), location, 108));
}

void TestGuardedProcedure::failingTestRunsWhatItGuards()
{
    ScriptedDialogs dialogs;
    bool guardedRan = false;
    GuardedProcedure proc(Location::Form1_PushButton4_Click);
    if (proc.test(100, []() -> bool { throw Failure(QStringLiteral("Object required")); }))
        proc.step(102, [&] { guardedRan = true; });

    QVERIFY(guardedRan);
    QCOMPARE(dialogs.messages.size(), 1);
    QVERIFY(dialogs.messages.first().text.contains(QLatin1String("PushButton4_Click at line 100\r\r")));
}

void TestGuardedProcedure::testThatHoldsOrNot_data()
{
    QTest::addColumn<bool>("condition");
    QTest::newRow("holds") << true;
    QTest::newRow("does not hold") << false;
}

void TestGuardedProcedure::testThatHoldsOrNot()
{
    QFETCH(bool, condition);
    ScriptedDialogs dialogs;
    GuardedProcedure proc(Location::Form1_PushButton4_Click);
    QCOMPARE(proc.test(100, [&] { return condition; }), condition);
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(proc.failures(), 0);
}

void TestGuardedProcedure::failedAssignmentLeavesTheTarget()
{
    ScriptedDialogs dialogs;
    GuardedProcedure proc(Location::Form2_Form_Load);
    QString target = QStringLiteral("before");
    QVERIFY(!proc.assign(120, target, []() -> QString { throw Failure(QStringLiteral("Invalid picture")); }));
    QCOMPARE(target, QStringLiteral("before"));
    QVERIFY(proc.assign(122, target, [] { return QStringLiteral("after"); }));
    QCOMPARE(target, QStringLiteral("after"));
    QCOMPARE(dialogs.messages.size(), 1);
}

void TestGuardedProcedure::descriptions_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("description");
    QTest::newRow("failure") << 0 << QStringLiteral("Permission denied");
    QTest::newRow("standard exception") << 1 << QStringLiteral("vector too long");
    QTest::newRow("out of memory") << 2 << QStringLiteral("Out of memory");
    QTest::newRow("anything else") << 3 << QStringLiteral("Unknown error");
}

void TestGuardedProcedure::descriptions()
{
    QFETCH(int, kind);
    QFETCH(QString, description);

    ScriptedDialogs dialogs;
    GuardedProcedure proc(Location::Form1_PushButton6_Click);
    proc.step(300, [&] {
        switch (kind) {
        case 0:
            throw Failure(QStringLiteral("Permission denied"));
        case 1:
            throw std::length_error("vector too long");
        case 2:
            throw std::bad_alloc();
        default:
            throw 42;
        }
    });

    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages.first().text,
             ComposeErrorReport(description, QString::fromLatin1(Location::Form1_PushButton6_Click), 300));
}

void TestGuardedProcedure::failureInsideSharedProcedureNamesCallersStep()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("missing-folder/template.dot"));

    ScriptedDialogs dialogs;
    bool nextRan = false;
    GuardedProcedure proc(Location::Form1_PushButton6_Click);
    proc.step(110, [&] { WriteFileIfMissing(QByteArray("content"), path); });
    proc.step(112, [&] { nextRan = true; });

    QVERIFY(nextRan);
    QVERIFY(!QFile::exists(path));
    QCOMPARE(dialogs.messages.size(), 1);
    const QString text = dialogs.messages.first().text;
    QVERIFY2(text.contains(QLatin1String("\r\nin Quorvel2021/08/31.Form1.PushButton6_Click at line 110\r\r")),
             qPrintable(text));
}

PARVOLINE_TEST_GUILESS_MAIN(TestGuardedProcedure)
#include "tst_guardedprocedure.moc"
