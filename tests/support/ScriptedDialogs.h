#pragma once

#include "UserDialogs.h"

#include <QList>
#include <QQueue>
#include <QString>
#include <QStringList>

#include <functional>

/// Stands in for the program's dialogs in tests: records every message box and answers message
/// questions and save dialogs from scripted queues. Installs itself for its lifetime.
class ScriptedDialogs final : public UserDialogs
{
public:
    struct Message
    {
        QString title;
        QString text;
        Icon icon;
        Buttons buttons;
    };
    struct SaveRequest
    {
        QString title;
        QString fileName;
        QString filter;
    };
    struct OpenRequest
    {
        QString title;
        QString filter;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs &) = delete;
    ScriptedDialogs &operator=(const ScriptedDialogs &) = delete;

    Answer message(const QString &title, const QString &text, Icon icon, Buttons buttons) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &fileName,
                         const QString &filter) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &filter) override;

    /// The answer to the next Yes/No question (No when nothing is queued).
    void queueAnswer(Answer answer) { mAnswers.enqueue(answer); }
    /// The path the next save dialog returns (empty: cancelled, also when nothing is queued).
    void queueSavePath(const QString &path) { mSavePaths.enqueue(path); }
    /// The path the next open dialog returns (empty: cancelled, also when nothing is queued).
    void queueOpenPath(const QString &path) { mOpenPaths.enqueue(path); }
    /// Runs \a action while the next message box is "open", e.g. to click during a modal report.
    void onNextMessage(std::function<void()> action) { mOnMessage = std::move(action); }

    QList<Message> messages;
    QList<SaveRequest> saveRequests;
    QList<OpenRequest> openRequests;

    /// The texts of all messages so far, in order.
    QStringList texts() const;
    /// Only the error reports ("Application Error"), in order.
    QList<Message> errorReports() const;
    void clear();

private:
    QQueue<Answer> mAnswers;
    QQueue<QString> mSavePaths;
    QQueue<QString> mOpenPaths;
    std::function<void()> mOnMessage;
};
