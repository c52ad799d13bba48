#include "BatchWorkers.h"

#include "ProgramEnd.h"
#include "Watcher.h"

#include <QElapsedTimer>
#include <QFile>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {
// What a worker says is text, one line each, with paths and reasons percent-encoded so that a line
// break in a name never splits a line.
QByteArray encoded(const QString &text)
{
    return QUrl::toPercentEncoding(text, " /");
}

QString decoded(const QByteArray &text)
{
    return QUrl::fromPercentEncoding(text);
}

void sendToCommand(const QByteArray &line)
{
    SendLine(STDIN_FILENO, line);
}
} // namespace

BatchWorkers::BatchWorkers(QString program, QStringList arguments)
    : mProgram(std::move(program))
    , mArguments(std::move(arguments))
{}

BatchWorkers::~BatchWorkers()
{
    stop();
    waitForAll(30000);
}

bool BatchWorkers::start(int count, QString &problem)
{
    QByteArrayList store{QFile::encodeName(mProgram)};
    for (const QString &argument : std::as_const(mArguments))
        store.append(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : store)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    for (int i = 0; i < count; ++i) {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) {
            problem = QString::fromLocal8Bit(std::strerror(errno));
            break;
        }
        const pid_t parent = ::getpid();
        const pid_t pid = ::fork();
        if (pid == 0) {
            // Only async-signal-safe calls from here to exec. A worker never outlives the command, even
            // one that is killed.
            ::prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent)
                ::_exit(127);
            ::dup2(pair[1], STDIN_FILENO);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(pair[1]);
        if (pid < 0) {
            problem = QString::fromLocal8Bit(std::strerror(errno));
            ::close(pair[0]);
            break;
        }
        Worker worker;
        worker.pid = pid;
        worker.socket = pair[0];
        mWorkers.append(worker);
    }
    return !mWorkers.isEmpty();
}

bool BatchWorkers::send(int worker, const QByteArray &line)
{
    Worker &w = mWorkers[worker];
    if (w.pid <= 0 || w.socket < 0)
        return false;
    return SendLine(w.socket, line);
}

BatchWorkers::Event BatchWorkers::next(int ms)
{
    QElapsedTimer timer;
    timer.start();
    for (;;) {
        Event event;
        for (int i = 0; i < mWorkers.size(); ++i) {
            if (takeLine(i, event))
                return event;
        }
        // A worker's lines come before its end: what it said is read out before it counts as gone.
        for (int i = 0; i < mWorkers.size(); ++i) {
            Worker &w = mWorkers[i];
            if (w.pid <= 0)
                continue;
            if (!w.reaped && reap(i, false, event)) {
                w.reaped = true;
                w.status = event.number;
                while (readFrom(i)) {
                }
            }
            if (w.reaped) {
                if (takeLine(i, event))
                    return event;
                w.pid = 0;
                event.kind = Event::Ended;
                event.worker = i;
                event.number = w.status;
                return event;
            }
        }
        const qint64 left = ms - timer.elapsed();
        if (left <= 0 || ProgramEndRequested())
            return {};
        std::vector<pollfd> fds;
        std::vector<int> owners;
        for (int i = 0; i < mWorkers.size(); ++i) {
            if (mWorkers.at(i).pid > 0 && mWorkers.at(i).socket >= 0) {
                fds.push_back({mWorkers.at(i).socket, POLLIN, 0});
                owners.push_back(i);
            }
        }
        // Short waits: a worker's end shows no event on the socket, which its office may hold open.
        const int wait = static_cast<int>(std::min<qint64>(left, 50));
        if (::poll(fds.data(), fds.size(), wait) > 0) {
            for (size_t f = 0; f < fds.size(); ++f) {
                if (fds[f].revents != 0)
                    readFrom(owners[f]);
            }
        }
    }
}

bool BatchWorkers::readFrom(int worker)
{
    Worker &w = mWorkers[worker];
    if (w.socket < 0)
        return false;
    char buffer[4096];
    const ssize_t got = ::recv(w.socket, buffer, sizeof buffer, MSG_DONTWAIT);
    if (got > 0) {
        w.pending.append(buffer, got);
        return true;
    }
    if (got == 0) {
        // The worker closed its end: it ends, and waitpid tells how.
        ::shutdown(w.socket, SHUT_RD);
    }
    return false;
}

