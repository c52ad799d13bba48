#pragma once

#include "ReceiptRecord.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QLockFile;
class ReceiptList;

/// Keeps the windows' receipt list in a recovery file, so that closing the program, a crash, a kill or
/// a logout loses no typed receipt, and offers the kept list back at the next start.
///
/// A change is written at most about once a second: the window's thread only takes a copy of the
/// records (implicitly shared, so it costs nothing), a thread of the keeper's own encodes and writes
/// it. Several programs may run at once: each holds a lock on a file of its own ("receipts.recovery",
/// then "receipts-2.recovery" and so on), and a start gathers every kept list that no running program
/// holds.
class ReceiptKeeper final : public QObject
{
    Q_OBJECT

public:
    /// Keeps \a list (not owned; it must outlive the keeper) in \a folder.
    explicit ReceiptKeeper(ReceiptList *list, const QString &folder = defaultFolder(), QObject *parent = nullptr);
    /// Writes what has not been written yet and waits for it.
    ~ReceiptKeeper() override;
    ReceiptKeeper(const ReceiptKeeper &) = delete;
    ReceiptKeeper &operator=(const ReceiptKeeper &) = delete;

    /// $XDG_DATA_HOME/parvoline (~/.local/share/parvoline).
    static QString defaultFolder();
    /// True when PARVOLINE_NO_RECOVERY asks the program not to keep the list (any value but "" and "0").
    static bool turnedOff();

    /// Takes the kept lists that no running program holds, asks whether to restore them, and from then
    /// on keeps the list. Does nothing when turned off.
    void start();
    /// Whether start() took a file to keep the list in.
    bool isKeeping() const { return !mPath.isEmpty(); }
    /// The file the list is kept in, once start() took it.
    QString filePath() const { return mPath; }
    /// Writes the list as it is now and returns once it is in the file.
    void flush();

signals:
    /// Every change so far is in the file.
    void kept();

private:
    void changed();
    void submit();
    void run();
    void afterWrite(quint64 generation, const QString &error);
    QString slotPath(int slot) const;
    /// Reads the kept list of \a path; a damaged one is set aside and reported. False when it could
    /// not even be set aside, so it must not be written over.
    bool gather(const QString &path, QList<ReceiptRecord> &into);

    ReceiptList *mList;
    QString mFolder;
    QString mPath;
    std::unique_ptr<QLockFile> mLock;
    QTimer mDelay;
    QElapsedTimer mSinceSubmit;
    quint64 mGeneration = 0;
    bool mFailureTold = false;

    std::mutex mMutex;
    std::condition_variable mWake;
    std::condition_variable mDone;
    std::optional<QList<ReceiptRecord>> mPending;
    quint64 mPendingGeneration = 0;
    quint64 mWrittenGeneration = 0;
    bool mStop = false;
    std::thread mWorker;
};
