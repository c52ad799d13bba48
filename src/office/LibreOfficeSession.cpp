#include "LibreOfficeSession.h"

#include "LibreOfficeCall.h"
#include "ProgramEnd.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/theMacroExpander.hpp>
#include <cppuhelper/bootstrap.hxx>

#include <cstdio>
#include <cstdlib>
#include <signal.h>
#include <unistd.h>

using namespace css;

namespace {
constexpr unsigned long kConnectRetryMs = 25;
// Ending must never hang on the office, and all of it fits in less than five seconds: closing the
// documents and asking the office to end, the office ending, and the kill when it does not.
constexpr auto kShutdownCallLimit = std::chrono::milliseconds(1500);
constexpr auto kTerminateLimit = std::chrono::milliseconds(2000);
constexpr auto kKillLimit = std::chrono::milliseconds(1000);
constexpr auto kAliveLimit = std::chrono::milliseconds(3000);
constexpr char kTokenVariable[] = "ParvolineSession";

// The program's own UNO runtime, set up once and kept for the life of the process: the runtime's
// libraries outlive every office, and releasing it during exit would race their unloading.
uno::Reference<uno::XComponentContext> localContext()
{
    // Set up on whichever thread starts the first office; a failed set-up is tried again next time.
    static const uno::Reference<uno::XComponentContext> *context = [] {
        // A request written to an office that has just died must fail as an error of that call. A
        // broken pipe would otherwise end the whole program, or be taken for a crash by whatever
        // handler is installed for it (a test framework's, say): nothing of this program wants it.
        ::signal(SIGPIPE, SIG_IGN);
        // Without it the runtime cannot find the office's type libraries and crashes later on.
        const QByteArray bootstrap = "vnd.sun.star.pathname:" PARVOLINE_LIBREOFFICE_PROGRAM_DIR "/fundamentalrc";
        ::setenv("URE_BOOTSTRAP", bootstrap.constData(), 1);
        try {
            return new uno::Reference<uno::XComponentContext>(cppu::defaultBootstrap_InitialComponentContext());
        } catch (const cppu::BootstrapException &error) {
            throw AutomationError(
                QStringLiteral("The LibreOffice runtime could not be set up: %1").arg(toQString(error.getMessage())));
        } catch (const uno::Exception &error) {
            throw AutomationError(
                QStringLiteral("The LibreOffice runtime could not be set up: %1").arg(toQString(error.Message)));
        }
    }();
    return *context;
}

QString randomHex(int bytes)
{
    QString text;
    for (int i = 0; i < bytes; ++i)
        text += QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(256), 2, 16, QLatin1Char('0'));
    return text;
}

QString fileUrl(const QString &path)
{
    return QUrl::fromLocalFile(QDir(path).absolutePath()).toString(QUrl::FullyEncoded);
}
} // namespace

std::shared_ptr<LibreOfficeSession> LibreOfficeSession::start(const QString &program, const QString &profileFolder,
                                                              std::chrono::milliseconds timeout,
                                                              std::chrono::milliseconds callLimit)
{
    std::shared_ptr<LibreOfficeSession> session(new LibreOfficeSession());
    session->mCallLimit = callLimit;
    // Whatever fails from here on, the destructor stops what was started.
    session->launch(program, profileFolder);
    session->connect(program, profileFolder, timeout);
    return session;
}

LibreOfficeSession::~LibreOfficeSession()
{
    shutdown();
}

QString LibreOfficeSession::privateFolder() const
{
    return mFolder ? mFolder->path() : QString();
}

