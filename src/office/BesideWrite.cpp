#include "BesideWrite.h"

#include "LibreOfficeCall.h"
#include "LibreOfficeSession.h"
#include "WordAutomation.h"

#include <QCoreApplication>
#include <QScopeGuard>

#include <chrono>

using namespace std::chrono_literals;

BesideWrite::BesideWrite(WriterOffice::Session office, const QString &target, Work work,
                         std::function<void()> officeDone)
    : mOffice(std::move(office))
    , mFile(target)
{
    mDone = std::async(std::launch::async, [this, work = std::move(work), officeDone = std::move(officeDone)] {
        // Cancel must not wait for an office that is still starting: its start goes on without this thread.
        while (!mDropped.load() && mOffice.wait_for(10ms) != std::future_status::ready) {
        }
        if (mDropped.load())
            throw AutomationCancelled(QStringLiteral("The Word file is no longer wanted."));
        const std::shared_ptr<LibreOfficeSession> session = mOffice.get();
        // A long document leaves the office large, and the picture may keep the program waiting for
        // minutes more: the office is let go of now, not then.
        const auto tell = qScopeGuard([&] {
            if (QCoreApplication *application = QCoreApplication::instance(); application && officeDone)
                QMetaObject::invokeMethod(application, officeDone, Qt::QueuedConnection);
        });
        return work(session, mFile);
    });
}

BesideWrite::~BesideWrite()
{
    if (!mDone.valid() || mDone.wait_for(0s) == std::future_status::ready)
        return;
    mDropped.store(true);
    if (mOffice.wait_for(0s) == std::future_status::ready) {
        try {
            if (const std::shared_ptr<LibreOfficeSession> office = mOffice.get())
                office->abort();
        } catch (...) {
            // It never started.
        }
    }
    mDone.wait();
}

QByteArray BesideWrite::wait()
{
    while (mDone.wait_for(0s) != std::future_status::ready) {
        if (!OfficeWaitMayProcessEvents()) {
            mDone.wait();
            break;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        mDone.wait_for(10ms);
    }
    return mDone.get();
}
