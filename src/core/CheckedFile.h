#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

/// A file written so that it only counts when every byte reached the disk. The bytes go into a new
/// file beside the target (created exclusively, never through a link); each write is checked, and
/// commit() syncs the file, puts it in place in one rename and syncs the folder. Until then the
/// target is untouched; a failure, or a destruction without commit(), removes the partial file.
///
/// Qt's QSaveFile is not enough here: it buffers small writes and can report success for a file whose
/// last write failed.
class CheckedFile final
{
public:
    /// What commit() does with the target.
    enum class Mode {
        Replace,   ///< replaces a file at the target (a link there is replaced, never followed)
        CreateNew, ///< fails when anything is at the target already
        /// a file the user saves to: a link there is followed and the file it names is replaced (the
        /// link stays); a file the user protected against writing is refused (see SaveTargetOf)
        Save,
    };

    explicit CheckedFile(const QString &target, Mode mode = Mode::Replace);
    ~CheckedFile();
    CheckedFile(const CheckedFile &) = delete;
    CheckedFile &operator=(const CheckedFile &) = delete;

    /// The permission bits the file gets, e.g. 0600 for a file only the user may read. Without it a
    /// replaced regular file keeps its own and a new file gets the user's default. Set before open().
    void setPermissions(unsigned permissions) { mPermissions = permissions & 0777u; }

    /// Whether commit() syncs the file and its folder to the disk (the default). A run's own temporary
    /// files, which replace nothing and mean nothing after a crash, are only checked, not synced.
    void setDurable(bool durable) { mDurable = durable; }

    /// Creates the partial file. Throws Failure.
    void open();
    /// Appends \a bytes. Throws Failure (disk full, file too large, I/O error).
    void write(QByteArrayView bytes);
    /// Makes the written bytes the file at the target. Throws Failure; the target is then as it was.
    void commit();
    /// Removes the partial file; the target stays as it was. Never throws.
    void cancel() noexcept;

    QString target() const { return mTarget; }
    /// The file the bytes go to until commit(), for reading back what was written; empty when there is
    /// none.
    QString partialPath() const { return mPartial; }

private:
    [[noreturn]] void fail(const QString &prefix, int error);

    QString mTarget;
    Mode mMode;
    std::optional<unsigned> mPermissions;
    bool mDurable = true;
    unsigned mFinalPermissions = 0600;
    QString mPartial;
    int mFd = -1;
};

/// Writes \a content as the whole file at \a path through a CheckedFile, with \a permissions when
/// given (see CheckedFile::setPermissions), synced unless \a durable is false. Throws Failure.
void WriteFileChecked(QByteArrayView content, const QString &path, CheckedFile::Mode mode = CheckedFile::Mode::Replace,
                      std::optional<unsigned> permissions = std::nullopt, bool durable = true);

/// The permissions a new file of the user gets (0666 less the umask).
unsigned NewFilePermissions();

/// True when a file exists at \a path (links followed) that the user may not or must not write: one
/// without any write permission, one of the user's own without the owner's write permission, or another
/// owner's that the user may not write. As editors do, the permission bits count also for the superuser,
/// who could write the file anyway. Never throws.
bool IsReadOnlyFile(const QString &path);

/// Where a save onto the user's \a path writes: the file that a symbolic link at \a path names (through
/// any chain of links; it need not exist yet), else \a path itself. Throws Failure "<path> is read-only."
/// when that file passes IsReadOnlyFile(), and when the links go round in a loop.
QString SaveTargetOf(const QString &path);

/// Why nothing can be made in the folder \a folder: it does not exist, it is not a folder, it cannot be
/// entered; empty when none of these. Never throws.
QString FolderProblem(const QString &folder);