void LibreOfficeSession::launch(const QString &program, const QString &profileFolder)
{
    mFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/parvoline-office-XXXXXX"));
    if (!mFolder->isValid())
        throw AutomationError(
            QStringLiteral("No temporary folder for the word processor: %1").arg(mFolder->errorString()));
    const QString officeTemp = mFolder->filePath(QStringLiteral("tmp"));
    if (!QDir().mkpath(officeTemp))
        throw AutomationError(QStringLiteral("No temporary folder for the word processor: %1").arg(officeTemp));
    if (!QDir().mkpath(profileFolder))
        throw AutomationError(QStringLiteral("The word processor's profile folder %1 could not be made")
                                  .arg(QDir::toNativeSeparators(profileFolder)));

    mPipeName = QStringLiteral("parvoline-%1-%2").arg(::getpid()).arg(randomHex(8));
    mToken = randomHex(16);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Our runtime's bootstrap variable would point the office at the wrong settings.
    environment.remove(QStringLiteral("URE_BOOTSTRAP"));
    environment.insert(QStringLiteral("TMPDIR"), officeTemp);

    const QStringList arguments{
        QStringLiteral("--headless"),
        QStringLiteral("--invisible"),
        QStringLiteral("--nologo"),
        QStringLiteral("--norestore"),
        QStringLiteral("--nodefault"),
        QStringLiteral("-env:UserInstallation=") + fileUrl(profileFolder),
        QStringLiteral("-env:%1=%2").arg(QLatin1String(kTokenVariable), mToken),
        QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(mPipeName),
    };
    mProcess.start(program, arguments, environment.toStringList(), mFolder->filePath(QStringLiteral("office.log")),
                   mFolder->path());
    mGroup.store(mProcess.processId());
    // Known before the office makes it, so that a program killed during the start leaves it behind neither.
    mProcess.expectSocket(QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::geteuid()).arg(mPipeName));
}

void LibreOfficeSession::connect(const QString &program, const QString &profileFolder,
                                 std::chrono::milliseconds timeout)
{
    const uno::Reference<uno::XComponentContext> local = localContext();
    const QString what = QStringLiteral("Connecting to the word processor");
    const OUString url = toOUString(QStringLiteral("uno:pipe,name=%1;urp;StarOffice.ComponentContext").arg(mPipeName));
    QElapsedTimer timer;
    timer.start();
    try {
        const uno::Reference<bridge::XUnoUrlResolver> resolver = bridge::UnoUrlResolver::create(local);
        while (!mContext.is()) {
            try {
                mContext.set(resolver->resolve(url), uno::UNO_QUERY_THROW);
                break;
            } catch (const connection::NoConnectException &) {
                // Not accepting yet.
            }
            if (ProgramEndRequested())
                throw AutomationError(QStringLiteral("The word processor was not started: the program is ending"));
            if (!mProcess.running()) {
                const QString ended = mProcess.exitDescription();
                // A launcher that hands its work to an office already running on the profile
                // ends successfully without ever accepting us.
                if (ended == QLatin1String("exited with code 0"))
                    throw ProfileInUse(
                        QStringLiteral("The word processor's profile folder %1 is in use by another office")
                            .arg(QDir::toNativeSeparators(profileFolder)));
                throw AutomationError(
                    QStringLiteral("The word processor (%1) %2 while starting.%3").arg(program, ended, logTail()));
            }
            if (timer.elapsed() >= timeout.count())
                throw AutomationError(
                    QStringLiteral("The word processor (%1) did not answer within %2 ms; its profile folder %3 may be "
                                   "unusable.%4")
                        .arg(program)
                        .arg(timeout.count())
                        .arg(QDir::toNativeSeparators(profileFolder), logTail()));
            QThread::msleep(kConnectRetryMs);
        }

        // Only an office started with our token is ours; one that took over our request would
        // otherwise be driven, and ended, by us.
        const OUString token = util::theMacroExpander::get(mContext)->expandMacros(
            toOUString(QStringLiteral("${%1}").arg(QLatin1String(kTokenVariable))));
        if (toQString(token) != mToken) {
            mContext.clear();
            throw ProfileInUse(QStringLiteral("The word processor's profile folder %1 is in use by another office")
                                   .arg(QDir::toNativeSeparators(profileFolder)));
        }
        mDesktop = frame::Desktop::create(mContext);
        mProcess.recordSockets();
    } catch (const AutomationError &) {
        mContext.clear();
        throw;
    } catch (...) {
        mContext.clear();
        mDesktop.clear();
        rethrowAsAutomationError(*this, what);
    }
}

QString LibreOfficeSession::logTail() const
{
    if (!mFolder)
        return QString();
    QFile log(mFolder->filePath(QStringLiteral("office.log")));
    if (!log.open(QIODevice::ReadOnly))
        return QString();
    const qint64 size = log.size();
    log.seek(qMax<qint64>(0, size - 600));
    const QString text = QString::fromLocal8Bit(log.readAll()).trimmed();
    return text.isEmpty() ? QString() : QStringLiteral(" Its output: %1").arg(text);
}

