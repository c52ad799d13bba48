#pragma once

#include "UserDialogs.h"

#include <QString>

#include <functional>

/// The dialogs of the batch command, where nobody is there to answer: a message goes to standard
/// error as one line, a question is answered No, a file or print dialog is cancelled. Only the first
/// failure is told, since later ones follow from it. Installs itself for its lifetime.
class BatchDialogs final : public UserDialogs
{
public:
    BatchDialogs();
    ~BatchDialogs() override;
    BatchDialogs(const BatchDialogs &) = delete;
    BatchDialogs &operator=(const BatchDialogs &) = delete;

    Answer message(const QString &title, const QString &text, Icon icon, Buttons buttons) override;
    /// Nobody is there to choose: the box counts as closed without a choice.
    int choose(const QString &title, const QString &text, Icon icon, const QStringList &buttons,
               int defaultButton) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &fileName, const QString &filter,
                         QString *selectedFilter = nullptr, const QString &folder = QString()) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &filter,
                         const QString &folder = QString(), QString *selectedFilter = nullptr) override;
    bool print(QWidget *parent, QPrinter &printer, int pageCount) override;

    /// Records a failure of the command itself, told like a reported one.
    void fail(const QString &description);
    /// Makes \a teller tell the first failure, as one line, instead of standard error.
    void setTeller(std::function<void(const QString &line)> teller) { mTeller = std::move(teller); }
    /// True once anything failed.
    bool failed() const { return mFailed; }

    /// \a text as one line: an error report's description without its location and support sentence,
    /// line breaks as blanks.
    static QString oneLine(const QString &text);

private:
    bool mFailed = false;
    std::function<void(const QString &line)> mTeller;
};
