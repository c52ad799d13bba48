// Measures the batch command as a user runs it: the real program, a process of its own with its own
// office, from a CSV file of receipts to a .doc and to a .pdf. Each round starts the program afresh;
// the office's profile folder is kept between rounds, as it is for a user. Prints min, median and max
// of the rounds, and one receipt for the fixed cost of starting, with the time per receipt and the peak
// resident memory of the program and of its offices (sampled every 100 ms), the program's also per
// receipt above that of the run of one. Targets: 10,000 receipts in under 35 s with no more time per
// receipt than 1.2 times that at 1,000; program and office under 1.5 GB together; the program under
// 8 KB a receipt.
//
//     batch_bench [receipts[,receipts...]] [rounds] [--per-file N | --jobs [per-file|each] | --each-ways [new]]
//
// By default 1,000, 3,000 and 10,000 receipts, e.g. `batch_bench 1000 3` for fewer; with --per-file the same
// runs write parts of N receipts. With --jobs each count is made into PDF parts of a tenth of the receipts
// (--per-file) and into one PDF per receipt (--each), or only the one named, on one office (--jobs 1) and on
// two side by side (--jobs 2); a row shows both. Target: --each at 50 receipts a second or better on two cores.
// With --each-ways each count is made into one PDF per receipt with the default offices, receipts laid out in
// batches beside every receipt a document of its own (PARVOLINE_EACH_SEPARATELY=1), with the load average
// before each round; --each-ways new measures batches only.

#include "ReceiptCsv.h"
#include "ReceiptRecord.h"
#include "TestData.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
struct Timing
{
    double seconds = 0;
    bool ok = false;
    qint64 bytes = 0;
    long programPeakKb = 0;
    long officePeakKb = 0;
    long togetherPeakKb = 0;
};

long residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

qint64 parentOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    // The name in brackets may hold blanks: the fields after it are counted from its end.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(1).toLongLong();
}

// The resident memory of all processes below \a root: the offices the program started.
long descendantsKilobytes(qint64 root)
{
    long total = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : entries) {
        bool number = false;
        const qint64 pid = entry.toLongLong(&number);
        if (!number || pid == root)
            continue;
        for (qint64 up = parentOf(pid); up > 1; up = parentOf(up)) {
            if (up == root) {
                total += residentKilobytes(pid);
                break;
            }
        }
    }
    return total;
}

Timing runOnce(const QTemporaryDir &work, const QString &csv, const QString &output, int perFile = 0,
               const QStringList &more = {}, const QString &variable = {})
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), work.filePath(QStringLiteral("cache")));
    if (!variable.isEmpty())
        environment.insert(variable, QStringLiteral("1"));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer timer;
    timer.start();
    // An output of the form "folder/{No}.pdf" is a pattern: one file per receipt.
    const bool each = output.contains(QLatin1Char('{'));
    QStringList arguments{QStringLiteral("--import"), csv, each ? QStringLiteral("--each") : QStringLiteral("--save"),
                          output};
    if (perFile > 0)
        arguments << QStringLiteral("--per-file") << QString::number(perFile);
    arguments << more;
    program.start(QStringLiteral(PARVOLINE_EXECUTABLE), arguments);
    Timing timing;
    bool finished = false;
    const qint64 pid = program.waitForStarted() ? program.processId() : 0;
    while (pid > 0 && !finished && timer.elapsed() < 1200000) {
        const long own = residentKilobytes(pid);
        const long offices = descendantsKilobytes(pid);
        timing.programPeakKb = std::max(timing.programPeakKb, own);
        timing.officePeakKb = std::max(timing.officePeakKb, offices);
        timing.togetherPeakKb = std::max(timing.togetherPeakKb, own + offices);
        finished = program.waitForFinished(100);
    }
    if (!finished) {
        program.kill();
        program.waitForFinished();
    }
    timing.seconds = double(timer.nsecsElapsed()) / 1e9;
    timing.ok = finished && program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
    if (each) {
        QDir folder(QFileInfo(output).absolutePath());
        for (const QFileInfo &file : folder.entryInfoList(QDir::Files))
            timing.bytes += file.size();
        folder.removeRecursively();
    } else if (perFile > 0) {
        const QFileInfo info(output);
        for (const QFileInfo &part :
             QDir(info.absolutePath())
                 .entryInfoList({info.completeBaseName() + QStringLiteral("-*.") + info.suffix()})) {
            timing.bytes += part.size();
            QFile::remove(part.absoluteFilePath());
        }
    } else {
        timing.bytes = QFileInfo(output).size();
    }
    return timing;
}

