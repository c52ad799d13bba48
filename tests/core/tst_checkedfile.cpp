#include "CheckedFile.h"
#include "Failure.h"
#include "SmallFileSystem.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

void writeAll(const QString &path, const QByteArray &content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray pattern(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + 7) & 0xFF);
    return bytes;
}

QByteArrayView piece(const QByteArray &bytes, qsizetype at, qsizetype length)
{
    return QByteArrayView(bytes.constData() + at, std::min(length, bytes.size() - at));
}

unsigned permissionsOf(const QString &path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool isLink(const QString &path)
{
    return QFileInfo(path).isSymLink();
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

using Mode = CheckedFile::Mode;
} // namespace

// The checked writer against real failures: a file-size limit, a full disk, a read-only disk.
class TestCheckedFile : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void writesTheWholeFile_data();
    void writesTheWholeFile();
    void permissions_data();
    void permissions();
    void linkAtTheTargetIsReplacedNeverFollowed_data();
    void linkAtTheTargetIsReplacedNeverFollowed();
    void saveWritesWhatLinksName_data();
    void saveWritesWhatLinksName();
    void missingFolderIsNamed_data();
    void missingFolderIsNamed();
    void createNewTakesNothingThatIsThere_data();
    void createNewTakesNothingThatIsThere();
    void failedWriteKeepsTheOldFileAndLeavesNoFragment_data();
    void failedWriteKeepsTheOldFileAndLeavesNoFragment();
    void fileSizeLimitInAChildProcess_data();
    void fileSizeLimitInAChildProcess();
    void partialIsPrivateUntilCommitted();
    void withoutCommitNothingChanges();
    void misuseIsAFailure();
    void longestFileName();

private:
    std::unique_ptr<QTemporaryDir> mDir;
};

void TestCheckedFile::init()
{
    mDir = std::make_unique<QTemporaryDir>();
    QVERIFY(mDir->isValid());
}

void TestCheckedFile::writesTheWholeFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("chunks");

    QTest::newRow("new, empty") << QByteArray() << QByteArray() << 1;
    QTest::newRow("new, small") << QByteArray("receipt") << QByteArray() << 1;
    QTest::newRow("new, binary, several writes") << pattern(300000) << QByteArray() << 7;
    QTest::newRow("longer over shorter") << pattern(70000) << QByteArray("old") << 3;
    QTest::newRow("shorter over longer: nothing of the old is left") << QByteArray("new") << pattern(70000) << 1;
}

void TestCheckedFile::writesTheWholeFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, before);
    QFETCH(int, chunks);
    const QString path = mDir->filePath(QStringLiteral("existing.doc"));
    if (!before.isNull())
        writeAll(path, before);

    CheckedFile file(path);
    file.open();
    const qsizetype step = content.size() / chunks + 1;
    for (qsizetype at = 0; at < content.size(); at += step)
        file.write(piece(content, at, step));
    file.commit();

    QCOMPARE(readAll(path), content);
    QCOMPARE(entries(mDir->path()), QStringList{QStringLiteral("existing.doc")});
}

void TestCheckedFile::permissions_data()
{
    QTest::addColumn<int>("existing");
    QTest::addColumn<int>("umask");
    QTest::addColumn<int>("requested");
    QTest::addColumn<int>("expected");

    const int none = -1;
    QTest::newRow("new file: the user's default") << none << 022 << none << 0644;
    QTest::newRow("new file: a strict umask") << none << 077 << none << 0600;
    QTest::newRow("replaced file keeps its own") << 0640 << 022 << none << 0640;
    QTest::newRow("replaced file loses set-id bits") << 04755 << 022 << none << 0755;
    QTest::newRow("requested wins over the old file's") << 0666 << 022 << 0600 << 0600;
    QTest::newRow("requested for a new file") << none << 022 << 0600 << 0600;
}

