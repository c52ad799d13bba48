#include "Failure.h"
#include "Main.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {
QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

bool runningAsRoot()
{
    return ::geteuid() == 0;
}
} // namespace

class TestFileProcedures : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void fileExists_data();
    void fileExists();

    void existingFileIsNeverRewritten_data();
    void existingFileIsNeverRewritten();
    void newFileHoldsExactlyTheBytes_data();
    void newFileHoldsExactlyTheBytes();
    void pendingEventsRunBeforeTheWrite();
    void unwritablePlaceRaisesAndLeavesNoFile_data();
    void unwritablePlaceRaisesAndLeavesNoFile();

    void deleteQuietly_data();
    void deleteQuietly();
    void forceDeleteRemovesReadOnlyFile();
    void forceDeleteOfMissingFileRaises();

private:
    std::unique_ptr<QTemporaryDir> mDir;
};

void TestFileProcedures::init()
{
    mDir = std::make_unique<QTemporaryDir>();
    QVERIFY(mDir->isValid());
}

void TestFileProcedures::fileExists_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("exists");
    QTest::newRow("empty path") << QStringLiteral("empty") << false;
    QTest::newRow("missing folder") << QStringLiteral("missing folder") << false;
    QTest::newRow("missing file") << QStringLiteral("missing file") << false;
    QTest::newRow("existing file") << QStringLiteral("file") << true;
    QTest::newRow("empty file") << QStringLiteral("empty file") << true;
    QTest::newRow("folder") << QStringLiteral("folder") << true;
    QTest::newRow("dangling link") << QStringLiteral("dangling link") << false;
}

void TestFileProcedures::fileExists()
{
    QFETCH(QString, kind);
    QFETCH(bool, exists);

    QString path;
    if (kind == QLatin1String("missing folder")) {
        path = mDir->filePath(QStringLiteral("nowhere/HAND-M.CUR"));
    } else if (kind == QLatin1String("missing file")) {
        path = mDir->filePath(QStringLiteral("HAND-M.CUR"));
    } else if (kind == QLatin1String("file")) {
        path = mDir->filePath(QStringLiteral("HAND-M.CUR"));
        QVERIFY(writeAll(path, "cursor"));
    } else if (kind == QLatin1String("empty file")) {
        path = mDir->filePath(QStringLiteral("empty"));
        QVERIFY(writeAll(path, {}));
    } else if (kind == QLatin1String("folder")) {
        path = mDir->filePath(QStringLiteral("x"));
        QVERIFY(QDir(mDir->path()).mkdir(QStringLiteral("x")));
    } else if (kind == QLatin1String("dangling link")) {
        path = mDir->filePath(QStringLiteral("link"));
        QVERIFY(QFile::link(mDir->filePath(QStringLiteral("gone")), path));
    }

    QCOMPARE(FileExists(path), exists);
}

void TestFileProcedures::existingFileIsNeverRewritten_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("same length") << QByteArray("template");
    QTest::newRow("longer") << QByteArray(100000, 'x');
    QTest::newRow("binary") << QByteArray("\xD0\xCF\x11\xE0\0\0\r\n", 8);
}

void TestFileProcedures::existingFileIsNeverRewritten()
{
    QFETCH(QByteArray, content);
    const QString path = mDir->filePath(QStringLiteral("template.dot"));
    QVERIFY(writeAll(path, "original"));

    WriteFileIfMissing(content, path);

    QCOMPARE(readAll(path), QByteArray("original"));
}

void TestFileProcedures::newFileHoldsExactlyTheBytes_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text with line ends") << QByteArray("line\r\nline\n\rline\r");
    QTest::newRow("binary with zero bytes") << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\0\xFF", 12);
    QTest::newRow("a megabyte") << QByteArray(1 << 20, '\x5A');
}

void TestFileProcedures::newFileHoldsExactlyTheBytes()
{
    QFETCH(QByteArray, content);
    const QString path = mDir->filePath(QStringLiteral("template.dot"));

    WriteFileIfMissing(content, path);

    QVERIFY(QFile::exists(path));
    QCOMPARE(readAll(path), content);
}

void TestFileProcedures::pendingEventsRunBeforeTheWrite()
{
    // A queued handler that puts a file there first wins: the file found is left as it is.
    const QString path = mDir->filePath(QStringLiteral("template.dot"));
    QMetaObject::invokeMethod(
        this, [path] { writeAll(path, "written while waiting"); }, Qt::QueuedConnection);

    WriteFileIfMissing(QByteArray("template"), path);

    QCOMPARE(readAll(path), QByteArray("written while waiting"));
}

void TestFileProcedures::unwritablePlaceRaisesAndLeavesNoFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing folder") << QStringLiteral("missing folder");
    QTest::newRow("below a file") << QStringLiteral("below a file");
    QTest::newRow("read-only folder") << QStringLiteral("read-only folder");
}

void TestFileProcedures::unwritablePlaceRaisesAndLeavesNoFile()
{
    QFETCH(QString, kind);

    QString path;
    if (kind == QLatin1String("missing folder")) {
        path = mDir->filePath(QStringLiteral("nowhere/template.dot"));
    } else if (kind == QLatin1String("below a file")) {
        QVERIFY(writeAll(mDir->filePath(QStringLiteral("plain")), "x"));
        path = mDir->filePath(QStringLiteral("plain/template.dot"));
    } else {
        if (runningAsRoot())
            QSKIP("Folder permissions do not bind the superuser");
        const QString folder = mDir->filePath(QStringLiteral("locked"));
        QVERIFY(QDir(mDir->path()).mkdir(QStringLiteral("locked")));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        path = folder + QStringLiteral("/template.dot");
    }

    QVERIFY_THROWS_EXCEPTION(Failure, WriteFileIfMissing(QByteArray("template"), path));
    QVERIFY(!QFile::exists(path));

    QFile::setPermissions(mDir->filePath(QStringLiteral("locked")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestFileProcedures::deleteQuietly_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("remains");
    QTest::newRow("missing file") << QStringLiteral("missing") << false;
    QTest::newRow("ordinary file") << QStringLiteral("ordinary") << false;
    QTest::newRow("read-only file") << QStringLiteral("read-only") << false;
    QTest::newRow("folder") << QStringLiteral("folder") << true;
    QTest::newRow("empty path") << QString() << false;
}

void TestFileProcedures::deleteQuietly()
{
    QFETCH(QString, kind);
    QFETCH(bool, remains);

    QString path = mDir->filePath(QStringLiteral("temp.bmp"));
    if (kind == QLatin1String("ordinary")) {
        QVERIFY(writeAll(path, "picture"));
    } else if (kind == QLatin1String("read-only")) {
        QVERIFY(writeAll(path, "picture"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(mDir->path()).mkdir(QStringLiteral("temp.bmp")));
    } else if (kind.isEmpty()) {
        path.clear();
    }

    DeleteFileQuietly(path);

    if (!path.isEmpty())
        QCOMPARE(QFileInfo::exists(path), remains);
}

void TestFileProcedures::forceDeleteRemovesReadOnlyFile()
{
    const QString path = mDir->filePath(QStringLiteral("output.doc"));
    QVERIFY(writeAll(path, "document"));
    QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner));

    ForceDeleteFile(path);

    QVERIFY(!QFileInfo::exists(path));
}

void TestFileProcedures::forceDeleteOfMissingFileRaises()
{
    QVERIFY_THROWS_EXCEPTION(Failure, ForceDeleteFile(mDir->filePath(QStringLiteral("missing.doc"))));
}

PARVOLINE_TEST_GUILESS_MAIN(TestFileProcedures)
#include "tst_fileprocedures.moc"
