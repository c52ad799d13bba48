#pragma once

#include <QString>

#include <memory>

class QTemporaryDir;

/// The files that a run makes in the temporary folder (the template, the document, the page picture,
/// the batch command's working folder), written down in a record of the process's own there, so that
/// they go even when the program is killed: at once, by a small watcher process that outlives the
/// program, and at the latest when the program next starts. Only names the program makes are ever
/// removed, only in the folder of the record, and only for a record of the user's own whose process
/// has ended.
class RunLeftovers final
{
public:
    /// Starts keeping records in \a folder (the temporary folder): removes what dead runs of the user
    /// left there, then watches this process. Never throws; without a usable folder nothing is kept.
    static void start(const QString &folder);
    /// Writes down \a path, a file or folder directly inside the folder, before it is made.
    static void add(const QString &path);
    /// Strikes out \a path once it is gone (or was never made by this run).
    static void forget(const QString &path);
    /// Removes what the dead runs of this user left in \a folder; returns how many entries went.
    static int removeDeadRuns(const QString &folder);

    /// The record's file name for process \a pid.
    static QString recordName(qint64 pid);
    /// True when \a name is one the program gives to what a run leaves in the temporary folder.
    static bool isRunName(const QString &name);
};

/// The batch command's working folder: a new folder of the run's own in \a parent (`batch-XXXXXX`),
/// written down among the run's leftovers, and removed with all it holds when this goes.
class RunWorkFolder final
{
public:
    explicit RunWorkFolder(const QString &parent);
    ~RunWorkFolder();
    RunWorkFolder(const RunWorkFolder &) = delete;
    RunWorkFolder &operator=(const RunWorkFolder &) = delete;

    bool isValid() const;
    QString errorString() const;
    QString path() const;

private:
    std::unique_ptr<QTemporaryDir> mFolder;
};
