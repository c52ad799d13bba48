// What a killed run leaves in the temporary folder goes at the next start, and nothing else does.

#include "RunLeftovers.h"
#include "TestData.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {
// The id of a process that has ended.
qint64 deadProcessId()
{
    QProcess process;
    process.start(QStringLiteral("/bin/true"));
    process.waitForFinished();
    return process.processId() > 0 ? process.processId() : 999999;
}

QByteArray record(qint64 pid, const QByteArray &startTime, const QStringList &names)
{
    QByteArray content = "parvoline-run " + QByteArray::number(pid) + ' ' + startTime + '\n';
    for (const QString &name : names)
        content += name.toUtf8() + '\n';
    return content;
}

QByteArray ownStartTime()
{
    const QByteArray line = ReadWholeFile(QStringLiteral("/proc/self/stat"));
    return line.mid(line.lastIndexOf(')') + 2).split(' ').value(19);
}
} // namespace

class tst_RunLeftovers final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void deadRunsFilesGo();
    void liveRunAndStrangersStay_data();
    void liveRunAndStrangersStay();

private:
    std::unique_ptr<QTemporaryDir> mTemp;
    QString path(const QString &name) const { return mTemp->filePath(name); }
};

void tst_RunLeftovers::init()
{
    mTemp = std::make_unique<QTemporaryDir>();
    QVERIFY(mTemp->isValid());
}

void tst_RunLeftovers::deadRunsFilesGo()
{
    const qint64 pid = deadProcessId();
    const QStringList names{QStringLiteral("template.dot"), QStringLiteral("ticket12345678.doc"),
                            QStringLiteral("temp.bmp"), QStringLiteral("batch-a1B2c3")};
    for (const QString &name : names.mid(0, 3))
        WriteWholeFile(path(name), "left by a killed run");
    QVERIFY(QDir().mkdir(path(names.last())));
    WriteWholeFile(path(names.last() + QStringLiteral("/template.dot")), "inside the command's folder");
    WriteWholeFile(path(RunLeftovers::recordName(pid)), record(pid, "12345", names));

    QCOMPARE(RunLeftovers::removeDeadRuns(mTemp->path()), 4);
    QCOMPARE(FolderEntries(mTemp->path()), QStringList());
}

void tst_RunLeftovers::liveRunAndStrangersStay_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("recordContent");
    QTest::addColumn<bool>("otherUser");

    const qint64 dead = deadProcessId();
    const QString template_ = QStringLiteral("template.dot");
    QTest::newRow("a run still going") << template_ << record(::getpid(), ownStartTime(), {template_}) << false;
    QTest::newRow("a name the program never makes")
        << QStringLiteral("notes.txt") << record(dead, "1", {QStringLiteral("notes.txt")}) << false;
    QTest::newRow("a path outside the folder")
        << template_ << record(dead, "1", {QStringLiteral("../template.dot"), QStringLiteral("/x/template.dot")})
        << false;
    QTest::newRow("a record under another process's name") << template_ << record(dead + 1, "1", {template_}) << false;
    QTest::newRow("another user's file") << template_ << record(dead, "1", {template_}) << true;
}

void tst_RunLeftovers::liveRunAndStrangersStay()
{
    QFETCH(QString, entry);
    QFETCH(QByteArray, recordContent);
    QFETCH(bool, otherUser);

    const qint64 pid = recordContent.split(' ').value(1).toLongLong();
    // The record is always named for the dead run; one row's content names another process.
    const QString recordFile = path(RunLeftovers::recordName(pid == ::getpid() ? pid : deadProcessId()));
    WriteWholeFile(recordFile, recordContent);
    WriteWholeFile(path(entry), "someone's file");
    if (otherUser) {
        // Root can plant a look-alike of another user's; CI runs as root.
        if (::geteuid() != 0)
            QSKIP("planting another user's file needs root");
        QCOMPARE(::chown(QFile::encodeName(path(entry)).constData(), 4242, 4242), 0);
        QCOMPARE(::chown(QFile::encodeName(recordFile).constData(), 4242, 4242), 0);
    }

    QCOMPARE(RunLeftovers::removeDeadRuns(mTemp->path()), 0);
    QCOMPARE(ReadWholeFile(path(entry)), QByteArray("someone's file"));
}

PARVOLINE_TEST_GUILESS_MAIN(tst_RunLeftovers)
#include "tst_runleftovers.moc"