void TestCheckedFile::permissions()
{
    QFETCH(int, existing);
    QFETCH(int, umask);
    QFETCH(int, requested);
    QFETCH(int, expected);
    const QString path = mDir->filePath(QStringLiteral("file.doc"));
    if (existing >= 0) {
        writeAll(path, "old");
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(existing)), 0);
    }
    const mode_t previous = ::umask(mode_t(umask));
    const auto restore = qScopeGuard([previous] { ::umask(previous); });
    QCOMPARE(NewFilePermissions(), 0666u & ~unsigned(umask));

    CheckedFile file(path);
    if (requested >= 0)
        file.setPermissions(unsigned(requested));
    file.open();
    file.write("new");
    file.commit();

    QCOMPARE(permissionsOf(path), unsigned(expected));
}

void TestCheckedFile::linkAtTheTargetIsReplacedNeverFollowed_data()
{
    QTest::addColumn<bool>("dangling");
    QTest::newRow("link to a private file") << false;
    QTest::newRow("dangling link") << true;
}

void TestCheckedFile::linkAtTheTargetIsReplacedNeverFollowed()
{
    QFETCH(bool, dangling);
    const QString secret = mDir->filePath(QStringLiteral("secret.txt"));
    if (!dangling)
        writeAll(secret, "private");
    const QString path = mDir->filePath(QStringLiteral("temp.bmp"));
    QVERIFY(QFile::link(secret, path));

    WriteFileChecked("picture", path);

    QVERIFY(!isLink(path));
    QCOMPARE(readAll(path), QByteArray("picture"));
    if (dangling)
        QVERIFY(!QFileInfo::exists(secret));
    else
        QCOMPARE(readAll(secret), QByteArray("private"));
}

void TestCheckedFile::createNewTakesNothingThatIsThere_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("a file") << QStringLiteral("file");
    QTest::newRow("a link") << QStringLiteral("link");
    QTest::newRow("a dangling link") << QStringLiteral("dangling");
    QTest::newRow("a folder") << QStringLiteral("folder");
    QTest::newRow("a file that appears while writing") << QStringLiteral("late");
}

void TestCheckedFile::createNewTakesNothingThatIsThere()
{
    QFETCH(QString, kind);
    const QString path = mDir->filePath(QStringLiteral("template.dot"));
    const QString other = mDir->filePath(QStringLiteral("other"));
    if (kind == QLatin1String("file")) {
        writeAll(path, "there");
    } else if (kind == QLatin1String("link")) {
        writeAll(other, "there");
        QVERIFY(QFile::link(other, path));
    } else if (kind == QLatin1String("dangling")) {
        QVERIFY(QFile::link(other, path));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir(mDir->path()).mkdir(QStringLiteral("template.dot")));
    }
    const QStringList before = entries(mDir->path());

    CheckedFile file(path, Mode::CreateNew);
    try {
        file.open();
        file.write("template");
        if (kind == QLatin1String("late"))
            writeAll(path, "there");
        file.commit();
        QFAIL("something that was there was replaced");
    } catch (const Failure &failure) {
        QVERIFY2(!failure.description().isEmpty(), "a failure without a description");
    }

    QCOMPARE(entries(mDir->path()),
             kind == QLatin1String("late") ? QStringList{QStringLiteral("template.dot")} : before);
    if (kind == QLatin1String("file") || kind == QLatin1String("late"))
        QCOMPARE(readAll(path), QByteArray("there"));
    if (kind == QLatin1String("link"))
        QCOMPARE(readAll(other), QByteArray("there"));
    if (kind == QLatin1String("dangling"))
        QVERIFY(!QFileInfo::exists(other));
}

void TestCheckedFile::failedWriteKeepsTheOldFileAndLeavesNoFragment_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("existing");
    QTest::addColumn<QString>("reason");

    for (const bool existing : {true, false}) {
        const char *what = existing ? "over an old file" : "a new file";
        QTest::addRow("full disk, %s", what) << QStringLiteral("full") << existing << QStringLiteral("Disk full");
        QTest::addRow("read-only disk, %s", what)
            << QStringLiteral("read-only") << existing << QStringLiteral("access");
    }
    QTest::newRow("missing folder") << QStringLiteral("missing folder") << false << QStringLiteral("access");
    QTest::newRow("target is a folder") << QStringLiteral("folder") << false << QStringLiteral("access");
}

