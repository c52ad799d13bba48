#pragma once

#include "ReceiptRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

/// The file in which the windows keep the receipt list, so that a crash, a kill or a logout loses
/// nothing. A versioned header, the length and a SHA-256 of the contents make any damage show: a file
/// is read whole or not at all. Every field is kept as its UTF-16 code units, so every character comes
/// back exactly, also blanks, control characters and unpaired surrogates.
namespace RecoveryFile {

/// What reading a file gave: the receipts, or why there are none.
struct Contents
{
    QList<ReceiptRecord> records;
    /// Empty when the file was read; otherwise one sentence without the final full stop.
    QString error;
};

/// The whole file for \a records.
QByteArray encode(const QList<ReceiptRecord> &records);
/// The receipts of a whole file, or the reason it is not one of ours or is damaged.
Contents decode(const QByteArray &bytes);

/// Reads the file at \a path. A missing file is an empty list.
Contents read(const QString &path);
/// Writes \a records to \a path (mode 0600) so that the old file stays until the new one is on the
/// disk. An empty list removes the file instead. Throws Failure.
void write(const QString &path, const QList<ReceiptRecord> &records);
/// Renames the unreadable file at \a path beside itself ("<name>.damaged", numbered when taken) and
/// returns the new path; an empty text when it could not be moved.
QString setAside(const QString &path, const QString &suffix);

} // namespace RecoveryFile
