#include "ErrorReport.h"

#include "GuardedProcedure.h"
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

void TellFailure(const QString &what, std::exception_ptr error) noexcept
{
    try {
        const QString description = DescribeException(error);
        qWarning("%s failed: %s", qUtf8Printable(what), qUtf8Printable(description));
        MsgBox(QStringLiteral("%1 failed.\n\n%2").arg(what, description), UserDialogs::Buttons::Ok,
               UserDialogs::Icon::Exclamation);
    } catch (...) {
        qWarning("The message could not be shown either");
    }
}
