#pragma once

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

/// Every message box and file dialog of the program goes through here, so tests can answer them.
class UserDialogs
{
public:
    enum class Icon { None, Exclamation };
    enum class Buttons { Ok, YesNo };
    enum class Answer { Ok, Yes, No };

    virtual ~UserDialogs() = default;

    /// Shows a modal message box and returns the button pressed.
    virtual Answer message(const QString &title, const QString &text, Icon icon, Buttons buttons) = 0;

    /// Shows a modal message box with the buttons \a buttons (left to right), \a defaultButton the one
    /// that Enter presses; returns the index of the button pressed, or -1 when the box was closed without one.
    virtual int choose(const QString &title, const QString &text, Icon icon, const QStringList &buttons,
                       int defaultButton) = 0;

    /// Asks for a file to save to; returns the chosen path, or an empty text when the user cancelled.
    /// \a filter lists the file types, separated by ";;"; the one in \a selectedFilter is chosen at first
    /// when it is one of them, else the first. The type the user chose goes to \a selectedFilter when
    /// given. The dialog opens in \a folder when one is given.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &fileName, const QString &filter,
                                 QString *selectedFilter = nullptr, const QString &folder = QString()) = 0;

    /// Asks for an existing file to open; returns its path, or an empty text when the user cancelled.
    /// The dialog opens in \a folder when one is given; \a selectedFilter as for saveFileName().
    virtual QString openFileName(QWidget *parent, const QString &title, const QString &filter,
                                 const QString &folder = QString(), QString *selectedFilter = nullptr) = 0;

    /// Shows the print dialog for \a printer, for a document of \a pageCount pages; returns true when the
    /// user asked to print (the printer then holds the choices), false when they cancelled.
    virtual bool print(QWidget *parent, QPrinter &printer, int pageCount) = 0;

    /// The dialogs in use: those a test installed, else the windows' (InstallWindowDialogs()), else,
    /// where no window can show them, none: a message goes to standard error and nothing is chosen.
    static UserDialogs &current();
    /// Installs \a dialogs (not owned); nullptr restores the real ones.
    static void install(UserDialogs *dialogs);
    /// Makes \a dialogs (not owned) the real ones.
    static void setReal(UserDialogs *dialogs);

protected:
    /// The message as dialogs without anybody to answer give it: one line on standard error; the answer
    /// is the one that changes nothing.
    static Answer messageToTerminal(const QString &title, const QString &text, Buttons buttons);
};

/// A message box under the application title: the common case of the program's messages.
UserDialogs::Answer MsgBox(const QString &text, UserDialogs::Buttons buttons = UserDialogs::Buttons::Ok,
                           UserDialogs::Icon icon = UserDialogs::Icon::None);
