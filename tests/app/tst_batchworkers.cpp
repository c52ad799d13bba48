#include "TestMain.h"
// The batch command's copies of itself, played here by small shell scripts: what they say arrives whole
// and in order, their end is told with its status, and none outlives the command.

#include "BatchWorkers.h"

#include <QDir>
#include <QUuid>

namespace {
// Processes whose command line holds \a marker.
int processesMarked(const QByteArray &marker)
{
    int found = 0;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (cmdline.open(QIODevice::ReadOnly) && cmdline.readAll().contains(marker))
            ++found;
    }
    return found;
}

// The next event other than a time out, within 10 seconds.
BatchWorkers::Event nextEvent(BatchWorkers &workers)
{
    for (int tries = 0; tries < 100; ++tries) {
        const BatchWorkers::Event event = workers.next(100);
        if (event.worker >= 0)
            return event;
    }
    return {};
}
} // namespace

class tst_BatchWorkers final : public QObject
{
    Q_OBJECT

private slots:
    void linesArriveWholeBeforeTheEnd();
    void finishLetsEachEndAfterItsWork();
    void crashIsTold();
    void stopEndsEvenOneThatIgnoresIt();
};

void tst_BatchWorkers::linesArriveWholeBeforeTheEnd()
{
    // A line in two pieces, then an end right after the last one: nothing is lost or split.
    BatchWorkers workers(QStringLiteral("/bin/sh"),
                         {QStringLiteral("-c"), QStringLiteral("read part; printf 'progress 3\\ndo' >&0; sleep 0.2; "
                                                               "printf 'ne /a%%20b%%0Ac\\n' >&0; exit 5")});
    QString problem;
    QVERIFY2(workers.start(1, problem), qPrintable(problem));
    QVERIFY(workers.send(0, "part-1.csv"));

    BatchWorkers::Event event = nextEvent(workers);
    QCOMPARE(event.kind, BatchWorkers::Event::Progress);
    QCOMPARE(event.number, 3);
    event = nextEvent(workers);
    QCOMPARE(event.kind, BatchWorkers::Event::Done);
    QCOMPARE(event.text, QStringLiteral("/a b\nc"));
    event = nextEvent(workers);
    QCOMPARE(event.kind, BatchWorkers::Event::Ended);
    QCOMPARE(event.number, 5);
    QVERIFY(!workers.isRunning(0));
}

void tst_BatchWorkers::finishLetsEachEndAfterItsWork()
{
    BatchWorkers workers(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("while read part; do echo "
                                                                                          "\"done $part\" >&0; done")});
    QString problem;
    QVERIFY2(workers.start(2, problem), qPrintable(problem));
    QCOMPARE(workers.count(), 2);
    QVERIFY(workers.send(0, "a"));
    QVERIFY(workers.send(1, "b"));
    QStringList done;
    for (int i = 0; i < 2; ++i) {
        const BatchWorkers::Event event = nextEvent(workers);
        QCOMPARE(event.kind, BatchWorkers::Event::Done);
        done.append(QString::number(event.worker) + event.text);
    }
    done.sort();
    QCOMPARE(done, QStringList({QStringLiteral("0a"), QStringLiteral("1b")}));

    // No more work: each reads its end of input and ends well.
    workers.finish();
    for (int i = 0; i < 2; ++i) {
        const BatchWorkers::Event event = nextEvent(workers);
        QCOMPARE(event.kind, BatchWorkers::Event::Ended);
        QCOMPARE(event.number, 0);
    }
}

void tst_BatchWorkers::crashIsTold()
{
    BatchWorkers workers(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("kill -SEGV $$")});
    QString problem;
    QVERIFY2(workers.start(1, problem), qPrintable(problem));
    const BatchWorkers::Event event = nextEvent(workers);
    QCOMPARE(event.kind, BatchWorkers::Event::Ended);
    QCOMPARE(event.number, -1);
    // A part handed to it now is refused, not lost in a dead socket.
    QVERIFY(!workers.send(0, "part"));
}

void tst_BatchWorkers::stopEndsEvenOneThatIgnoresIt()
{
    const QByteArray marker = "worker-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    {
        BatchWorkers workers(QStringLiteral("/bin/sh"),
                             {QStringLiteral("-c"), QStringLiteral("trap '' TERM; while :; do sleep 0.05; done"),
                              QString::fromLatin1(marker)});
        QString problem;
        QVERIFY2(workers.start(2, problem), qPrintable(problem));
        // Each shell forks for its sleep, and a child carries the marker until it becomes sleep.
        QTRY_VERIFY_WITH_TIMEOUT(processesMarked(marker) >= 2, 30000);
        workers.stop();
        workers.waitForAll(300);
        QVERIFY(!workers.isRunning(0) && !workers.isRunning(1));
    }
    // The one that would not end was killed.
    QCOMPARE(processesMarked(marker), 0);
}

PARVOLINE_TEST_GUILESS_MAIN(tst_BatchWorkers)
#include "tst_batchworkers.moc"
