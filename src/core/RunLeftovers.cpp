#include "RunLeftovers.h"

#include "Watcher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char kRecordPrefix[] = "parvoline-run-";
constexpr char kRecordSuffix[] = ".files";
constexpr char kRecordHeader[] = "parvoline-run";

// The watcher: waits until the program's end of the link closes, which happens however the program
// ends, then removes what the record still names and the record. It knows the same names as
// isRunName() and never follows a link.
constexpr char kWatcherScript[] = R"(trap '' INT HUP QUIT TERM
record=$1
folder=${record%/*}
while IFS= read -r line; do :; done
[ -f "$record" ] && [ ! -L "$record" ] && [ -O "$record" ] || exit 0
while IFS= read -r name; do
    case $name in
    */* | .*) ;;
    template.dot | temp.bmp | [a-z][a-z][a-z][a-z][a-z][a-z][1-9][1-9][1-9][1-9][1-9][1-9][1-9][1-9].doc)
        [ -f "$folder/$name" ] && [ ! -L "$folder/$name" ] && [ -O "$folder/$name" ] && rm -f -- "$folder/$name" ;;
    batch-??????)
        [ -d "$folder/$name" ] && [ ! -L "$folder/$name" ] && [ -O "$folder/$name" ] && rm -rf -- "$folder/$name" ;;
    esac
done < "$record"
rm -f -- "$record"
exit 0
)";

struct State
{
    QMutex mutex;
    QString folder;
    QStringList names;
    int watcherLink = -1;
};

State &state()
{
    static State s;
    return s;
}

// When the process started, in clock ticks since boot; with the id it names one process for good.
QByteArray startTime(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0)
        return {};
    // The command name may hold blanks; the fields after it are fixed, the start time is the 20th.
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    return fields.size() > 19 ? fields.at(19) : QByteArray();
}

QString recordPath(const State &s)
{
    return s.folder + QLatin1Char('/') + RunLeftovers::recordName(::getpid());
}

void writeRecord(State &s)
{
    const QString path = recordPath(s);
    if (s.names.isEmpty()) {
        QFile::remove(path);
        return;
    }
    QByteArray content =
        QByteArray(kRecordHeader) + ' ' + QByteArray::number(::getpid()) + ' ' + startTime(::getpid()) + '\n';
    for (const QString &name : std::as_const(s.names))
        content += QFile::encodeName(name) + '\n';
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Losing the record loses only the clean-up after a kill; the run itself goes on.
    if (file.open(QIODevice::WriteOnly) && file.write(content) == content.size() && file.flush())
        file.commit();
}

void startWatcher(State &s)
{
    Watcher watcher;
    // Without a watcher only the next start cleans up after a kill.
    if (StartWatcher(QByteArray(kWatcherScript), "parvoline-leftovers", {QFile::encodeName(recordPath(s))}, &watcher)
        == 0)
        s.watcherLink = watcher.link;
}

// A regular file (or a folder) of the user's own, not a link.
bool ownEntry(const QString &path, bool folder)
{
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || st.st_uid != ::geteuid())
        return false;
    return folder ? S_ISDIR(st.st_mode) : S_ISREG(st.st_mode);
}
} // namespace

QString RunLeftovers::recordName(qint64 pid)
{
    return QLatin1String(kRecordPrefix) + QString::number(pid) + QLatin1String(kRecordSuffix);
}

bool RunLeftovers::isRunName(const QString &name)
{
    static const QRegularExpression names(
        QStringLiteral("^(template\\.dot|temp\\.bmp|[a-z]{6}[1-9]{8}\\.doc|batch-[A-Za-z0-9]{6})$"));
    return names.match(name).hasMatch();
}

void RunLeftovers::start(const QString &folder)
{
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return;
    removeDeadRuns(folder);
    State &s = state();
    QMutexLocker lock(&s.mutex);
    s.folder = QDir(folder).absolutePath();
    s.names.clear();
    if (s.watcherLink < 0)
        startWatcher(s);
}

void RunLeftovers::add(const QString &path)
{
    State &s = state();
    QMutexLocker lock(&s.mutex);
    const QFileInfo info(path);
    if (s.folder.isEmpty() || info.absolutePath() != s.folder || !isRunName(info.fileName())
        || s.names.contains(info.fileName()))
        return;
    s.names.append(info.fileName());
    writeRecord(s);
}

void RunLeftovers::forget(const QString &path)
{
    State &s = state();
    QMutexLocker lock(&s.mutex);
    const QFileInfo info(path);
    if (s.folder.isEmpty() || info.absolutePath() != s.folder || !s.names.removeOne(info.fileName()))
        return;
    writeRecord(s);
}

int RunLeftovers::removeDeadRuns(const QString &folder)
{
    const QDir dir(folder);
    const QStringList records = dir.entryList(
        {QLatin1String(kRecordPrefix) + QLatin1Char('*') + QLatin1String(kRecordSuffix)}, QDir::Files | QDir::Hidden);
    int removed = 0;
    for (const QString &recordFile : records) {
        const QString path = dir.filePath(recordFile);
        if (!ownEntry(path, false))
            continue;
        QFile record(path);
        if (!record.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = record.readAll().split('\n');
        record.close();
        const QList<QByteArray> header = lines.value(0).split(' ');
        bool number = false;
        const qint64 pid = header.value(1).toLongLong(&number);
        // The record must be the one its name says; a process that still runs with that id and start
        // time is a run in progress.
        if (header.size() != 3 || header.at(0) != kRecordHeader || !number || recordFile != recordName(pid))
            continue;
        const QByteArray started = startTime(pid);
        if (!started.isEmpty() && started == header.at(2))
            continue;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QString name = QFile::decodeName(lines.at(i));
            if (!isRunName(name))
                continue;
            const QString entry = dir.filePath(name);
            const bool isFolder = name.startsWith(QLatin1String("batch-"));
            if (!ownEntry(entry, isFolder))
                continue;
            if (isFolder ? QDir(entry).removeRecursively() : QFile::remove(entry))
                ++removed;
        }
        QFile::remove(path);
    }
    return removed;
}

RunWorkFolder::RunWorkFolder(const QString &parent)
    : mFolder(std::make_unique<QTemporaryDir>(parent + QStringLiteral("/batch-XXXXXX")))
{
    if (mFolder->isValid())
        RunLeftovers::add(mFolder->path());
}

RunWorkFolder::~RunWorkFolder()
{
    const bool made = mFolder->isValid();
    const QString folder = mFolder->path();
    mFolder.reset();
    if (made)
        RunLeftovers::forget(folder);
}

bool RunWorkFolder::isValid() const
{
    return mFolder->isValid();
}

QString RunWorkFolder::errorString() const
{
    return mFolder->errorString();
}

QString RunWorkFolder::path() const
{
    return mFolder->path();
}
