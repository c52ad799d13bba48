#include "TestData.h"
#include "TestMain.h"
// The batch command as a user runs it: the real program, as a process of its own, without any display.
// Its exit status, what it says on standard error, and the file it writes, read back by another office
// or by QtPdf.

#include "DocumentInspector.h"
#include "FlatOdf.h"
#include "ReceiptTemplate.h"
#include "SmallFileSystem.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPdfDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

namespace {
const QByteArray kHeader = "Receipt,No,From Payee,From Address,From City,To Payee,To Address,To City,Date,"
                           "Description,Amount,Tax\r\n";

QString receiptNumber(int n)
{
    return QStringLiteral("2024-%1").arg(n, 4, 10, QLatin1Char('0'));
}

// \a count good rows; a value with a comma and one with a quote travel quoted.
QByteArray receipts(int count)
{
    QByteArray csv = kHeader;
    for (int n = 1; n <= count; ++n)
        csv += "Harbor Lights Bakery," + receiptNumber(n).toUtf8()
               + ",Selma Orrick,Birchwood st,\"French Leek, IN 33455\",Dorian Quell,Elm Street,\"Holderness, NH "
                 "03245\",08/30/2021,\"Cake \"\"Aurora\"\" & <candles>\","
               + QByteArray::number(100 + n) + ",8.25\r\n";
    return csv;
}

// The processes whose command line names \a text: offices started on a profile in a test's folder.
QList<qint64> processesNaming(const QString &text)
{
    QList<qint64> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (number && ReadWholeFile(QStringLiteral("/proc/%1/cmdline").arg(entry)).contains(text.toLocal8Bit()))
            found.append(pid);
    }
    return found;
}

/// A terminal for a child's standard error, read from here.
class Terminal
{
public:
    Terminal() { mOpen = ::openpty(&mOurs, &mTheirs, nullptr, nullptr, nullptr) == 0; }
    ~Terminal()
    {
        closeChildSide();
        if (mOurs >= 0)
            ::close(mOurs);
    }
    Terminal(const Terminal &) = delete;
    Terminal &operator=(const Terminal &) = delete;

    bool isOpen() const { return mOpen; }
    /// Makes the terminal \a process's standard error.
    void attach(QProcess &process)
    {
        const int theirs = mTheirs;
        process.setChildProcessModifier([theirs] { ::dup2(theirs, STDERR_FILENO); });
    }
    /// Once the child runs: the terminal ends when the child's copy closes.
    void closeChildSide()
    {
        if (mTheirs >= 0)
            ::close(mTheirs);
        mTheirs = -1;
    }
    /// Waits up to \a ms for \a process to end, reading the terminal meanwhile: a child whose terminal
    /// nobody reads stops once its buffer is full. True when the process ended.
    bool waitForFinished(QProcess &process, int ms)
    {
        QElapsedTimer timer;
        timer.start();
        while (!process.waitForFinished(20)) {
            read();
            if (process.state() == QProcess::NotRunning || timer.elapsed() > ms)
                return process.state() == QProcess::NotRunning;
        }
        read();
        return true;
    }
    /// Everything shown so far.
    QByteArray read()
    {
        ::fcntl(mOurs, F_SETFL, O_NONBLOCK);
        char buffer[4096];
        for (ssize_t got = 0; (got = ::read(mOurs, buffer, sizeof buffer)) > 0;)
            mShown.append(buffer, got);
        return mShown;
    }

private:
    int mOurs = -1;
    int mTheirs = -1;
    bool mOpen = false;
    QByteArray mShown;
};

struct Run
{
    int exitCode = -1;
    QProcess::ExitStatus status = QProcess::CrashExit;
    QByteArray out;
    QByteArray err;
};
} // namespace

class tst_BatchCommand final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void usage_data();
    void usage();
    void invalidRowsWriteNothing();
    void savesInTheFormatOfTheExtension_data();
    void savesInTheFormatOfTheExtension();
    void severalRunAtOnce();
    void failedWriteKeepsTheOldFile();
    void protectedOrLinkedOutput_data();
    void protectedOrLinkedOutput();
    void unusableTempIsNamed_data();
    void unusableTempIsNamed();
    void warnsOfTextNoFontDraws();
    void signalEndsItCleanly_data();
    void signalEndsItCleanly();
    void progressOnATerminal();
    void killedRunLeavesNothing();
    void templateAndPaper_data();
    void templateAndPaper();
    void perFileWritesNumberedParts_data();
    void perFileWritesNumberedParts();
    void perFileFailureKeepsFinishedParts();
    void eachNamesAFilePerReceipt_data();
    void eachNamesAFilePerReceipt();
    void eachFailureKeepsFinishedFiles();
    void eachStoppedKeepsFinishedFiles();
    void eachNumberedPagesStartAtOne();
    void severalOfficesMakeTheSameParts_data();
    void severalOfficesMakeTheSameParts();
    void signalStopsEveryOffice();
    void partFailingOnSeveralOffices();

private:
    QProcessEnvironment environment() const;
    void start(QProcess &process, const QStringList &arguments) const;
    Run run(const QStringList &arguments) const;
    QString file(const QString &name) const { return mWork->filePath(name); }
    void verifyNothingLeft();

    std::unique_ptr<QTemporaryDir> mWork;
    std::unique_ptr<QTemporaryDir> mTemp;
    std::unique_ptr<QTemporaryDir> mCache;
    QString mLocale;
};

void tst_BatchCommand::initTestCase()
{
    // One user's cache for all runs, as on a user's machine: the office's profile is made once, and a
    // run that leaves a lock or a profile behind trips the runs after it.
    mCache = std::make_unique<QTemporaryDir>();
    QVERIFY(mCache->isValid());
}

void tst_BatchCommand::cleanupTestCase()
{
    DocumentInspector::shutdownReader();
}

void tst_BatchCommand::init()
{
    mWork = std::make_unique<QTemporaryDir>();
    mTemp = std::make_unique<QTemporaryDir>();
    QVERIFY(mWork->isValid() && mTemp->isValid());
}

void tst_BatchCommand::cleanup()
{
    mLocale.clear();
}

QProcessEnvironment tst_BatchCommand::environment() const
{
    const QString locale = mLocale.isEmpty() ? QStringLiteral("en_US.UTF-8") : mLocale;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // No display of any kind: the command needs none.
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("TEMP"), mTemp->path());
    // The office's profile goes into the user's cache folder: the test's own.
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), mCache->path());
    environment.insert(QStringLiteral("LC_ALL"), locale);
    return environment;
}

void tst_BatchCommand::start(QProcess &process, const QStringList &arguments) const
{
    process.setProcessEnvironment(environment());
    process.setWorkingDirectory(mWork->path());
    process.start(QStringLiteral(PARVOLINE_EXECUTABLE), arguments);
}

