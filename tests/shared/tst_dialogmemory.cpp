#include "DialogMemory.h"
#include "Settings.h"
#include "TestMain.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// A file dialog opens where it was last left, with the type last chosen, from one run to the next.
class TestDialogMemory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void rememberedAcrossRuns();
    void startingFolder_data();
    void startingFolder();
    void typeMustStillBeOffered();

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

void TestDialogMemory::rememberedAcrossRuns()
{
    QTemporaryDir chosen;
    QVERIFY(chosen.isValid());
    DialogMemory(QStringLiteral("Save"))
        .remember(chosen.filePath(QStringLiteral("receipts.pdf")), QStringLiteral("PDF (*.pdf)"));
    // Another dialog has a memory of its own.
    QCOMPARE(DialogMemory(QStringLiteral("Export")).folder(), QDir::homePath());

    // What the settings file holds, read afresh as the next run reads it.
    const DialogMemory next(QStringLiteral("Save"));
    QCOMPARE(next.folder(), chosen.path());
    QCOMPARE(next.type(QStringLiteral("Word Files (*.doc);;PDF (*.pdf)")), QStringLiteral("PDF (*.pdf)"));

    // A cancelled dialog changes nothing.
    next.remember(QString(), QStringLiteral("Word Files (*.doc)"));
    QCOMPARE(next.folder(), chosen.path());
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

void TestDialogMemory::typeMustStillBeOffered()
{
    const DialogMemory memory(QStringLiteral("Save"));
    memory.remember(mHome->filePath(QStringLiteral("a.odt")), QStringLiteral("OpenDocument Text (*.odt)"));
    QCOMPARE(memory.type(QStringLiteral("Word Files (*.doc);;PDF (*.pdf)")), QString());
}

PARVOLINE_TEST_GUILESS_MAIN(TestDialogMemory)
#include "tst_dialogmemory.moc"
