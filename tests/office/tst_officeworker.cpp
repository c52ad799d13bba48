// The thread that makes the calls into the office, with a stand-in for the office: work that waits
// until it is let go, or until the office is stopped. Calls run in turn on one thread that lives as long
// as the worker; a cancellation and a shutdown stop the office; a call still in the queue leaves it
// without stopping anybody else's. (A call past its limit: with the real office, in tst_libreofficeengine.)

#include "Cancellation.h"
#include "OfficeWorker.h"
#include "TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {
int threadsOfThisProgram()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

// An office call that takes as long as someone wants: it returns once let go, or at once when the
// office is stopped, as a call into a killed office does.
class Office
{
public:
    void stop()
    {
        ++mStops;
        release();
    }
    void release()
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mReleased = true;
        mChanged.notify_all();
    }
    void busy()
    {
        std::unique_lock<std::mutex> lock(mMutex);
        mBusy = true;
        mChanged.notify_all();
        mChanged.wait(lock, [this] { return mReleased; });
        mReleased = false;
        mBusy = false;
    }
    bool waitUntilBusy()
    {
        std::unique_lock<std::mutex> lock(mMutex);
        return mChanged.wait_for(lock, std::chrono::seconds(10), [this] { return mBusy; });
    }
    int stops() const { return mStops.load(); }

private:
    std::mutex mMutex;
    std::condition_variable mChanged;
    bool mReleased = false;
    bool mBusy = false;
    std::atomic<int> mStops{0};
};

OfficeWorker::Wait waitFor(std::chrono::milliseconds limit, bool honourCancel = true, bool processEvents = false)
{
    OfficeWorker::Wait wait;
    wait.limit = limit;
    wait.honourCancel = honourCancel;
    wait.processEvents = processEvents;
    return wait;
}
} // namespace

Q_DECLARE_METATYPE(OfficeWorker::Outcome)

class TestOfficeWorker : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { ClearRunCancel(); }

    void callsRunInTurnOnOneThread();
    void cancellationDuringACall_data();
    void cancellationDuringACall();
    void queuedCallLeavesWithoutStoppingTheOneUnderWay();
    void callMadeByACallRunsInsideIt();
    void closingDuringACallLeavesNoThread();
    void cappedCallsEndAtTheCap();
};

void TestOfficeWorker::callsRunInTurnOnOneThread()
{
    Office office;
    const int threadsBefore = threadsOfThisProgram();
    const OfficeWorker::Counts before = OfficeWorker::counts();
    {
        OfficeWorker worker([&] { office.stop(); });
        QVERIFY(!worker.isBusy());
        std::vector<std::thread::id> ran;
        int threadsDuring = 0;
        for (int i = 0; i < 200; ++i) {
            const OfficeWorker::Outcome outcome = worker.run([&] { ran.push_back(std::this_thread::get_id()); },
                                                             waitFor(std::chrono::seconds(10), true, true));
            QCOMPARE(outcome, OfficeWorker::Outcome::Done);
            if (i == 0)
                threadsDuring = threadsOfThisProgram();
        }
        QCOMPARE(int(ran.size()), 200);
        QVERIFY(ran.front() != std::this_thread::get_id());
        QCOMPARE(std::count(ran.begin(), ran.end(), ran.front()), 200);
        // One thread for all the calls, and no event loop for calls that end at once.
        QCOMPARE(threadsDuring, threadsBefore + 1);
        QCOMPARE(threadsOfThisProgram(), threadsBefore + 1);
        const OfficeWorker::Counts after = OfficeWorker::counts();
        QCOMPARE(after.calls - before.calls, 200);
        QCOMPARE(after.threads - before.threads, 1);
        QCOMPARE(after.waitedOnMain - before.waitedOnMain, 200);
        QVERIFY2(after.eventLoops - before.eventLoops < 10, qPrintable(QString::number(after.eventLoops)));
    }
    QCOMPARE(threadsOfThisProgram(), threadsBefore);
    QCOMPARE(office.stops(), 0);
}

void TestOfficeWorker::cancellationDuringACall_data()
{
    QTest::addColumn<bool>("honoured");
    QTest::addColumn<OfficeWorker::Outcome>("outcome");
    QTest::addColumn<int>("stops");
    QTest::newRow("honoured: the office is stopped") << true << OfficeWorker::Outcome::Cancelled << 1;
    QTest::newRow("ignored: the call runs to its end") << false << OfficeWorker::Outcome::Done << 0;
}

