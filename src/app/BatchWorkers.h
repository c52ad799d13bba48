#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <sys/types.h>

/// The first argument of the program when it runs as a worker; a user never types it.
inline constexpr char kWorkerOption[] = "--batch-worker";
/// The worker's last argument when it makes a PDF of each receipt of the parts it is sent.
inline constexpr char kEachPdfWorker[] = "each-pdf";

/// Copies of the program that make parts of a batch command side by side, each with an office of its
/// own. The office's client library and the program's hold one office per process (the signal guard
/// and the word-processor factory are the process's), so a second office means a second process.
///
/// A worker talks over one socket, its standard input: the command sends one line per part to make,
/// the worker answers with lines of its own (see BatchWorkerChannel). Every worker dies with the
/// command, and the command never leaves one behind: finish() lets them end once their part is done,
/// stop() ends them at once.
class BatchWorkers final
{
public:
    /// What a worker said, or that it ended.
    struct Event
    {
        enum Kind { Progress, File, Done, Failed, Ended } kind = Ended;
        int worker = -1;
        /// Progress: receipts of the part filled so far. File: which receipt of the part (from 1).
        /// Ended: the exit status, or -1 for a crash.
        int number = 0;
        /// Done: the finished document in the worker's folder (empty when its receipts came as files of
        /// their own). File: one receipt's finished file. Failed: what failed, in one line.
        QString text;
    };

    /// Workers run \a program with \a arguments.
    BatchWorkers(QString program, QStringList arguments);
    /// Stops whatever still runs, as stop() does.
    ~BatchWorkers();
    BatchWorkers(const BatchWorkers &) = delete;
    BatchWorkers &operator=(const BatchWorkers &) = delete;

    /// Starts \a count workers; false, with \a problem, when not even one starts.
    bool start(int count, QString &problem);
    int count() const { return static_cast<int>(mWorkers.size()); }
    bool isRunning(int worker) const { return mWorkers.at(worker).pid > 0; }

    /// Hands \a line to \a worker; false when the worker is gone.
    bool send(int worker, const QByteArray &line);
    /// The next thing a worker said or did, waiting up to \a ms; Ended with worker -1 on time out.
    Event next(int ms);
    /// Tells every worker that no more work comes: each ends once its part is done.
    void finish();
    /// Ends every worker with SIGTERM, as a stopped command ends (its office goes with it).
    void stop();
    /// Waits up to \a ms for every worker to end; kills those still running after that. Events not read
    /// by then are dropped.
    void waitForAll(int ms);

private:
    struct Worker
    {
        pid_t pid = 0;
        int socket = -1;
        QByteArray pending;
        bool reaped = false;
        int status = 0;
    };
    bool readFrom(int worker);
    bool takeLine(int worker, Event &event);
    bool reap(int worker, bool block, Event &event);

    QString mProgram;
    QStringList mArguments;
    QList<Worker> mWorkers;
};

/// The worker's end of the socket: reads the parts to make and answers.
namespace BatchWorkerChannel {
/// Reads the next line the command sent, waiting as long as it takes; false once the command sends no
/// more (or the program is asked to end).
bool readLine(QByteArray &line);
/// "progress N": N receipts of the part are filled.
void progress(int receipts);
/// "done PATH": the part is made, as the document at PATH ("done": as the files told before).
void done(const QString &document);
/// "file N PATH": receipt N (from 1) of the part is made, as the file at PATH.
void file(int receipt, const QString &path);
/// "failed TEXT": the part failed for the reason TEXT.
void failed(const QString &reason);
} // namespace BatchWorkerChannel
