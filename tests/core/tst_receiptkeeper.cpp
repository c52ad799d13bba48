#include "KeptReceipts.h"
#include "ReceiptKeeper.h"
#include "ReceiptList.h"
#include "RecoveryFile.h"
#include "ScriptedDialogs.h"
#include "SmallFileSystem.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <signal.h>

Q_DECLARE_METATYPE(ReceiptRecord)

namespace {
QString keptPath(const QTemporaryDir &folder)
{
    return folder.filePath(QStringLiteral("receipts.recovery"));
}

QStringList filesIn(const QString &folder)
{
    QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeIf([](const QString &name) { return name.endsWith(QLatin1String(".lock")); });
    return names;
}

void writeKept(const QString &path, const QList<ReceiptRecord> &records)
{
    RecoveryFile::write(path, records);
}
} // namespace

// The windows keep the receipt list in a file of the user's and offer it back at the next start.
class TestReceiptKeeper : public QObject
{
    Q_OBJECT

private slots:
    void killedProgramsListComesBackExactly();
    void question_data();
    void question();
    void damagedFileIsSetAsideAndNothingRestored_data();
    void damagedFileIsSetAsideAndNothingRestored();
    void failedWriteLeavesTheKeptFileAsItWas();
    void twoProgramsKeepTheirOwnLists();
    void turnedOffKeepsNothing();
};

void TestReceiptKeeper::killedProgramsListComesBackExactly()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QProcess changing;
    changing.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    changing.start(QStringLiteral(RECOVERY_HELPER), {QStringLiteral("change"), folder.path(), QStringLiteral("40")});
    QVERIFY(changing.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(changing.canReadLine() || changing.state() != QProcess::Running, 30000);
    QCOMPARE(changing.readLine(), QByteArray("kept\n"));
    // No chance to write anything more: what the next start finds is what was kept while it ran.
    ::kill(pid_t(changing.processId()), SIGKILL);
    QVERIFY(changing.waitForFinished());
    QCOMPARE(changing.exitStatus(), QProcess::CrashExit);
    QCOMPARE(QFileInfo(keptPath(folder)).permissions() & 0x0077, QFileDevice::Permissions());
    QCOMPARE(QFileInfo(folder.path()).permissions() & 0x0077, QFileDevice::Permissions());

    QProcess restoring;
    restoring.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    restoring.start(QStringLiteral(RECOVERY_HELPER), {QStringLiteral("dump"), folder.path()});
    QVERIFY(restoring.waitForFinished(30000));
    QCOMPARE(restoring.exitCode(), 0);
    const RecoveryFile::Contents restored = RecoveryFile::decode(restoring.readAllStandardOutput());
    QCOMPARE(restored.error, QString());

    QList<ReceiptRecord> expected = UnusualReceipts(40);
    expected.removeAt(1);
    expected[0][ReceiptRecord::Tax] = QStringLiteral(" edited \U0001F58A ");
    QCOMPARE(restored.records.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        QVERIFY2(restored.records.at(i) == expected.at(i), qPrintable(QStringLiteral("row %1").arg(i + 1)));
}

void TestReceiptKeeper::question_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("choice");
    QTest::addColumn<QString>("asked");

    QTest::newRow("one receipt, restored")
        << 1 << QStringLiteral("Restore") << QStringLiteral("Restore the 1 receipt from the last session?");
    QTest::newRow("303 receipts, restored")
        << 303 << QStringLiteral("Restore") << QStringLiteral("Restore the 303 receipts from the last session?");
    QTest::newRow("discarded") << 2 << QStringLiteral("Discard")
                               << QStringLiteral("Restore the 2 receipts from the last session?");
}

void TestReceiptKeeper::question()
{
    QFETCH(int, count);
    QFETCH(QString, choice);
    QFETCH(QString, asked);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    writeKept(keptPath(folder), UnusualReceipts(count));
    ScriptedDialogs dialogs;
    dialogs.queueChoice(choice);
    ReceiptList list;
    {
        ReceiptKeeper keeper(&list, folder.path());
        keeper.start();
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(dialogs.messages.first().text, asked);
        QCOMPARE(dialogs.messages.first().choices, (QStringList{QStringLiteral("Restore"), QStringLiteral("Discard")}));
        if (choice == QLatin1String("Discard")) {
            QCOMPARE(list.count(), 0);
            QVERIFY(!QFileInfo::exists(keptPath(folder)));
            return;
        }
        QCOMPARE(list.records(), UnusualReceipts(count));

        // An emptied list leaves nothing to ask about.
        list.clear();
        QSignalSpy kept(&keeper, &ReceiptKeeper::kept);
        QVERIFY(kept.wait());
        QVERIFY(!QFileInfo::exists(keptPath(folder)));
    }
    dialogs.clear();
    ReceiptKeeper next(&list, folder.path());
    next.start();
    QVERIFY(dialogs.messages.isEmpty());
}

