// What waiting for the office costs the program in threads and event loops: "Start Creating Template"
// from the main window for 1, 10, 100 and 1000 receipts with the office warm, and the calls into the
// office each click makes, the threads started for them, the nested event loops entered while the
// windows waited, and the program's threads before and after. Every call used to start a thread and
// enter an event loop of its own; the targets: no thread per call (one per office started) and an
// event loop only for the calls that take more than moments.
//
//     officewait_bench [largest count]

#include "Form1.h"
#include "Form2.h"
#include "LibreOfficeEngine.h"
#include "OfficeWorker.h"
#include "ProgramEnd.h"
#include "ReceiptList.h"
#include "RunTempFolder.h"
#include "TestData.h"
#include "TestOffice.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {
int threadsOfThisProgram()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int largest = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 1000;

    RunTempFolder temp;
    TestOffice office;
    if (!office.install()) {
        std::fprintf(stderr, "no profile folder for the office\n");
        return 1;
    }
    LibreOfficeEngine &engine = office.engine();

    // The main window's start-up leaves the office warm, as in the program.
    Form1 form;
    if (ProgramEnding()) {
        std::fprintf(stderr, "officewait_bench: the office could not be started\n");
        return 1;
    }
    form.show();

    std::printf("%8s %9s %11s %9s %12s %13s %14s %10s\n", "receipts", "click ms", "office calls", "threads",
                "event loops", "waits on main", "program threads", "recycled");
    for (const int count : {1, 10, 100, 1000}) {
        if (count > largest)
            break;
        form.receipts()->clear();
        for (int i = 1; i <= count; ++i)
            form.receipts()->append(ExampleReceipt(i));
        const int threadsBefore = threadsOfThisProgram();
        const OfficeWorker::Counts before = OfficeWorker::counts();
        const int recycledBefore = engine.recycleCount();
        QElapsedTimer timer;
        timer.start();
        form.PushButton6_Click();
        const double clickMs = double(timer.nsecsElapsed()) / 1e6;
        const OfficeWorker::Counts after = OfficeWorker::counts();
        Form2 *preview = form.loadedPreview();
        if (!preview || preview->wordFile().isEmpty()) {
            std::fprintf(stderr, "officewait_bench: the run for %d receipts failed\n", count);
            return 1;
        }
        QFile::remove(preview->wordFile());
        preview->hide();
        form.show();
        std::printf("%8d %9.1f %11lld %9lld %12lld %13lld %8d -> %-4d %10d\n", count, clickMs,
                    static_cast<long long>(after.calls - before.calls),
                    static_cast<long long>(after.threads - before.threads),
                    static_cast<long long>(after.eventLoops - before.eventLoops),
                    static_cast<long long>(after.waitedOnMain - before.waitedOnMain), threadsBefore,
                    threadsOfThisProgram(), engine.recycleCount() - recycledBefore);
        std::fflush(stdout);
    }
    std::printf("threads: worker threads started (one per office started); event loops: nested loops entered;\n"
                "waits on main: calls waited for on the main thread, each of which entered an event loop (and\n"
                "every call started a thread) before the calls had a thread of their own\n");
    return 0;
}
