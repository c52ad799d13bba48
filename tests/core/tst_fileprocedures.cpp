#include "Failure.h"
#include "ProgramFiles.h"
#include "SmallFileSystem.h"
#include "TestData.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
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

struct stat statOf(const QString &path)
{
    struct stat st
    {
    };
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st;
}

// What a test plants at a path before the program writes there.
void plant(const QString &kind, const QString &path, const QString &elsewhere, const QByteArray &content)
{
    const QByteArray native = QFile::encodeName(path);
    if (kind == QLatin1String("same bytes") || kind == QLatin1String("same bytes, group-writable")
        || kind == QLatin1String("same bytes, someone else's")) {
        writeAll(path, content);
        ::chmod(native.constData(), kind == QLatin1String("same bytes, group-writable") ? 0664 : 0600);
        if (kind == QLatin1String("same bytes, someone else's"))
            QVERIFY(::chown(native.constData(), 65534, 65534) == 0);
    } else if (kind == QLatin1String("other bytes")) {
        writeAll(path, "planted text");
    } else if (kind == QLatin1String("same bytes and more")) {
        writeAll(path, content + "planted text");
    } else if (kind == QLatin1String("link to a private file") || kind == QLatin1String("link to the same bytes")) {
        writeAll(elsewhere, kind == QLatin1String("link to a private file") ? QByteArray("private") : content);
        QVERIFY(QFile::link(elsewhere, path));
    } else if (kind == QLatin1String("dangling link")) {
        QVERIFY(QFile::link(elsewhere, path));
    } else if (kind == QLatin1String("named pipe")) {
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    }
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

    void writeFailsForReal_data();
    void writeFailsForReal();

    void ownFileIsKeptOrReplaced_data();
    void ownFileIsKeptOrReplaced();
    void freshFileNeverFollowsWhatWasThere_data();
    void freshFileNeverFollowsWhatWasThere();
    void freshFileOnAFullDiskLeavesNothing();

    void deleteQuietly_data();
    void deleteQuietly();
    void forceDeleteRemovesReadOnlyFile();
    void forceDeleteOfMissingFileRaises();
    void forceDeleteOfALinkLeavesItsTargetAlone();

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
    SmallFileSystem disk;
    if (kind == QLatin1String("missing folder")) {
        path = mDir->filePath(QStringLiteral("nowhere/template.dot"));
    } else if (kind == QLatin1String("below a file")) {
        QVERIFY(writeAll(mDir->filePath(QStringLiteral("plain")), "x"));
        path = mDir->filePath(QStringLiteral("plain/template.dot"));
    } else if (runningAsRoot()) {
        // Folder permissions do not bind the superuser; a read-only file system does.
        QVERIFY2(disk.mount(64 * 1024) && disk.makeReadOnly(), "no read-only file system can be mounted here");
        path = disk.filePath(QStringLiteral("template.dot"));
    } else {
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

void TestFileProcedures::writeFailsForReal_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("full disk") << QStringLiteral("full");
    QTest::newRow("file-size limit") << QStringLiteral("limit");
}

void TestFileProcedures::writeFailsForReal()
{
    QFETCH(QString, fault);
    const QByteArray content(28672, 'T');
    SmallFileSystem disk;
    QString folder = mDir->path();
    if (fault == QLatin1String("full")) {
        if (!disk.mount(16 * 1024))
            QSKIP("No small file system can be mounted here");
        folder = disk.path();
    }
    const QString path = QDir(folder).filePath(QStringLiteral("template.dot"));

    if (fault == QLatin1String("full")) {
        QVERIFY_THROWS_EXCEPTION(Failure, WriteFileIfMissing(content, path));
    } else {
        QCOMPARE(RunWithFileSizeLimit(8192, [&] { WriteFileIfMissing(content, path); }), 3);
    }
    // No fragment that a later run would take for the template.
    QCOMPARE(FolderEntries(folder), QStringList());
}

void TestFileProcedures::ownFileIsKeptOrReplaced_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("fails");

    QTest::newRow("nothing there") << QStringLiteral("none") << false << false;
    QTest::newRow("the same bytes, the user's own") << QStringLiteral("same bytes") << true << false;
    QTest::newRow("other bytes") << QStringLiteral("other bytes") << false << false;
    QTest::newRow("the same bytes and more") << QStringLiteral("same bytes and more") << false << false;
    QTest::newRow("the same bytes, group-writable") << QStringLiteral("same bytes, group-writable") << false << false;
    QTest::newRow("the same bytes, someone else's") << QStringLiteral("same bytes, someone else's") << false << false;
    QTest::newRow("a link to the same bytes") << QStringLiteral("link to the same bytes") << false << false;
    QTest::newRow("a link to a private file") << QStringLiteral("link to a private file") << false << false;
    QTest::newRow("a dangling link") << QStringLiteral("dangling link") << false << false;
    QTest::newRow("a named pipe") << QStringLiteral("named pipe") << false << false;
    QTest::newRow("a folder") << QStringLiteral("folder") << false << true;
}