void TestReceiptKeeper::damagedFileIsSetAsideAndNothingRestored_data()
{
    QTest::addColumn<QByteArray>("content");

    const QByteArray whole = RecoveryFile::encode(UnusualReceipts(5));
    QByteArray changed = whole;
    changed[changed.size() - 3] = char(changed.at(changed.size() - 3) ^ 0x20);
    QByteArray later = whole;
    later[19] = 2;
    QTest::newRow("cut short") << whole.left(whole.size() - 10);
    QTest::newRow("one byte changed") << changed;
    QTest::newRow("longer than its header says") << whole + QByteArray(2, '\0');
    QTest::newRow("another program's file") << QByteArray("Receipt,No\nRent,1\n");
    QTest::newRow("a later version") << later;
    QTest::newRow("empty") << QByteArray();
}

void TestReceiptKeeper::damagedFileIsSetAsideAndNothingRestored()
{
    QFETCH(QByteArray, content);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QFile file(keptPath(folder));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    file.close();

    ScriptedDialogs dialogs;
    ReceiptList list;
    ReceiptKeeper keeper(&list, folder.path());
    keeper.start();

    QCOMPARE(list.count(), 0);
    QCOMPARE(dialogs.messages.size(), 1);
    const QString aside = keptPath(folder) + QStringLiteral(".damaged");
    const QString told = dialogs.messages.first().text;
    QVERIFY2(told.startsWith(QLatin1String("The receipts kept from the last session could not be read because ")),
             qPrintable(told));
    QVERIFY2(told.endsWith(QStringLiteral(", so the file was set aside as %1.").arg(aside)), qPrintable(told));
    QCOMPARE(told.count(QLatin1Char('.')), aside.count(QLatin1Char('.')) + 1);
    QFile setAside(aside);
    QVERIFY(setAside.open(QIODevice::ReadOnly));
    QCOMPARE(setAside.readAll(), content);
    QVERIFY(keeper.isKeeping());
}

void TestReceiptKeeper::failedWriteLeavesTheKeptFileAsItWas()
{
    SmallFileSystem disk;
    QVERIFY2(disk.mount(256 * 1024), "a small file system must be mountable (run as root)");
    const QString path = disk.filePath(QStringLiteral("receipts.recovery"));
    ScriptedDialogs dialogs;
    ReceiptList list;
    ReceiptKeeper keeper(&list, disk.path());
    keeper.start();
    list.appendRecords(UnusualReceipts(3));
    keeper.flush();
    const QByteArray before = RecoveryFile::encode(UnusualReceipts(3));
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), before);
    kept.close();

    // Some 3 MB: more than the disk holds.
    list.appendRecords(UnusualReceipts(4000));
    keeper.flush();
    QTRY_COMPARE(dialogs.messages.size(), 1);
    QVERIFY2(dialogs.messages.first().text.startsWith(QLatin1String("The receipts could not be kept")),
             qPrintable(dialogs.messages.first().text));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), before);
    QCOMPARE(filesIn(disk.path()), QStringList{QStringLiteral("receipts.recovery")});

    // Told once, not at every change.
    list.removeRow(1);
    keeper.flush();
    QTest::qWait(0);
    QCOMPARE(dialogs.messages.size(), 1);
}

void TestReceiptKeeper::twoProgramsKeepTheirOwnLists()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    ScriptedDialogs dialogs;
    const QList<ReceiptRecord> all = UnusualReceipts(5);
    {
        ReceiptList first;
        ReceiptList second;
        ReceiptKeeper firstKeeper(&first, folder.path());
        ReceiptKeeper secondKeeper(&second, folder.path());
        firstKeeper.start();
        secondKeeper.start();
        QVERIFY(firstKeeper.filePath() != secondKeeper.filePath());
        first.appendRecords(all.mid(0, 2));
        second.appendRecords(all.mid(2));
        // Each program's list, written when it ends, stays beside the other's.
    }
    QVERIFY(dialogs.messages.isEmpty());

    ReceiptList next;
    ReceiptKeeper keeper(&next, folder.path());
    keeper.start();
    QCOMPARE(dialogs.texts(), QStringList{QStringLiteral("Restore the 5 receipts from the last session?")});
    QCOMPARE(next.records(), all);
    // Both lists now live in this program's file alone.
    QCOMPARE(filesIn(folder.path()), QStringList{QStringLiteral("receipts.recovery")});
}

void TestReceiptKeeper::turnedOffKeepsNothing()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    writeKept(keptPath(folder), UnusualReceipts(2));
    qputenv("PARVOLINE_NO_RECOVERY", "1");
    ScriptedDialogs dialogs;
    ReceiptList list;
    {
        ReceiptKeeper keeper(&list, folder.path());
        keeper.start();
        list.appendRecords(UnusualReceipts(7));
    }
    qunsetenv("PARVOLINE_NO_RECOVERY");
    QVERIFY(dialogs.messages.isEmpty());
    QCOMPARE(list.count(), 7);
    QCOMPARE(RecoveryFile::read(keptPath(folder)).records, UnusualReceipts(2));
}

PARVOLINE_TEST_GUILESS_MAIN(TestReceiptKeeper)
#include "tst_receiptkeeper.moc"