Run tst_BatchCommand::run(const QStringList &arguments) const
{
    QProcess process;
    start(process, arguments);
    Run result;
    if (!process.waitForStarted() || !process.waitForFinished(240000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.status = process.exitStatus();
    result.out = process.readAllStandardOutput();
    result.err = ProgramLines(process.readAllStandardError());
    return result;
}

void tst_BatchCommand::verifyNothingLeft()
{
    // The run's template and document are gone, and so is its office.
    QCOMPARE(FolderEntries(mTemp->path()), QStringList());
    QCOMPARE(processesNaming(mCache->path()), QList<qint64>());
    QCOMPARE(
        QDir(mCache->path() + QStringLiteral("/parvoline"))
            .entryList({QStringLiteral("*.lock"), QStringLiteral("office-profile-*")}, QDir::AllEntries | QDir::Hidden),
        QStringList());
}

void tst_BatchCommand::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");

    const QByteArray good = receipts(1);
    const QString save = QStringLiteral("--save");
    const QString import = QStringLiteral("--import");
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << good << 0
                          << "\\.docx.*Exit status.*Options:.*--import <csv>.*--save <file>"
                          << "";
    QTest::newRow("help-all") << QStringList{QStringLiteral("--help-all")} << good << 0
                              << "\\.docx.*Exit status.*Options:.*--import <csv>.*--save <file>"
                              << "";
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << good << 0 << "^parvoline 1\\.0\\.0\\n$"
                             << "";
    QTest::newRow("no output") << QStringList{import, QStringLiteral("r.csv")} << good << 1 << ""
                               << "^parvoline: --save is missing \\(see parvoline --help\\)\\n$";
    QTest::newRow("no input") << QStringList{save, QStringLiteral("out.pdf")} << good << 1 << ""
                              << "^parvoline: --import is missing [^\\n]*\\n$";
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour"), import, QStringLiteral("r.csv")} << good
                                    << 1 << ""
                                    << "^parvoline: Unknown option 'colour'[^\\n]*\\n$";
    QTest::newRow("stray argument") << QStringList{import, QStringLiteral("r.csv"), save, QStringLiteral("out.pdf"),
                                                   QStringLiteral("more")}
                                    << good << 1 << ""
                                    << "^parvoline: unexpected argument: more[^\\n]*\\n$";
    QTest::newRow("two outputs") << QStringList{import, QStringLiteral("r.csv"), save, QStringLiteral("a.pdf"),
                                                save,   QStringLiteral("b.pdf")}
                                 << good << 1 << ""
                                 << "^parvoline: --save is given more than once[^\\n]*\\n$";
    QTest::newRow("unknown format") << QStringList{import, QStringLiteral("r.csv"), save, QStringLiteral("out.rtf")}
                                    << good << 1 << ""
                                    << "^parvoline: out\\.rtf: the extension names no format[^\\n]*\\n$";
    QTest::newRow("no such folder") << QStringList{import, QStringLiteral("r.csv"), save,
                                                   QStringLiteral("missing/out.pdf")}
                                    << good << 1 << ""
                                    << "^parvoline: missing/out\\.pdf: the folder does not exist\\n$";
    QTest::newRow("no such file") << QStringList{import, QStringLiteral("missing.csv"), save, QStringLiteral("out.doc")}
                                  << good << 1 << ""
                                  << "^parvoline: missing\\.csv: [^\\n]+\\n$";
    QTest::newRow("no header") << QStringList{import, QStringLiteral("r.csv"), save, QStringLiteral("out.doc")}
                               << QByteArray("1,2,3\n") << 1 << ""
                               << "^parvoline: r\\.csv: [^\\n]+\\n$";
    QTest::newRow("no receipts") << QStringList{import, QStringLiteral("r.csv"), save, QStringLiteral("out.doc")}
                                 << kHeader << 1 << ""
                                 << "^parvoline: r\\.csv: the file holds no receipts\\n$";
    QTest::newRow("more than one document holds")
        << QStringList{import, QStringLiteral("r.csv"), save, QStringLiteral("out.pdf")} << receipts(20001) << 1 << ""
        << "^parvoline: r\\.csv: 20,001 receipts are more than one document can hold \\(at most 20,000\\); use "
           "--per-file N to write files of N receipts each\\.\\n$";
    QTest::newRow("per-file not a count")
        << QStringList{import,
                       QStringLiteral("r.csv"),
                       save,
                       QStringLiteral("out.pdf"),
                       QStringLiteral("--per-file"),
                       QStringLiteral("0")}
        << good << 1 << ""
        << "^parvoline: --per-file is a number of receipts from 1 to 20000, not 0[^\\n]*\\n$";
    QTest::newRow("jobs not a count") << QStringList{import,
                                                     QStringLiteral("r.csv"),
                                                     save,
                                                     QStringLiteral("out.pdf"),
                                                     QStringLiteral("--jobs"),
                                                     QStringLiteral("0")}
                                      << good << 1 << ""
                                      << "^parvoline: --jobs is a number from 1 to 64, not 0[^\\n]*\\n$";
    QTest::newRow("each names an unknown column")
        << QStringList{import, QStringLiteral("r.csv"), QStringLiteral("--each"), QStringLiteral("out/{Payer}.pdf")}
        << good << 1 << ""
        << "^parvoline: --each: there is no column \"Payer\"[^\\n]*\\n$";
    QTest::newRow("total too large") << QStringList{import, QStringLiteral("r.csv"), save, QStringLiteral("out.doc")}
                                     << kHeader + "Big,1,,,,,,,,,1e308,1e308\r\nSmall,2,,,,,,,,,1,1\r\n"
                                     << 2 << ""
                                     << "^parvoline: r\\.csv: row 2: Overflow: the total of the amount \"1e308\" and "
                                        "the tax \"1e308\" is too large to be written\\n$";
}

void tst_BatchCommand::usage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, csv);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);

    WriteWholeFile(file(QStringLiteral("r.csv")), csv);
    const Run result = run(arguments);

    QCOMPARE(result.status, QProcess::NormalExit);
    QCOMPARE(result.exitCode, exitCode);
    const QRegularExpression outPattern(out, QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpression errPattern(err, QRegularExpression::DotMatchesEverythingOption);
    QVERIFY2(out.isEmpty() ? result.out.isEmpty() : outPattern.match(QString::fromUtf8(result.out)).hasMatch(),
             result.out.constData());
    QVERIFY2(err.isEmpty() ? result.err.isEmpty() : errPattern.match(QString::fromUtf8(result.err)).hasMatch(),
             result.err.constData());
    QCOMPARE(FolderEntries(mWork->path()), QStringList{QStringLiteral("r.csv")});
    verifyNothingLeft();
}

