#include "TestData.h"
#include "TestMain.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <signal.h>
#include <unistd.h>

namespace {} // namespace

// The whole program ended from outside: a signal ends it as closing its windows does, leaving
// nothing in the temporary folder, no office, no office folder and no profile lock, with the exit
// status of the signal; also when the office has frozen.
class TestProgramEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void signalEndsTheProgramCleanly_data();
    void signalEndsTheProgramCleanly();

private:
    QTemporaryDir mProfiles;
};

void TestProgramEnd::initTestCase()
{
    QVERIFY(mProfiles.isValid());
}

void TestProgramEnd::signalEndsTheProgramCleanly_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("frozen");

    QTest::newRow("SIGTERM, the preview shown") << QStringLiteral("preview") << SIGTERM << false;
    QTest::newRow("SIGINT, the preview shown") << QStringLiteral("preview") << SIGINT << false;
    QTest::newRow("SIGHUP, the preview shown") << QStringLiteral("preview") << SIGHUP << false;
    QTest::newRow("SIGINT, the main window shown") << QStringLiteral("main") << SIGINT << false;
    QTest::newRow("SIGTERM during a run") << QStringLiteral("run") << SIGTERM << false;
    QTest::newRow("SIGHUP during a run") << QStringLiteral("run") << SIGHUP << false;
    QTest::newRow("SIGTERM, the preview shown, the office frozen") << QStringLiteral("preview") << SIGTERM << true;
    QTest::newRow("SIGTERM during a run, the office frozen") << QStringLiteral("run") << SIGTERM << true;
}

void TestProgramEnd::signalEndsTheProgramCleanly()
{
    QFETCH(QString, state);
    QFETCH(int, signal);
    QFETCH(bool, frozen);

    QTemporaryDir temp;
    QVERIFY(temp.isValid());
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TEMP"), temp.path());
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A profile for each case: an office killed in one case must not leave the next one a profile to
    // wait for.
    static int cases = 0;
    program.start(QStringLiteral(PROGRAM_END_HELPER),
                  {state, mProfiles.filePath(QStringLiteral("profile-%1").arg(++cases))});
    QVERIFY(program.waitForStarted());
    QElapsedTimer timer;
    timer.start();
    while (!program.canReadLine() && program.state() == QProcess::Running && timer.elapsed() < 120000)
        program.waitForReadyRead(500);
    const QList<QByteArray> words = program.readLine().trimmed().split(' ');
    QVERIFY2(words.size() >= 7 && words[0] == "ready" && words[1] == "office", words.join(' ').constData());
    QList<qint64> office;
    for (qsizetype i = 2; i < words.size() - 4; ++i)
        office.append(words[i].toLongLong());
    const QString officeFolder = QString::fromLocal8Bit(words[words.size() - 3]);
    const QString profileLock = QString::fromLocal8Bit(words.last()) + QStringLiteral(".lock");
    const QString sockets = QStringLiteral("OSL_PIPE_%1_parvoline-%2-*").arg(::geteuid()).arg(program.processId());
    const auto socketsLeft = [&] {
        return QDir(QStringLiteral("/tmp")).entryList({sockets}, QDir::System | QDir::AllEntries);
    };
    QVERIFY(!office.isEmpty());
    QVERIFY(QFileInfo(officeFolder).isDir());
    QVERIFY(QFileInfo::exists(profileLock));

    // The state the end comes in: the preview's document, or the run's template, in the temporary folder.
    const QString expected = state == QLatin1String("preview") ? QStringLiteral("*.doc")
                             : state == QLatin1String("run")   ? QStringLiteral("template.dot")
                                                               : QString();
    if (!expected.isEmpty()) {
        timer.restart();
        while (QDir(temp.path()).entryList({expected}, QDir::Files).isEmpty() && timer.elapsed() < 30000)
            QTest::qWait(20);
        QCOMPARE(QDir(temp.path()).entryList({expected}, QDir::Files).size(), 1);
    }
    if (frozen) {
        ::kill(-static_cast<pid_t>(office.first()), SIGSTOP);
        // A run is then stuck in a call into the office.
        QTest::qWait(300);
    }

    timer.restart();
    ::kill(static_cast<pid_t>(program.processId()), signal);
    const bool ended = program.waitForFinished(20000);
    const qint64 took = timer.elapsed();
    if (!ended) {
        program.kill();
        program.waitForFinished();
    }

    QVERIFY2(ended, "the program did not end");
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 128 + signal);
    QVERIFY2(took < 5000, qPrintable(QStringLiteral("ending took %1 ms").arg(took)));
    QCOMPARE(FolderEntries(temp.path()), QStringList());
    // A killed office may take a moment to finish dying after its program has gone.
    for (qint64 pid : office)
        QTRY_VERIFY2_WITH_TIMEOUT(!ProcessRuns(pid),
                                  qPrintable(QStringLiteral("office process %1 still runs").arg(pid)), 5000);
    QVERIFY2(!QFileInfo::exists(officeFolder), qPrintable(officeFolder));
    QVERIFY2(!QFileInfo::exists(profileLock), qPrintable(profileLock));
    QCOMPARE(socketsLeft(), QStringList());
    qInfo("ended in %lld ms", took);
}

PARVOLINE_TEST_GUILESS_MAIN(TestProgramEnd)
#include "tst_programend.moc"
