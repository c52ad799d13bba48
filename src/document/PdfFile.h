#pragma once

#include <QByteArrayView>
#include <QString>

/// Checks that bytes are a whole PDF file: its header at the start, its cross-reference pointer and end
/// marker at the end, where a file cut short would miss them, every object where the cross-reference
/// table puts it, and every stream of the length it gives, zlib-compressed ones unpacking whole.
namespace PdfFile {

/// An empty text when \a bytes look like a complete PDF file; otherwise what is wrong with them.
QString problem(QByteArrayView bytes);

} // namespace PdfFile
