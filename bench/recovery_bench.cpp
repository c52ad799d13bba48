// Measures the keeping of 10,000 receipts across runs. Keeping: the longest the window's thread is
// held by a change of the list, by a second change while the keeper writes the first on its own thread,
// and by any event it handles until the file is written (wall-clock, and the thread's own processor
// time); and how long one write takes in the background. Restoring: the start that reads the kept
// file, puts the receipts into the list and takes the file over. Targets: the window held under 5 ms,
// restoring under 1 s.
//
//     recovery_bench [rounds] [receipts]

#include "BenchSupport.h"
#include "ReceiptKeeper.h"
#include "ReceiptList.h"
#include "RecoveryFile.h"
#include "ScriptedDialogs.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {
// The processor time of the calling thread: what it worked, without the time other programs had the
// processor (on a busy machine a thread loses whole scheduler ticks of 4 ms).
double threadCpuMs()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Wall-clock and processor time of one stretch of the window thread's work.
struct Stretch
{
    QElapsedTimer wall;
    double cpuStart = threadCpuMs();
    Stretch() { wall.start(); }
    double wallMs() const { return elapsedMs(wall); }
    double cpuMs() const { return threadCpuMs() - cpuStart; }
};

ReceiptRecord receipt(int i)
{
    ReceiptRecord r;
    r[ReceiptRecord::Receipt] = QStringLiteral("Harbor Lights Bakery, weekly delivery");
    r[ReceiptRecord::No] = QString::number(100000 + i);
    r[ReceiptRecord::FromPayee] = QStringLiteral("Selma Orrick");
    r[ReceiptRecord::FromAddress] = QStringLiteral("1024 Birchwood Street, Apt. 5");
    r[ReceiptRecord::FromCity] = QStringLiteral("French Leek, IN 33455");
    r[ReceiptRecord::ToPayee] = QStringLiteral("Dorian Quell Jr.");
    r[ReceiptRecord::ToAddress] = QStringLiteral("77 Elm Street");
    r[ReceiptRecord::ToCity] = QStringLiteral("Holderness, NH 03245");
    r[ReceiptRecord::Date] = QStringLiteral("08/30/2021");
    r[ReceiptRecord::Description] = QStringLiteral("Bread, rolls and a birthday cake \U0001F382");
    r[ReceiptRecord::Amount] = QString::number(75 + i % 100);
    r[ReceiptRecord::Tax] = QStringLiteral("10");
    return r;
}

// Times every event the window's thread handles, so waiting for the next one does not count.
class TimedApplication final : public QCoreApplication
{
public:
    using QCoreApplication::QCoreApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        const Stretch stretch;
        const bool handled = QCoreApplication::notify(receiver, event);
        longest = std::max(longest, stretch.wallMs());
        longestCpu = std::max(longestCpu, stretch.cpuMs());
        return handled;
    }

    double longest = 0;
    double longestCpu = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    TimedApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const int count = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10000;
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    ScriptedDialogs dialogs;
    QList<ReceiptRecord> records;
    for (int i = 0; i < count; ++i)
        records.append(receipt(i));

    std::vector<double> held;
    std::vector<double> heldCpu;
    std::vector<double> written;
    {
        ReceiptList list;
        ReceiptKeeper keeper(&list, folder.path());
        keeper.start();
        list.appendRecords(records);
        keeper.flush();
        bool kept = false;
        QObject::connect(&keeper, &ReceiptKeeper::kept, &app, [&] { kept = true; });
        for (int round = 0; round < rounds; ++round) {
            // A quiet spell, so the change is written at once rather than a second later.
            QElapsedTimer quiet;
            quiet.start();
            while (quiet.elapsed() < 1100)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            kept = false;
            const Stretch change;
            list.setSubItem(1 + round % count, ReceiptRecord::Tax, QString::number(round));
            double longest = change.wallMs();
            double longestCpu = change.cpuMs();
            app.longest = 0;
            app.longestCpu = 0;
            QElapsedTimer whole;
            whole.start();
            bool changedDuringWrite = false;
            while (!kept) {
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
                if (!changedDuringWrite) {
                    // A change while the keeper writes: the list leaves the copy the keeper holds.
                    changedDuringWrite = true;
                    const Stretch next;
                    list.setSubItem(1 + round % count, ReceiptRecord::Tax, QStringLiteral("10"));
                    longest = std::max(longest, next.wallMs());
                    longestCpu = std::max(longestCpu, next.cpuMs());
                }
                if (whole.elapsed() > 10000)
                    return 1;
            }
            held.push_back(std::max(longest, app.longest));
            heldCpu.push_back(std::max(longestCpu, app.longestCpu));
            keeper.flush();
            // The write alone, with nothing else going on.
            list.setSubItem(1 + round % count, ReceiptRecord::Tax, QString::number(round));
            QElapsedTimer alone;
            alone.start();
            keeper.flush();
            written.push_back(elapsedMs(alone));
        }
    }

    std::vector<double> restored;
    const qint64 fileSize = RecoveryFile::encode(records).size();
    for (int round = 0; round < rounds; ++round) {
        RecoveryFile::write(folder.filePath(QStringLiteral("receipts.recovery")), records);
        dialogs.queueChoice(QStringLiteral("Restore"));
        ReceiptList list;
        ReceiptKeeper keeper(&list, folder.path());
        QElapsedTimer start;
        start.start();
        keeper.start();
        restored.push_back(elapsedMs(start));
        if (list.count() != count)
            return 1;
    }

    const Figures h = summary(held);
    const Figures hc = summary(heldCpu);
    const Figures w = summary(written);
    const Figures r = summary(restored);
    std::printf("%d receipts, recovery file of %.1f MB, %d rounds\n", count, double(fileSize) / 1e6, rounds);
    std::printf("window thread held by one change:   min %7.3f ms  median %7.3f ms  max %7.3f ms  (target < 5 ms)\n",
                h.min, h.median, h.max);
    std::printf("  of it the window thread's own work: min %7.3f ms  median %7.3f ms  max %7.3f ms\n", hc.min,
                hc.median, hc.max);
    std::printf("change to file on the disk:         min %7.1f ms  median %7.1f ms  max %7.1f ms\n", w.min, w.median,
                w.max);
    std::printf("restoring at the start:             min %7.1f ms  median %7.1f ms  max %7.1f ms  (target < 1000 ms)\n",
                r.min, r.median, r.max);
    return 0;
}
