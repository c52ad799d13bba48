#pragma once

#include "CheckedFile.h"
#include "WriterOffice.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <future>
#include <memory>

/// A file written by the second office on a thread of its own while the program goes on. Dropped before
/// it is done, it stops that office and waits for the thread: nothing of the file is left behind. An
/// office still starting is not waited for.
class BesideWrite final
{
public:
    /// Writes into the file and returns the digest of what it wrote; throws AutomationError.
    using Work = std::function<QByteArray(const std::shared_ptr<LibreOfficeSession> &office, CheckedFile &file)>;

    /// \a officeDone runs on the main thread as soon as the work is done with the office, whenever the
    /// file is asked for.
    BesideWrite(WriterOffice::Session office, const QString &target, Work work, std::function<void()> officeDone);
    ~BesideWrite();
    BesideWrite(const BesideWrite &) = delete;
    BesideWrite &operator=(const BesideWrite &) = delete;

    /// Waits for the work, letting the program's events run where a wait for the office would. Returns the
    /// digest of what was written, which is still to be committed; throws what the work threw.
    QByteArray wait();
    CheckedFile &file() { return mFile; }

private:
    WriterOffice::Session mOffice;
    CheckedFile mFile;
    std::atomic<bool> mDropped{false};
    // Last: the thread ends before the file it writes goes.
    std::future<QByteArray> mDone;
};
