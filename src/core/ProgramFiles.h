#pragma once

// The program's own files: the run's temporary folder, and files written and removed so that nobody
// else's file is ever followed, trusted or left half written.

#include <QString>

class QByteArray;

/// True when the file system can tell the last-modified time of \a path. Never throws.
bool FileExists(const QString &path);

/// Writes \a content as the whole of a new file at \a path, unless the path exists already.
/// Lets pending window events run first. Throws Failure when the file cannot be written, and
/// then leaves no partial file behind.
void WriteFileIfMissing(const QByteArray &content, const QString &path);

/// The permissions of the files only the program itself reads: the template and the page picture.
inline constexpr unsigned kPrivateFilePermissions = 0600;

/// True when \a path is a regular file of the user's own, writable by nobody else, that holds
/// exactly \a content. A link there is never followed. Never throws.
bool HoldsOwnFile(const QByteArray &content, const QString &path);

/// Makes \a path a file that the program can trust to hold \a content: one that already passes
/// HoldsOwnFile() is left as it is; anything else of that name (other bytes, someone else's file, a
/// link) is replaced by a new file readable by the user only. Lets pending window events run first.
/// Throws Failure when the file cannot be written; what was there then stays.
void EnsureOwnFile(const QByteArray &content, const QString &path);

/// Writes \a content as a new file at \a path, readable by the user only. Whatever entry has that
/// name is removed first (a link itself, never what it points to), and the file is created
/// exclusively: something that appears there meanwhile fails the write. Throws Failure.
void WriteFileAfresh(const QByteArray &content, const QString &path);

/// Removes the file at \a path if it can, read-only files included. Lets pending window events
/// run first. Never throws and never reports.
void DeleteFileQuietly(const QString &path);

/// Removes the file at \a path even when it is read-only; a link is removed itself, and what it
/// points to is never touched. Throws Failure when it stays.
void ForceDeleteFile(const QString &path);

/// The folder for the run's files: TEMP when set, otherwise a folder only this user can use.
/// Throws Failure when no such folder can be made safe.
QString TempFolder();
/// A file in the temporary folder.
QString TempFile(const QString &name);
