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
} // namespace

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
