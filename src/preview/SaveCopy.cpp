#include "SaveCopy.h"

#include "Failure.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

QString WithWordExtension(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    if (path.endsWith(QLatin1Char('.')))
        return path + QStringLiteral("doc");
    return path + QStringLiteral(".doc");
}

void CopyFileReplacing(const QString &source, const QString &target)
{
    QFile input(source);
    if (!QFileInfo(source).isFile())
        throw Failure(QStringLiteral("File not found: ") + source);
    if (!input.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Permission denied: ") + input.errorString());

    QSaveFile output(target);
    // Never fall back to writing into the target itself: that is what could lose the user's file.
    output.setDirectWriteFallback(false);
    if (!output.open(QIODevice::WriteOnly))
        throw Failure(QStringLiteral("Path/File access error: ") + output.errorString());

    constexpr qint64 kChunk = 64 * 1024;
    for (;;) {
        const QByteArray chunk = input.read(kChunk);
        if (chunk.isEmpty()) {
            if (input.error() == QFileDevice::NoError && input.atEnd())
                break;
            const QString reason = input.errorString();
            output.cancelWriting();
            throw Failure(QStringLiteral("Device I/O error: ") + reason);
        }
        if (output.write(chunk) != chunk.size()) {
            const QString reason = output.errorString();
            output.cancelWriting();
            throw Failure(QStringLiteral("Disk full or write error: ") + reason);
        }
    }
    // Only a complete copy replaces the target; on failure the temporary file is removed.
    if (!output.commit())
        throw Failure(QStringLiteral("Path/File access error: ") + output.errorString());
}
