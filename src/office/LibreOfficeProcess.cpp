#include "LibreOfficeProcess.h"

#include "Watcher.h"
#include "WordAutomation.h"

#include <QByteArrayList>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {
constexpr unsigned long kPollIntervalMs = 5;

// The keeper: reads what to clean up ("group <id>", "socket <path>") until the program's end of the
// connection closes, which happens when the program ends in any way, then kills the office's group
// and removes its pipes and private folder. The shell needs no program of ours to be installed.
constexpr char kKeeperScript[] = R"(trap '' INT HUP QUIT
folder=$1
group=
set --
while IFS= read -r line; do
    case $line in
    "group "*)
        id=${line#group }
        case $id in
        '' | *[!0-9]*) ;;
        *) [ "$id" -gt 1 ] && group=$id ;;
        esac
        ;;
    "socket /"*) set -- "$@" "${line#socket }" ;;
    esac
done
if [ -n "$group" ]; then
    kill -9 "-$group" 2>/dev/null
    n=0
    while [ $n -lt 20 ] && kill -0 "-$group" 2>/dev/null; do
        sleep 0.05
        n=$((n + 1))
    done
fi
for socket in "$@"; do
    [ -S "$socket" ] && rm -f -- "$socket"
done
[ -n "$folder" ] && rm -rf -- "$folder"
exit 0
)";

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// The group id and state of a process, from /proc; false when it is gone.
bool readProcessState(const QString &pid, pid_t *group, char *state)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    // The command name may hold blanks and parentheses; the fields after it are fixed.
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return false;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    if (fields.size() < 3 || fields[0].isEmpty())
        return false;
    *state = fields[0].at(0);
    bool ok = false;
    *group = static_cast<pid_t>(fields[2].toLongLong(&ok));
    return ok;
}
} // namespace

LibreOfficeProcess::~LibreOfficeProcess()
{
    stop(std::chrono::milliseconds(2000));
}

void LibreOfficeProcess::startKeeper(const QString &privateFolder)
{
    Watcher keeper;
    const int result =
        StartWatcher(QByteArray(kKeeperScript), "parvoline-keeper", {QFile::encodeName(privateFolder)}, &keeper);
    if (result != 0)
        throw AutomationError(QStringLiteral("Could not start the word processor's keeper: %1").arg(errnoText(result)));
    mKeeper = keeper.pid;
    mKeeperLink = keeper.link;
}

void LibreOfficeProcess::tellKeeper(const QByteArray &line) noexcept
{
    if (mKeeperLink < 0)
        return;
    SendLine(mKeeperLink, line);
}

void LibreOfficeProcess::stopKeeper() noexcept
{
    if (mKeeper != 0) {
        // The program cleans up itself; a keeper left running would act on ids that are no longer ours.
        ::kill(mKeeper, SIGKILL);
        while (::waitpid(mKeeper, nullptr, 0) < 0 && errno == EINTR) {
        }
        mKeeper = 0;
    }
    if (mKeeperLink >= 0) {
        ::close(mKeeperLink);
        mKeeperLink = -1;
    }
}

void LibreOfficeProcess::start(const QString &program, const QStringList &arguments, const QStringList &environment,
                               const QString &logFile, const QString &privateFolder)
{
    if (mPid != 0)
        throw AutomationError(QStringLiteral("The word processor is already running"));
    // The keeper first: from the moment the office exists, the program's death takes it along.
    startKeeper(privateFolder);

    QByteArrayList argStore;
    argStore.append(QFile::encodeName(program));
    for (const QString &argument : arguments)
        argStore.append(argument.toLocal8Bit());
    QByteArrayList envStore;
    for (const QString &variable : environment)
        envStore.append(variable.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &arg : argStore)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<char *> envp;
    for (QByteArray &variable : envStore)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    const QByteArray logPath = QFile::encodeName(logFile);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, logPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);

    // A group of its own: the office is stopped as a whole, and a Ctrl+C meant for the program
    // does not reach it behind the program's back.
    SetSpawnSignals(&attributes);

    pid_t pid = 0;
    const int result = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        stopKeeper();
        throw AutomationError(QStringLiteral("Could not start %1: %2").arg(program, errnoText(result)));
    }
    mPid = pid;
    mSockets.clear();
    tellKeeper("group " + QByteArray::number(pid));
}

