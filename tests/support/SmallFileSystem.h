#pragma once

#include <QString>
#include <QTemporaryDir>

#include <functional>

/// A file system of its own for a test: a small tmpfs mounted on a temporary folder, so that writes
/// really fail (the disk is full, or it is read-only). Mounting needs the right to mount; tests skip
/// when mount() returns false. Unmounted when destroyed.
class SmallFileSystem final
{
public:
    SmallFileSystem() = default;
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem &) = delete;
    SmallFileSystem &operator=(const SmallFileSystem &) = delete;

    /// Mounts a tmpfs of \a bytes; false when that is not possible here.
    bool mount(qint64 bytes);
    /// Makes the mounted file system read-only; what it holds stays.
    bool makeReadOnly();

    QString path() const { return mDir.path(); }
    QString filePath(const QString &name) const { return mDir.filePath(name); }

private:
    QTemporaryDir mDir;
    qint64 mSize = 0;
    bool mMounted = false;
};

/// Runs \a action in a forked child process whose writes may not make a file larger than \a limit
/// bytes (RLIMIT_FSIZE). Returns the child's exit status: \a action returning gives 0, a Failure
/// thrown 3, anything else thrown 4; a child ended by a signal gives 128 + its number.
int RunWithFileSizeLimit(qint64 limit, const std::function<void()> &action);
