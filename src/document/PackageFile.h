#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

/// Checks that bytes are a whole zip package, as Word 2007 documents (.docx) and OpenDocument files
/// (.odt) are: the central directory at the end is there, and every entry it lists lies complete
/// before it and unpacks to the size and CRC-32 the directory gives. An office that ran out of disk
/// can hand back a package cut short or partly zeros; this tells it from a good one before it counts
/// as saved.
namespace PackageFile {

/// An empty text when \a bytes are a complete zip package holding every entry named in \a required;
/// otherwise what is wrong with them.
QString problem(QByteArrayView bytes, const QStringList &required);

/// The content of the package's first entry when it is "mimetype" stored uncompressed, as an
/// OpenDocument file names its type; an empty text otherwise.
QString mimeType(QByteArrayView bytes);

} // namespace PackageFile