void tst_BatchCommand::invalidRowsWriteNothing()
{
    QByteArray csv = receipts(2);
    csv += "Bakery,9,,,,,,,,,abc,1\r\n";        // row 4
    csv += ",,Selma,,,,,,,,5,1\r\n";            // row 5
    csv += "Bakery,10,,,,,,,,,12.50,0.5\r\n";   // row 6, good
    csv += "Bakery,11,,,,,,,,,\"1,0,0\",x\r\n"; // row 7
    WriteWholeFile(file(QStringLiteral("r.csv")), csv);
    WriteWholeFile(file(QStringLiteral("out.pdf")), "the old file");

    const Run result =
        run({QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"), QStringLiteral("out.pdf")});

    QCOMPARE(result.exitCode, 2);
    const QStringList lines = QString::fromUtf8(result.err).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].startsWith(QStringLiteral("parvoline: r.csv: row 4: "))
                 && lines[0].contains(QStringLiteral("abc")),
             qPrintable(lines[0]));
    QVERIFY2(lines[1].startsWith(QStringLiteral("parvoline: r.csv: row 5: ")), qPrintable(lines[1]));
    QVERIFY2(lines[2].startsWith(QStringLiteral("parvoline: r.csv: row 7: ")), qPrintable(lines[2]));
    QCOMPARE(ReadWholeFile(file(QStringLiteral("out.pdf"))), QByteArray("the old file"));
    QCOMPARE(FolderEntries(mWork->path()), QStringList({QStringLiteral("out.pdf"), QStringLiteral("r.csv")}));
    verifyNothingLeft();
}

void tst_BatchCommand::savesInTheFormatOfTheExtension_data()
{
    QTest::addColumn<QString>("output");
    QTest::newRow("doc") << "receipts.doc";
    QTest::newRow("docx") << "receipts.docx";
    QTest::newRow("odt") << "receipts.odt";
    QTest::newRow("pdf") << "receipts.pdf";
    QTest::newRow("PDF in capitals, in a folder") << "out folder/Receipts.PDF";
}

void tst_BatchCommand::savesInTheFormatOfTheExtension()
{
    QFETCH(QString, output);

    constexpr int kCount = 12;
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(kCount));
    QVERIFY(QDir(mWork->path()).mkpath(QFileInfo(file(output)).path()));
    // An older file of that name is replaced.
    WriteWholeFile(file(output), QByteArray(100000, 'o'));

    const Run result =
        run({QStringLiteral("--import"), file(QStringLiteral("r.csv")), QStringLiteral("--save"), output});

    QCOMPARE(result.status, QProcess::NormalExit);
    QVERIFY2(result.exitCode == 0, result.err.constData());
    // Standard error is no terminal here: no progress, and nothing else to tell.
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.out, QByteArray());
    const QByteArray bytes = ReadWholeFile(file(output));
    if (output.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) {
        QVERIFY(bytes.startsWith("%PDF-"));
        const QString text = PdfPageTexts(bytes).join(QLatin1Char('\n'));
        for (int n = 1; n <= kCount; ++n)
            QVERIFY2(text.contains(receiptNumber(n)), qPrintable(receiptNumber(n)));
        QVERIFY(text.contains(QStringLiteral("Cake \"Aurora\" & <candles>")));
        QVERIFY(text.contains(QStringLiteral("French Leek, IN 33455")));
    } else {
        if (output.endsWith(QLatin1String(".doc")))
            QVERIFY(bytes.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")));
        else
            QVERIFY(bytes.startsWith("PK\x03\x04"));
        // Read back by an office of the test's own, not the one that wrote it.
        const DocumentInspector inspect = DocumentInspector::ofFile(file(output));
        QCOMPARE(inspect.tableCount(), kCount);
        for (int n = 1; n <= kCount; ++n) {
            QCOMPARE(inspect.cell(n, QStringLiteral("B1")), receiptNumber(n));
            QCOMPARE(inspect.cell(n, QStringLiteral("B4")), QStringLiteral("Cake \"Aurora\" & <candles>"));
            QCOMPARE(inspect.cell(n, QStringLiteral("C7")), QString::number(100 + n + 8.25));
        }
    }
    verifyNothingLeft();
}

void tst_BatchCommand::severalRunAtOnce()
{
    WriteWholeFile(file(QStringLiteral("a.csv")), receipts(30));
    WriteWholeFile(file(QStringLiteral("b.csv")), receipts(3));
    // Both on the same profile folder: the second finds it in use and takes one of its own.
    QProcess first;
    QProcess second;
    start(first,
          {QStringLiteral("--import"), QStringLiteral("a.csv"), QStringLiteral("--save"), QStringLiteral("a.pdf")});
    start(second,
          {QStringLiteral("--import"), QStringLiteral("b.csv"), QStringLiteral("--save"), QStringLiteral("b.odt")});
    QVERIFY(first.waitForFinished(240000) && second.waitForFinished(240000));
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(ProgramLines(first.readAllStandardError()), QByteArray());
    QCOMPARE(ProgramLines(second.readAllStandardError()), QByteArray());

    const QString text = PdfPageTexts(ReadWholeFile(file(QStringLiteral("a.pdf")))).join(QLatin1Char('\n'));
    for (int n = 1; n <= 30; ++n)
        QVERIFY(text.contains(receiptNumber(n)));
    QCOMPARE(DocumentInspector::ofFile(file(QStringLiteral("b.odt"))).tableCount(), 3);
    verifyNothingLeft();
}

void tst_BatchCommand::failedWriteKeepsTheOldFile()
{
    SmallFileSystem disk;
    if (!disk.mount(96 * 1024))
        QSKIP("No small file system can be mounted here");
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(20));
    const QString output = disk.filePath(QStringLiteral("receipts.pdf"));
    WriteWholeFile(output, QByteArray(8 * 1024, 'o'));
    // Less room left than the PDF of twenty receipts needs.
    WriteWholeFile(disk.filePath(QStringLiteral("other files")), QByteArray(72 * 1024, 'f'));

    const Run result = run({QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"), output});

    QCOMPARE(result.exitCode, 1);
    QVERIFY2(QRegularExpression(QStringLiteral("^parvoline: [^\\n]*No space left on device[^\\n]*\\n$"))
                 .match(QString::fromUtf8(result.err))
                 .hasMatch(),
             result.err.constData());
    QCOMPARE(ReadWholeFile(output), QByteArray(8 * 1024, 'o'));
    QCOMPARE(FolderEntries(disk.path()), QStringList({QStringLiteral("other files"), QStringLiteral("receipts.pdf")}));
    verifyNothingLeft();
}

void tst_BatchCommand::protectedOrLinkedOutput_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("refused");

    QTest::newRow("read-only") << "read-only"
                               << "out.pdf" << true;
    QTest::newRow("link to a read-only file") << "link to read-only"
                                              << "out.doc" << true;
    QTest::newRow("link to a file in another folder, pdf") << "link"
                                                           << "out.pdf" << false;
    QTest::newRow("link to a file in another folder, doc") << "link"
                                                           << "out.doc" << false;
}

