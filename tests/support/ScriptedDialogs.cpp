#include "ScriptedDialogs.h"

#include <QDir>
#include <QFileInfo>
#include <QPrinter>

ScriptedDialogs::ScriptedDialogs()
{
    UserDialogs::install(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    UserDialogs::install(nullptr);
}

UserDialogs::Answer ScriptedDialogs::message(const QString &title, const QString &text, Icon icon, Buttons buttons)
{
    messages.append({title, text, icon, buttons, {}});
    if (mOnMessage) {
        auto action = std::move(mOnMessage);
        mOnMessage = nullptr;
        action();
    }
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return mAnswers.isEmpty() ? Answer::No : mAnswers.dequeue();
}

int ScriptedDialogs::choose(const QString &title, const QString &text, Icon icon, const QStringList &buttons,
                            int defaultButton)
{
    messages.append({title, text, icon, Buttons::Ok, buttons});
    if (mOnMessage) {
        auto action = std::move(mOnMessage);
        mOnMessage = nullptr;
        action();
    }
    if (mChoices.isEmpty())
        return defaultButton;
    return int(buttons.indexOf(mChoices.dequeue()));
}

QString ScriptedDialogs::saveFileName(QWidget *parent, const QString &title, const QString &fileName,
                                      const QString &filter, QString *selectedFilter, const QString &folder)
{
    Q_UNUSED(parent);
    saveRequests.append({title, fileName, filter, folder, selectedFilter ? *selectedFilter : QString()});
    const SaveAnswer answer = mSavePaths.isEmpty() ? SaveAnswer() : mSavePaths.dequeue();
    if (selectedFilter)
        *selectedFilter = answer.filter.isEmpty() ? filter.section(QStringLiteral(";;"), 0, 0) : answer.filter;
    return answer.path;
}

QString ScriptedDialogs::openFileName(QWidget *parent, const QString &title, const QString &filter,
                                      const QString &folder, QString *selectedFilter)
{
    Q_UNUSED(parent);
    openRequests.append({title, filter, folder, selectedFilter ? *selectedFilter : QString()});
    const QString path = mOpenPaths.isEmpty() ? QString() : mOpenPaths.dequeue();
    if (selectedFilter && !path.isEmpty()) {
        // The type of the file chosen, when the filter names it; else the first.
        const QStringList types = filter.split(QStringLiteral(";;"));
        *selectedFilter = types.first();
        for (const QString &type : types) {
            const QString pattern = type.section(QLatin1Char('('), 1).section(QLatin1Char(')'), 0, 0);
            if (QDir::match(pattern, QFileInfo(path).fileName())) {
                *selectedFilter = type;
                break;
            }
        }
    }
    return path;
}

bool ScriptedDialogs::print(QWidget *parent, QPrinter &printer, int pageCount)
{
    Q_UNUSED(parent);
    printRequests.append(PrintRequest{pageCount, printer.outputFileName()});
    if (mPrints.isEmpty())
        return false;
    const PrintAnswer answer = mPrints.dequeue();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(answer.path);
    if (answer.from > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(answer.from, answer.to);
    }
    return true;
}

QStringList ScriptedDialogs::texts() const
{
    QStringList result;
    for (const Message &m : messages)
        result.append(m.text);
    return result;
}

QList<ScriptedDialogs::Message> ScriptedDialogs::errorReports() const
{
    QList<Message> result;
    for (const Message &m : messages) {
        if (m.title == QLatin1String("Application Error"))
            result.append(m);
    }
    return result;
}

void ScriptedDialogs::clear()
{
    messages.clear();
    saveRequests.clear();
    openRequests.clear();
    printRequests.clear();
    mAnswers.clear();
    mChoices.clear();
    mSavePaths.clear();
    mPrints.clear();
    mOpenPaths.clear();
}
