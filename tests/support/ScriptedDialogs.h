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
        /// The buttons of a choice; empty for a plain message.
        QStringList choices;
    };
    struct SaveRequest
    {
        QString title;
        QString fileName;
        QString filter;
        /// The folder the dialog opens in, and the type chosen at first (empty: the first).
        QString folder;
        QString initialFilter;
    };
    struct OpenRequest
    {
        QString title;
        QString filter;
        QString folder;
        QString initialFilter;
    };
    struct PrintRequest
    {
        int pageCount;
        /// The file the printer would print to, as the dialog opens.
        QString outputFileName;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs &) = delete;
    ScriptedDialogs &operator=(const ScriptedDialogs &) = delete;

    Answer message(const QString &title, const QString &text, Icon icon, Buttons buttons) override;
    int choose(const QString &title, const QString &text, Icon icon, const QStringList &buttons,
               int defaultButton) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &fileName, const QString &filter,
                         QString *selectedFilter = nullptr, const QString &folder = QString()) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &filter,
                         const QString &folder = QString(), QString *selectedFilter = nullptr) override;
    bool print(QWidget *parent, QPrinter &printer, int pageCount) override;

    /// The answer to the next Yes/No question (No when nothing is queued).
    void queueAnswer(Answer answer) { mAnswers.enqueue(answer); }
    /// The button the next choice presses, by its text (the default button when nothing is queued).
    void queueChoice(const QString &button) { mChoices.enqueue(button); }
    /// The path the next save dialog returns (empty: cancelled, also when nothing is queued), with the
    /// file type chosen in it (empty: the first one, which a dialog chooses unless the user picks another).
    void queueSavePath(const QString &path, const QString &selectedFilter = {})
    {
        mSavePaths.enqueue({path, selectedFilter});
    }
    /// The next print dialog prints to the PDF file \a path: pages \a from to \a to, all when \a from is 0.
    /// Without one queued the dialog is cancelled.
    void queuePrintToFile(const QString &path, int from = 0, int to = 0) { mPrints.enqueue({path, from, to}); }
    /// The path the next open dialog returns (empty: cancelled, also when nothing is queued).
    void queueOpenPath(const QString &path) { mOpenPaths.enqueue(path); }
    /// Runs \a action while the next message box is "open", e.g. to click during a modal report.
    void onNextMessage(std::function<void()> action) { mOnMessage = std::move(action); }

    QList<Message> messages;
    QList<SaveRequest> saveRequests;
    QList<OpenRequest> openRequests;
    QList<PrintRequest> printRequests;

    /// The texts of all messages so far, in order.
    QStringList texts() const;
    /// Only the error reports ("Application Error"), in order.
    QList<Message> errorReports() const;
    void clear();

private:
    struct SaveAnswer
    {
        QString path;
        QString filter;
    };
    struct PrintAnswer
    {
        QString path;
        int from;
        int to;
    };
    QQueue<Answer> mAnswers;
    QQueue<QString> mChoices;
    QQueue<SaveAnswer> mSavePaths;
    QQueue<PrintAnswer> mPrints;
    QQueue<QString> mOpenPaths;
    std::function<void()> mOnMessage;
};
