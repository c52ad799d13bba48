// The LibreOffice backend's office process against the real office: one warm office shared by
// instances, an office that dies in the middle of work, start-up failures that must end within
// the time limit, and a shutdown that leaves nothing behind and touches no one else's office.

#include "Cancellation.h"
#include "LibreOfficeEngine.h"
#include "PrivateOffice.h"
#include "TestData.h"
#include "TestMain.h"
#include "WordAutomation.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
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
            && ProcessRuns(pid))
            found.append(pid);
    }
    return found;
}

// Clock ticks of CPU time that an office at work on a hundred receipts spends well before it is done.
constexpr qint64 kBusyTicks = 5;

// The CPU time, in clock ticks, that the processes \a pids have used so far.
qint64 cpuTicks(const QList<qint64> &pids)
{
    qint64 ticks = 0;
    for (qint64 pid : pids) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // After the name: state is field 3, user and system time fields 14 and 15.
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 12)
            ticks += fields[11].toLongLong() + fields[12].toLongLong();
    }
    return ticks;
}

int threadsOfThisProgram()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

QStringList leftoverSockets()
{
    const QString mine = QStringLiteral("OSL_PIPE_%1_parvoline-%2-").arg(::geteuid()).arg(::getpid());
    return QDir(QStringLiteral("/tmp")).entryList({mine + QLatin1Char('*')}, QDir::System | QDir::AllEntries);
}

// The keepers this program started that still run.
QList<qint64> keepersOfThisProgram()
{
    QList<qint64> keepers;
    for (qint64 pid : processesMentioning(QStringLiteral("parvoline-keeper"))) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toLongLong() == ::getpid())
            keepers.append(pid);
    }
    return keepers;
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
    void cancellationStopsALongCallAndLeavesNoThread();
    void shutdownLeavesNothingBehind();
    void frozenOfficeIsEndedPromptly_data();
    void frozenOfficeIsEndedPromptly();
    void officeEndsWithItsProgram();
    void missingOfficeIsReported_data();
    void missingOfficeIsReported();
    void launcherThatFailsIsReportedWithItsOutput();
    void unusableProfileIsNoticedWithinTheLimit();
    void anotherProgramsOfficeIsNeverUsed();

private:
    void openTemplate(WordApplication &word);
    std::shared_ptr<WordDocument> openLongDocument(WordApplication &word);

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
    std::atomic<bool> gaveUp{false};
    const QList<qint64> office = mOffice.engine().officeProcessIds();
    const qint64 idle = cpuTicks(office);
    std::thread killer([&] {
        // Killed once the office is at work on the saves below.
        while (!gaveUp && cpuTicks(office) < idle + kBusyTicks)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (gaveUp)
            return;
        if (wholeGroup) {
            ::kill(-static_cast<pid_t>(launcher), SIGKILL);
        } else {
            for (qint64 pid : std::as_const(victims))
                ::kill(static_cast<pid_t>(pid), SIGKILL);
        }
        killed = true;
    });

    // Only writing the document out needs the office; the editing before it never does. A kill that
    // lands while the office writes fails that work with a plain sentence (what the connection said
    // goes to the error output only); one that lands between two pieces of work goes unnoticed, as
    // the next one finds the office dead and starts a fresh one.
    QString failure;
    int lost = 0;
    int savedAfterKill = 0;
    QElapsedTimer timer;
    timer.start();
    const QString path = mOffice.filePath(QStringLiteral("killed.doc"));
    while (timer.elapsed() < 30000 && savedAfterKill < 2) {
        const bool wasKilled = killed;
        try {
            document->SaveAs(path);
            if (wasKilled)
                ++savedAfterKill;
        } catch (const WordProcessorLost &error) {
            ++lost;
            failure = error.description();
        }
    }
    gaveUp = true;
    killer.join();
    QVERIFY(killed);
    QCOMPARE(savedAfterKill, 2);
    QVERIFY2(lost <= 1, qPrintable(QString::number(lost)));
    if (lost)
        QCOMPARE(failure, QStringLiteral("The word processor stopped unexpectedly."));

    // The document lives in the program and survives its office; writing it out starts a fresh one.
    QCOMPARE(document->Tables()->Count(), 1);
    document->SaveAs(path);
    QVERIFY(mOffice.engine().officeProcessId() != launcher);
    word->Quit();
    std::unique_ptr<WordApplication> fresh = CreateWordApplication();
    openTemplate(*fresh);
    fresh->Quit();
    for (qint64 pid : std::as_const(victims))
        QVERIFY(!ProcessRuns(pid));
    QVERIFY(!ProcessRuns(launcher));
}

