#pragma once

#include "LibreOfficeCall.h"
#include "LibreOfficeProcess.h"
#include "OfficeWorker.h"
#include "WordAutomation.h"

#include <QString>
class QTemporaryDir;

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

/// One running office that the program started: its process, a private temporary folder and the
/// connection to it, and the one thread that makes every call into it. Ends with shutdown(), or with the
/// office's death.
class LibreOfficeSession final
{
public:
    /// The profile folder is held by an office that this program did not start.
    class ProfileInUse : public AutomationError
    {
    public:
        using AutomationError::AutomationError;
    };

    /// Starts \a program headless on \a profileFolder and connects to it, waiting at most
    /// \a timeout. A later call into the office that takes longer than \a callLimit gets the office
    /// killed, so that it fails instead of hanging the program. Throws AutomationError (ProfileInUse
    /// when another office owns the profile); on failure nothing that was started is left running.
    static std::shared_ptr<LibreOfficeSession> start(const QString &program, const QString &profileFolder,
                                                     std::chrono::milliseconds timeout,
                                                     std::chrono::milliseconds callLimit);

    ~LibreOfficeSession();
    LibreOfficeSession(const LibreOfficeSession &) = delete;
    LibreOfficeSession &operator=(const LibreOfficeSession &) = delete;

    /// True while the office runs and answers. Once false, stays false.
    bool checkAlive() noexcept;

    css::uno::Reference<css::uno::XComponentContext> context() const { return mContext; }
    css::uno::Reference<css::frame::XDesktop2> desktop() const { return mDesktop; }
    /// A folder only this session uses (0700), removed at shutdown.
    QString privateFolder() const;
    /// The launcher's process id (the office's process group); 0 once shut down.
    pid_t processId() const { return mProcess.processId(); }
    /// The processes of the office that still run.
    QList<pid_t> processIds() const { return mProcess.members(); }
    /// The resident memory of the office's processes together, in kilobytes; 0 once shut down.
    qint64 residentKilobytes() const;
    /// The office's pipes in the shared temporary folder.
    QStringList sockets() const { return mProcess.sockets(); }

    /// Closes every document still open, ends the office, reaps it and removes its temporary
    /// files. Never throws; safe to call more than once.
    void shutdown() noexcept;

    /// Runs \a work, which talks to the office, on the session's own thread while this thread waits (see
    /// runInOffice): calls run one after the other, each with its limit (0: the session's own). A call
    /// past its limit stops the office and throws WordProcessorLost; a cancellation asked for (with
    /// Cancel::Honoured), or the program's end, stops it and throws AutomationCancelled.
    void run(const QString &what, std::chrono::milliseconds limit, Cancel cancel, bool processEvents,
             const std::function<void()> &work);
    /// True while a call is under way or waits its turn.
    bool isBusy() const { return mWorker.isBusy(); }
    /// Stops the office at once (its calls then fail); for a cancelled or overdue call. Never throws.
    void abort() noexcept;
    /// Stops the office at once when it cannot answer because its process is stopped: closing the
    /// program then waits for no call. True when it did. Never throws.
    bool abortIfStopped() noexcept;
    /// The call limit, and whether the office was stopped because a call exceeded its limit, and which
    /// limit that was. (Once the program is asked to end, or the session shuts down, a call gets far less
    /// time.)
    std::chrono::milliseconds callLimit() const { return mCallLimit; }
    bool timedOut() const { return mOverdueLimit.load() > 0; }
    std::chrono::milliseconds overdueLimit() const { return std::chrono::milliseconds(mOverdueLimit.load()); }

private:
    LibreOfficeSession() = default;
    void launch(const QString &program, const QString &profileFolder);
    void connect(const QString &program, const QString &profileFolder, std::chrono::milliseconds timeout);
    QString logTail() const;

    LibreOfficeProcess mProcess;
    std::unique_ptr<QTemporaryDir> mFolder;
    QString mPipeName;
    QString mToken;
    std::atomic<bool> mDead{false};
    std::chrono::milliseconds mCallLimit{0};
    std::atomic<qint64> mOverdueLimit{0};
    // Read by whichever thread stops the office.
    std::atomic<pid_t> mGroup{0};
    OfficeWorker mWorker{[this] {
        abort();
    }};
    css::uno::Reference<css::uno::XComponentContext> mContext;
    css::uno::Reference<css::frame::XDesktop2> mDesktop;
};
