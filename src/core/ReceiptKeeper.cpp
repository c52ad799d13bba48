#include "ReceiptKeeper.h"

#include "Failure.h"
#include "Program.h"
#include "ReceiptList.h"
#include "RecoveryFile.h"
#include "UserDialogs.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>
#include <QtGlobal>

#include <algorithm>

namespace {
constexpr int kWriteInterval = 1000;
// More windows-programs than anybody runs at once; past that a program simply keeps nothing.
constexpr int kSlots = 16;
const QString kRestore = QStringLiteral("Restore");
const QString kDiscard = QStringLiteral("Discard");

QString restoreQuestion(qsizetype count)
{
    return QStringLiteral("Restore the %1 %2 from the last session?")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("receipt") : QStringLiteral("receipts"));
}
} // namespace

ReceiptKeeper::ReceiptKeeper(ReceiptList *list, const QString &folder, QObject *parent)
    : QObject(parent)
    , mList(list)
    , mFolder(folder)
{
    mDelay.setSingleShot(true);
    connect(&mDelay, &QTimer::timeout, this, &ReceiptKeeper::submit);
}

ReceiptKeeper::~ReceiptKeeper()
{
    if (!mWorker.joinable())
        return;
    if (mDelay.isActive()) {
        mDelay.stop();
        submit();
    }
    {
        std::lock_guard lock(mMutex);
        mStop = true;
    }
    mWake.notify_one();
    mWorker.join();
}

QString ReceiptKeeper::defaultFolder()
{
    // GenericDataLocation is $XDG_DATA_HOME (~/.local/share) whatever the application's name.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/parvoline");
}

bool ReceiptKeeper::turnedOff()
{
    const QByteArray value = qgetenv("PARVOLINE_NO_RECOVERY");
    return !value.isEmpty() && value != "0";
}

QString ReceiptKeeper::slotPath(int slot) const
{
    const QString name = slot == 1 ? QStringLiteral("receipts") : QStringLiteral("receipts-%1").arg(slot);
    return mFolder + QLatin1Char('/') + name + QStringLiteral(".recovery");
}

bool ReceiptKeeper::gather(const QString &path, QList<ReceiptRecord> &into)
{
    const RecoveryFile::Contents contents = RecoveryFile::read(path);
    if (contents.error.isEmpty()) {
        into.append(contents.records);
        return true;
    }
    const QString movedTo = RecoveryFile::setAside(path, QStringLiteral("damaged"));
    const QString shown = QDir::toNativeSeparators(path);
    if (movedTo.isEmpty()) {
        MsgBox(QStringLiteral("The receipts kept from the last session in %1 could not be read because %2, and the "
                              "file could not be set aside, so it is left as it is.")
                   .arg(shown, contents.error),
               UserDialogs::Buttons::Ok, UserDialogs::Icon::Exclamation);
        return false;
    }
    MsgBox(QStringLiteral("The receipts kept from the last session could not be read because %1, so the file was "
                          "set aside as %2.")
               .arg(contents.error, QDir::toNativeSeparators(movedTo)),
           UserDialogs::Buttons::Ok, UserDialogs::Icon::Exclamation);
    return true;
}

