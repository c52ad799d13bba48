#pragma once

#include <QByteArrayView>
#include <QString>

/// Checks that bytes are a whole Word 97-2003 document: a compound file whose sectors, allocation
/// table and directory all lie within it, with a main document stream that starts as Word's does.
/// An office that ran out of disk can hand back a file that is cut short or ends in zeros; this
/// tells such a file from a good one before it counts as saved.
namespace Word97File {

/// An empty text when \a bytes are a complete Word 97-2003 file; otherwise what is wrong with them.
QString problem(QByteArrayView bytes);

} // namespace Word97File