void tst_BatchCommand::protectedOrLinkedOutput()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(bool, refused);

    QTemporaryDir synced;
    QVERIFY(synced.isValid());
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(2));
    const QString output = file(name);
    const QString target =
        kind == QLatin1String("read-only") ? output : synced.filePath(QStringLiteral("kept-") + name);
    WriteWholeFile(target, "the old file");
    // Mode 0444: protected by the user. The superuser could write it, and must leave it alone all the same.
    if (kind.contains(QLatin1String("read-only")))
        QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    if (target != output)
        QVERIFY(QFile::link(target, output));

    const Run result = run({QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"), name});

    QCOMPARE(result.status, QProcess::NormalExit);
    if (refused) {
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.err, "parvoline: " + name.toUtf8() + " is read-only.\n");
        QCOMPARE(ReadWholeFile(target), QByteArray("the old file"));
    } else {
        QVERIFY2(result.exitCode == 0, result.err.constData());
        const QByteArray bytes = ReadWholeFile(target);
        QVERIFY(bytes.startsWith(name.endsWith(QLatin1String(".pdf")) ? QByteArray("%PDF-")
                                                                      : QByteArray::fromHex("d0cf11e0a1b11ae1")));
    }
    // The link stays a link, and nothing else is left beside it or its file.
    QCOMPARE(QFileInfo(output).isSymLink(), target != output);
    QCOMPARE(FolderEntries(mWork->path()), QStringList({name, QStringLiteral("r.csv")}));
    if (target != output)
        QCOMPARE(FolderEntries(synced.path()), QStringList{QFileInfo(target).fileName()});
    verifyNothingLeft();
}

void tst_BatchCommand::unusableTempIsNamed_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("err"); // %1: the folder TEMP names

    QTest::newRow("missing") << "missing"
                             << "parvoline: TEMP: the folder %1 does not exist\n";
    QTest::newRow("a file") << "file"
                            << "parvoline: TEMP: %1 is not a folder\n";
}

void tst_BatchCommand::unusableTempIsNamed()
{
    QFETCH(QString, kind);
    QFETCH(QString, err);

    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(1));
    const QString temp = mTemp->filePath(QStringLiteral("temporary files"));
    if (kind == QLatin1String("file"))
        WriteWholeFile(temp, "not a folder");
    QProcess process;
    QProcessEnvironment changed = environment();
    changed.insert(QStringLiteral("TEMP"), temp);
    process.setProcessEnvironment(changed);
    process.setWorkingDirectory(mWork->path());
    process.start(QStringLiteral(PARVOLINE_EXECUTABLE), {QStringLiteral("--import"), QStringLiteral("r.csv"),
                                                         QStringLiteral("--save"), QStringLiteral("out.pdf")});
    QVERIFY(process.waitForFinished(60000));

    QCOMPARE(process.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(ProgramLines(process.readAllStandardError())), err.arg(temp));
    QCOMPARE(FolderEntries(mWork->path()), QStringList{QStringLiteral("r.csv")});
}

void tst_BatchCommand::warnsOfTextNoFontDraws()
{
    // Fonts for Latin text only: Chinese text and emoji have none.
    const QString config = mWork->filePath(QStringLiteral("fonts.conf"));
    WriteWholeFile(config, "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n<fontconfig>\n"
                           "<dir>/usr/share/fonts/truetype/liberation2</dir>\n<cachedir>"
                               + mWork->filePath(QStringLiteral("fontconfig")).toUtf8()
                               + "</cachedir>\n</fontconfig>\n");
    QByteArray csv = receipts(3);
    csv += "Tea house,\xe8\x8c\xb6-1,,,,,,,,\xe5\x8f\xb0\xe5\x8c\x97 \xf0\x9f\x8d\xb5,5,1\r\n"; // row 5
    csv += "Tea house,\xe8\x8c\xb6-2,,,,,,,,Oolong,5,1\r\n";                                    // row 6
    WriteWholeFile(file(QStringLiteral("r.csv")), csv);
    QProcess process;
    QProcessEnvironment changed = environment();
    changed.insert(QStringLiteral("FONTCONFIG_FILE"), config);
    process.setProcessEnvironment(changed);
    process.setWorkingDirectory(mWork->path());
    process.start(QStringLiteral(PARVOLINE_EXECUTABLE), {QStringLiteral("--import"), QStringLiteral("r.csv"),
                                                         QStringLiteral("--save"), QStringLiteral("out.pdf")});
    QVERIFY(process.waitForFinished(240000));

    // Told, and made all the same.
    QCOMPARE(QString::fromUtf8(ProgramLines(process.readAllStandardError())),
             QStringLiteral("parvoline: r.csv: warning: Rows 5 and 6 hold Chinese text, but no font for it is "
                            "installed; it would print as empty boxes. Install the package fonts-noto-cjk.\n"
                            "parvoline: r.csv: warning: Row 5 holds emoji, but no font for them is installed; "
                            "they would print as empty boxes. Install the package fonts-noto-color-emoji.\n"));
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(ReadWholeFile(file(QStringLiteral("out.pdf"))).startsWith("%PDF-"));
    verifyNothingLeft();
}

void tst_BatchCommand::signalEndsItCleanly_data()
{
    QTest::addColumn<QByteArray>("when");
    QTest::addColumn<int>("signal");
    // What the command has shown on its terminal when the signal comes; empty: once its office starts.
    QTest::newRow("SIGTERM while the office starts") << QByteArray() << SIGTERM;
    QTest::newRow("SIGINT while receipts are filled") << QByteArray("/600") << SIGINT;
    // The last receipt is filled: the office is writing the document.
    QTest::newRow("SIGHUP while the document is saved") << QByteArray("600/600") << SIGHUP;
}

