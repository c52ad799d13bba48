#include "LibreOfficeEngine.h"

#include "LibreOfficeBackend.h"
#include "LibreOfficeCall.h"
#include "LibreOfficeSession.h"
#include "ModelApplication.h"
#include "OfficeCrashGuard.h"
#include "WordAutomation.h"
#include "WriterOffice.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

namespace {
LibreOfficeEngine *gInstalledEngine = nullptr;
} // namespace

LibreOfficeEngine::LibreOfficeEngine()
    : LibreOfficeEngine(Settings())
{}

LibreOfficeEngine::LibreOfficeEngine(Settings settings)
    : mSettings(std::move(settings))
    , mWriter(std::make_shared<WriterOffice>(mSettings.writerGrowthKilobytes))
    , mBackend(makeBackend())
{}

LibreOfficeEngine::~LibreOfficeEngine()
{
    shutdown();
}

void LibreOfficeEngine::install()
{
    InstallOfficeCrashGuard();
    SetOfficeWaitProcessesEvents(true);
    gInstalledEngine = this;
    SetWordApplicationFactory([this] { return createApplication(); });
    SetDeferredWordFiles({[this](bool defer) { mBackend->setDeferWordFiles(defer); },
                          [this](const QString &path) { mBackend->writeDeferred(QFileInfo(path).absoluteFilePath()); },
                          // The second office starts now rather than when the first long run needs it.
                          [this](int receipts) {
                              mBackend->writerOffice(receipts);
                          }});
}

void LibreOfficeEngine::shutdown() noexcept
{
    if (gInstalledEngine == this) {
        SetWordApplicationFactory({});
        SetDeferredWordFiles({});
        gInstalledEngine = nullptr;
    }
    // Nothing runs in the windows any more while the office goes.
    SetOfficeWaitProcessesEvents(false);
    // A stopped office answers nothing: closing its documents would only wait for the call limit.
    if (mSession)
        mSession->abortIfStopped();
    // Documents still loaded are closed while the office still answers. Instances made so far are
    // done for; later ones share a backend of their own.
    mBackend->close();
    mBackend = makeBackend();
    mWriter->shutdown();
    adoptRestarted();
    if (mSession) {
        mSession->shutdown();
        mSession.reset();
    }
    RememberOffice(OfficeSlot::Main, 0, {});
    mPrivateProfile.reset();
    mProfileLock.reset();
    mProfileFolder.clear();
    mBaselineKilobytes = 0;
    mStartedKilobytes = 0;
}

std::shared_ptr<LibreOfficeBackend> LibreOfficeEngine::makeBackend()
{
    auto backend = std::make_shared<LibreOfficeBackend>([this] { return session(); });
    backend->setQuitHook([this] { recycleIfGrown(); });
    backend->setKeepSaved(mSettings.keepSavedDocument);
    backend->setWriterSource(
        [this](int tables) {
            if (mSettings.writerOfficeFrom <= 0 || tables < mSettings.writerOfficeFrom
                || tables > mSettings.writerOfficeUpTo || mProfileFolder.isEmpty())
                return WriterOffice::Session();
            return mWriter->session([this] {
                // Within the first office's profile folder, which this program holds: no other office
                // can be using it.
                return WriterOffice::Start{resolveProgram(), mProfileFolder + QStringLiteral("/writer-office"),
                                           mSettings.startTimeout, mSettings.callTimeout};
            });
        },
        [writer = mWriter] { writer->workDone(); });
    return backend;
}

std::unique_ptr<WordApplication> LibreOfficeEngine::createApplication()
{
    // An instance stands for a running office: the office starts (or is found dead) here.
    session();
    return std::make_unique<ModelApplication>(mBackend);
}

qint64 LibreOfficeEngine::officeProcessId() const
{
    return mSession ? mSession->processId() : 0;
}

QList<qint64> LibreOfficeEngine::officeProcessIds() const
{
    QList<qint64> ids;
    if (mSession) {
        const QList<pid_t> pids = mSession->processIds();
        for (pid_t pid : pids)
            ids.append(pid);
    }
    return ids;
}

QList<qint64> LibreOfficeEngine::writerProcessIds() const
{
    return mWriter->processIds();
}

int LibreOfficeEngine::writerStartCount() const
{
    return mWriter->startCount();
}

QString LibreOfficeEngine::officeTemporaryFolder() const
{
    return mSession ? mSession->privateFolder() : QString();
}

QString LibreOfficeEngine::profileFolder() const
{
    return mSession ? mProfileFolder : QString();
}

QString LibreOfficeEngine::defaultProfileFolder()
{
    QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        cache = QDir::homePath() + QStringLiteral("/.cache");
    return cache + QStringLiteral("/parvoline/office-profile");
}

qint64 LibreOfficeEngine::officeResidentKilobytes() const
{
    return mSession ? mSession->residentKilobytes() : 0;
}

void LibreOfficeEngine::holdRecycling(bool hold)
{
    const bool wasHeld = mRecyclingHeld;
    mRecyclingHeld = hold;
    if (wasHeld && !hold)
        recycleIfGrown();
}