void TestLibreOfficeEngine::callThatNeverReturnsIsStoppedAtTheLimit()
{
    LibreOfficeEngine::Settings settings;
    settings.profileFolder = mOffice.filePath(QStringLiteral("limited-profile"));
    settings.callTimeout = std::chrono::milliseconds(1500);
    LibreOfficeEngine engine(settings);
    std::unique_ptr<WordApplication> word = engine.createApplication();
    const std::shared_ptr<WordDocument> document = openLongDocument(*word);
    const qint64 office = engine.officeProcessId();
    const QList<qint64> processes = engine.officeProcessIds();

    // An office that stops answering in the middle of its work (here: frozen) must not freeze the
    // program with it. It is frozen once it has spent CPU time on the picture, so it is surely at it.
    const qint64 idle = cpuTicks(processes);
    std::atomic<bool> returned{false};
    std::thread freezer([&] {
        while (!returned && cpuTicks(processes) < idle + kBusyTicks)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!returned)
            ::kill(-static_cast<pid_t>(office), SIGSTOP);
    });
    QElapsedTimer timer;
    timer.start();
    QString failure;
    try {
        document->Range()->CopyAsPicture();
    } catch (const WordProcessorLost &error) {
        failure = error.description();
    }
    returned = true;
    freezer.join();
    QVERIFY2(!failure.isEmpty(), "the office finished the picture before it was frozen");
    // One plain sentence for the one deadline, which grows with the document.
    static const QRegularExpression sentence(
        QStringLiteral("^The word processor did not answer within [0-9]+(\\.[0-9])? seconds and was stopped\\.$"));
    QVERIFY2(sentence.match(failure).hasMatch(), qPrintable(failure));
    QVERIFY2(timer.elapsed() < 15000, qPrintable(QString::number(timer.elapsed())));

    word.reset();
    std::unique_ptr<WordApplication> fresh = engine.createApplication();
    QVERIFY(engine.officeProcessId() != office);
    for (qint64 pid : processes)
        QVERIFY(!ProcessRuns(pid));
    openTemplate(*fresh);
    fresh->Quit();
}

std::shared_ptr<WordDocument> TestLibreOfficeEngine::openLongDocument(WordApplication &word)
{
    const std::shared_ptr<WordDocument> document = word.Documents()->Open(mOffice.templatePath(), true);
    // Enough receipts that writing them out takes the office a while.
    const std::shared_ptr<WordSelection> selection = document->ActiveWindow()->Selection();
    document->Tables()->Item(1)->Select();
    selection->Copy();
    for (int i = 0; i < 100; ++i) {
        selection->EndKey(wdStory);
        selection->TypeParagraph();
        selection->Paste();
    }
    return document;
}

void TestLibreOfficeEngine::cancellationStopsALongCallAndLeavesNoThread()
{
    const int threadsBefore = threadsOfThisProgram();
    {
        LibreOfficeEngine::Settings settings;
        settings.profileFolder = mOffice.filePath(QStringLiteral("cancelled-profile"));
        // Far beyond the call: only the cancellation can end it early.
        settings.callTimeout = std::chrono::milliseconds(120000);
        LibreOfficeEngine engine(settings);
        std::unique_ptr<WordApplication> word = engine.createApplication();
        const std::shared_ptr<WordDocument> document = openLongDocument(*word);
        const qint64 office = engine.officeProcessId();
        const QList<qint64> processes = engine.officeProcessIds();

        // Cancelled as the user's Cancel does, once the office is surely at work on the picture.
        const qint64 idle = cpuTicks(processes);
        std::atomic<bool> returned{false};
        QElapsedTimer sinceCancel;
        std::thread canceller([&] {
            while (!returned && cpuTicks(processes) < idle + kBusyTicks)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            if (!returned) {
                sinceCancel.start();
                RequestRunCancel();
            }
        });
        bool cancelled = false;
        try {
            document->Range()->CopyAsPicture();
        } catch (const AutomationCancelled &) {
            cancelled = true;
        }
        const qint64 took = sinceCancel.isValid() ? sinceCancel.elapsed() : -1;
        returned = true;
        canceller.join();
        ClearRunCancel();
        QVERIFY2(took >= 0, "the office finished the picture before it was cancelled");
        QVERIFY(cancelled);
        // Not waited out: the call ended long before its limit.
        QVERIFY2(took < 10000, qPrintable(QString::number(took)));
        // Killed: a large office takes a moment to finish dying after its connection is gone.
        for (qint64 pid : processes)
            QTRY_VERIFY2_WITH_TIMEOUT(!ProcessRuns(pid), qPrintable(QString::number(pid)), 5000);

        word.reset();
        std::unique_ptr<WordApplication> fresh = engine.createApplication();
        QVERIFY(engine.officeProcessId() != office);
        openTemplate(*fresh);
        fresh->Quit();
        engine.shutdown();
        qInfo("the cancelled call returned %lld ms after the cancellation", took);
    }
    // Neither the office's calls nor the connection leave a thread behind.
    QTRY_COMPARE(threadsOfThisProgram(), threadsBefore);
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
    QCOMPARE(keepersOfThisProgram().size(), 1);

    mOffice.shutdown();
    QCOMPARE(mOffice.engine().officeProcessId(), 0);
    for (qint64 pid : processes)
        QVERIFY2(!ProcessRuns(pid), qPrintable(QString::number(pid)));
    QVERIFY(!QFileInfo::exists(temporary));
    QCOMPARE(leftoverSockets(), QStringList());
    QCOMPARE(keepersOfThisProgram(), QList<qint64>());
    // The profile stays for the next run.
    QVERIFY(QFileInfo(mOffice.filePath(QStringLiteral("profile"))).isDir());
    // Dropped or quit, the old instance fails with a description instead of reaching a dead office.
    QVERIFY_THROWS_EXCEPTION(AutomationError, word->Documents()->Open(mOffice.templatePath(), true));

    mOffice.engine().install();
    std::unique_ptr<WordApplication> again = CreateWordApplication();
    openTemplate(*again);
    again->Quit();
}

