// The availability check against the LibreOffice backend: with the office it stays silent and
// leaves the office warm; without it the user reads the message, standard error names what
// failed, and the program ends.

#include "IsInstalled.h"
#include "LibreOfficeEngine.h"
#include "ProgramEnd.h"
#include "ScriptedDialogs.h"
#include "TestData.h"
#include "TestMain.h"
#include "WordAutomation.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <unistd.h>

namespace {
// Runs \a action with standard error going to a file, and returns what was written.
template<typename Action>
QString captureStandardError(const QString &file, Action &&action)
{
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    std::FILE *capture = std::fopen(QFile::encodeName(file).constData(), "w");
    ::dup2(::fileno(capture), STDERR_FILENO);
    action();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::fclose(capture);
    QFile written(file);
    written.open(QIODevice::ReadOnly);
    return QString::fromLocal8Bit(ProgramLines(written.readAll()));
}
} // namespace

class TestLibreOfficeCheck : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    // In this order: the program ends in the second.
    void officePresentShowsNothing();
    void officeMissingTellsTheUserAndEndsTheProgram();

private:
    QTemporaryDir mDir;
};

void TestLibreOfficeCheck::initTestCase()
{
    QVERIFY(mDir.isValid());
}

void TestLibreOfficeCheck::officePresentShowsNothing()
{
    LibreOfficeEngine::Settings settings;
    settings.profileFolder = mDir.filePath(QStringLiteral("profile"));
    LibreOfficeEngine engine(settings);
    engine.install();
    ScriptedDialogs dialogs;
    CheckWordInstalled();
    QCOMPARE(dialogs.texts(), QStringList());
    QVERIFY(!ProgramEnding());
    // Warm for the first generation.
    QVERIFY(engine.officeProcessId() > 0);
}

void TestLibreOfficeCheck::officeMissingTellsTheUserAndEndsTheProgram()
{
    LibreOfficeEngine::Settings settings;
    settings.officeProgram = mDir.filePath(QStringLiteral("no-office/soffice"));
    settings.profileFolder = mDir.filePath(QStringLiteral("profile"));
    LibreOfficeEngine engine(settings);
    engine.install();
    ScriptedDialogs dialogs;
    const QString errors =
        captureStandardError(mDir.filePath(QStringLiteral("stderr.txt")), [] { CheckWordInstalled(); });

    QCOMPARE(dialogs.texts(), QStringList{WordMissingMessage()});
    QVERIFY(ProgramEnding());
    QCOMPARE(errors.count(QLatin1Char('\n')), 1);
    QVERIFY2(errors.contains(QStringLiteral("no-office/soffice")), qPrintable(errors));
    QCOMPARE(engine.officeProcessId(), 0);
}

PARVOLINE_TEST_MAIN(TestLibreOfficeCheck)
#include "tst_libreofficecheck.moc"
