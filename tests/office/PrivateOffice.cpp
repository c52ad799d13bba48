#include "PrivateOffice.h"

#include "ReceiptTemplate.h"

#include <QFile>

bool PrivateOffice::setUp()
{
    if (!mDir.isValid())
        return false;
    mOffice.install(mDir.filePath(QStringLiteral("profile")));

    mTemplate = mDir.filePath(QStringLiteral("template.dot"));
    QFile file(mTemplate);
    return file.open(QIODevice::WriteOnly) && file.write(ReceiptTemplateBytes()) > 0;
}