void TestLibreOfficeEngine::frozenOfficeIsEndedPromptly_data()
{
    QTest::addColumn<bool>("documentOpen");
    QTest::newRow("frozen with a document open and a table copied") << true;
    QTest::newRow("frozen idle") << false;
}

void TestLibreOfficeEngine::frozenOfficeIsEndedPromptly()
{
    QFETCH(bool, documentOpen);
    const QStringList socketsBefore = leftoverSockets();
    LibreOfficeEngine::Settings settings;
    settings.profileFolder = mOffice.filePath(QStringLiteral("frozen-profile"));
    LibreOfficeEngine engine(settings);
    std::unique_ptr<WordApplication> word = engine.createApplication();
    if (documentOpen) {
        // A document and a copied table: both refer into the office, and are let go at the end.
        const std::shared_ptr<WordDocument> document = word->Documents()->Open(mOffice.templatePath(), true);
        document->Tables()->Item(1)->Select();
        document->ActiveWindow()->Selection()->Copy();
    }
    const qint64 office = engine.officeProcessId();
    const QList<qint64> processes = engine.officeProcessIds();
    const QString temporary = engine.officeTemporaryFolder();

    // A stopped office answers nothing; ending the program must not wait for it.
    ::kill(-static_cast<pid_t>(office), SIGSTOP);
    QElapsedTimer timer;
    timer.start();
    engine.shutdown();
    const qint64 took = timer.elapsed();

    QVERIFY2(took < 5000, qPrintable(QStringLiteral("shutting down took %1 ms").arg(took)));
    for (qint64 pid : processes)
        QVERIFY2(!ProcessRuns(pid), qPrintable(QString::number(pid)));
    QVERIFY(!QFileInfo::exists(temporary));
    QCOMPARE(leftoverSockets(), socketsBefore);
    qInfo("a frozen office was ended in %lld ms", took);
}

void TestLibreOfficeEngine::officeEndsWithItsProgram()
{
    // A program killed outright runs no code of its own: its office must go all the same.
    QProcess holder;
    holder.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    holder.start(QStringLiteral(OFFICE_HOLDER), {mOffice.filePath(QStringLiteral("holder-profile"))});
    QVERIFY(holder.waitForStarted());
    QElapsedTimer timer;
    timer.start();
    while (!holder.canReadLine() && timer.elapsed() < 60000)
        holder.waitForReadyRead(500);
    const QList<QByteArray> words = holder.readLine().trimmed().split(' ');
    QVERIFY2(words.size() >= 4 && words.first() == "office", words.join(' ').constData());
    QList<qint64> processes;
    for (qsizetype i = 1; i < words.size() - 2; ++i)
        processes.append(words[i].toLongLong());
    const QString temporary = QString::fromLocal8Bit(words.last());
    const QString sockets = QStringLiteral("OSL_PIPE_%1_parvoline-%2-*").arg(::geteuid()).arg(holder.processId());
    const auto socketsLeft = [&] {
        return QDir(QStringLiteral("/tmp")).entryList({sockets}, QDir::System | QDir::AllEntries);
    };
    QVERIFY(!processes.isEmpty());
    QVERIFY(QFileInfo(temporary).isDir());
    QVERIFY(!socketsLeft().isEmpty());

    ::kill(static_cast<pid_t>(holder.processId()), SIGKILL);
    QVERIFY(holder.waitForFinished(10000));
    timer.restart();
    const auto officeGone = [&] {
        for (qint64 pid : processes) {
            if (ProcessRuns(pid))
                return false;
        }
        return !QFileInfo::exists(temporary) && socketsLeft().isEmpty();
    };
    while (!officeGone() && timer.elapsed() < 10000)
        QTest::qWait(100);

    for (qint64 pid : processes)
        QVERIFY2(!ProcessRuns(pid), qPrintable(QStringLiteral("office process %1 outlived its program").arg(pid)));
    QVERIFY2(!QFileInfo::exists(temporary), qPrintable(temporary));
    QCOMPARE(socketsLeft(), QStringList());
    qInfo("the office was gone %lld ms after its program", timer.elapsed());
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
        QVERIFY2(ProcessRuns(pid), "the engine stopped an office it did not start");
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
