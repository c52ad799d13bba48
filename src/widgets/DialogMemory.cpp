#include "DialogMemory.h"

#include "Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
QString key(const QString &name, const char *what)
{
    return QStringLiteral("Dialogs/") + name + QLatin1Char('/') + QLatin1String(what);
}
} // namespace

DialogMemory::DialogMemory(const QString &name)
    : mName(name)
{}

QString DialogMemory::documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty() && QFileInfo(documents).isDir())
        return documents;
    return QDir::homePath();
}

QString DialogMemory::folder() const
{
    const QString remembered = OpenSettings()->value(key(mName, "Folder")).toString();
    // A relative folder would be taken from the working folder, which means nothing to the user.
    if (!remembered.isEmpty() && QDir::isAbsolutePath(remembered) && QFileInfo(remembered).isDir())
        return remembered;
    return documentsFolder();
}

QString DialogMemory::type(const QString &filter) const
{
    const QString remembered = OpenSettings()->value(key(mName, "Type")).toString();
    return filter.split(QStringLiteral(";;")).contains(remembered) ? remembered : QString();
}

void DialogMemory::rememberType(const QString &chosenType) const
{
    OpenSettings()->setValue(key(mName, "Type"), chosenType);
}

void DialogMemory::remember(const QString &chosenPath, const QString &chosenType) const
{
    if (chosenPath.isEmpty())
        return;
    const auto settings = OpenSettings();
    settings->setValue(key(mName, "Folder"), QFileInfo(chosenPath).absolutePath());
    if (!chosenType.isEmpty())
        settings->setValue(key(mName, "Type"), chosenType);
}
