#include "PrivateOffice.h"

#include "ReceiptTemplate.h"

#include <QFile>

bool PrivateOffice::setUp()
{
    if (!mDir.isValid())
        return false;
    LibreOfficeEngine::Settings settings;
    settings.profileFolder = mDir.filePath(QStringLiteral("profile"));
    mEngine = std::make_unique<LibreOfficeEngine>(settings);
    mEngine->install();

    mTemplate = mDir.filePath(QStringLiteral("template.dot"));
    QFile file(mTemplate);
    return file.open(QIODevice::WriteOnly) && file.write(ReceiptTemplateBytes()) > 0;
}
