#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <sys/types.h>

/// The office's process tree. The launcher is started in a process group of its own, so the
/// launcher and the office it starts are stopped together, and nothing that the program did not
/// start is ever signalled. The launcher stays unreaped until stop(), which keeps its id (and so
/// the group's id) from being reused while the group is signalled.
///
/// The office never outlives the program: a small keeper process, started with it, holds one end
/// of a connection whose other end only the program holds. When the program ends in any way, a
/// kill included, the keeper reads the end of that connection, kills the office's group and
/// removes its pipes and its private folder. stop() ends the keeper first, as it does that itself.
class LibreOfficeProcess final
{
public:
    LibreOfficeProcess() = default;
    /// Stops whatever still runs; never throws.
    ~LibreOfficeProcess();
    LibreOfficeProcess(const LibreOfficeProcess &) = delete;
    LibreOfficeProcess &operator=(const LibreOfficeProcess &) = delete;

    /// Starts \a program with \a arguments and exactly the \a environment given ("NAME=value"),
    /// standard input empty and both outputs to \a logFile, and its keeper, which removes
    /// \a privateFolder (may be empty) should the program die. Throws AutomationError.
    void start(const QString &program, const QStringList &arguments, const QStringList &environment,
               const QString &logFile, const QString &privateFolder = QString());

    /// The launcher's process id, which is also the group's id; 0 before start and after stop.
    pid_t processId() const { return mPid; }
    /// True while the launcher runs; it ends when the office ends.
    bool running() const;
    /// How the launcher ended ("exited with code 1", "was killed by signal 9"); empty while it runs.
    QString exitDescription() const;
    /// Waits up to \a limit for the launcher to end; true when it has.
    bool waitForExit(std::chrono::milliseconds limit) const;
    /// The processes of the group that have not ended yet, the launcher included.
    QList<pid_t> members() const;
    /// True when a process of the group is stopped (by SIGSTOP, a debugger, or a job control stop):
    /// it answers nothing until someone continues it.
    bool stopped() const;

    /// Remembers the local sockets that the group's processes hold open in the shared temporary
    /// folder (the office's pipes), so that stop() (or the keeper) can remove those an office
    /// killed left behind.
    void recordSockets();
    /// Remembers \a path, a socket the office is about to make, before it is there.
    void expectSocket(const QString &path);
    QStringList sockets() const { return mSockets; }

    /// Kills every process of the group that still runs, waits up to \a limit for them to end,
    /// reaps the launcher and removes the office's leftover sockets. Safe to call more than once.
    void stop(std::chrono::milliseconds limit) noexcept;

    /// The keeper's process id; 0 while none runs.
    pid_t keeperId() const { return mKeeper; }

private:
    void startKeeper(const QString &privateFolder);
    void tellKeeper(const QByteArray &line) noexcept;
    void stopKeeper() noexcept;

    pid_t mPid = 0;
    QStringList mSockets;
    pid_t mKeeper = 0;
    int mKeeperLink = -1;
};
