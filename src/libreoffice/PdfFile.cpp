#include "PdfFile.h"

namespace {
// The end marker stands in the last bytes of the file, maybe followed by a line end or two.
constexpr qsizetype kTail = 1024;
} // namespace

QString PdfFile::problem(QByteArrayView bytes)
{
    if (!bytes.startsWith("%PDF-"))
        return QStringLiteral("it is not a PDF file");
    const QByteArrayView tail = bytes.last(qMin(kTail, bytes.size()));
    const qsizetype end = tail.lastIndexOf(QByteArrayView("%%EOF"));
    if (end < 0 || !tail.sliced(end + 5).trimmed().isEmpty())
        return QStringLiteral("it is cut short");
    if (tail.lastIndexOf(QByteArrayView("startxref")) < 0)
        return QStringLiteral("its cross-reference table is missing");
    return {};
}
