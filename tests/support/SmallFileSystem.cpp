#include "SmallFileSystem.h"

#include "Failure.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

SmallFileSystem::~SmallFileSystem()
{
    if (mMounted)
        ::umount2(QFile::encodeName(mDir.path()).constData(), MNT_DETACH);
}

bool SmallFileSystem::mount(qint64 bytes)
{
    if (!mDir.isValid() || mMounted)
        return false;
    mSize = bytes;
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
    mMounted =
        ::mount("tmpfs", QFile::encodeName(mDir.path()).constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData())
        == 0;
    return mMounted;
}

bool SmallFileSystem::makeReadOnly()
{
    if (!mMounted)
        return false;
    const QByteArray options = "size=" + QByteArray::number(mSize);
    return ::mount("tmpfs", QFile::encodeName(mDir.path()).constData(), "tmpfs",
                   MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, options.constData())
           == 0;
}

int RunWithFileSizeLimit(qint64 limit, const std::function<void()> &action)
{
    const pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        const rlimit fileSize{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
        if (::setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
            ::_exit(5);
        int status = 0;
        try {
            action();
        } catch (const Failure &) {
            status = 3;
        } catch (...) {
            status = 4;
        }
        // No exit handlers: they belong to the parent.
        ::_exit(status);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return WEXITSTATUS(status);
}
