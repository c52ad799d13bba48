#include "ErrorReport.h"

#include "Locations.h"
#include "UserDialogs.h"

#include <QString>

QString ComposeErrorReport(const QString &description, const QString &location, int line)
{
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") + QString::number(line)
           + QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ")
           + QLatin1String(kSupportAddress);
}

void ApplicationErrorReport(const QString &description, const QString &location, int line)
{
    // The sample-data button has always reported without an icon; every other procedure warns.
    const auto icon = location == QLatin1String(Location::Form1_PushButton1_Click) ? UserDialogs::Icon::None
                                                                                   : UserDialogs::Icon::Exclamation;
    UserDialogs::current().message(QStringLiteral("Application Error"), ComposeErrorReport(description, location, line),
                                   icon, UserDialogs::Buttons::Ok);
}