void ReceiptKeeper::start()
{
    if (turnedOff() || isKeeping())
        return;
    if (!QDir().mkpath(mFolder)) {
        qWarning("Cannot create %s: the receipts are not kept this time", qUtf8Printable(mFolder));
        return;
    }
    // The kept receipts are the user's own business.
    QFile::setPermissions(mFolder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    // Every slot that no running program holds: its kept list is gathered, the first one becomes ours.
    struct Slot
    {
        QString path;
        std::unique_ptr<QLockFile> lock;
        bool held = false;
        qsizetype gathered = 0;
    };
    std::vector<Slot> free;
    for (int slot = 1; slot <= kSlots; ++slot) {
        auto lock = std::make_unique<QLockFile>(slotPath(slot) + QStringLiteral(".lock"));
        // A lock left by a program that was killed is taken over at once: its process is gone.
        if (lock->tryLock(0))
            free.push_back({slotPath(slot), std::move(lock), false});
    }
    if (free.empty()) {
        qWarning("%d programs keep their receipts already: this one's are not kept", kSlots);
        return;
    }

    QList<ReceiptRecord> kept;
    for (Slot &slot : free) {
        const qsizetype before = kept.size();
        slot.held = !gather(slot.path, kept);
        slot.gathered = kept.size() - before;
    }
    const auto ours = std::find_if(free.begin(), free.end(), [](const Slot &slot) { return !slot.held; });
    if (ours == free.end())
        return;

    const bool listWasEmpty = mList->count() == 0;
    bool restored = false;
    if (!kept.isEmpty()) {
        const int choice = UserDialogs::current().choose(ApplicationTitle(), restoreQuestion(kept.size()),
                                                         UserDialogs::Icon::None, {kRestore, kDiscard}, 0);
        // Nobody answered: the program is ending. The kept files stay for the next start.
        if (choice < 0)
            return;
        restored = choice == 0;
    }
    if (restored)
        mList->appendRecords(kept);

    mPath = ours->path;
    mLock = std::move(ours->lock);
    // The gathered lists now live in this program's list and, once written, in its own file only. A
    // list restored from this program's own file alone is in that file already.
    QString failure;
    if (!(restored && listWasEmpty && ours->gathered == kept.size())) {
        try {
            RecoveryFile::write(mPath, mList->records());
        } catch (const Failure &error) {
            failure = error.description();
        }
    }
    for (Slot &slot : free) {
        if (slot.lock && !slot.held && failure.isEmpty())
            QFile::remove(slot.path);
    }

    connect(mList, &QAbstractItemModel::rowsInserted, this, &ReceiptKeeper::changed);
    connect(mList, &QAbstractItemModel::rowsRemoved, this, &ReceiptKeeper::changed);
    connect(mList, &QAbstractItemModel::rowsMoved, this, &ReceiptKeeper::changed);
    connect(mList, &QAbstractItemModel::dataChanged, this, &ReceiptKeeper::changed);
    connect(mList, &QAbstractItemModel::layoutChanged, this, &ReceiptKeeper::changed);
    connect(mList, &QAbstractItemModel::modelReset, this, &ReceiptKeeper::changed);
    mWorker = std::thread([this] { run(); });
    if (!failure.isEmpty())
        afterWrite(mGeneration, failure);
}

void ReceiptKeeper::changed()
{
    if (mDelay.isActive())
        return;
    // The first change after a quiet spell goes out at once (once the current event is handled, so a
    // burst of changes is one write); during a burst, once a second.
    const qint64 since = mSinceSubmit.isValid() ? mSinceSubmit.elapsed() : kWriteInterval;
    mDelay.start(int(std::clamp<qint64>(kWriteInterval - since, 0, kWriteInterval)));
}

void ReceiptKeeper::submit()
{
    mSinceSubmit.start();
    const quint64 generation = ++mGeneration;
    // A copy of the list's records shares their data: nothing is copied on this thread.
    QList<ReceiptRecord> records = mList->records();
    {
        std::lock_guard lock(mMutex);
        mPending = std::move(records);
        mPendingGeneration = generation;
    }
    mWake.notify_one();
}

void ReceiptKeeper::flush()
{
    if (!mWorker.joinable())
        return;
    if (mDelay.isActive())
        mDelay.stop();
    submit();
    std::unique_lock lock(mMutex);
    const quint64 wanted = mGeneration;
    mDone.wait(lock, [&] { return mWrittenGeneration >= wanted; });
}

void ReceiptKeeper::run()
{
    for (;;) {
        QList<ReceiptRecord> records;
        quint64 generation = 0;
        {
            std::unique_lock lock(mMutex);
            mWake.wait(lock, [this] { return mPending.has_value() || mStop; });
            if (!mPending)
                return;
            records = std::move(*mPending);
            mPending.reset();
            generation = mPendingGeneration;
        }
        // A copy of the records of this thread's own, made here, so the window's next change to the
        // list does not have to copy ten thousand records while this one writes.
        records.detach();
        QString error;
        try {
            RecoveryFile::write(mPath, records);
        } catch (const Failure &failure) {
            error = failure.description();
        } catch (const std::exception &failure) {
            error = QString::fromLocal8Bit(failure.what());
        }
        {
            std::lock_guard lock(mMutex);
            mWrittenGeneration = generation;
        }
        mDone.notify_all();
        QMetaObject::invokeMethod(
            this, [this, generation, error] { afterWrite(generation, error); }, Qt::QueuedConnection);
    }
}

void ReceiptKeeper::afterWrite(quint64 generation, const QString &error)
{
    if (!error.isEmpty()) {
        qWarning("The receipts could not be kept: %s", qUtf8Printable(error));
        // Told once, not at every change; a later success makes the next failure worth telling again.
        if (!mFailureTold) {
            mFailureTold = true;
            MsgBox(QStringLiteral("The receipts could not be kept for the next start: %1. The last list that "
                                  "was kept stays as it was.")
                       .arg(error),
                   UserDialogs::Buttons::Ok, UserDialogs::Icon::Exclamation);
        }
        return;
    }
    mFailureTold = false;
    if (generation == mGeneration && !mDelay.isActive())
        emit kept();
}
