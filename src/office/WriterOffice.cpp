#include "WriterOffice.h"

#include "LibreOfficeSession.h"
#include "OfficeCrashGuard.h"

#include <sys/resource.h>

namespace {
constexpr int kWriterNiceness = 10;
} // namespace

WriterOffice::WriterOffice(qint64 growthKilobytes)
    : mGrowthKilobytes(growthKilobytes)
{}

WriterOffice::~WriterOffice()
{
    shutdown();
}

WriterOffice::Session WriterOffice::session(const std::function<Start()> &start)
{
    // An office that could not be started will not start the next time either (a profile it cannot use
    // has it wait for the whole start limit): the first office writes the files from then on.
    if (startFailed())
        return {};
    if (mSession.valid()) {
        // Still starting, or started and running: that one. One that has died since (a call past its
        // limit stops it) is replaced.
        if (mSession.wait_for(std::chrono::seconds(0)) != std::future_status::ready || running())
            return mSession;
        retire();
    }
    // The office that was ended last must be gone before a new one takes its profile.
    if (mEnding.valid())
        mEnding.wait();
    const Start how = start();
    const std::shared_ptr<std::atomic<qint64>> startedKilobytes = mStartedKilobytes;
    startedKilobytes->store(0);
    mSession = std::async(std::launch::async, [how, startedKilobytes] {
                   std::shared_ptr<LibreOfficeSession> session =
                       LibreOfficeSession::start(how.program, how.profileFolder, how.startTimeout, how.callTimeout);
                   RememberOffice(OfficeSlot::Writer, session->processId(), session->sockets());
                   // The first office's pages are what the user waits for: on a machine busy with other work
                   // the writing gives way to them. Every thread of the office's processes so far, and so
                   // every one they start, gets the lower priority.
                   ::setpriority(PRIO_PGRP, id_t(session->processId()), kWriterNiceness);
                   startedKilobytes->store(session->residentKilobytes());
                   return session;
               }).share();
    ++mStarts;
    return mSession;
}

std::shared_ptr<LibreOfficeSession> WriterOffice::started(bool *failed) const
{
    if (!mSession.valid() || mSession.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
        return nullptr;
    try {
        return mSession.get();
    } catch (...) {
        if (failed)
            *failed = true;
        return nullptr;
    }
}

bool WriterOffice::startFailed()
{
    bool failed = false;
    started(&failed);
    mStartFailed = mStartFailed || failed;
    return mStartFailed;
}

std::shared_ptr<LibreOfficeSession> WriterOffice::running() const
{
    const std::shared_ptr<LibreOfficeSession> session = started();
    return session && session->checkAlive() ? session : nullptr;
}

void WriterOffice::workDone() noexcept
{
    try {
        startFailed();
        const std::shared_ptr<LibreOfficeSession> session = running();
        if (!session) {
            retire();
            return;
        }
        const qint64 started = mStartedKilobytes->load();
        if (mGrowthKilobytes > 0 && started > 0 && session->residentKilobytes() > started + mGrowthKilobytes)
            retire();
    } catch (...) {
        // Looking after the office must never fail the work that is done.
    }
}

void WriterOffice::retire() noexcept
{
    if (!mSession.valid())
        return;
    Session ending = std::move(mSession);
    mSession = Session();
    if (mEnding.valid())
        mEnding.wait();
    // Ending an office takes a moment, which nobody needs to wait for.
    mEnding = std::async(std::launch::async, [ending] {
        try {
            if (const std::shared_ptr<LibreOfficeSession> session = ending.get())
                session->shutdown();
        } catch (...) {
            // It never started: there is nothing to end.
        }
        // Only now: until it has ended, a signal to the program must still take it down.
        RememberOffice(OfficeSlot::Writer, 0, {});
    });
}

void WriterOffice::shutdown() noexcept
{
    retire();
    mStartFailed = false;
    if (mEnding.valid())
        mEnding.wait();
}

QList<qint64> WriterOffice::processIds() const
{
    // Without asking the office, which may be busy with a long document.
    QList<qint64> ids;
    if (const std::shared_ptr<LibreOfficeSession> session = started()) {
        for (const pid_t pid : session->processIds())
            ids.append(pid);
    }
    return ids;
}
