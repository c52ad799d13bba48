#include "ScriptedDialogs.h"

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
    messages.append({title, text, icon, buttons});
    if (mOnMessage) {
        auto action = std::move(mOnMessage);
        mOnMessage = nullptr;
        action();
    }
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return mAnswers.isEmpty() ? Answer::No : mAnswers.dequeue();
}

QString ScriptedDialogs::saveFileName(QWidget *parent, const QString &title, const QString &fileName,
                                      const QString &filter)
{
    Q_UNUSED(parent);
    saveRequests.append({title, fileName, filter});
    return mSavePaths.isEmpty() ? QString() : mSavePaths.dequeue();
}

QString ScriptedDialogs::openFileName(QWidget *parent, const QString &title, const QString &filter)
{
    Q_UNUSED(parent);
    openRequests.append({title, filter});
    return mOpenPaths.isEmpty() ? QString() : mOpenPaths.dequeue();
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
    mAnswers.clear();
    mSavePaths.clear();
    mOpenPaths.clear();
}
