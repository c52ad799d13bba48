#pragma once

#include "Form1.h"
#include "RecordingUrlOpener.h"
#include "RunTempFolder.h"
#include "ScriptedDialogs.h"
#include "ScriptedWord.h"

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

/// A main window shown as a user finds it, whose runs go to a scripted word processor and leave their
/// files in a TEMP of the test's own. Made in a test's init and let go in its cleanup.
class ScriptedRunWindow final
{
public:
    ScriptedRunWindow();
    ~ScriptedRunWindow();
    ScriptedRunWindow(const ScriptedRunWindow &) = delete;
    ScriptedRunWindow &operator=(const ScriptedRunWindow &) = delete;

    bool isValid() const { return temp.isValid() && form; }

    RunTempFolder temp;
    std::unique_ptr<Form1Fixture> fixture;
    /// Made after the fixture, whose quiet word processor it replaces; let go after the window, which
    /// may still hold what it made.
    std::unique_ptr<ScriptedWord> word;
    Form1 *form = nullptr;
};
