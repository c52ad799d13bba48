#pragma once

#include <QList>
#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>

class LibreOfficeSession;

/// The second office of the window's runs: it writes a long run's Word file from the document's flat
/// file while the first office lays the same document out for the picture, so that on two cores the
/// file is ready about when the first pages show. Started on a thread of its own when first wanted, and
/// kept for the next long run; a long document leaves an office large for good, so one that has grown
/// is ended after its work and the next run starts a fresh one.
class WriterOffice final
{
public:
    /// How to start the office.
    struct Start
    {
        QString program;
        /// A profile folder of its own: two offices on one profile would be one office.
        QString profileFolder;
        std::chrono::milliseconds startTimeout{0};
        std::chrono::milliseconds callTimeout{0};
    };
    /// The office, once started; get() throws AutomationError when it could not be.
    using Session = std::shared_future<std::shared_ptr<LibreOfficeSession>>;

    /// An office that has grown by more than \a growthKilobytes since it started is ended after its work.
    explicit WriterOffice(qint64 growthKilobytes);
    /// Ends the office, as shutdown() does.
    ~WriterOffice();
    WriterOffice(const WriterOffice &) = delete;
    WriterOffice &operator=(const WriterOffice &) = delete;

    /// The office, running or starting (on a thread of its own, as \a start says); never waits for it.
    Session session(const std::function<Start()> &start);
    /// After a piece of work: ends the office (in the background) when it has grown too much. Never throws.
    void workDone() noexcept;
    /// Ends the office, after waiting for a start under way. Never throws.
    void shutdown() noexcept;

    /// The processes of the office, when it runs; for tests and benchmarks.
    QList<qint64> processIds() const;
    /// How many offices were started so far.
    int startCount() const { return mStarts; }

private:
    /// The office once its start is over; null while it starts, and when it could not be started (then
    /// \a failed, when given, is set). Never waits.
    std::shared_ptr<LibreOfficeSession> started(bool *failed = nullptr) const;
    /// True once an office failed to start in this session (until shutdown()).
    bool startFailed();
    /// The office when it has started and still answers (a round trip, or none while it is at work); null
    /// otherwise. Never waits for a start.
    std::shared_ptr<LibreOfficeSession> running() const;
    void retire() noexcept;

    qint64 mGrowthKilobytes = 0;
    Session mSession;
    std::shared_ptr<std::atomic<qint64>> mStartedKilobytes = std::make_shared<std::atomic<qint64>>(0);
    std::future<void> mEnding;
    int mStarts = 0;
    bool mStartFailed = false;
};
