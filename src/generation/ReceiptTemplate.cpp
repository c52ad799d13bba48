#include "ReceiptTemplate.h"

#include "Failure.h"

#include <QFile>

QByteArray ReceiptTemplateBytes()
{
    QFile resource(QString::fromLatin1(kReceiptTemplateResource));
    if (!resource.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Resource not found: the receipt template is missing from the program"));
    const QByteArray bytes = resource.readAll();
    if (bytes.isEmpty())
        throw Failure(QStringLiteral("Resource not found: the receipt template is empty"));
    return bytes;
}