void TestCheckedFile::failedWriteKeepsTheOldFileAndLeavesNoFragment()
{
    QFETCH(QString, fault);
    QFETCH(bool, existing);
    QFETCH(QString, reason);

    // Small writes, as Qt's own saving makes them: the failure must not hide in a buffer.
    const QByteArray content = pattern(200 * 1024);
    const QByteArray old = pattern(12288).toHex().left(12288);
    SmallFileSystem disk;
    QString folder = mDir->path();
    if (fault == QLatin1String("full") || fault == QLatin1String("read-only")) {
        if (!disk.mount(64 * 1024))
            QSKIP("No small file system can be mounted here");
        folder = disk.path();
    }
    QString path = QDir(folder).filePath(QStringLiteral("existing.doc"));
    if (fault == QLatin1String("missing folder"))
        path = mDir->filePath(QStringLiteral("nowhere/existing.doc"));
    if (fault == QLatin1String("folder")) {
        QVERIFY(QDir(folder).mkdir(QStringLiteral("existing.doc")));
        writeAll(path + QStringLiteral("/inside"), "kept");
    }
    if (existing)
        writeAll(path, old);
    if (fault == QLatin1String("read-only"))
        QVERIFY(disk.makeReadOnly());
    const QStringList before = entries(folder);

    QString description;
    try {
        CheckedFile file(path);
        file.open();
        for (qsizetype at = 0; at < content.size(); at += 4096)
            file.write(piece(content, at, 4096));
        file.commit();
    } catch (const Failure &failure) {
        description = failure.description();
    }

    QVERIFY2(description.contains(reason), qPrintable(description));
    QVERIFY2(description.contains(QDir::toNativeSeparators(path)), qPrintable(description));
    QCOMPARE(entries(folder), before);
    if (existing)
        QCOMPARE(readAll(path), old);
    if (fault == QLatin1String("folder"))
        QCOMPARE(readAll(path + QStringLiteral("/inside")), QByteArray("kept"));
}

void TestCheckedFile::fileSizeLimitInAChildProcess_data()
{
    QTest::addColumn<bool>("existing");
    QTest::addColumn<qint64>("limit");
    QTest::newRow("over an old file, the limit in the first write") << true << qint64(1000);
    QTest::newRow("over an old file, the limit after many writes") << true << qint64(100000);
    QTest::newRow("a new file") << false << qint64(12288);
}

void TestCheckedFile::fileSizeLimitInAChildProcess()
{
    QFETCH(bool, existing);
    QFETCH(qint64, limit);
    const QString path = mDir->filePath(QStringLiteral("existing.doc"));
    if (existing)
        writeAll(path, "the user's old file");
    const QStringList before = entries(mDir->path());
    const QByteArray content = pattern(300000);

    // The limit ends the child with SIGXFSZ unless the writer sees the failing write instead.
    const int status = RunWithFileSizeLimit(limit, [&] {
        CheckedFile file(path);
        file.open();
        for (qsizetype at = 0; at < content.size(); at += 4096)
            file.write(piece(content, at, 4096));
        file.commit();
    });

    QCOMPARE(status, 3);
    QCOMPARE(entries(mDir->path()), before);
    if (existing)
        QCOMPARE(readAll(path), QByteArray("the user's old file"));
}

void TestCheckedFile::partialIsPrivateUntilCommitted()
{
    const QString path = mDir->filePath(QStringLiteral("copy.doc"));
    CheckedFile file(path);
    file.setPermissions(0644);
    file.open();
    file.write("half");
    const QStringList partial = QDir(mDir->path()).entryList(QDir::Files | QDir::Hidden);
    QCOMPARE(partial.size(), 1);
    QCOMPARE(permissionsOf(mDir->filePath(partial.first())), 0600u);
    QVERIFY(!QFileInfo::exists(path));
    file.commit();
    QCOMPARE(permissionsOf(path), 0644u);
}

void TestCheckedFile::withoutCommitNothingChanges()
{
    const QString path = mDir->filePath(QStringLiteral("existing.doc"));
    writeAll(path, "old");
    {
        CheckedFile dropped(path);
        dropped.open();
        dropped.write("new, but never committed");
    }
    CheckedFile cancelled(path);
    cancelled.open();
    cancelled.write("new, but cancelled");
    cancelled.cancel();

    QCOMPARE(readAll(path), QByteArray("old"));
    QCOMPARE(entries(mDir->path()), QStringList{QStringLiteral("existing.doc")});
}