bool LibreOfficeSession::checkAlive() noexcept
{
    if (mDead || !mDesktop.is())
        return false;
    if (!mProcess.running()) {
        mDead = true;
        return false;
    }
    // A call under way is watched by its own wait.
    if (isBusy())
        return true;
    bool answered = false;
    try {
        // The cheapest round trip: it fails at once when the connection is gone, and an office that
        // does not answer it within moments is hung.
        runInOffice(*this, QStringLiteral("Checking the word processor"), kAliveLimit, Cancel::Ignored, [&] {
            try {
                mContext->getServiceManager();
                answered = true;
            } catch (...) {
            }
        });
    } catch (...) {
    }
    if (!answered)
        mDead = true;
    return answered;
}

qint64 LibreOfficeSession::residentKilobytes() const
{
    qint64 total = 0;
    for (const pid_t pid : processIds()) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                total += line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return total;
}

void LibreOfficeSession::abort() noexcept
{
    const pid_t group = mGroup.load();
    if (group > 0)
        ::kill(-group, SIGKILL);
}

bool LibreOfficeSession::abortIfStopped() noexcept
{
    if (mProcess.processId() == 0 || !mProcess.stopped())
        return false;
    abort();
    mDead = true;
    return true;
}

void LibreOfficeSession::run(const QString &what, std::chrono::milliseconds limit, Cancel cancel, bool processEvents,
                             const std::function<void()> &work)
{
    OfficeWorker::Wait wait;
    wait.limit = limit.count() > 0 ? limit : mCallLimit;
    wait.honourCancel = cancel == Cancel::Honoured;
    wait.processEvents = processEvents;
    switch (mWorker.run(work, wait)) {
    case OfficeWorker::Outcome::Done:
        return;
    case OfficeWorker::Outcome::Cancelled:
    case OfficeWorker::Outcome::Ending:
        throw AutomationCancelled(QStringLiteral("%1: cancelled.").arg(what));
    case OfficeWorker::Outcome::Overdue: {
        // The office is stopped: the next instance starts a fresh one, and whatever else this one is
        // asked fails with the same sentence.
        mOverdueLimit.store(wait.limit.count());
        mDead = true;
        std::fprintf(stderr, "parvoline: %s: no answer within %lld ms; the word processor was stopped\n",
                     qUtf8Printable(what), static_cast<long long>(wait.limit.count()));
        std::fflush(stderr);
        throw WordProcessorLost(overdueSentence(wait.limit));
    }
    case OfficeWorker::Outcome::Closed:
        std::fprintf(stderr, "parvoline: %s: the word processor was shut down\n", qUtf8Printable(what));
        std::fflush(stderr);
        throw WordProcessorLost(QStringLiteral("The word processor stopped unexpectedly."));
    }
}

void LibreOfficeSession::shutdown() noexcept
{
    // Ending never waits long on the office: a call under way (from another thread) gets little more
    // time, and an office that does not answer is killed, not waited for.
    mWorker.capCalls(kShutdownCallLimit);
    abortIfStopped();
    if (mProcess.processId() != 0) {
        if (!mDead && mDesktop.is() && mProcess.running()) {
            try {
                run(QStringLiteral("Ending the word processor"), kShutdownCallLimit, Cancel::Ignored, false, [this] {
                    try {
                        const uno::Reference<container::XEnumeration> components =
                            mDesktop->getComponents()->createEnumeration();
                        while (components->hasMoreElements()) {
                            const uno::Reference<util::XCloseable> closeable(components->nextElement(), uno::UNO_QUERY);
                            try {
                                if (closeable.is())
                                    closeable->close(true);
                            } catch (...) {
                                // A document that refuses to close ends with the office.
                            }
                        }
                    } catch (...) {
                    }
                    try {
                        mDesktop->terminate();
                    } catch (...) {
                        // The office usually goes away in the middle of this call.
                    }
                });
            } catch (...) {
                // Stopped: the kill below finishes it.
            }
            mProcess.waitForExit(kTerminateLimit);
        }
        mProcess.stop(kKillLimit);
    }
    mGroup.store(0);
    mWorker.close();
    mDead = true;
    try {
        mDesktop.clear();
        mContext.clear();
    } catch (...) {
    }
    if (mFolder) {
        mFolder->remove();
        mFolder.reset();
    }
}
