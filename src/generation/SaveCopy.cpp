#include "SaveCopy.h"

#include "CheckedFile.h"
#include "Failure.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace {
// Opens \a path in an instance of the word processor of its own, lets \a action work on it, and
// closes it again, also when the action fails.
void withDocument(const QString &path, const std::function<void(WordDocument &document)> &action)
{
    std::unique_ptr<WordApplication> word = CreateWordApplication();
    try {
        const std::shared_ptr<WordDocument> document = word->Documents()->Open(path);
        if (!document)
            throw AutomationError(QStringLiteral("The document %1 could not be opened.").arg(path));
        action(*document);
        document->Close(wdDoNotSaveChanges);
        word->Quit();
    } catch (...) {
        try {
            word->Quit();
        } catch (...) {
            // The first failure is the one worth telling.
        }
        throw;
    }
}
} // namespace

QString SaveDialogFilter()
{
    QStringList entries;
    for (const SaveFormat &format : kSaveFormats)
        entries.append(QLatin1String(format.filter));
    return entries.join(QStringLiteral(";;"));
}

std::optional<int> FileFormatOfName(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    for (const SaveFormat &format : kSaveFormats) {
        if (suffix.compare(QLatin1String(format.extension), Qt::CaseInsensitive) == 0)
            return format.fileFormat;
    }
    return std::nullopt;
}

int FileFormatOfFilter(const QString &filter)
{
    for (const SaveFormat &format : kSaveFormats) {
        if (filter == QLatin1String(format.filter))
            return format.fileFormat;
    }
    return wdFormatDocument;
}

SaveTarget ChooseSaveTarget(const QString &typed, const QString &selectedFilter)
{
    if (typed.isEmpty())
        return {};
    if (const std::optional<int> named = FileFormatOfName(typed))
        return {typed, *named};
    const int fileFormat = FileFormatOfFilter(selectedFilter);
    if (!QFileInfo(typed).suffix().isEmpty())
        return {typed, fileFormat};
    QString extension;
    for (const SaveFormat &format : kSaveFormats) {
        if (format.fileFormat == fileFormat)
            extension = QLatin1String(format.extension);
    }
    return {typed + (typed.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")) + extension, fileFormat};
}

void CopyFileReplacing(const QString &source, const QString &target)
{
    QFile input(source);
    if (!QFileInfo(source).isFile())
        throw Failure(QStringLiteral("File not found: ") + source);
    if (!input.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Permission denied: ") + input.errorString());

    // Written beside the target and put in its place only once every byte is on the disk: a copy
    // that fails halfway leaves the user's old file as it was and no fragment of the new one.
    CheckedFile output(target, CheckedFile::Mode::Save);
    output.open();
    constexpr qint64 kChunk = 64 * 1024;
    for (;;) {
        const QByteArray chunk = input.read(kChunk);
        if (chunk.isEmpty()) {
            if (input.error() == QFileDevice::NoError && input.atEnd())
                break;
            throw Failure(QStringLiteral("Device I/O error: ") + input.errorString());
        }
        output.write(chunk);
    }
    output.commit();
}

void SaveDocumentCopy(const QString &document, const QString &target, int fileFormat)
{
    if (fileFormat == wdFormatDocument) {
        CopyFileReplacing(document, target);
        return;
    }
    // The word processor's own write replaces whatever is at the name it is given: it gets the file that
    // the user's name stands for, once that is known not to be protected.
    const QString saved = SaveTargetOf(target);
    withDocument(document, [&](WordDocument &opened) { opened.SaveAs2(saved, fileFormat); });
}

void ExportDocumentPages(const QString &document, const QString &target, int from, int to)
{
    const QString saved = SaveTargetOf(target);
    withDocument(document, [&](WordDocument &opened) {
        if (from == 0)
            opened.ExportAsFixedFormat(saved, wdExportFormatPDF, wdExportAllDocument, 1, 1);
        else
            opened.ExportAsFixedFormat(saved, wdExportFormatPDF, wdExportFromTo, from, to);
    });
}