bool BatchWorkers::takeLine(int worker, Event &event)
{
    Worker &w = mWorkers[worker];
    const qsizetype end = w.pending.indexOf('\n');
    if (end < 0)
        return false;
    const QByteArray line = w.pending.left(end);
    w.pending.remove(0, end + 1);
    const qsizetype blank = line.indexOf(' ');
    const QByteArray word = blank < 0 ? line : line.left(blank);
    const QByteArray rest = blank < 0 ? QByteArray() : line.mid(blank + 1);
    event.worker = worker;
    if (word == "progress") {
        event.kind = Event::Progress;
        event.number = rest.toInt();
    } else if (word == "file") {
        const qsizetype second = rest.indexOf(' ');
        event.kind = Event::File;
        event.number = second < 0 ? 0 : rest.left(second).toInt();
        event.text = second < 0 ? QString() : decoded(rest.mid(second + 1));
    } else if (word == "done") {
        event.kind = Event::Done;
        event.text = decoded(rest);
    } else if (word == "failed") {
        event.kind = Event::Failed;
        event.text = decoded(rest);
    } else {
        // Not a line of the workers' own: read past it.
        return takeLine(worker, event);
    }
    return true;
}

bool BatchWorkers::reap(int worker, bool block, Event &event)
{
    Worker &w = mWorkers[worker];
    int status = 0;
    pid_t got = 0;
    do {
        got = ::waitpid(w.pid, &status, block ? 0 : WNOHANG);
    } while (got < 0 && errno == EINTR);
    if (got == 0)
        return false;
    event.kind = Event::Ended;
    event.worker = worker;
    event.number = got > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return true;
}

void BatchWorkers::finish()
{
    for (Worker &w : mWorkers) {
        if (w.socket >= 0)
            ::shutdown(w.socket, SHUT_WR);
    }
}

void BatchWorkers::stop()
{
    for (const Worker &w : std::as_const(mWorkers)) {
        if (w.pid > 0)
            ::kill(w.pid, SIGTERM);
    }
    finish();
}

void BatchWorkers::waitForAll(int ms)
{
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < mWorkers.size(); ++i) {
        Event event;
        while (mWorkers.at(i).pid > 0 && !mWorkers.at(i).reaped && !reap(i, false, event)) {
            if (timer.elapsed() > ms) {
                // A worker that does not end when told leaves no choice.
                ::kill(mWorkers.at(i).pid, SIGKILL);
                reap(i, true, event);
                break;
            }
            ::usleep(10000);
        }
        mWorkers[i].pid = 0;
        if (mWorkers.at(i).socket >= 0)
            ::close(mWorkers.at(i).socket);
        mWorkers[i].socket = -1;
        mWorkers[i].pending.clear();
    }
}

namespace BatchWorkerChannel {
bool readLine(QByteArray &line)
{
    static QByteArray pending;
    for (;;) {
        const qsizetype end = pending.indexOf('\n');
        if (end >= 0) {
            line = pending.left(end);
            pending.remove(0, end + 1);
            return true;
        }
        if (ProgramEndRequested())
            return false;
        pollfd fd{STDIN_FILENO, POLLIN, 0};
        // Short waits: a signal's request to end is seen even though reads restart after it.
        if (::poll(&fd, 1, 100) <= 0)
            continue;
        char buffer[4096];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        pending.append(buffer, got);
    }
}

void progress(int receipts)
{
    sendToCommand("progress " + QByteArray::number(receipts));
}

void done(const QString &document)
{
    sendToCommand("done " + encoded(document));
}

void file(int receipt, const QString &path)
{
    sendToCommand("file " + QByteArray::number(receipt) + ' ' + encoded(path));
}

void failed(const QString &reason)
{
    sendToCommand("failed " + encoded(reason));
}
} // namespace BatchWorkerChannel