void TestOfficeWorker::cancellationDuringACall()
{
    QFETCH(bool, honoured);
    QFETCH(OfficeWorker::Outcome, outcome);
    QFETCH(int, stops);
    Office office;
    OfficeWorker worker([&] { office.stop(); });
    // The user's click arrives through the event loop while the call runs: the windows are alive.
    bool cancelSeen = false;
    QTimer::singleShot(50, [&] { RequestRunCancel(); });
    QTimer cancelled;
    QObject::connect(&cancelled, &QTimer::timeout, [&] {
        if (RunCancelRequested() && !cancelSeen) {
            cancelSeen = true;
            // An ignored cancellation lets the call end when its work is done.
            if (!honoured)
                office.release();
        }
    });
    cancelled.start(10);
    QCOMPARE(worker.run([&] { office.busy(); }, waitFor(std::chrono::seconds(30), honoured, true)), outcome);
    QVERIFY(RunCancelRequested());
    QCOMPARE(office.stops(), stops);
    // A call asked for after the cancellation does not start at all, unless it ignores cancelling.
    bool ran = false;
    QCOMPARE(worker.run([&] { ran = true; }, waitFor(std::chrono::seconds(30), honoured)), outcome);
    QCOMPARE(ran, !honoured);
}

void TestOfficeWorker::queuedCallLeavesWithoutStoppingTheOneUnderWay()
{
    Office office;
    OfficeWorker worker([&] { office.stop(); });
    OfficeWorker::Outcome first = OfficeWorker::Outcome::Closed;
    std::thread other([&] { first = worker.run([&] { office.busy(); }, waitFor(std::chrono::seconds(30), false)); });
    QVERIFY(office.waitUntilBusy());

    bool ran = false;
    QTimer::singleShot(100, [&] { RequestRunCancel(); });
    QCOMPARE(worker.run([&] { ran = true; }, waitFor(std::chrono::seconds(30), true, true)),
             OfficeWorker::Outcome::Cancelled);
    QVERIFY(!ran);
    QCOMPARE(office.stops(), 0);
    QVERIFY(worker.isBusy());

    office.release();
    other.join();
    QCOMPARE(first, OfficeWorker::Outcome::Done);
    QVERIFY(!worker.isBusy());
}

void TestOfficeWorker::callMadeByACallRunsInsideIt()
{
    Office office;
    OfficeWorker worker([&] { office.stop(); });
    std::thread::id outer;
    std::thread::id inner;
    OfficeWorker::Outcome innerOutcome = OfficeWorker::Outcome::Closed;
    QCOMPARE(worker.run(
                 [&] {
                     outer = std::this_thread::get_id();
                     innerOutcome =
                         worker.run([&] { inner = std::this_thread::get_id(); }, waitFor(std::chrono::seconds(30)));
                 },
                 waitFor(std::chrono::seconds(30))),
             OfficeWorker::Outcome::Done);
    QCOMPARE(innerOutcome, OfficeWorker::Outcome::Done);
    QVERIFY(outer == inner);
}

void TestOfficeWorker::closingDuringACallLeavesNoThread()
{
    Office office;
    const int threadsBefore = threadsOfThisProgram();
    auto worker = std::make_unique<OfficeWorker>([&] { office.stop(); });
    const qint64 callsBefore = OfficeWorker::counts().calls;
    OfficeWorker::Outcome running = OfficeWorker::Outcome::Done;
    OfficeWorker::Outcome queued = OfficeWorker::Outcome::Done;
    std::thread first([&] { running = worker->run([&] { office.busy(); }, waitFor(std::chrono::seconds(30))); });
    QVERIFY(office.waitUntilBusy());
    bool queuedRan = false;
    std::thread second([&] {
        queued = worker->run([&] { queuedRan = true; }, waitFor(std::chrono::seconds(30)));
        // Turned away before the call under way ended; the office then ends that one too.
        office.release();
    });
    QTRY_COMPARE(OfficeWorker::counts().calls, callsBefore + 2);
    // Whatever waits for its turn is turned away at once; the close waits for the call under way.
    worker->close();
    second.join();
    first.join();
    QCOMPARE(queued, OfficeWorker::Outcome::Closed);
    QVERIFY(!queuedRan);
    QCOMPARE(running, OfficeWorker::Outcome::Done);
    QCOMPARE(worker->run([] {}, waitFor(std::chrono::seconds(30))), OfficeWorker::Outcome::Closed);
    QCOMPARE(threadsOfThisProgram(), threadsBefore);
    worker.reset();
    QCOMPARE(threadsOfThisProgram(), threadsBefore);
}

void TestOfficeWorker::cappedCallsEndAtTheCap()
{
    Office office;
    OfficeWorker worker([&] { office.stop(); });
    OfficeWorker::Outcome outcome = OfficeWorker::Outcome::Done;
    std::thread caller([&] { outcome = worker.run([&] { office.busy(); }, waitFor(std::chrono::seconds(0))); });
    QVERIFY(office.waitUntilBusy());
    // A call without a limit of its own still gives way to a shutdown.
    worker.capCalls(std::chrono::milliseconds(100));
    caller.join();
    QCOMPARE(outcome, OfficeWorker::Outcome::Ending);
    QCOMPARE(office.stops(), 1);
}

PARVOLINE_TEST_GUILESS_MAIN(TestOfficeWorker)
#include "tst_officeworker.moc"