bool LibreOfficeProcess::running() const
{
    if (mPid == 0)
        return false;
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(mPid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return false;
    return info.si_pid == 0;
}

QString LibreOfficeProcess::exitDescription() const
{
    if (mPid == 0)
        return QStringLiteral("is not running");
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(mPid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return QStringLiteral("has ended");
    if (info.si_pid == 0)
        return QString();
    if (info.si_code == CLD_EXITED)
        return QStringLiteral("exited with code %1").arg(info.si_status);
    return QStringLiteral("was killed by signal %1 (%2)")
        .arg(info.si_status)
        .arg(QString::fromLocal8Bit(strsignal(info.si_status)));
}

bool LibreOfficeProcess::waitForExit(std::chrono::milliseconds limit) const
{
    QElapsedTimer timer;
    timer.start();
    while (running()) {
        if (timer.elapsed() >= limit.count())
            return false;
        QThread::msleep(kPollIntervalMs);
    }
    return true;
}

QList<pid_t> LibreOfficeProcess::members() const
{
    QList<pid_t> found;
    if (mPid == 0)
        return found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        const pid_t pid = static_cast<pid_t>(entry.toLongLong(&numeric));
        if (!numeric)
            continue;
        pid_t group = 0;
        char state = 0;
        if (readProcessState(entry, &group, &state) && group == mPid && state != 'Z' && state != 'X')
            found.append(pid);
    }
    return found;
}

bool LibreOfficeProcess::stopped() const
{
    const QList<pid_t> pids = members();
    for (pid_t pid : pids) {
        pid_t group = 0;
        char state = 0;
        if (readProcessState(QString::number(pid), &group, &state) && (state == 'T' || state == 't'))
            return true;
    }
    return false;
}

void LibreOfficeProcess::recordSockets()
{
    QSet<QByteArray> inodes;
    const QList<pid_t> pids = members();
    for (pid_t pid : pids) {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        const QStringList entries = fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &fd : entries) {
            const QByteArray path = QFile::encodeName(fds.filePath(fd));
            char target[128] = {};
            const ssize_t length = ::readlink(path.constData(), target, sizeof(target) - 1);
            const QByteArray link(target, length > 0 ? length : 0);
            if (link.startsWith("socket:[") && link.endsWith(']'))
                inodes.insert(link.mid(8, link.size() - 9));
        }
    }
    QFile table(QStringLiteral("/proc/net/unix"));
    if (!table.open(QIODevice::ReadOnly))
        return;
    const QList<QByteArray> lines = table.readAll().split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 8 || !inodes.contains(fields[6]))
            continue;
        const QString path = QFile::decodeName(fields[7]);
        if (QFileInfo(path).fileName().startsWith(QLatin1String("OSL_PIPE_")) && !mSockets.contains(path)
            && !path.contains(QLatin1Char('\n'))) {
            mSockets.append(path);
            tellKeeper("socket " + fields[7]);
        }
    }
}

void LibreOfficeProcess::expectSocket(const QString &path)
{
    if (mSockets.contains(path) || path.contains(QLatin1Char('\n')))
        return;
    mSockets.append(path);
    tellKeeper("socket " + QFile::encodeName(path));
}

void LibreOfficeProcess::stop(std::chrono::milliseconds limit) noexcept
{
    stopKeeper();
    if (mPid == 0)
        return;
    // The launcher is not reaped yet, so the group id cannot belong to anyone else.
    ::kill(-mPid, SIGKILL);
    QElapsedTimer timer;
    timer.start();
    while (!members().isEmpty() && timer.elapsed() < limit.count())
        QThread::msleep(kPollIntervalMs);

    int status = 0;
    while (::waitpid(mPid, &status, WNOHANG) == 0 && timer.elapsed() < limit.count())
        QThread::msleep(kPollIntervalMs);

    const uid_t user = ::geteuid();
    for (const QString &socket : std::as_const(mSockets)) {
        const QByteArray path = QFile::encodeName(socket);
        struct stat info
        {
        };
        if (::lstat(path.constData(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_uid == user)
            ::unlink(path.constData());
    }
    mSockets.clear();
    mPid = 0;
}