// The program's peak in the run of one receipt: what a run costs before its receipts.
long programAtOneKb = 0;

QString writeCsv(const QTemporaryDir &work, int receipts)
{
    QList<ReceiptRecord> records;
    for (int i = 0; i < receipts; ++i)
        records.append(ExampleReceipt(i));
    const QString csv = work.filePath(QStringLiteral("receipts-%1.csv").arg(receipts));
    ReceiptCsv::writeFile(records, csv);
    return csv;
}

void measure(const QTemporaryDir &work, int receipts, int rounds, const char *extension, int perFile = 0)
{
    const QString csv = writeCsv(work, receipts);
    const QString output = work.filePath(QStringLiteral("receipts-%1.%2").arg(receipts).arg(QLatin1String(extension)));

    std::vector<double> seconds;
    qint64 bytes = 0;
    long programPeak = 0;
    long officePeak = 0;
    long togetherPeak = 0;
    for (int round = 0; round < rounds; ++round) {
        const Timing timing = runOnce(work, csv, output, perFile);
        if (!timing.ok) {
            std::printf("%5d receipts to .%-4s round %d failed\n", receipts, extension, round + 1);
            return;
        }
        seconds.push_back(timing.seconds);
        bytes = timing.bytes;
        programPeak = std::max(programPeak, timing.programPeakKb);
        officePeak = std::max(officePeak, timing.officePeakKb);
        togetherPeak = std::max(togetherPeak, timing.togetherPeakKb);
    }
    std::sort(seconds.begin(), seconds.end());
    const double median = seconds[seconds.size() / 2];
    if (receipts == 1 && programAtOneKb == 0)
        programAtOneKb = programPeak;
    std::printf(
        "%6d receipts to .%-4s%s min %7.2f s  median %7.2f s  max %7.2f s  %6.2f ms/receipt (median)  "
        "program %5ld MB (%.1f KB/receipt above one)  offices %5ld MB  together %5ld MB  (%d rounds, %.1f MB)\n",
        receipts, extension, perFile > 0 ? qPrintable(QStringLiteral(" per %1").arg(perFile)) : "", seconds.front(),
        median, seconds.back(), median * 1000.0 / receipts, programPeak / 1024,
        double(programPeak - programAtOneKb) / receipts, officePeak / 1024, togetherPeak / 1024, rounds, bytes / 1e6);
    std::fflush(stdout);
}
struct Rounds
{
    std::vector<double> seconds;
    long togetherPeakKb = 0;
    double bytes = 0;
};

// \a rounds runs of one command line; false when one failed.
bool repeat(const QTemporaryDir &work, const QString &csv, const QString &output, int perFile, int jobs, int rounds,
            Rounds &result)
{
    for (int round = 0; round < rounds; ++round) {
        const Timing timing = runOnce(work, csv, output, perFile, {QStringLiteral("--jobs"), QString::number(jobs)});
        if (!timing.ok)
            return false;
        result.seconds.push_back(timing.seconds);
        result.togetherPeakKb = std::max(result.togetherPeakKb, timing.togetherPeakKb);
        result.bytes = double(timing.bytes);
    }
    std::sort(result.seconds.begin(), result.seconds.end());
    return true;
}

void measureJobs(const QTemporaryDir &work, int receipts, int rounds, bool each)
{
    const QString csv = writeCsv(work, receipts);
    const int perFile = each ? 0 : std::max(1, receipts / 10);
    const QString output = each ? work.filePath(QStringLiteral("each/{No}.pdf"))
                                : work.filePath(QStringLiteral("parts-%1.pdf").arg(receipts));
    Rounds one;
    Rounds two;
    const QString what = each ? QStringLiteral("--each") : QStringLiteral("--per-file %1").arg(perFile);
    if (!repeat(work, csv, output, perFile, 1, rounds, one) || !repeat(work, csv, output, perFile, 2, rounds, two)) {
        std::printf("%6d receipts to .pdf %-15s failed\n", receipts, qPrintable(what));
        return;
    }
    const double median1 = one.seconds[one.seconds.size() / 2];
    const double median2 = two.seconds[two.seconds.size() / 2];
    std::printf("%6d receipts to .pdf %-15s --jobs 1: min %7.2f s median %7.2f s (%6.1f receipts/s) %5ld MB | "
                "--jobs 2: min %7.2f s median %7.2f s (%6.1f receipts/s) %5ld MB | %.2fx (%d rounds)\n",
                receipts, qPrintable(what), one.seconds.front(), median1, receipts / median1, one.togetherPeakKb / 1024,
                two.seconds.front(), median2, receipts / median2, two.togetherPeakKb / 1024, median1 / median2, rounds);
    std::fflush(stdout);
}
double loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').value(0).toDouble() : 0;
}

