#include "ProgramFiles.h"

#include "CheckedFile.h"
#include "Failure.h"
#include "RunLeftovers.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// A folder for this user's run files that nobody else can write to or have planted files in.
bool isPrivateFolder(const QString &path)
{
    struct stat st
    {
    };
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &st) != 0)
        return false;
    return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0077) == 0;
}

QString makePrivateFolder(const QString &parent, const QString &name)
{
    if (parent.isEmpty())
        return {};
    const QString path = parent + QLatin1Char('/') + name;
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return {};
    return isPrivateFolder(path) ? path : QString();
}
} // namespace

bool FileExists(const QString &path)
{
    if (path.isEmpty())
        return false;
    try {
        const QFileInfo info(path);
        return info.exists() && info.lastModified().isValid();
    } catch (...) {
        return false;
    }
}

void WriteFileIfMissing(const QByteArray &content, const QString &path)
{
    QCoreApplication::processEvents();
    if (FileExists(path))
        return;
    // CreateNew: a file that appeared meanwhile is never overwritten.
    WriteFileChecked(content, path, CheckedFile::Mode::CreateNew);
}

bool HoldsOwnFile(const QByteArray &content, const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    // Never through a link, and never waiting on a pipe someone put there.
    const int fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st
    {
    };
    bool trusted = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 0022) == 0
                   && st.st_size == content.size();
    qsizetype offset = 0;
    char buffer[16384];
    while (trusted) {
        const ssize_t got = ::read(fd, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            trusted = got == 0 && offset == content.size();
            break;
        }
        trusted = offset + got <= content.size() && std::memcmp(content.constData() + offset, buffer, size_t(got)) == 0;
        offset += got;
    }
    ::close(fd);
    return trusted;
}

void EnsureOwnFile(const QByteArray &content, const QString &path)
{
    QCoreApplication::processEvents();
    // A run's own file, whether written now or found: nothing to leave behind after a kill.
    RunLeftovers::add(path);
    if (HoldsOwnFile(content, path))
        return;
    // Whatever else is there (other bytes, someone else's file, a link) is replaced, never followed.
    // Checked, but nothing to keep after a crash.
    WriteFileChecked(content, path, CheckedFile::Mode::Replace, kPrivateFilePermissions, false);
}

void WriteFileAfresh(const QByteArray &content, const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    RunLeftovers::add(path);
    // The entry goes, never what a link there points to.
    if (::unlink(native.constData()) != 0 && errno != ENOENT) {
        const int error = errno;
        throw Failure(QStringLiteral("Path/File access error: ") + QString::fromLocal8Bit(std::strerror(error))
                      + QStringLiteral(" (") + QDir::toNativeSeparators(path) + QLatin1Char(')'));
    }
    WriteFileChecked(content, path, CheckedFile::Mode::CreateNew, kPrivateFilePermissions, false);
}

void DeleteFileQuietly(const QString &path)
{
    QCoreApplication::processEvents();
    try {
        if (!QFile::remove(path))
            ForceDeleteFile(path);
    } catch (...) {
        // A file that cannot be deleted simply stays.
    }
    struct stat st
    {
    };
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        RunLeftovers::forget(path);
}

void ForceDeleteFile(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    struct stat st
    {
    };
    if (::lstat(native.constData(), &st) != 0)
        throw Failure(QStringLiteral("File not found"));
    // Only a file of its own gets write permission: through a link it would change someone else's.
    if (S_ISREG(st.st_mode))
        ::chmod(native.constData(), (st.st_mode & 07777) | S_IWUSR);
    if (::unlink(native.constData()) != 0) {
        const int error = errno;
        throw Failure(QStringLiteral("Permission denied: ") + QString::fromLocal8Bit(std::strerror(error)));
    }
}

QString TempFolder()
{
    const QString temp = qEnvironmentVariable("TEMP");
    if (!temp.isEmpty())
        return temp;

    const QString name = QStringLiteral("parvoline");
    QString folder = makePrivateFolder(qEnvironmentVariable("XDG_RUNTIME_DIR"), name);
    if (folder.isEmpty())
        folder = makePrivateFolder(QDir::tempPath(), name + QLatin1Char('-') + QString::number(::geteuid()));
    if (folder.isEmpty())
        throw Failure(QStringLiteral("Path/File access error: no private temporary folder"));
    return folder;
}

QString TempFile(const QString &name)
{
    return TempFolder() + QLatin1Char('/') + name;
}
