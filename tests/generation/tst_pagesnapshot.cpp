#include "Locations.h"
#include "PageSnapshot.h"
#include "ScriptedDialogs.h"
#include "ScriptedWord.h"
#include "TestMain.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
/// A clipboard whose first reads fail, and which may hold no picture at all.
class FlakyClipboard final : public MemoryClipboard
{
public:
    int failingReads = 0;
    bool dropPictures = false;
    int reads = 0;

    PagePicture picture(int format) override
    {
        ++reads;
        if (reads <= failingReads)
            throw AutomationError(QStringLiteral("The clipboard is busy"));
        return MemoryClipboard::picture(format);
    }
    void setPicture(const PagePicture &picture) override
    {
        if (!dropPictures)
            MemoryClipboard::setPicture(picture);
    }
};
} // namespace

class TestPageSnapshot : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void clipboardReads_data();
    void clipboardReads();
    void writesThePagePicture();
    void noPictureIsReportedAndWordStillQuits();
    void plantedLinkIsNeverWrittenThrough_data();
    void plantedLinkIsNeverWrittenThrough();
    void unusableWordProcessorIsReportedOnce_data();
    void unusableWordProcessorIsReportedOnce();

private:
    QString makeDocument();

    std::unique_ptr<QTemporaryDir> mTemp;
    std::unique_ptr<ScriptedDialogs> mDialogs;
    std::unique_ptr<ScriptedWord> mWord;
    FlakyClipboard mClipboard;
};

void TestPageSnapshot::init()
{
    mTemp = std::make_unique<QTemporaryDir>();
    qputenv("TEMP", mTemp->path().toLocal8Bit());
    mDialogs = std::make_unique<ScriptedDialogs>();
    mWord = std::make_unique<ScriptedWord>();
    mClipboard = FlakyClipboard();
    ProgramClipboard::install(&mClipboard);
}

void TestPageSnapshot::cleanup()
{
    ProgramClipboard::install(nullptr);
    mWord.reset();
    mDialogs.reset();
    qunsetenv("TEMP");
    mTemp.reset();
}

QString TestPageSnapshot::makeDocument()
{
    const QString path = QDir(mTemp->path()).filePath(QStringLiteral("ticket11111111.doc"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("document");
    return path;
}

void TestPageSnapshot::clipboardReads_data()
{
    QTest::addColumn<int>("failingReads");
    QTest::addColumn<bool>("picture");
    QTest::addColumn<int>("reads");

    QTest::newRow("first read") << 0 << true << 1;
    QTest::newRow("after refusals") << 5 << true << 6;
    QTest::newRow("last chance") << 999 << true << 1000;
    QTest::newRow("every read fails") << 5000 << false << 1000;
}

void TestPageSnapshot::clipboardReads()
{
    QFETCH(int, failingReads);
    QFETCH(bool, picture);
    QFETCH(int, reads);
    QImage page(10, 10, QImage::Format_RGB32);
    page.fill(Qt::red);
    mClipboard.setPicture(PagePicture::fromImage(page));
    mClipboard.failingReads = failingReads;

    const int format = 0;
    const PagePicture read = GetClipboardPicture(format);

    QCOMPARE(!read.isNull(), picture);
    QCOMPARE(mClipboard.reads, reads);
}

void TestPageSnapshot::writesThePagePicture()
{
    const QString picturePath = QDir(mTemp->path()).filePath(QLatin1String(kPagePictureFileName));
    QFile older(picturePath);
    QVERIFY(older.open(QIODevice::WriteOnly));
    older.write("an older picture");
    older.close();

    QCOMPARE(SaveDocAsJPG(makeDocument()), SnapshotResult::Written);

    QVERIFY(mDialogs->messages.isEmpty());
    // The file is the picture the clipboard held, as the preview reads it back.
    const PagePicture written = PagePicture::fromFile(picturePath);
    QCOMPARE(written.size(), ScriptedWord::pictureOf(ScriptedDocumentModel::receiptTemplate()).size());
    QCOMPARE(mWord->quit, 1);
    QCOMPARE(mWord->openDocuments, 0);
    QVERIFY(mWord->calls.contains(QStringLiteral("Close(0)")));
}

void TestPageSnapshot::noPictureIsReportedAndWordStillQuits()
{
    mClipboard.dropPictures = true;
    QCOMPARE(SaveDocAsJPG(makeDocument()), SnapshotResult::NoPicture);

    const auto reports = mDialogs->errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].text.contains(QLatin1String(Location::Form1_SaveDocAsJPG) + QStringLiteral("at line 122\r\r")));
    QVERIFY(!QFileInfo::exists(QDir(mTemp->path()).filePath(QLatin1String(kPagePictureFileName))));
    QCOMPARE(mWord->quit, 1);
    QCOMPARE(mWord->openDocuments, 0);
}

void TestPageSnapshot::plantedLinkIsNeverWrittenThrough_data()
{
    QTest::addColumn<bool>("dangling");
    QTest::newRow("a link to the user's file") << false;
    QTest::newRow("a dangling link") << true;
}

void TestPageSnapshot::plantedLinkIsNeverWrittenThrough()
{
    QFETCH(bool, dangling);
    const QString picturePath = QDir(mTemp->path()).filePath(QLatin1String(kPagePictureFileName));
    const QString victim = QDir(mTemp->path()).filePath(QStringLiteral("thesis.odt"));
    if (!dangling) {
        QFile file(victim);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("months of work");
    }
    QVERIFY(QFile::link(victim, picturePath));

    QCOMPARE(SaveDocAsJPG(makeDocument()), SnapshotResult::Written);

    QVERIFY(mDialogs->messages.isEmpty());
    const QFileInfo written(picturePath);
    QVERIFY(!written.isSymLink());
    QVERIFY(written.isFile());
    QCOMPARE(written.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), QFileDevice::Permissions());
    QVERIFY(!PagePicture::fromFile(picturePath).isNull());
    if (dangling) {
        QVERIFY(!QFileInfo::exists(victim));
    } else {
        QFile file(victim);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("months of work"));
    }
}

void TestPageSnapshot::unusableWordProcessorIsReportedOnce_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<bool>("lose");
    QTest::addColumn<int>("line");

    QTest::newRow("cannot start") << QStringLiteral("Create") << false << 116;
    QTest::newRow("dies opening") << QStringLiteral("Open") << true << 118;
    QTest::newRow("dies copying") << QStringLiteral("CopyAsPicture") << true << 120;
}

void TestPageSnapshot::unusableWordProcessorIsReportedOnce()
{
    QFETCH(QString, operation);
    QFETCH(bool, lose);
    QFETCH(int, line);
    if (lose)
        mWord->loseAt(operation);
    else
        mWord->failAt(operation);

    QCOMPARE(SaveDocAsJPG(makeDocument()), SnapshotResult::Unavailable);

    const auto reports = mDialogs->errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0].text.contains(QStringLiteral("at line ") + QString::number(line) + QStringLiteral("\r\r")));
}

PARVOLINE_TEST_GUILESS_MAIN(TestPageSnapshot)
#include "tst_pagesnapshot.moc"
