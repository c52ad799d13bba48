#include "BatchDialogs.h"

#include "ProgramEnd.h"

#include <QRegularExpression>

#include <cstdio>

BatchDialogs::BatchDialogs()
{
    UserDialogs::install(this);
}

BatchDialogs::~BatchDialogs()
{
    UserDialogs::install(nullptr);
}

UserDialogs::Answer BatchDialogs::message(const QString &title, const QString &text, Icon icon, Buttons buttons)
{
    Q_UNUSED(title);
    Q_UNUSED(icon);
    fail(oneLine(text));
    // The answer that changes nothing.
    return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
}

int BatchDialogs::choose(const QString &, const QString &, Icon, const QStringList &, int)
{
    return -1;
}

QString BatchDialogs::saveFileName(QWidget *, const QString &, const QString &, const QString &, QString *,
                                   const QString &)
{
    return {};
}

QString BatchDialogs::openFileName(QWidget *, const QString &, const QString &, const QString &, QString *)
{
    return {};
}

bool BatchDialogs::print(QWidget *, QPrinter &, int)
{
    return false;
}

void BatchDialogs::fail(const QString &description)
{
    const bool first = !mFailed;
    mFailed = true;
    // Once the command is asked to end, what fails is only the work it gave up.
    if (!first || ProgramEndRequested())
        return;
    if (mTeller) {
        mTeller(oneLine(description));
        return;
    }
    std::fprintf(stderr, "parvoline: %s\n", qUtf8Printable(oneLine(description)));
    std::fflush(stderr);
}

QString BatchDialogs::oneLine(const QString &text)
{
    // An error report: the description, CR LF, where it happened, CR CR, whom to write to.
    QString line = text.section(QStringLiteral("\r\n"), 0, 0);
    static const QRegularExpression breaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    line.replace(breaks, QStringLiteral(" "));
    return line.trimmed();
}
