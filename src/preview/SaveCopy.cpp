#include "SaveCopy.h"

#include "CheckedFile.h"
#include "Failure.h"

#include <QFile>
#include <QFileInfo>
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

    // Written beside the target and put in its place only once every byte is on the disk: a copy
    // that fails halfway leaves the user's old file as it was and no fragment of the new one.
    CheckedFile output(target, CheckedFile::Mode::Replace);
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