// --each to PDF with the command's default offices, receipts laid out in batches against every receipt a
// document of its own (\a withOld), side by side; the load average of the machine before each.
void measureEachWays(const QTemporaryDir &work, int receipts, int rounds, bool withOld)
{
    const QString csv = writeCsv(work, receipts);
    const QString output = work.filePath(QStringLiteral("each/{No}.pdf"));
    QString line = QStringLiteral("%1 receipts --each to .pdf").arg(receipts, 6);
    for (const bool old : {false, true}) {
        if (old && !withOld)
            continue;
        std::vector<double> seconds;
        QStringList loads;
        for (int round = 0; round < rounds; ++round) {
            loads.append(QString::number(loadAverage(), 'f', 1));
            const Timing timing =
                runOnce(work, csv, output, 0, {}, old ? QStringLiteral("PARVOLINE_EACH_SEPARATELY") : QString());
            if (!timing.ok) {
                std::printf("%s: a round %s failed\n", qPrintable(line), old ? "one by one" : "in batches");
                return;
            }
            seconds.push_back(timing.seconds);
        }
        std::sort(seconds.begin(), seconds.end());
        const double median = seconds[seconds.size() / 2];
        line += QStringLiteral(" | %1: min %2 s median %3 s (%4 receipts/s; load %5)")
                    .arg(old ? QStringLiteral("one by one") : QStringLiteral("in batches"))
                    .arg(seconds.front(), 0, 'f', 2)
                    .arg(median, 0, 'f', 2)
                    .arg(receipts / median, 0, 'f', 1)
                    .arg(loads.join(QLatin1Char(' ')));
    }
    std::printf("%s (%d rounds)\n", qPrintable(line), rounds);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QList<int> counts;
    for (const QString &count :
         (arguments.size() > 1 ? arguments.at(1) : QStringLiteral("1000,3000,10000")).split(QLatin1Char(',')))
        counts.append(count.toInt());
    const int rounds = arguments.size() > 2 ? arguments.at(2).toInt() : 5;
    const int perFile =
        arguments.size() > 4 && arguments.at(3) == QLatin1String("--per-file") ? arguments.at(4).toInt() : 0;
    const bool jobs = arguments.size() > 3 && arguments.at(3) == QLatin1String("--jobs");
    const bool eachWays = arguments.size() > 3 && arguments.at(3) == QLatin1String("--each-ways");
    const QString jobsMode = jobs ? arguments.value(4) : QString();
    QTemporaryDir work;
    if (!work.isValid() || *std::min_element(counts.begin(), counts.end()) < 1 || rounds < 1) {
        std::fprintf(stderr,
                     "usage: batch_bench [receipts[,receipts...]] [rounds] [--per-file N | --jobs [per-file|each] | "
                     "--each-ways [new]]\n");
        return 1;
    }
    // The first start makes the office's profile; a user pays that once.
    runOnce(work, writeCsv(work, 1), work.filePath(QStringLiteral("first.doc")));
    if (eachWays) {
        for (const int receipts : counts)
            measureEachWays(work, receipts, rounds, arguments.value(4) != QLatin1String("new"));
        return 0;
    }
    if (jobs) {
        for (const int receipts : counts) {
            for (const bool each : {false, true}) {
                if (jobsMode.isEmpty() || jobsMode == (each ? QLatin1String("each") : QLatin1String("per-file")))
                    measureJobs(work, receipts, rounds, each);
            }
        }
        return 0;
    }
    measure(work, 1, rounds, "doc");
    for (const int receipts : counts) {
        for (const char *extension : {"doc", "pdf"})
            measure(work, receipts, rounds, extension, perFile);
    }
    return 0;
}
