#include "CheckedFile.h"

#include "Failure.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString describeError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString partialNameFor(const QString &target)
{
    const QFileInfo info(target);
    return info.absoluteDir().filePath(QStringLiteral(".%1.%2.part")
                                           .arg(info.fileName())
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
} // namespace

unsigned NewFilePermissions()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666u & ~static_cast<unsigned>(mask);
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

    mode_t mode = NewFilePermissions();
    struct stat existing
    {
    };
    const QByteArray target = QFile::encodeName(mTarget);
    if (mMode == Mode::Replace && ::lstat(target.constData(), &existing) == 0 && S_ISREG(existing.st_mode))
        mode = existing.st_mode & 07777; // a replaced file keeps its permissions
    else if (mMode == Mode::CreateNew && ::lstat(target.constData(), &existing) == 0)
        throw Failure(QStringLiteral("File already exists: ") + QDir::toNativeSeparators(mTarget));

    mPartial = partialNameFor(mTarget);
    const QByteArray partial = QFile::encodeName(mPartial);
    mFd = ::open(partial.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (mFd < 0) {
        const int error = errno;
        mPartial.clear();
        fail(QStringLiteral("Path/File access error: "), error);
    }
    // Created private, so nobody reads it half-written; the final permissions come before it counts.
    if (::fchmod(mFd, mode) != 0)
        fail(QStringLiteral("Path/File access error: "), errno);
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
    // Some file systems report a full disk only when the data is synced or the file closed.
    if (::fsync(mFd) != 0)
        fail(QStringLiteral("Disk full or write error: "), errno);
    const int fd = mFd;
    mFd = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        mFd = -1;
        fail(QStringLiteral("Disk full or write error: "), error);
    }

    const QByteArray partial = QFile::encodeName(mPartial);
    const QByteArray target = QFile::encodeName(mTarget);
    if (mMode == Mode::CreateNew) {
        // A hard link fails when anything, a planted link included, is at the target already.
        if (::link(partial.constData(), target.constData()) != 0)
            fail(QStringLiteral("Path/File access error: "), errno);
        ::unlink(partial.constData());
    } else if (::rename(partial.constData(), target.constData()) != 0) {
        fail(QStringLiteral("Path/File access error: "), errno);
    }
    mPartial.clear();

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

void WriteFileChecked(QByteArrayView content, const QString &path, CheckedFile::Mode mode)
{
    CheckedFile file(path, mode);
    file.open();
    file.write(content);
    file.commit();
}
