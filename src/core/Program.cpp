#include "Program.h"

#include <QCoreApplication>
#include <QUrl>

namespace {
QString &applicationTitle()
{
    static QString title = QString::fromLatin1(kProductName);
    return title;
}

QString &programFolderOverride()
{
    static QString folder;
    return folder;
}
} // namespace

QUrl HomePageUrl()
{
    return QUrl(QStringLiteral("https://www.kestravel.example/"));
}

QUrl ContactPageUrl()
{
    return QUrl(QStringLiteral("https://www.kestravel.example/contact/"));
}

QString ShortenedTitle(const QString &productName)
{
    QString title = productName;
    if (!title.contains(QLatin1Char(' ')))
        return title;
    title.truncate(title.lastIndexOf(QLatin1Char(' ')));
    while (title.size() > 40 && title.contains(QLatin1Char(' ')))
        title.truncate(title.lastIndexOf(QLatin1Char(' ')));
    return title;
}

void SetApplicationTitle()
{
    applicationTitle() = ShortenedTitle(QString::fromLatin1(kProductName));
}

QString ApplicationTitle()
{
    return applicationTitle();
}

QString ProgramFolder()
{
    if (!programFolderOverride().isEmpty())
        return programFolderOverride();
    return QCoreApplication::applicationDirPath();
}

void OverrideProgramFolder(const QString &folder)
{
    QString path = folder;
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    programFolderOverride() = path;
}