void LibreOfficeEngine::recycleIfGrown()
{
    // Measuring the office reads every process's entry in /proc: milliseconds, worth it between pieces
    // of work a user waits for, not between the receipts of a batch.
    if (mRecyclingHeld)
        return;
    // While the picture of the document saved last is still to come, pages of a picture are still to be
    // made, or a Word file is still to be written, its office is needed as it is.
    if (!mSession || mRestarting.valid() || mSettings.recycleGrowthKilobytes <= 0 || mBackend->savedDocumentPending()
        || mBackend->pictureDocumentsHeld() || mBackend->writeDeferredPending())
        return;
    const qint64 resident = officeResidentKilobytes();
    if (mBaselineKilobytes == 0) {
        mBaselineKilobytes =
            mStartedKilobytes > 0 ? std::min(resident, mStartedKilobytes + mSettings.firstWorkKilobytes) : resident;
    }
    if (resident < mBaselineKilobytes + mSettings.recycleGrowthKilobytes)
        return;

    // An office keeps some of what every document cost it. A fresh one, started while the user looks
    // at the preview, is ready before the next piece of work.
    mBackend->forgetSaved();
    std::shared_ptr<LibreOfficeSession> old = std::move(mSession);
    RememberOffice(OfficeSlot::Main, 0, {});
    mBaselineKilobytes = 0;
    ++mRecycled;
    const QString program = old ? resolveProgram() : QString();
    const QString profile = mProfileFolder;
    const auto startTimeout = mSettings.startTimeout;
    const auto callTimeout = mSettings.callTimeout;
    mRestarting = std::async(std::launch::async, [old, program, profile, startTimeout, callTimeout] {
        old->shutdown();
        return LibreOfficeSession::start(program, profile, startTimeout, callTimeout);
    });
}

void LibreOfficeEngine::adoptRestarted() noexcept
{
    if (!mRestarting.valid())
        return;
    try {
        std::shared_ptr<LibreOfficeSession> restarted = mRestarting.get();
        if (mSession) {
            restarted->shutdown();
        } else {
            mSession = std::move(restarted);
            mStartedKilobytes = officeResidentKilobytes();
        }
        if (mSession)
            RememberOffice(OfficeSlot::Main, mSession->processId(), mSession->sockets());
    } catch (...) {
        // The next piece of work starts an office the usual way.
    }
}

std::shared_ptr<LibreOfficeSession> LibreOfficeEngine::session()
{
    adoptRestarted();
    if (mSession && mSession->checkAlive())
        return mSession;
    if (mSession) {
        // Died since last time: clear away what is left of it and start afresh.
        mSession->shutdown();
        mSession.reset();
        RememberOffice(OfficeSlot::Main, 0, {});
    }

    const QString program = resolveProgram();
    QString profile = chooseProfile();
    try {
        mSession = LibreOfficeSession::start(program, profile, mSettings.startTimeout, mSettings.callTimeout);
    } catch (const LibreOfficeSession::ProfileInUse &) {
        // An office left over from elsewhere holds the profile; this run uses one of its own.
        mPrivateProfile = std::make_unique<QTemporaryDir>(profile + QStringLiteral("-XXXXXX"));
        if (!mPrivateProfile->isValid())
            throw;
        profile = mPrivateProfile->path();
        mSession = LibreOfficeSession::start(program, profile, mSettings.startTimeout, mSettings.callTimeout);
    }
    mProfileFolder = profile;
    RememberOffice(OfficeSlot::Main, mSession->processId(), mSession->sockets());
    mStartedKilobytes = officeResidentKilobytes();
    return mSession;
}

QString LibreOfficeEngine::resolveProgram() const
{
    const QString program = mSettings.officeProgram;
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        if (!info.isFile() || !info.isExecutable())
            throw AutomationError(
                QStringLiteral("The word processor %1 was not found").arg(QDir::toNativeSeparators(program)));
        return info.absoluteFilePath();
    }
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        throw AutomationError(
            QStringLiteral("The word processor (%1) was not found on PATH; LibreOffice Writer is needed").arg(program));
    return found;
}

QString LibreOfficeEngine::chooseProfile()
{
    if (mPrivateProfile)
        return mPrivateProfile->path();
    QString folder = mSettings.profileFolder.isEmpty() ? defaultProfileFolder() : mSettings.profileFolder;
    folder = QDir::cleanPath(QDir(folder).absolutePath());
    if (!mProfileLock) {
        QDir().mkpath(QFileInfo(folder).absolutePath());
        auto lock = std::make_unique<QLockFile>(folder + QStringLiteral(".lock"));
        // Held for the whole run: only a lock whose program has ended is stale.
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            mProfileLock = std::move(lock);
        } else if (lock->error() == QLockFile::LockFailedError) {
            // Another running program has it: this run uses a private profile beside it.
            mPrivateProfile = std::make_unique<QTemporaryDir>(folder + QStringLiteral("-XXXXXX"));
            if (mPrivateProfile->isValid())
                return mPrivateProfile->path();
            mPrivateProfile.reset();
        }
        // Without a lock the office itself tells whether it can use the folder.
    }
    return folder;
}
