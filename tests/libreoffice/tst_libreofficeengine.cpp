// The LibreOffice backend's office process against the real office: one warm office shared by
// instances, an office that dies in the middle of work, start-up failures that must end within
// the time limit, and a shutdown that leaves nothing behind and touches no one else's office.

#include "LibreOfficeEngine.h"
#include "PrivateOffice.h"
#include "TestMain.h"
#include "WordAutomation.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <QUrl>

#include <atomic>
#include <cerrno>
#include <memory>
#include <signal.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {
bool processExists(qint64 pid)
{
    if (::kill(static_cast<pid_t>(pid), 0) != 0)
        return errno != ESRCH;
    // A zombie no longer runs: only its parent still has to collect it.
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close < 0 || line.mid(close + 2, 1) != "Z";
}

// Processes whose command line mentions \a text.
QList<qint64> processesMentioning(const QString &text)
{
    QList<qint64> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (cmdline.open(QIODevice::ReadOnly) && QString::fromLocal8Bit(cmdline.readAll()).contains(text)
            && processExists(pid))
            found.append(pid);
    }
    return found;
}

QStringList leftoverSockets()
{
    const QString mine = QStringLiteral("OSL_PIPE_%1_parvoline-%2-").arg(::geteuid()).arg(::getpid());
    return QDir(QStringLiteral("/tmp")).entryList({mine + QLatin1Char('*')}, QDir::System | QDir::AllEntries);
}

QString writeScript(const QString &path, const QByteArray &body)
{
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        return QString();
    script.write("#!/bin/sh\n" + body);
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}
} // namespace

class TestLibreOfficeEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void instancesShareOneWarmOffice();
    void officeKilledDuringWorkFailsThatWorkAndRestarts_data();
    void officeKilledDuringWorkFailsThatWorkAndRestarts();
    void callThatNeverReturnsIsStoppedAtTheLimit();
    void shutdownLeavesNothingBehind();
    void missingOfficeIsReported_data();
    void missingOfficeIsReported();
    void launcherThatFailsIsReportedWithItsOutput();
    void unusableProfileIsNoticedWithinTheLimit();
    void anotherProgramsOfficeIsNeverUsed();

private:
    void openTemplate(WordApplication &word);

    PrivateOffice mOffice;
};

void TestLibreOfficeEngine::initTestCase()
{
    QVERIFY(mOffice.setUp());
}

void TestLibreOfficeEngine::cleanupTestCase()
{
    mOffice.shutdown();
}

void TestLibreOfficeEngine::openTemplate(WordApplication &word)
{
    const std::shared_ptr<WordDocument> document = word.Documents()->Open(mOffice.templatePath(), true);
    QCOMPARE(document->Tables()->Count(), 1);
}

void TestLibreOfficeEngine::instancesShareOneWarmOffice()
{
    std::unique_ptr<WordApplication> first = CreateWordApplication();
    const qint64 office = mOffice.engine().officeProcessId();
    QVERIFY(office > 0);
    QVERIFY(mOffice.engine().profileFolder().startsWith(mOffice.path()));
    std::unique_ptr<WordApplication> second = CreateWordApplication();
    QCOMPARE(mOffice.engine().officeProcessId(), office);
    openTemplate(*first);
    openTemplate(*second);
    first->Quit();
    second->Quit();
    QCOMPARE(mOffice.engine().officeProcessId(), office);
}

void TestLibreOfficeEngine::officeKilledDuringWorkFailsThatWorkAndRestarts_data()
{
    QTest::addColumn<bool>("wholeGroup");
    QTest::newRow("the office crashes") << false;
    QTest::newRow("everything the program started is killed") << true;
}

void TestLibreOfficeEngine::officeKilledDuringWorkFailsThatWorkAndRestarts()
{
    QFETCH(bool, wholeGroup);
    std::unique_ptr<WordApplication> word = CreateWordApplication();
    const std::shared_ptr<WordDocument> document = word->Documents()->Open(mOffice.templatePath(), true);
    const qint64 launcher = mOffice.engine().officeProcessId();
    QList<qint64> victims = mOffice.engine().officeProcessIds();
    if (!wholeGroup)
        victims.removeAll(launcher);
    QVERIFY(!victims.isEmpty());

    std::atomic<bool> killed{false};
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        if (wholeGroup) {
            ::kill(-static_cast<pid_t>(launcher), SIGKILL);
        } else {
            for (qint64 pid : std::as_const(victims))
                ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
        killed = true;
    });

    QString failure;
    bool lost = false;
    QElapsedTimer timer;
    timer.start();
    try {
        while (timer.elapsed() < 20000) {
            const std::shared_ptr<WordTable> table = document->Tables()->Item(1);
            table->Select();
            document->ActiveWindow()->Selection()->Copy();
            table->FillPlaceholder(QStringLiteral("[Total]"), QStringLiteral("1"));
        }
    } catch (const WordProcessorLost &error) {
        lost = true;
        failure = error.description();
    } catch (const AutomationError &error) {
        failure = error.description();
    }
    killer.join();
    QVERIFY(killed);
    QVERIFY2(lost, qPrintable(failure));
    QVERIFY2(failure.contains(QStringLiteral("stopped running")), qPrintable(failure));

    // The instance is done for; a new one gets a fresh office.
    QVERIFY_THROWS_EXCEPTION(AutomationError, document->Tables()->Count());
    word.reset();
    std::unique_ptr<WordApplication> fresh = CreateWordApplication();
    QVERIFY(mOffice.engine().officeProcessId() != launcher);
    openTemplate(*fresh);
    fresh->Quit();
    for (qint64 pid : std::as_const(victims))
        QVERIFY(!processExists(pid));
    QVERIFY(!processExists(launcher));
}

