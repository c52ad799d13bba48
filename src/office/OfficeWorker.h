#pragma once

#include <QtGlobal>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class QEventLoop;

/// The one thread that talks to an office: it runs the calls handed to it one after the other, each
/// while its caller waits. The waiting caller keeps the call's deadline and the user's cancellation:
/// when either strikes, it has the office stopped (the \a stopWork given to the constructor), which
/// makes the call fail at once, and returns why it gave up.
///
/// The thread starts with the first call and ends with close(). Calls from several threads queue up
/// in the order they came; a call made by a call (from the worker's own thread) runs at once, inside
/// the one that made it, under that one's deadline.
class OfficeWorker final
{
public:
    /// How a call ended.
    enum class Outcome {
        Done,      ///< the work ran to its end
        Cancelled, ///< a cancellation was asked for (RunCancelRequested()); the work was stopped or never ran
        Overdue,   ///< the call went past its limit and the work was stopped
        Ending,    ///< the program is ending, or a shutdown capped the calls, and the work was stopped
        Closed,    ///< the worker was closed: the work never ran
    };

    struct Wait
    {
        /// How long the work may run once it started; 0: no limit.
        std::chrono::milliseconds limit{0};
        /// Whether a cancellation stops the work.
        bool honourCancel = true;
        /// Whether the program's events are processed while the work runs (on the main thread only, so
        /// that the windows stay alive). A call that ends within moments processes none.
        bool processEvents = false;
    };

    /// What waiting has cost since the program started, over every worker: for benchmarks and tests.
    struct Counts
    {
        qint64 calls = 0;        ///< calls handed to a worker thread
        qint64 threads = 0;      ///< worker threads started
        qint64 eventLoops = 0;   ///< nested event loops entered while waiting
        qint64 waitedOnMain = 0; ///< calls waited for on the main thread with events to process
    };
    static Counts counts() noexcept;

    explicit OfficeWorker(std::function<void()> stopWork);
    /// Closes the worker.
    ~OfficeWorker();
    OfficeWorker(const OfficeWorker &) = delete;
    OfficeWorker &operator=(const OfficeWorker &) = delete;

    /// Runs \a work on the worker's thread and waits for it as \a wait says. \a work must not throw.
    Outcome run(const std::function<void()> &work, const Wait &wait);

    /// From now on no call may run longer than \a cap (the one under way included, counted from its
    /// start): for a shutdown, which must never wait long.
    void capCalls(std::chrono::milliseconds cap) noexcept;
    /// Ends the thread once the call under way is done; calls still waiting their turn end Closed, and
    /// later ones are refused. Never throws; safe to call more than once.
    void close() noexcept;

    /// True while a call runs or waits its turn.
    bool isBusy() const;
    /// True on the worker's own thread.
    bool isWorkerThread() const noexcept;

private:
    struct Call;
    void loop();
    /// Decides, with the lock held, whether \a call has to be given up now, and why; Done when not.
    Outcome verdict(const Call &call, const Wait &wait, std::chrono::steady_clock::time_point now) const;

    std::function<void()> mStopWork;
    mutable std::mutex mMutex;
    std::condition_variable mWake;
    std::condition_variable mFinished;
    std::deque<Call *> mQueue;
    Call *mCurrent = nullptr;
    bool mClosed = false;
    std::chrono::milliseconds mCap{0};
    std::thread mThread;
};
