#include "DialogMemory.h"
#include "Settings.h"
#include "TestMain.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// Where a file dialog opens when the folder it was last left in is not there to open.
class TestDialogMemory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void startingFolder_data();
    void startingFolder();

private:
    std::unique_ptr<QTemporaryDir> mHome;
};

void TestDialogMemory::init()
{
    OpenSettings()->clear();
    mHome = std::make_unique<QTemporaryDir>();
    QVERIFY(mHome->isValid());
    qputenv("HOME", QFile::encodeName(mHome->path()));
    // The documents folder is $HOME/Documents unless the user's folder list names another.
    qunsetenv("XDG_DOCUMENTS_DIR");
}

void TestDialogMemory::startingFolder_data()
{
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<bool>("documentsExist");
    QTest::addColumn<QString>("expected");

    QTest::newRow("nothing remembered, documents folder") << QString() << true << QStringLiteral("Documents");
    QTest::newRow("nothing remembered, no documents folder") << QString() << false << QString();
    QTest::newRow("remembered folder gone") << QStringLiteral("gone/away") << true << QStringLiteral("Documents");
    QTest::newRow("remembered folder gone, no documents folder") << QStringLiteral("gone/away") << false << QString();
    QTest::newRow("relative folder") << QStringLiteral("relative") << true << QStringLiteral("Documents");
    QTest::newRow("remembered folder") << QStringLiteral("kept") << true << QStringLiteral("kept");
}

void TestDialogMemory::startingFolder()
{
    QFETCH(QString, remembered);
    QFETCH(bool, documentsExist);
    QFETCH(QString, expected);

    const QDir home(mHome->path());
    if (documentsExist)
        QVERIFY(home.mkpath(QStringLiteral("Documents")));
    QVERIFY(home.mkpath(QStringLiteral("kept")));
    // A folder of that name in the working folder must not count for a remembered relative one.
    QVERIFY(QDir::setCurrent(mHome->path()));
    QVERIFY(home.mkpath(QStringLiteral("relative")));
    if (remembered == QLatin1String("relative"))
        OpenSettings()->setValue(QStringLiteral("Dialogs/Import/Folder"), remembered);
    else if (!remembered.isEmpty())
        DialogMemory(QStringLiteral("Import")).remember(home.filePath(remembered + QStringLiteral("/x.csv")));

    QCOMPARE(DialogMemory(QStringLiteral("Import")).folder(),
             expected.isEmpty() ? mHome->path() : home.filePath(expected));
}

PARVOLINE_TEST_GUILESS_MAIN(TestDialogMemory)
#include "tst_dialogmemory.moc"
