#include "CheckedFile.h"

#include "Failure.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Room for the random part within the file system's limit on one name.
constexpr qsizetype kMaxNameInPartial = 100;
constexpr unsigned kPrivatePermissions = 0600;
// As many links as the system itself follows in one path.
constexpr int kMaxLinks = 40;

QString describeError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString partialNameFor(const QString &target)
{
    const QFileInfo info(target);
    return info.absoluteDir().filePath(QStringLiteral(".%1.%2.part")
                                           .arg(info.fileName().left(kMaxNameInPartial))
                                           .arg(QRandomGenerator::system()->generate64(), 16, 16, QLatin1Char('0')));
}

// A write past the file-size limit raises SIGXFSZ, whose default action ends the program; the
// program would rather see the failing write and report it.
void ignoreFileSizeSignal()
{
    static const bool ignored = [] {
        struct sigaction current
        {
        };
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            ::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    Q_UNUSED(ignored);
}

// Puts \a partial at \a target unless something is there already, a planted link included.
int placeWithoutReplacing(const QByteArray &partial, const QByteArray &target)
{
    if (::renameat2(AT_FDCWD, partial.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the exclusive rename: a hard link is just as exclusive.
    if (::link(partial.constData(), target.constData()) != 0)
        return errno;
    ::unlink(partial.constData());
    return 0;
}
QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The text of the link at \a native, or an empty text when it is none.
QString linkText(const QByteArray &native)
{
    QByteArray text(4096, Qt::Uninitialized);
    for (;;) {
        const ssize_t size = ::readlink(native.constData(), text.data(), size_t(text.size()));
        if (size < 0)
            return {};
        if (size < text.size())
            return QFile::decodeName(text.first(size));
        text.resize(text.size() * 2);
    }
}
} // namespace

bool IsReadOnlyFile(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QByteArray native = QFile::encodeName(path);
    struct stat st
    {
    };
    if (::stat(native.constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    // The bits say what the user wants, whoever could override them.
    if ((st.st_mode & 0222) == 0 || (st.st_uid == ::geteuid() && (st.st_mode & S_IWUSR) == 0))
        return true;
    // A read-only file system is no choice of the user's about this file: the write itself tells it.
    if (::faccessat(AT_FDCWD, native.constData(), W_OK, AT_EACCESS) == 0)
        return false;
    return errno == EACCES || errno == EPERM;
}

QString SaveTargetOf(const QString &path)
{
    QString target = path;
    for (int links = 0;; ++links) {
        struct stat st
        {
        };
        const QByteArray native = QFile::encodeName(target);
        if (::lstat(native.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        const QString text = linkText(native);
        if (links == kMaxLinks || text.isEmpty())
            throw Failure(QStringLiteral("Path/File access error: %1 (%2)")
                              .arg(describeError(links == kMaxLinks ? ELOOP : errno), shownPath(path)));
        // A relative link counts from its own folder, as the system reads it; the path is not tidied,
        // since ".." after a linked folder means something else to the system than to the text.
        if (text.startsWith(QLatin1Char('/')))
            target = text;
        else
            target = target.left(target.lastIndexOf(QLatin1Char('/')) + 1) + text;
    }
    if (IsReadOnlyFile(target))
        throw Failure(QStringLiteral("%1 is read-only.").arg(shownPath(path)));
    return target;
}

QString FolderProblem(const QString &folder)
{
    const QString shown = shownPath(folder.isEmpty() ? QDir::currentPath() : folder);
    const QByteArray native = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    struct stat st
    {
    };
    if (::stat(native.constData(), &st) != 0) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR)
            return QStringLiteral("the folder %1 does not exist").arg(shown);
        return QStringLiteral("the folder %1 cannot be reached: %2").arg(shown, describeError(error));
    }
    if (!S_ISDIR(st.st_mode))
        return QStringLiteral("%1 is not a folder").arg(shown);
    if (::faccessat(AT_FDCWD, native.constData(), X_OK, AT_EACCESS) != 0)
        return QStringLiteral("the folder %1 cannot be entered: %2").arg(shown, describeError(errno));
    return {};
}

unsigned NewFilePermissions()
{
    // Read, not set and restored: umask() is for the whole process, and another thread creating a
    // file in between would get no mask at all.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = status.readAll().split('\n');
        for (const QByteArray &line : lines) {
            if (!line.startsWith("Umask:"))
                continue;
            bool ok = false;
            const unsigned mask = line.mid(6).trimmed().toUInt(&ok, 8);
            if (ok)
                return 0666u & ~mask;
        }
    }
    return kPrivatePermissions;
}

CheckedFile::CheckedFile(const QString &target, Mode mode)
    : mTarget(target)
    , mMode(mode)
{}

CheckedFile::~CheckedFile()
{
    cancel();
}

void CheckedFile::fail(const QString &prefix, int error)
{
    cancel();
    throw Failure(prefix + describeError(error) + QStringLiteral(" (") + QDir::toNativeSeparators(mTarget)
                  + QLatin1Char(')'));
}

void CheckedFile::open()
{
    ignoreFileSizeSignal();
    if (mFd >= 0)
        return;
    if (mTarget.isEmpty() || QFileInfo(mTarget).fileName().isEmpty())
        throw Failure(QStringLiteral("Bad file name or number: ") + QDir::toNativeSeparators(mTarget));

    if (mMode == Mode::Save)
        mTarget = SaveTargetOf(mTarget);

    struct stat existing
    {
    };
    const QByteArray target = QFile::encodeName(mTarget);
    const bool found = ::lstat(target.constData(), &existing) == 0;
    if (mMode == Mode::CreateNew && found)
        throw Failure(QStringLiteral("File already exists: ") + QDir::toNativeSeparators(mTarget));
    mFinalPermissions = NewFilePermissions();
    if (mPermissions)
        mFinalPermissions = *mPermissions;
    else if (found && S_ISREG(existing.st_mode))
        mFinalPermissions = existing.st_mode & 0777u; // a replaced file keeps its permissions, never set-id bits

    mPartial = partialNameFor(mTarget);
    const QByteArray partial = QFile::encodeName(mPartial);
    mFd = ::open(partial.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivatePermissions);
    if (mFd < 0) {
        const int error = errno;
        mPartial.clear();
        // "No such file or directory" would leave the user guessing which one.
        const QString folderProblem = FolderProblem(QFileInfo(mTarget).path());
        if (!folderProblem.isEmpty())
            throw Failure(QStringLiteral("Path/File access error: %1 (%2)").arg(folderProblem, shownPath(mTarget)));
        fail(QStringLiteral("Path/File access error: "), error);
    }
}

void CheckedFile::write(QByteArrayView bytes)
{
    if (mFd < 0)
        throw Failure(QStringLiteral("Bad file mode: ") + QDir::toNativeSeparators(mTarget));
    const char *data = bytes.data();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(mFd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            fail(QStringLiteral("Disk full or write error: "), errno);
        }
        if (written == 0)
            fail(QStringLiteral("Disk full or write error: "), ENOSPC);
        data += written;
        left -= written;
    }
}

void CheckedFile::commit()
{
    if (mFd < 0)
        throw Failure(QStringLiteral("Bad file mode: ") + QDir::toNativeSeparators(mTarget));
    // Private while written, so nobody reads it half-done; the final permissions come before it counts.
    if (::fchmod(mFd, mFinalPermissions) != 0)
        fail(QStringLiteral("Path/File access error: "), errno);
    // Some file systems report a full disk only when the data is synced or the file closed.
    if (mDurable && ::fsync(mFd) != 0)
        fail(QStringLiteral("Disk full or write error: "), errno);
    const int fd = mFd;
    mFd = -1;
    // After EINTR the descriptor is gone all the same, and the data was synced above.
    if (::close(fd) != 0 && errno != EINTR)
        fail(QStringLiteral("Disk full or write error: "), errno);

    const QByteArray partial = QFile::encodeName(mPartial);
    const QByteArray target = QFile::encodeName(mTarget);
    if (mMode == Mode::CreateNew) {
        if (const int error = placeWithoutReplacing(partial, target))
            fail(QStringLiteral("Path/File access error: "), error);
    } else if (::rename(partial.constData(), target.constData()) != 0) {
        fail(QStringLiteral("Path/File access error: "), errno);
    }
    mPartial.clear();

    if (!mDurable)
        return;
    // The rename itself reaches the disk with the folder.
    const QByteArray folder = QFile::encodeName(QFileInfo(mTarget).absolutePath());
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

void CheckedFile::cancel() noexcept
{
    if (mFd >= 0) {
        ::close(mFd);
        mFd = -1;
    }
    if (!mPartial.isEmpty()) {
        ::unlink(QFile::encodeName(mPartial).constData());
        mPartial.clear();
    }
}

void WriteFileChecked(QByteArrayView content, const QString &path, CheckedFile::Mode mode,
                      std::optional<unsigned> permissions, bool durable)
{
    CheckedFile file(path, mode);
    if (permissions)
        file.setPermissions(*permissions);
    file.setDurable(durable);
    file.open();
    file.write(content);
    file.commit();
}
