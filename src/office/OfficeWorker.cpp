#include "OfficeWorker.h"

#include "Cancellation.h"
#include "ProgramEnd.h"

#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <atomic>

namespace {
// How often a waiting caller looks at the deadline and the cancellation.
constexpr auto kSlice = std::chrono::milliseconds(20);
// A call that ends within this long keeps the windows waiting for less than a frame or two: it is
// waited for without an event loop of its own. Most calls take well under a millisecond.
constexpr auto kQuiet = std::chrono::milliseconds(20);
// Once the program is asked to end, a call still running after this long is not waited for.
constexpr auto kEndingCallLimit = std::chrono::milliseconds(1000);

std::atomic<qint64> gCalls{0};
std::atomic<qint64> gThreads{0};
std::atomic<qint64> gEventLoops{0};
std::atomic<qint64> gWaitedOnMain{0};

thread_local const OfficeWorker *tWorker = nullptr;
} // namespace

struct OfficeWorker::Call
{
    enum class State { Queued, Running, Finished };
    const std::function<void()> *work = nullptr;
    State state = State::Queued;
    bool dropped = false;
    std::chrono::steady_clock::time_point started;
    QEventLoop *loop = nullptr;
};

OfficeWorker::Counts OfficeWorker::counts() noexcept
{
    Counts counts;
    counts.calls = gCalls.load();
    counts.threads = gThreads.load();
    counts.eventLoops = gEventLoops.load();
    counts.waitedOnMain = gWaitedOnMain.load();
    return counts;
}

OfficeWorker::OfficeWorker(std::function<void()> stopWork)
    : mStopWork(std::move(stopWork))
{}

OfficeWorker::~OfficeWorker()
{
    close();
}

bool OfficeWorker::isWorkerThread() const noexcept
{
    return tWorker == this;
}

bool OfficeWorker::isBusy() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mCurrent || !mQueue.empty();
}

void OfficeWorker::capCalls(std::chrono::milliseconds cap) noexcept
{
    std::lock_guard<std::mutex> lock(mMutex);
    mCap = cap;
}

void OfficeWorker::loop()
{
    tWorker = this;
    std::unique_lock<std::mutex> lock(mMutex);
    for (;;) {
        mWake.wait(lock, [this] { return mClosed || !mQueue.empty(); });
        if (mQueue.empty())
            return;
        Call *call = mQueue.front();
        mQueue.pop_front();
        call->state = Call::State::Running;
        call->started = std::chrono::steady_clock::now();
        mCurrent = call;
        lock.unlock();
        try {
            (*call->work)();
        } catch (...) {
            // The work keeps its failures to itself; one that escapes must not end the program.
        }
        lock.lock();
        mCurrent = nullptr;
        call->state = Call::State::Finished;
        // Posted under the lock: the caller destroys its loop only after it saw the call finished.
        if (call->loop)
            QMetaObject::invokeMethod(call->loop, &QEventLoop::quit, Qt::QueuedConnection);
        mFinished.notify_all();
    }
}

OfficeWorker::Outcome OfficeWorker::verdict(const Call &call, const Wait &wait,
                                            std::chrono::steady_clock::time_point now) const
{
    if (wait.honourCancel && RunCancelRequested())
        return Outcome::Cancelled;
    if (call.state != Call::State::Running)
        return Outcome::Done;
    const auto running = now - call.started;
    if (wait.limit.count() > 0 && running >= wait.limit)
        return Outcome::Overdue;
    if ((mCap.count() > 0 && running >= mCap) || (ProgramEndRequested() && running >= kEndingCallLimit))
        return Outcome::Ending;
    return Outcome::Done;
}

OfficeWorker::Outcome OfficeWorker::run(const std::function<void()> &work, const Wait &wait)
{
    // A call made by a call: the outer one's deadline covers it.
    if (isWorkerThread()) {
        work();
        return Outcome::Done;
    }
    if (wait.honourCancel && RunCancelRequested())
        return Outcome::Cancelled;

    Call call;
    call.work = &work;
    std::unique_lock<std::mutex> lock(mMutex);
    if (mClosed)
        return Outcome::Closed;
    if (!mThread.joinable()) {
        mThread = std::thread(&OfficeWorker::loop, this);
        ++gThreads;
    }
    mQueue.push_back(&call);
    ++gCalls;
    mWake.notify_one();

    Outcome outcome = Outcome::Done;
    bool stopped = false;
    // True once waiting is over. Giving up on a call that has not started only takes it off the queue;
    // one under way is stopped, and is then waited for, as it ends at once.
    const auto settled = [&](std::unique_lock<std::mutex> &held) {
        if (call.state == Call::State::Finished) {
            if (call.dropped)
                outcome = Outcome::Closed;
            return true;
        }
        if (stopped)
            return false;
        const Outcome why = verdict(call, wait, std::chrono::steady_clock::now());
        if (why == Outcome::Done)
            return false;
        outcome = why;
        if (call.state == Call::State::Queued) {
            mQueue.erase(std::find(mQueue.begin(), mQueue.end(), &call));
            call.state = Call::State::Finished;
            return true;
        }
        stopped = true;
        held.unlock();
        mStopWork();
        held.lock();
        return call.state == Call::State::Finished;
    };

    const auto quietUntil = std::chrono::steady_clock::now() + kQuiet;
    while (!settled(lock) && std::chrono::steady_clock::now() < quietUntil)
        mFinished.wait_until(lock, quietUntil);

    if (wait.processEvents) {
        ++gWaitedOnMain;
        if (call.state != Call::State::Finished) {
            QEventLoop eventLoop;
            QTimer timer;
            timer.setInterval(kSlice);
            QObject::connect(&timer, &QTimer::timeout, &eventLoop, [&] {
                std::unique_lock<std::mutex> held(mMutex);
                if (settled(held))
                    eventLoop.quit();
            });
            call.loop = &eventLoop;
            ++gEventLoops;
            lock.unlock();
            timer.start();
            eventLoop.exec();
            timer.stop();
            lock.lock();
            call.loop = nullptr;
        }
    }
    // Without events to process, or once the program's end made the event loop return early.
    while (!settled(lock))
        mFinished.wait_for(lock, kSlice);
    return outcome;
}

void OfficeWorker::close() noexcept
{
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mClosed = true;
        for (Call *call : mQueue) {
            call->dropped = true;
            call->state = Call::State::Finished;
            if (call->loop)
                QMetaObject::invokeMethod(call->loop, &QEventLoop::quit, Qt::QueuedConnection);
        }
        mQueue.clear();
    }
    mWake.notify_all();
    mFinished.notify_all();
    // The thread cannot wait for itself; whoever destroys the worker does.
    if (mThread.joinable() && !isWorkerThread())
        mThread.join();
}