void TestCheckedFile::misuseIsAFailure()
{
    const QString path = mDir->filePath(QStringLiteral("file.doc"));
    CheckedFile notOpened(path);
    QVERIFY_THROWS_EXCEPTION(Failure, notOpened.write("x"));
    QVERIFY_THROWS_EXCEPTION(Failure, notOpened.commit());

    CheckedFile twice(path);
    twice.open();
    twice.commit();
    QVERIFY_THROWS_EXCEPTION(Failure, twice.commit());

    QVERIFY_THROWS_EXCEPTION(Failure, WriteFileChecked("x", QString()));
    QVERIFY_THROWS_EXCEPTION(Failure, WriteFileChecked("x", mDir->path() + QLatin1Char('/')));
    QCOMPARE(entries(mDir->path()), QStringList{QStringLiteral("file.doc")});
}

void TestCheckedFile::longestFileName()
{
    // The file system's longest name still has room for the partial file's own.
    const QString name = QString(251, QLatin1Char('r')) + QStringLiteral(".doc");
    const QString path = mDir->filePath(name);
    WriteFileChecked("receipts", path);
    QCOMPARE(readAll(path), QByteArray("receipts"));
    QCOMPARE(entries(mDir->path()), QStringList{name});
}

void TestCheckedFile::saveWritesWhatLinksName_data()
{
    QTest::addColumn<QStringList>("links"); // name, link text; the first is saved to
    QTest::addColumn<QString>("written");   // where the bytes land; empty: the save fails

    QTest::newRow("relative link into a folder")
        << QStringList{QStringLiteral("out.pdf"), QStringLiteral("synced/a.pdf")} << "synced/a.pdf";
    QTest::newRow("links in a loop") << QStringList{QStringLiteral("out.pdf"), QStringLiteral("b.pdf"),
                                                    QStringLiteral("b.pdf"), QStringLiteral("out.pdf")}
                                     << "";
}

void TestCheckedFile::saveWritesWhatLinksName()
{
    QFETCH(QStringList, links);
    QFETCH(QString, written);

    QVERIFY(QDir(mDir->path()).mkdir(QStringLiteral("synced")));
    for (qsizetype i = 0; i + 1 < links.size(); i += 2)
        QVERIFY(::symlink(QFile::encodeName(links[i + 1]).constData(),
                          QFile::encodeName(mDir->filePath(links[i])).constData())
                == 0);
    const QString path = mDir->filePath(links.first());

    if (written.isEmpty()) {
        QVERIFY_THROWS_EXCEPTION(Failure, WriteFileChecked("new", path, CheckedFile::Mode::Save));
    } else {
        WriteFileChecked("new", path, CheckedFile::Mode::Save);
        QCOMPARE(readAll(mDir->filePath(written)), QByteArray("new"));
    }
    QVERIFY(isLink(path));
    QCOMPARE(
        QDir(mDir->filePath(QStringLiteral("synced"))).entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks).size(),
        written.isEmpty() ? 0 : 1);
}

void TestCheckedFile::missingFolderIsNamed_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("description"); // %1: the test's folder

    QTest::newRow("missing folder")
        << "gone/template.dot"
        << "Path/File access error: the folder %1/gone does not exist (%1/gone/template.dot)";
    QTest::newRow("a file for a folder") << "file/template.dot"
                                         << "Path/File access error: %1/file is not a folder (%1/file/template.dot)";
}

void TestCheckedFile::missingFolderIsNamed()
{
    QFETCH(QString, target);
    QFETCH(QString, description);

    writeAll(mDir->filePath(QStringLiteral("file")), "a file");
    try {
        WriteFileChecked("content", mDir->filePath(target));
        QFAIL("written");
    } catch (const Failure &failure) {
        QCOMPARE(failure.description(), description.arg(mDir->path()));
    }
}

PARVOLINE_TEST_GUILESS_MAIN(TestCheckedFile)
#include "tst_checkedfile.moc"