void tst_BatchCommand::signalEndsItCleanly()
{
    QFETCH(QByteArray, when);
    QFETCH(int, signal);

    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(600));
    WriteWholeFile(file(QStringLiteral("out.pdf")), "the old file");
    Terminal terminal;
    QVERIFY(terminal.isOpen());
    QProcess process;
    terminal.attach(process);
    start(process,
          {QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"), QStringLiteral("out.pdf")});
    QVERIFY(process.waitForStarted());
    terminal.closeChildSide();
    auto stop = qScopeGuard([&] {
        process.kill();
        process.waitForFinished();
    });
    QElapsedTimer timer;
    timer.start();
    const auto due = [&] {
        if (!when.isEmpty())
            return terminal.read().contains(when);
        // The run has its template, and its office is starting.
        if (processesNaming(mCache->path()).isEmpty())
            return false;
        for (const QString &folder : QDir(mTemp->path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (QFileInfo::exists(mTemp->filePath(folder + QStringLiteral("/template.dot"))))
                return true;
        }
        return false;
    };
    while (!due() && process.state() == QProcess::Running && timer.elapsed() < 120000) {
        terminal.read();
        QTest::qWait(5);
    }
    QVERIFY2(process.state() == QProcess::Running, terminal.read().constData());

    ::kill(static_cast<pid_t>(process.processId()), signal);
    QVERIFY(terminal.waitForFinished(process, 20000));
    stop.dismiss();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + signal);
    QCOMPARE(ReadWholeFile(file(QStringLiteral("out.pdf"))), QByteArray("the old file"));
    QCOMPARE(FolderEntries(mWork->path()), QStringList({QStringLiteral("out.pdf"), QStringLiteral("r.csv")}));
    verifyNothingLeft();
}

void tst_BatchCommand::progressOnATerminal()
{
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(3));
    Terminal terminal;
    QVERIFY(terminal.isOpen());
    QProcess process;
    terminal.attach(process);
    start(process,
          {QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"), QStringLiteral("out.doc")});
    QVERIFY(process.waitForStarted());
    terminal.closeChildSide();
    QVERIFY(terminal.waitForFinished(process, 240000));
    QCOMPARE(process.exitCode(), 0);

    // The count, rewritten in place, ending on a line of its own.
    const QByteArray shown = ProgramLines(terminal.read());
    QVERIFY2(shown.contains("\r1/3") && shown.endsWith("3/3\r\n"), shown.constData());
    QVERIFY(QFileInfo(file(QStringLiteral("out.doc"))).size() > 0);
}

void tst_BatchCommand::killedRunLeavesNothing()
{
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(600));
    QProcess process;
    start(process,
          {QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"), QStringLiteral("out.pdf")});
    QVERIFY(process.waitForStarted());
    auto stop = qScopeGuard([&] {
        process.kill();
        process.waitForFinished();
    });
    // Killed once the run has made its template and its document's name.
    const auto madeFiles = [&] {
        for (const QString &folder : QDir(mTemp->path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (QDir(mTemp->filePath(folder)).entryList(QDir::Files).size() >= 2)
                return true;
        }
        return false;
    };
    QElapsedTimer timer;
    timer.start();
    while (!madeFiles() && process.state() == QProcess::Running && timer.elapsed() < 120000)
        QTest::qWait(5);
    QVERIFY(process.state() == QProcess::Running);
    process.kill();
    QVERIFY(process.waitForFinished());
    stop.dismiss();

    // The program had no say; what watched it removes the run's folder and the office.
    timer.restart();
    while ((!FolderEntries(mTemp->path()).isEmpty() || !processesNaming(mCache->path()).isEmpty())
           && timer.elapsed() < 20000)
        QTest::qWait(10);
    QCOMPARE(FolderEntries(mTemp->path()), QStringList());
    QCOMPARE(processesNaming(mCache->path()), QList<qint64>());
    QCOMPARE(FolderEntries(mWork->path()), QStringList{QStringLiteral("r.csv")});

    // The next command takes over the profile that the killed one held.
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(1));
    const Run next =
        run({QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"), QStringLiteral("out.pdf")});
    QCOMPARE(next.exitCode, 0);
    verifyNothingLeft();
}

void tst_BatchCommand::templateAndPaper_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("templateFile");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("err");
    QTest::addColumn<QString>("paper");

    const QString paper = QStringLiteral("--paper");
    const QStringList mine{QStringLiteral("--template"), QStringLiteral("mine.dot")};
    const QByteArray lacking = DocumentInspector::convert(
        FlatOdf::document("<table:table table:name=\"T\"><table:table-column/><table:table-row><table:table-cell>"
                          "<text:p>[Receipt] [Amount] [Totl]</text:p></table:table-cell></table:table-row>"
                          "</table:table>"),
        QStringLiteral("MS Word 97"));

    QTest::newRow("built-in, United States") << QStringList() << QByteArray() << "en_US.UTF-8" << 0 << ""
                                             << "letter";
    QTest::newRow("built-in, Germany") << QStringList() << QByteArray() << "de_DE.UTF-8" << 0 << ""
                                       << "a4";
    QTest::newRow("A4 in the United States")
        << QStringList{paper, QStringLiteral("A4")} << QByteArray() << "en_US.UTF-8" << 0 << ""
        << "a4";
    QTest::newRow("own template keeps its paper") << mine << BuiltInTemplateBytes(Paper::A4) << "en_US.UTF-8" << 0 << ""
                                                  << "a4";
    QTest::newRow("own template, placeholders lacking and misspelt")
        << mine << lacking << "en_US.UTF-8" << 0
        << "^parvoline: warning: The template mine\\.dot has no place for \\[NO\\.\\], [^\\n]*\\[Total\\]: "
           "nothing is filled in for them\\.\\nparvoline: warning: The template mine\\.dot holds \\[Totl\\] \\(for "
           "\\[Total\\]\\)[^\\n]*\\n$"
        << "";
    QTest::newRow("own template is no document")
        << mine << QByteArray("[Receipt] [Amount]\n") << "en_US.UTF-8" << 1
        << "^parvoline: The template mine\\.dot cannot be used: it is not a Word or OpenDocument text document\\.\\n$"
        << "";
    QTest::newRow("own template is missing")
        << mine << QByteArray() << "en_US.UTF-8" << 1
        << "^parvoline: The template mine\\.dot cannot be used: there is no such file\\.\\n$"
        << "";
    QTest::newRow("unknown paper") << QStringList{paper, QStringLiteral("b5")} << QByteArray() << "en_US.UTF-8" << 1
                                   << "^parvoline: --paper is a4 or letter, not b5 [^\\n]*\\n$"
                                   << "";
    QTest::newRow("paper for one's own template")
        << mine + QStringList{paper, QStringLiteral("a4")} << BuiltInTemplateBytes(Paper::A4) << "en_US.UTF-8" << 1
        << "^parvoline: --paper is for the built-in template; mine\\.dot keeps its own paper [^\\n]*\\n$"
        << "";
}

void tst_BatchCommand::templateAndPaper()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, templateFile);
    QFETCH(QString, locale);
    QFETCH(int, exitCode);
    QFETCH(QString, err);
    QFETCH(QString, paper);

    mLocale = locale;
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(3));
    if (!templateFile.isEmpty())
        WriteWholeFile(file(QStringLiteral("mine.dot")), templateFile);
    WriteWholeFile(file(QStringLiteral("out.pdf")), "the old file");

    const Run result = run(QStringList{QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"),
                                       QStringLiteral("out.pdf")}
                           + arguments);

    QCOMPARE(result.status, QProcess::NormalExit);
    QVERIFY2(result.exitCode == exitCode, result.err.constData());
    QVERIFY2(err.isEmpty() ? result.err.isEmpty()
                           : QRegularExpression(err).match(QString::fromUtf8(result.err)).hasMatch(),
             result.err.constData());
    const QByteArray output = ReadWholeFile(file(QStringLiteral("out.pdf")));
    if (exitCode != 0) {
        QCOMPARE(output, QByteArray("the old file"));
    } else {
        QVERIFY(output.startsWith("%PDF-"));
        // Every receipt's name, whichever placeholders the template holds.
        QVERIFY(PdfPageTexts(output).join(u' ').simplified().count(QStringLiteral("Harbor Lights Bakery")) >= 3);
        if (!paper.isEmpty()) {
            const QString width = paper == QLatin1String("a4") ? QStringLiteral("595") : QStringLiteral("612");
            QVERIFY2(QRegularExpression(QStringLiteral("MediaBox\\s*\\[\\s*0 0 %1[. ]").arg(width))
                         .match(QString::fromLatin1(output))
                         .hasMatch(),
                     qPrintable(paper));
        }
    }
    // The user's template is only read.
    if (!templateFile.isEmpty())
        QCOMPARE(ReadWholeFile(file(QStringLiteral("mine.dot"))), templateFile);
    verifyNothingLeft();
}

void tst_BatchCommand::perFileWritesNumberedParts_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("perFile");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("last part shorter")
        << 5 << 2 << "out.pdf" << QStringLiteral("out-0001.pdf out-0002.pdf out-0003.pdf").split(QLatin1Char(' '));
    QTest::newRow("one part, still numbered")
        << 3 << 3 << "out.pdf" << QStringLiteral("out-0001.pdf").split(QLatin1Char(' '));
    QTest::newRow("dots in the name")
        << 2 << 1 << "my.receipts.pdf"
        << QStringLiteral("my.receipts-0001.pdf my.receipts-0002.pdf").split(QLatin1Char(' '));
}

