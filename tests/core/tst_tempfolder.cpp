#include "Failure.h"
#include "ProgramFiles.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {
mode_t modeOf(const QString &path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

uid_t ownerOf(const QString &path)
{
    struct stat st
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_uid : uid_t(-1);
}

// Puts something in the place where the private folder would go, the way another user could.
bool plant(const QString &kind, const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (kind == QLatin1String("open mode"))
        return ::mkdir(native.constData(), 0700) == 0 && ::chmod(native.constData(), 0777) == 0;
    if (kind == QLatin1String("group readable"))
        return ::mkdir(native.constData(), 0750) == 0;
    if (kind == QLatin1String("other owner"))
        return ::mkdir(native.constData(), 0700) == 0 && ::chown(native.constData(), 65534, 65534) == 0;
    if (kind == QLatin1String("link")) {
        const QByteArray target = native + "-target";
        return ::mkdir(target.constData(), 0700) == 0 && ::symlink(target.constData(), native.constData()) == 0;
    }
    if (kind == QLatin1String("file")) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly);
    }
    return false;
}

QString fallbackName()
{
    return QStringLiteral("parvoline-") + QString::number(::geteuid());
}
} // namespace

class TestTempFolder : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void tempIsHonoured_data();
    void tempIsHonoured();
    void withoutTempAPrivateFolderIsMade();
    void plantedFolderIsRefused_data();
    void plantedFolderIsRefused();
    void plantedEverywhereRaises_data();
    void plantedEverywhereRaises();

private:
    std::unique_ptr<QTemporaryDir> mRuntime;
    std::unique_ptr<QTemporaryDir> mTmp;
    QByteArray mSavedTemp, mSavedRuntime, mSavedTmpDir;
};

void TestTempFolder::init()
{
    mSavedTemp = qgetenv("TEMP");
    mSavedRuntime = qgetenv("XDG_RUNTIME_DIR");
    mSavedTmpDir = qgetenv("TMPDIR");
    mRuntime = std::make_unique<QTemporaryDir>();
    mTmp = std::make_unique<QTemporaryDir>();
    QVERIFY(mRuntime->isValid() && mTmp->isValid());
    qunsetenv("TEMP");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(mRuntime->path()));
    qputenv("TMPDIR", QFile::encodeName(mTmp->path()));
}

void TestTempFolder::cleanup()
{
    auto restore = [](const char *name, const QByteArray &value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    };
    restore("TEMP", mSavedTemp);
    restore("XDG_RUNTIME_DIR", mSavedRuntime);
    restore("TMPDIR", mSavedTmpDir);
    // Planted folders of another owner must go too.
    for (const auto &dir : {mRuntime->path(), mTmp->path()}) {
        const auto entries = QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        for (const QString &entry : entries)
            ::chmod(QFile::encodeName(dir + QLatin1Char('/') + entry).constData(), 0700);
    }
}

void TestTempFolder::tempIsHonoured_data()
{
    QTest::addColumn<QString>("temp");
    QTest::newRow("plain") << QStringLiteral("/var/tmp/receipts");
    QTest::newRow("with blanks") << QStringLiteral("/home/user/My Temp");
}

void TestTempFolder::tempIsHonoured()
{
    QFETCH(QString, temp);
    qputenv("TEMP", temp.toUtf8());
    QCOMPARE(TempFolder(), temp);
    QCOMPARE(TempFile(QStringLiteral("template.dot")), temp + QStringLiteral("/template.dot"));
}

void TestTempFolder::withoutTempAPrivateFolderIsMade()
{
    qputenv("TEMP", QByteArray());
    const QString folder = TempFolder();

    QCOMPARE(folder, mRuntime->filePath(QStringLiteral("parvoline")));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(modeOf(folder) & 0777, mode_t(0700));
    QCOMPARE(ownerOf(folder), ::geteuid());
    // A second call finds and trusts the same folder.
    QCOMPARE(TempFolder(), folder);
}

void TestTempFolder::plantedFolderIsRefused_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("open mode") << QStringLiteral("open mode");
    QTest::newRow("group readable") << QStringLiteral("group readable");
    QTest::newRow("other owner") << QStringLiteral("other owner");
    QTest::newRow("symbolic link") << QStringLiteral("link");
    QTest::newRow("file") << QStringLiteral("file");
}

void TestTempFolder::plantedFolderIsRefused()
{
    QFETCH(QString, kind);
    if (kind == QLatin1String("other owner") && ::geteuid() != 0)
        QSKIP("Only the superuser can give a folder to another owner");
    QVERIFY(plant(kind, mRuntime->filePath(QStringLiteral("parvoline"))));

    const QString folder = TempFolder();

    QCOMPARE(folder, mTmp->filePath(fallbackName()));
    QCOMPARE(modeOf(folder) & 0777, mode_t(0700));
    QCOMPARE(ownerOf(folder), ::geteuid());
}

void TestTempFolder::plantedEverywhereRaises_data()
{
    plantedFolderIsRefused_data();
}

void TestTempFolder::plantedEverywhereRaises()
{
    QFETCH(QString, kind);
    if (kind == QLatin1String("other owner") && ::geteuid() != 0)
        QSKIP("Only the superuser can give a folder to another owner");
    QVERIFY(plant(kind, mRuntime->filePath(QStringLiteral("parvoline"))));
    QVERIFY(plant(kind, mTmp->filePath(fallbackName())));

    QVERIFY_THROWS_EXCEPTION(Failure, TempFolder());
}

PARVOLINE_TEST_GUILESS_MAIN(TestTempFolder)
#include "tst_tempfolder.moc"
