// Measures the batch command as a user runs it: the real program, a process of its own with its own
// office, from a CSV file of receipts to a .doc and to a .pdf. Each round starts the program afresh;
// the office's profile folder is kept between rounds, as it is for a user. Prints min, median and max
// of the rounds, and one receipt for the fixed cost of starting. Target: 1000 receipts in about 8 s.
//
//     batch_bench [receipts] [rounds]

#include "ReceiptCsv.h"
#include "ReceiptRecord.h"
#include "TestData.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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
};

Timing runOnce(const QTemporaryDir &work, const QString &csv, const QString &output)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), work.filePath(QStringLiteral("cache")));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(PARVOLINE_EXECUTABLE),
                  {QStringLiteral("--import"), csv, QStringLiteral("--save"), output});
    Timing timing;
    const bool finished = program.waitForFinished(600000);
    timing.seconds = double(timer.nsecsElapsed()) / 1e9;
    timing.ok = finished && program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
    timing.bytes = QFileInfo(output).size();
    return timing;
}

QString writeCsv(const QTemporaryDir &work, int receipts)
{
    QList<ReceiptRecord> records;
    for (int i = 0; i < receipts; ++i)
        records.append(ExampleReceipt(i));
    const QString csv = work.filePath(QStringLiteral("receipts-%1.csv").arg(receipts));
    ReceiptCsv::writeFile(records, csv);
    return csv;
}

void measure(const QTemporaryDir &work, int receipts, int rounds, const char *extension)
{
    const QString csv = writeCsv(work, receipts);
    const QString output = work.filePath(QStringLiteral("receipts-%1.%2").arg(receipts).arg(QLatin1String(extension)));

    std::vector<double> seconds;
    qint64 bytes = 0;
    for (int round = 0; round < rounds; ++round) {
        const Timing timing = runOnce(work, csv, output);
        if (!timing.ok) {
            std::printf("%5d receipts to .%-4s round %d failed\n", receipts, extension, round + 1);
            return;
        }
        seconds.push_back(timing.seconds);
        bytes = timing.bytes;
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%5d receipts to .%-4s min %6.2f s  median %6.2f s  max %6.2f s  (%d rounds, %.1f MB)\n", receipts,
                extension, seconds.front(), seconds[seconds.size() / 2], seconds.back(), rounds, bytes / 1e6);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const int receipts = arguments.size() > 1 ? arguments.at(1).toInt() : 1000;
    const int rounds = arguments.size() > 2 ? arguments.at(2).toInt() : 5;
    QTemporaryDir work;
    if (!work.isValid() || receipts < 1 || rounds < 1) {
        std::fprintf(stderr, "usage: batch_bench [receipts] [rounds]\n");
        return 1;
    }
    // The first start makes the office's profile; a user pays that once.
    runOnce(work, writeCsv(work, 1), work.filePath(QStringLiteral("first.doc")));
    measure(work, 1, rounds, "doc");
    for (const char *extension : {"doc", "pdf"})
        measure(work, receipts, rounds, extension);
    return 0;
}
