#include "UserDialogs.h"

#include "Program.h"

#include <cstdio>

namespace {
// Once the program is ending nobody is there to answer, and without windows nobody ever is: the message
// goes to standard error, and the answer is the one that changes nothing.
UserDialogs::Answer logMessage(const QString &title, const QString &text, UserDialogs::Buttons buttons)
{
    QString logged = text;
    logged.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\r'), QLatin1Char(' '));
    std::fprintf(stderr, "parvoline: %s: %s\n", qUtf8Printable(title), qUtf8Printable(logged));
    std::fflush(stderr);
    return buttons == UserDialogs::Buttons::Ok ? UserDialogs::Answer::Ok : UserDialogs::Answer::No;
}

class NoDialogs final : public UserDialogs
{
public:
    Answer message(const QString &title, const QString &text, Icon, Buttons buttons) override
    {
        return logMessage(title, text, buttons);
    }
    int choose(const QString &title, const QString &text, Icon, const QStringList &, int) override
    {
        logMessage(title, text, Buttons::Ok);
        return -1;
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &, QString *,
                         const QString &) override
    {
        return QString();
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &, QString *) override
    {
        return QString();
    }
    bool print(QWidget *, QPrinter &, int) override { return false; }
};

UserDialogs *gInstalled = nullptr;
UserDialogs *gReal = nullptr;
} // namespace

UserDialogs &UserDialogs::current()
{
    static NoDialogs none;
    if (gInstalled)
        return *gInstalled;
    return gReal ? *gReal : none;
}

void UserDialogs::setReal(UserDialogs *dialogs)
{
    gReal = dialogs;
}

UserDialogs::Answer UserDialogs::messageToTerminal(const QString &title, const QString &text, Buttons buttons)
{
    return logMessage(title, text, buttons);
}

void UserDialogs::install(UserDialogs *dialogs)
{
    gInstalled = dialogs;
}

UserDialogs::Answer MsgBox(const QString &text, UserDialogs::Buttons buttons, UserDialogs::Icon icon)
{
    return UserDialogs::current().message(ApplicationTitle(), text, icon, buttons);
}