void TestLibreOfficeEngine::callThatNeverReturnsIsStoppedAtTheLimit()
{
    LibreOfficeEngine::Settings settings;
    settings.profileFolder = mOffice.filePath(QStringLiteral("limited-profile"));
    settings.callTimeout = std::chrono::milliseconds(1500);
    LibreOfficeEngine engine(settings);
    std::unique_ptr<WordApplication> word = engine.createApplication();
    const std::shared_ptr<WordDocument> document = word->Documents()->Open(mOffice.templatePath(), true);
    const qint64 office = engine.officeProcessId();
    const QList<qint64> processes = engine.officeProcessIds();
    const std::shared_ptr<WordTable> table = document->Tables()->Item(1);

    // An office that stops answering (here: frozen) must not freeze the program with it.
    ::kill(-static_cast<pid_t>(office), SIGSTOP);
    QElapsedTimer timer;
    timer.start();
    QString failure;
    try {
        table->FillPlaceholder(QStringLiteral("[Receipt]"), QStringLiteral("Receipt"));
        QFAIL("a frozen office answered");
    } catch (const WordProcessorLost &error) {
        failure = error.description();
    }
    QVERIFY2(failure.contains(QStringLiteral("did not answer within 1.5 seconds")), qPrintable(failure));
    QVERIFY2(timer.elapsed() < 15000, qPrintable(QString::number(timer.elapsed())));

    word.reset();
    std::unique_ptr<WordApplication> fresh = engine.createApplication();
    QVERIFY(engine.officeProcessId() != office);
    for (qint64 pid : processes)
        QVERIFY(!processExists(pid));
    openTemplate(*fresh);
    fresh->Quit();
}

void TestLibreOfficeEngine::shutdownLeavesNothingBehind()
{
    std::unique_ptr<WordApplication> word = CreateWordApplication();
    openTemplate(*word);
    const QList<qint64> processes = mOffice.engine().officeProcessIds();
    const QString temporary = mOffice.engine().officeTemporaryFolder();
    QVERIFY(processes.size() >= 2);
    QVERIFY(QFileInfo(temporary).isDir());
    QVERIFY(!leftoverSockets().isEmpty());

    mOffice.shutdown();
    QCOMPARE(mOffice.engine().officeProcessId(), 0);
    for (qint64 pid : processes)
        QVERIFY2(!processExists(pid), qPrintable(QString::number(pid)));
    QVERIFY(!QFileInfo::exists(temporary));
    QCOMPARE(leftoverSockets(), QStringList());
    // The profile stays for the next run.
    QVERIFY(QFileInfo(mOffice.filePath(QStringLiteral("profile"))).isDir());
    // Dropped or quit, the old instance fails with a description instead of reaching a dead office.
    QVERIFY_THROWS_EXCEPTION(AutomationError, word->Documents()->Open(mOffice.templatePath(), true));

    mOffice.engine().install();
    std::unique_ptr<WordApplication> again = CreateWordApplication();
    openTemplate(*again);
    again->Quit();
}

void TestLibreOfficeEngine::missingOfficeIsReported_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<bool>("emptyPath");
    QTest::newRow("not on PATH") << QStringLiteral("soffice") << true;
    QTest::newRow("no such file") << mOffice.filePath(QStringLiteral("nowhere/soffice")) << false;
    QTest::newRow("not a program") << mOffice.filePath(QStringLiteral("template.dot")) << false;
}

void TestLibreOfficeEngine::missingOfficeIsReported()
{
    QFETCH(QString, program);
    QFETCH(bool, emptyPath);
    const QByteArray path = qgetenv("PATH");
    if (emptyPath)
        qputenv("PATH", QFile::encodeName(mOffice.filePath(QStringLiteral("empty"))));
    LibreOfficeEngine::Settings settings;
    settings.officeProgram = program;
    settings.profileFolder = mOffice.filePath(QStringLiteral("missing-profile"));
    LibreOfficeEngine engine(settings);
    QString failure;
    try {
        engine.createApplication();
    } catch (const AutomationError &error) {
        failure = error.description();
    }
    qputenv("PATH", path);
    QVERIFY2(failure.contains(QStringLiteral("soffice")) || failure.contains(QStringLiteral("template.dot")),
             qPrintable(failure));
    QCOMPARE(engine.officeProcessId(), 0);
}

