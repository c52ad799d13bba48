#include "Form1Fixture.h"

#include "Program.h"
#include "QuietWordApplication.h"
#include "Settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

Form1Fixture::Form1Fixture(Settings settings)
{
    // The window remembers choices; a test starts from none unless it plays a second run. The test's
    // main has put the settings in a folder of its own, never the user's.
    if (settings == Settings::Fresh)
        OpenSettings()->clear();
    QuietWordApplication::install();
    OverrideProgramFolder(programFolder.path());
}

Form1Fixture::~Form1Fixture()
{
    form.reset();
    OverrideProgramFolder(QString());
    SetWordApplicationFactory(nullptr);
}

Form1 &Form1Fixture::load()
{
    form = std::make_unique<Form1>();
    return *form;
}

bool Form1Fixture::loadActive()
{
    load().show();
    QApplication::setActiveWindow(form.get());
    return QTest::qWaitForWindowActive(form.get());
}

bool Form1Fixture::putInProgramFolder(const QString &name, const QByteArray &content)
{
    const QString path = programFolder.filePath(name);
    if (!QDir().mkpath(QFileInfo(path).path()))
        return false;
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QLineEdit *Form1Fixture::box(int number) const
{
    return control<QLineEdit>(QStringLiteral("Text%1").arg(number));
}

QList<QLineEdit *> Form1Fixture::boxes() const
{
    QList<QLineEdit *> result;
    for (int number : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 15, 16})
        result.append(box(number));
    return result;
}

ScriptedRunWindow::ScriptedRunWindow()
    : fixture(std::make_unique<Form1Fixture>())
    , word(std::make_unique<ScriptedWord>())
{
    form = &fixture->load();
    form->show();
    fixture->dialogs.clear();
}

ScriptedRunWindow::~ScriptedRunWindow()
{
    fixture.reset();
    word.reset();
}
