#pragma once

#include "Form1.h"
#include "RecordingUrlOpener.h"
#include "ScriptedDialogs.h"

#include <QTemporaryDir>

#include <memory>

class QLineEdit;

/// A main window as the tests drive it: message boxes scripted, no browser, a word processor that
/// only starts and quits, and a program folder of its own that holds no cursor or skin unless the
/// test puts them there before load().
class Form1Fixture
{
public:
    /// What the window finds remembered from earlier runs.
    enum class Settings { Fresh, KeptFromLastFixture };

    explicit Form1Fixture(Settings settings = Settings::Fresh);
    ~Form1Fixture();
    Form1Fixture(const Form1Fixture &) = delete;
    Form1Fixture &operator=(const Form1Fixture &) = delete;

    /// Creates the window, which runs its load.
    Form1 &load();
    /// Creates the window, shows it and makes it the active one, as a user finds it; false when it
    /// does not become active.
    bool loadActive();
    /// Puts a file with \a content in the program folder.
    bool putInProgramFolder(const QString &name, const QByteArray &content);

    /// A control of the window by its object name, or nullptr.
    template<typename T>
    T *control(const QString &name) const
    {
        return form ? form->findChild<T *>(name) : nullptr;
    }
    QLineEdit *box(int number) const;
    /// The fifteen text boxes in the order Add empties them.
    QList<QLineEdit *> boxes() const;

    ScriptedDialogs dialogs;
    RecordingUrlOpener opener;
    QTemporaryDir programFolder;
    std::unique_ptr<Form1> form;
};