void tst_BatchCommand::perFileWritesNumberedParts()
{
    QFETCH(int, count);
    QFETCH(int, perFile);
    QFETCH(QString, output);
    QFETCH(QStringList, parts);

    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(count));
    const Run result = run({QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"), output,
                            QStringLiteral("--per-file"), QString::number(perFile)});

    QVERIFY2(result.exitCode == 0, result.err.constData());
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(FolderEntries(mWork->path()), QStringList(parts) << QStringLiteral("r.csv"));
    // Each part holds its own receipts, in the order of the list, and no other.
    for (int part = 0; part < parts.size(); ++part) {
        const QString text = PdfPageTexts(ReadWholeFile(file(parts[part]))).join(QLatin1Char('\n'));
        for (int n = 1; n <= count; ++n) {
            const bool inPart = (n - 1) / perFile == part;
            QVERIFY2(text.contains(receiptNumber(n)) == inPart,
                     qPrintable(parts[part] + QLatin1Char(' ') + receiptNumber(n)));
        }
    }
    verifyNothingLeft();
}

void tst_BatchCommand::perFileFailureKeepsFinishedParts()
{
    SmallFileSystem disk;
    if (!disk.mount(160 * 1024))
        QSKIP("No small file system can be mounted here");
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(6));
    // Room for the first part of two receipts, not for all three.
    const Run first = run({QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"),
                           file(QStringLiteral("probe.pdf")), QStringLiteral("--per-file"), QStringLiteral("2")});
    QVERIFY2(first.exitCode == 0, first.err.constData());
    const qint64 partSize = QFileInfo(file(QStringLiteral("probe-0001.pdf"))).size();
    QVERIFY(partSize > 0 && partSize < 60 * 1024);
    WriteWholeFile(disk.filePath(QStringLiteral("other files")), QByteArray(160 * 1024 - partSize * 3 / 2, 'f'));
    const QString output = disk.filePath(QStringLiteral("receipts.pdf"));

    // One office makes the parts in order, so which part fails is known.
    const Run result =
        run({QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"), output,
             QStringLiteral("--per-file"), QStringLiteral("2"), QStringLiteral("--jobs"), QStringLiteral("1")});

    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains("No space left on device"), result.err.constData());
    QVERIFY2(result.err.contains(QStringLiteral("1 of 3 parts written; missing: %1 to %2")
                                     .arg(disk.filePath(QStringLiteral("receipts-0002.pdf")),
                                          disk.filePath(QStringLiteral("receipts-0003.pdf")))
                                     .toUtf8()),
             result.err.constData());
    QCOMPARE(FolderEntries(disk.path()),
             QStringList({QStringLiteral("other files"), QStringLiteral("receipts-0001.pdf")}));
    QVERIFY(PdfPageTexts(ReadWholeFile(disk.filePath(QStringLiteral("receipts-0001.pdf"))))
                .join(QLatin1Char('\n'))
                .contains(receiptNumber(2)));
    verifyNothingLeft();
}

void tst_BatchCommand::eachNamesAFilePerReceipt_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("names");
    const auto list = [](const char *names) {
        return QString::fromUtf8(names).split(QLatin1Char('|'));
    };
    QTest::newRow("folder made") << "out/{No}.pdf" << list("out/2024-0001.pdf|out/2024-0002.pdf|out/2024-0003.pdf");
    QTest::newRow("clashes numbered") << "{To Payee} {Tax}.pdf"
                                      << list("Dorian Quell 8.25.pdf|Dorian Quell 8.25-2.pdf|Dorian Quell 8.25-3.pdf");
    QTest::newRow("characters a name cannot hold")
        << "{Description}.pdf"
        << list("Cake _Aurora_ & _candles_.pdf|Cake _Aurora_ & _candles_-2.pdf|Cake _Aurora_ & _candles_-3.pdf");
    QTest::newRow("a value never makes a folder") << "a/b/{From City}-{no}.odt"
                                                  << list("a/b/French Leek, IN 33455-2024-0001.odt|"
                                                          "a/b/French Leek, IN 33455-2024-0002.odt|"
                                                          "a/b/French Leek, IN 33455-2024-0003.odt");
}

