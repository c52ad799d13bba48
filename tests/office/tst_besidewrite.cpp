// The second office's write on a thread of its own, with a stand-in for the office's start: a file that
// is no longer wanted (Cancel, the window closed) is let go of at once, whatever the office is doing.

#include "BesideWrite.h"
#include "TestMain.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <future>

class TestBesideWrite : public QObject
{
    Q_OBJECT

private slots:
    void droppedWhileTheOfficeStarts();
};

void TestBesideWrite::droppedWhileTheOfficeStarts()
{
    using namespace std::chrono_literals;
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    std::promise<std::shared_ptr<LibreOfficeSession>> start;
    std::atomic<bool> worked{false};
    auto beside = std::make_unique<BesideWrite>(
        start.get_future().share(), folder.filePath(QStringLiteral("receipts.doc")),
        [&](const std::shared_ptr<LibreOfficeSession> &, CheckedFile &file) {
            worked.store(true);
            file.open();
            return QByteArray();
        },
        nullptr);

    // Dropped on a thread of the test's, so that a drop that waits for the start can be told from one
    // that does not: the start only ends once the drop has returned or given up.
    std::future<void> dropped = std::async(std::launch::async, [&] { beside.reset(); });
    const bool returned = dropped.wait_for(20s) == std::future_status::ready;
    start.set_value(nullptr);
    dropped.wait();
    QVERIFY2(returned, "dropping the file waited for the office to start");
    // Nothing was written, and the office that has started since is not asked to.
    QVERIFY(!worked.load());
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

PARVOLINE_TEST_MAIN(TestBesideWrite)
#include "tst_besidewrite.moc"