void TestFileProcedures::ownFileIsKeptOrReplaced()
{
    QFETCH(QString, kind);
    QFETCH(bool, kept);
    QFETCH(bool, fails);
    if (kind == QLatin1String("same bytes, someone else's") && !runningAsRoot())
        QSKIP("Only the superuser can give a file away");
    const QByteArray content("\xD0\xCF\x11\xE0 the receipt template", 25);
    const QString path = mDir->filePath(QStringLiteral("template.dot"));
    const QString elsewhere = mDir->filePath(QStringLiteral("private.txt"));
    plant(kind, path, elsewhere, content);
    const ino_t inodeBefore = statOf(path).st_ino;
    const QByteArray elsewhereBefore = readAll(elsewhere);

    QCOMPARE(HoldsOwnFile(content, path), kept);
    if (fails) {
        QVERIFY_THROWS_EXCEPTION(Failure, EnsureOwnFile(content, path));
        QVERIFY(QFileInfo(path).isDir());
        return;
    }
    EnsureOwnFile(content, path);

    QVERIFY(HoldsOwnFile(content, path));
    const struct stat after = statOf(path);
    QVERIFY(S_ISREG(after.st_mode));
    QCOMPARE(readAll(path), content);
    if (kept) {
        QCOMPARE(after.st_ino, inodeBefore);
    } else {
        QCOMPARE(after.st_mode & 0777, mode_t(0600));
        QCOMPARE(after.st_uid, ::geteuid());
    }
    // What a link pointed to is neither read into the file nor changed, nor made.
    QCOMPARE(readAll(elsewhere), elsewhereBefore);
    if (kind == QLatin1String("dangling link"))
        QVERIFY(!QFileInfo::exists(elsewhere));
}

void TestFileProcedures::freshFileNeverFollowsWhatWasThere_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("fails");
    QTest::newRow("nothing there") << QStringLiteral("none") << false;
    QTest::newRow("an older picture") << QStringLiteral("other bytes") << false;
    QTest::newRow("a link to a private file") << QStringLiteral("link to a private file") << false;
    QTest::newRow("a dangling link") << QStringLiteral("dangling link") << false;
    QTest::newRow("a named pipe") << QStringLiteral("named pipe") << false;
    QTest::newRow("a folder") << QStringLiteral("folder") << true;
}

void TestFileProcedures::freshFileNeverFollowsWhatWasThere()
{
    QFETCH(QString, kind);
    QFETCH(bool, fails);
    const QByteArray picture(5000, 'P');
    const QString path = mDir->filePath(QStringLiteral("temp.bmp"));
    const QString elsewhere = mDir->filePath(QStringLiteral("private.txt"));
    plant(kind, path, elsewhere, picture);
    const QByteArray elsewhereBefore = readAll(elsewhere);

    if (fails) {
        QVERIFY_THROWS_EXCEPTION(Failure, WriteFileAfresh(picture, path));
        QVERIFY(QFileInfo(path).isDir());
        return;
    }
    WriteFileAfresh(picture, path);

    const struct stat after = statOf(path);
    QVERIFY(S_ISREG(after.st_mode));
    QCOMPARE(after.st_mode & 0777, mode_t(0600));
    QCOMPARE(readAll(path), picture);
    QCOMPARE(readAll(elsewhere), elsewhereBefore);
    if (kind == QLatin1String("dangling link"))
        QVERIFY(!QFileInfo::exists(elsewhere));
}

void TestFileProcedures::freshFileOnAFullDiskLeavesNothing()
{
    SmallFileSystem disk;
    if (!disk.mount(16 * 1024))
        QSKIP("No small file system can be mounted here");
    const QString path = disk.filePath(QStringLiteral("temp.bmp"));
    writeAll(path, "an older picture");

    QVERIFY_THROWS_EXCEPTION(Failure, WriteFileAfresh(QByteArray(64 * 1024, 'P'), path));
    QCOMPARE(FolderEntries(disk.path()), QStringList());
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

void TestFileProcedures::forceDeleteOfALinkLeavesItsTargetAlone()
{
    const QString target = mDir->filePath(QStringLiteral("private.txt"));
    QVERIFY(writeAll(target, "private"));
    QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner));
    const QString link = mDir->filePath(QStringLiteral("temp.bmp"));
    QVERIFY(QFile::link(target, link));

    ForceDeleteFile(link);

    QVERIFY(!QFileInfo(link).isSymLink());
    QCOMPARE(readAll(target), QByteArray("private"));
    QCOMPARE(QFile::permissions(target) & QFileDevice::WriteOwner, QFileDevice::Permissions());
}

PARVOLINE_TEST_GUILESS_MAIN(TestFileProcedures)
#include "tst_fileprocedures.moc"