void tst_BatchCommand::eachNamesAFilePerReceipt()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, names);

    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(3));
    const Run result = run({QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--each"), pattern});

    QVERIFY2(result.exitCode == 0, result.err.constData());
    QStringList written;
    QDirIterator it(mWork->path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        written.append(QDir(mWork->path()).relativeFilePath(it.next()));
    written.sort();
    QStringList expected = QStringList(names) << QStringLiteral("r.csv");
    expected.sort();
    QCOMPARE(written, expected);
    // In the order of the list: the first name is the first receipt's.
    for (int n = 1; n <= 3; ++n) {
        const QString name = file(names[n - 1]);
        if (name.endsWith(QLatin1String(".pdf")))
            QVERIFY(PdfPageTexts(ReadWholeFile(name)).join(QLatin1Char('\n')).contains(receiptNumber(n)));
        else
            QVERIFY(ReadWholeFile(name).startsWith("PK"));
    }
    verifyNothingLeft();
}

void tst_BatchCommand::eachFailureKeepsFinishedFiles()
{
    SmallFileSystem disk;
    if (!disk.mount(160 * 1024))
        QSKIP("No small file system can be mounted here");
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(6));
    // Room for about two and a half receipts' files: the failure comes in the middle of the batch.
    const Run probe = run({QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--each"),
                           QStringLiteral("probe/{No}.pdf"), QStringLiteral("--jobs"), QStringLiteral("1")});
    QVERIFY2(probe.exitCode == 0, probe.err.constData());
    const qint64 size = QFileInfo(file(QStringLiteral("probe/") + receiptNumber(1) + QStringLiteral(".pdf"))).size();
    QVERIFY(size > 0 && size < 50 * 1024);
    WriteWholeFile(disk.filePath(QStringLiteral("other files")), QByteArray(160 * 1024 - size * 5 / 2, 'f'));

    const Run result = run({QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--each"),
                            disk.filePath(QStringLiteral("{No}.pdf")), QStringLiteral("--jobs"), QStringLiteral("1")});

    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains("No space left on device"), result.err.constData());
    const QRegularExpression summary(QStringLiteral("(\\d) of 6 parts written; missing: ([^\\n]*)\\n"));
    const QRegularExpressionMatch told = summary.match(QString::fromUtf8(result.err));
    QVERIFY2(told.hasMatch(), result.err.constData());
    const int written = told.captured(1).toInt();
    QVERIFY(written >= 1 && written < 6);
    const auto nameOf = [&](int n) {
        return disk.filePath(receiptNumber(n) + QStringLiteral(".pdf"));
    };
    QCOMPARE(told.captured(2),
             written == 5 ? nameOf(6) : QStringLiteral("%1 to %2").arg(nameOf(written + 1), nameOf(6)));
    // The receipts before the failure are there whole, each its own and the same as with room enough;
    // nothing of the others is.
    QStringList expected{QStringLiteral("other files")};
    for (int n = 1; n <= written; ++n) {
        expected.append(receiptNumber(n) + QStringLiteral(".pdf"));
        const QString probed = file(QStringLiteral("probe/") + receiptNumber(n) + QStringLiteral(".pdf"));
        QCOMPARE(PdfPageTexts(ReadWholeFile(nameOf(n))), PdfPageTexts(ReadWholeFile(probed)));
    }
    expected.sort();
    QCOMPARE(FolderEntries(disk.path()), expected);
    verifyNothingLeft();
}

void tst_BatchCommand::eachStoppedKeepsFinishedFiles()
{
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(300));
    QProcess process;
    start(process, {QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--each"),
                    QStringLiteral("out/{No}.pdf"), QStringLiteral("--jobs"), QStringLiteral("2")});
    QVERIFY(process.waitForStarted());
    auto stop = qScopeGuard([&] {
        process.kill();
        process.waitForFinished();
    });
    // Stopped while both offices are in the middle of their batches.
    QElapsedTimer timer;
    timer.start();
    while (FolderEntries(file(QStringLiteral("out"))).size() < 3 && process.state() == QProcess::Running
           && timer.elapsed() < 180000)
        QTest::qWait(5);
    QVERIFY2(process.state() == QProcess::Running, process.readAllStandardError().constData());
    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(60000));
    stop.dismiss();
    QCOMPARE(process.exitCode(), 128 + SIGTERM);

    // Only whole files, each of its own receipt; all the others are named as missing.
    const QStringList entries = FolderEntries(file(QStringLiteral("out")));
    QVERIFY(entries.size() >= 3 && entries.size() < 300);
    const QByteArray err = ProgramLines(process.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("%1 of 300 parts written; missing: ").arg(entries.size()).toUtf8()),
             err.constData());
    for (const QString &entry : entries) {
        const QStringList pages = PdfPageTexts(ReadWholeFile(file(QStringLiteral("out/") + entry)));
        QCOMPARE(pages.size(), 1);
        QVERIFY2(pages.constFirst().contains(entry.chopped(4)), qPrintable(entry));
        QVERIFY2(!err.contains(entry.toUtf8()), qPrintable(entry));
    }
    // A killed office takes a moment to go once the command has ended.
    QTRY_COMPARE_WITH_TIMEOUT(processesNaming(mTemp->path()), QList<qint64>(), 5000);
    verifyNothingLeft();
}

void tst_BatchCommand::eachNumberedPagesStartAtOne()
{
    // A template whose footer numbers the pages: every receipt's file is its own first page, as the
    // receipt's document alone is, never a later page of a document of many.
    const QByteArray numbered = DocumentInspector::convert(
        FlatOdf::document("<table:table table:name=\"T\"><table:table-column/><table:table-row><table:table-cell>"
                          "<text:p>[Receipt] [No.] [Total]</text:p></table:table-cell></table:table-row>"
                          "</table:table>",
                          "<office:master-styles><style:master-page style:name=\"Standard\"><style:footer>"
                          "<text:p>Sheet <text:page-number text:select-page=\"current\">1</text:page-number>"
                          "</text:p></style:footer></style:master-page></office:master-styles>"),
        QStringLiteral("MS Word 97"));
    WriteWholeFile(file(QStringLiteral("mine.dot")), numbered);
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(3));

    const Run result = run({QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--each"),
                            QStringLiteral("out/{No}.pdf"), QStringLiteral("--template"), QStringLiteral("mine.dot"),
                            QStringLiteral("--jobs"), QStringLiteral("1")});

    QVERIFY2(result.exitCode == 0, result.err.constData());
    for (int n = 1; n <= 3; ++n) {
        const QStringList pages = PdfPageTexts(ReadWholeFile(file(QStringLiteral("out/%1.pdf").arg(receiptNumber(n)))));
        QCOMPARE(pages.size(), 1);
        QVERIFY2(pages.constFirst().contains(receiptNumber(n)), qPrintable(pages.constFirst()));
        QVERIFY2(pages.constFirst().simplified().contains(QStringLiteral("Sheet 1")), qPrintable(pages.constFirst()));
    }
    verifyNothingLeft();
}