void TestLibreOfficeEngine::launcherThatFailsIsReportedWithItsOutput()
{
    const QString program =
        writeScript(mOffice.filePath(QStringLiteral("failing-office")), "echo 'the profile is damaged' >&2\nexit 3\n");
    LibreOfficeEngine::Settings settings;
    settings.officeProgram = program;
    settings.profileFolder = mOffice.filePath(QStringLiteral("failing-profile"));
    LibreOfficeEngine engine(settings);
    try {
        engine.createApplication();
        QFAIL("a failing office was accepted");
    } catch (const AutomationError &error) {
        QVERIFY2(error.description().contains(QStringLiteral("exited with code 3")), qPrintable(error.description()));
        QVERIFY2(error.description().contains(QStringLiteral("the profile is damaged")),
                 qPrintable(error.description()));
    }
}

void TestLibreOfficeEngine::unusableProfileIsNoticedWithinTheLimit()
{
    // A profile folder inside a plain file: the office waits forever without ever answering.
    QFile plain(mOffice.filePath(QStringLiteral("plain-file")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const QString profile = plain.fileName() + QStringLiteral("/profile");
    LibreOfficeEngine::Settings settings;
    settings.profileFolder = profile;
    settings.startTimeout = std::chrono::milliseconds(2500);
    LibreOfficeEngine engine(settings);
    QElapsedTimer timer;
    timer.start();
    QString failure;
    try {
        engine.createApplication();
    } catch (const AutomationError &error) {
        failure = error.description();
    }
    // The configured limit applies, not the default of twenty seconds.
    QVERIFY2(timer.elapsed() < 15000, qPrintable(QString::number(timer.elapsed())));
    QVERIFY2(!failure.isEmpty(), "an unusable profile was accepted");
    QVERIFY2(failure.contains(QDir::toNativeSeparators(profile)), qPrintable(failure));
    QCOMPARE(processesMentioning(profile), QList<qint64>());
}

void TestLibreOfficeEngine::anotherProgramsOfficeIsNeverUsed()
{
    // An office that someone else started on the profile folder our engine is told to use.
    const QStringList socketsBefore =
        QDir(QStringLiteral("/tmp")).entryList({QStringLiteral("OSL_PIPE_*")}, QDir::System | QDir::AllEntries);
    const QString profile = mOffice.filePath(QStringLiteral("foreign-profile"));
    const QString pipe = QStringLiteral("foreign-%1").arg(::getpid());
    QProcess foreign;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("URE_BOOTSTRAP"));
    foreign.setProcessEnvironment(environment);
    foreign.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    foreign.start(QStringLiteral("soffice"),
                  {QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--nodefault"),
                   QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(),
                   QStringLiteral("--accept=pipe,name=%1;urp;").arg(pipe)});
    QVERIFY(foreign.waitForStarted());
    QElapsedTimer timer;
    timer.start();
    while (processesMentioning(QStringLiteral("soffice.bin")).isEmpty()
           || !QFileInfo::exists(QStringLiteral("/tmp/OSL_PIPE_%1_%2").arg(::geteuid()).arg(pipe))) {
        QVERIFY2(timer.elapsed() < 30000, "the foreign office did not start");
        QTest::qWait(50);
    }
    const QList<qint64> foreignProcesses = processesMentioning(pipe);

    LibreOfficeEngine::Settings settings;
    settings.profileFolder = profile;
    LibreOfficeEngine engine(settings);
    std::unique_ptr<WordApplication> word = engine.createApplication();
    openTemplate(*word);
    QVERIFY(engine.profileFolder() != QDir::cleanPath(profile));
    word->Quit();
    engine.shutdown();

    for (qint64 pid : foreignProcesses)
        QVERIFY2(processExists(pid), "the engine stopped an office it did not start");
    for (qint64 pid : foreignProcesses)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
    foreign.waitForFinished(10000);
    // What the killed office leaves behind: its pipes, and the one it took over from our engine.
    const QStringList socketsAfter =
        QDir(QStringLiteral("/tmp")).entryList({QStringLiteral("OSL_PIPE_*")}, QDir::System | QDir::AllEntries);
    for (const QString &socket : socketsAfter) {
        if (!socketsBefore.contains(socket))
            QFile::remove(QStringLiteral("/tmp/") + socket);
    }
}

PARVOLINE_TEST_MAIN(TestLibreOfficeEngine)
#include "tst_libreofficeengine.moc"