void tst_BatchCommand::severalOfficesMakeTheSameParts_data()
{
    QTest::addColumn<QStringList>("output");
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("per-file") << QStringList{
        QStringLiteral("--save"), QStringLiteral("out.pdf"), QStringLiteral("--per-file"),
        QStringLiteral(
            "2")} << QStringLiteral("out-0001.pdf out-0002.pdf out-0003.pdf out-0004.pdf").split(QLatin1Char(' '));
    QStringList each;
    for (int n = 1; n <= 7; ++n)
        each.append(receiptNumber(n) + QStringLiteral(".pdf"));
    QTest::newRow("each") << QStringList{QStringLiteral("--each"), QStringLiteral("{No}.pdf")} << each;
}

void tst_BatchCommand::severalOfficesMakeTheSameParts()
{
    QFETCH(QStringList, output);
    QFETCH(QStringList, parts);

    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(7));
    QHash<QString, QStringList> texts[2];
    for (const int jobs : {1, 2}) {
        const QString folder = QStringLiteral("jobs-%1").arg(jobs);
        QVERIFY(QDir(mWork->path()).mkdir(folder));
        QStringList arguments = output;
        arguments[1] = folder + QLatin1Char('/') + arguments[1];
        const Run result = run(QStringList{QStringLiteral("--import"), QStringLiteral("r.csv"),
                                           QStringLiteral("--jobs"), QString::number(jobs)}
                               << arguments);
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(result.err, QByteArray());
        QCOMPARE(FolderEntries(file(folder)), parts);
        for (const QString &part : std::as_const(parts))
            texts[jobs - 1].insert(part, PdfPageTexts(ReadWholeFile(file(folder + QLatin1Char('/') + part))));
        verifyNothingLeft();
    }
    // Each part holds the receipts it holds with one office, page by page, whichever office made it.
    for (const QString &part : std::as_const(parts)) {
        QVERIFY(!texts[0].value(part).isEmpty());
        QCOMPARE(texts[1].value(part), texts[0].value(part));
    }
}

void tst_BatchCommand::signalStopsEveryOffice()
{
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(400));
    QProcess process;
    start(process,
          {QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"), QStringLiteral("out.pdf"),
           QStringLiteral("--per-file"), QStringLiteral("20"), QStringLiteral("--jobs"), QStringLiteral("2")});
    QVERIFY(process.waitForStarted());
    auto stop = qScopeGuard([&] {
        process.kill();
        process.waitForFinished();
    });
    // Once a part is in place, both offices are at work on the next ones.
    QElapsedTimer timer;
    timer.start();
    while (!QFileInfo::exists(file(QStringLiteral("out-0001.pdf")))
           && !QFileInfo::exists(file(QStringLiteral("out-0002.pdf"))) && process.state() == QProcess::Running
           && timer.elapsed() < 180000)
        QTest::qWait(5);
    QVERIFY2(process.state() == QProcess::Running, process.readAllStandardError().constData());
    const auto offices = [&] {
        int count = 0;
        for (const qint64 pid : processesNaming(mCache->path()))
            count += ReadWholeFile(QStringLiteral("/proc/%1/comm").arg(pid)).startsWith("soffice.bin") ? 1 : 0;
        return count;
    };
    // Two offices at least: one of them may be given a fresh start meanwhile.
    QVERIFY(offices() >= 2);

    ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
    QVERIFY(process.waitForFinished(60000));
    stop.dismiss();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 128 + SIGTERM);

    // Only whole parts, each with its own twenty receipts; the others are named as missing.
    const QStringList entries = FolderEntries(mWork->path());
    QVERIFY(entries.size() > 1 && entries.size() < 21);
    const QByteArray err = ProgramLines(process.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("%1 of 20 parts written; missing: ").arg(entries.size() - 1).toUtf8()),
             err.constData());
    for (const QString &entry : entries) {
        if (entry == QLatin1String("r.csv"))
            continue;
        const int part = entry.mid(4, 4).toInt();
        const QString text = PdfPageTexts(ReadWholeFile(file(entry))).join(QLatin1Char('\n'));
        QVERIFY2(text.contains(receiptNumber(part * 20 - 19)) && text.contains(receiptNumber(part * 20)),
                 qPrintable(entry));
        QVERIFY2(!err.contains(entry.toUtf8()), qPrintable(entry));
    }
    // No copy of the program and no office is left (a killed one takes a moment to go); the workers'
    // folders went with the run's.
    QTRY_COMPARE_WITH_TIMEOUT(processesNaming(mTemp->path()), QList<qint64>(), 5000);
    verifyNothingLeft();
}

void tst_BatchCommand::partFailingOnSeveralOffices()
{
    WriteWholeFile(file(QStringLiteral("r.csv")), receipts(7));
    // A file the user protected: its part fails, and the file stays as it is.
    const QString protectedPart = file(QStringLiteral("out-0003.pdf"));
    WriteWholeFile(protectedPart, "the old part");
    QVERIFY(QFile::setPermissions(protectedPart, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    const Run result =
        run({QStringLiteral("--import"), QStringLiteral("r.csv"), QStringLiteral("--save"), QStringLiteral("out.pdf"),
             QStringLiteral("--per-file"), QStringLiteral("1"), QStringLiteral("--jobs"), QStringLiteral("2")});

    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(QStringLiteral("%1 is read-only.").arg(protectedPart).toUtf8()),
             result.err.constData());
    QCOMPARE(ReadWholeFile(protectedPart), QByteArray("the old part"));
    // Parts made on the other office meanwhile are complete; every other one is named as missing.
    const QRegularExpression summary(QStringLiteral("(\\d) of 7 parts written; missing: ([^\\n]*)\\n"));
    const QRegularExpressionMatch told = summary.match(QString::fromUtf8(result.err));
    QVERIFY2(told.hasMatch(), result.err.constData());
    QVERIFY(told.captured(2).contains(protectedPart));
    int written = 0;
    for (int part = 1; part <= 7; ++part) {
        const QString name = file(QStringLiteral("out-%1.pdf").arg(part, 4, 10, QLatin1Char('0')));
        if (part == 3 || !QFileInfo::exists(name))
            continue;
        ++written;
        QVERIFY(PdfPageTexts(ReadWholeFile(name)).join(QLatin1Char('\n')).contains(receiptNumber(part)));
    }
    QCOMPARE(told.captured(1).toInt(), written);
    // What is named as missing is not there (the protected file aside).
    static const QRegularExpression separators(QStringLiteral(", | to "));
    for (const QString &name : told.captured(2).split(separators))
        QVERIFY2(name == protectedPart || !QFileInfo::exists(name), qPrintable(name));
    verifyNothingLeft();
}

PARVOLINE_TEST_GUILESS_MAIN(tst_BatchCommand)
#include "tst_batchcommand.moc"
