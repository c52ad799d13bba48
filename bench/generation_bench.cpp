// Measures "Start Creating Template" with the office warm, for 1, 10, 100, 300 and 1000 receipts (3,000
// and 10,000 when the largest count asks for them): each
// phase (building the document in the program, the office writing the Word file, the page picture,
// reading the picture back for the preview), the whole click from the main window to the preview,
// and the memory of the program and its office. Prints medians, the time per receipt at 100 and 1000,
// and whether the run stays linear.
// Targets on a two-core machine (medians, office warm): 1 receipt 0.12 s, 10 0.25 s, 100 1.2 s,
// 300 3.5 s, 1000 8 s and no more per receipt than at 100; program and office together under
// 500 MB resident at 1000 receipts.
// "first page" is the click until the preview shows, with its first pages; the click ends once the Word
// file is written and can be saved; "all pages" is the click until the preview has made the rest of its
// pages as well. Targets at 1,000 receipts: first page under 2 s, the click under 3.5 s. "writer MB" is
// the second office's largest size seen, the one that writes a long run's Word file while the first lays
// it out; with --one-office the first writes it, after the first pages show.
//
// With --phases, the document's road for long runs instead (by default 1,000, 3,000 and 10,000
// receipts): building it in the program, handing it over (written as flat XML to a file of the
// temporary folder), the office reading it without pages and storing the Word file, reading it with
// pages, making 16 pages of it as the preview asks for them while it is shown, and making the PDF (both
// written to a file as they come, as the program saves them). Prints min and median of
// each phase, the time per receipt, and the peak resident memory of the program and of the office in the round (peaks
// are reset before each round). Targets: 10,000 receipts to .doc and to .pdf each under 35 s, no more per receipt
// than 1.2 times that at 1,000; the program's peak under 8 KB a receipt above that of a run of one.
//
//     generation_bench [--one-office] [rounds] [largest count]
//     generation_bench --phases [rounds] [receipts[,receipts...]]

#include "Cancellation.h"
#include "DocumentGeneration.h"
#include "Failure.h"
#include "Form1.h"
#include "Form2.h"
#include "GuardedProcedure.h"
#include "LibreOfficeEngine.h"
#include "Locations.h"
#include "ModelDocument.h"
#include "OdfDocument.h"
#include "OfficeDocument.h"
#include "PagePicture.h"
#include "PageSnapshot.h"
#include "ProgramEnd.h"
#include "ProgramFiles.h"
#include "ReceiptList.h"
#include "ReceiptTemplate.h"
#include "RunTempFolder.h"
#include "TestData.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
double elapsed(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Resident memory in kilobytes of one process (VmRSS), or of its peak (VmHWM).
long statusKilobytes(qint64 pid, const char *field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Starts the peak resident memory (VmHWM) of process \a pid afresh.
void resetPeak(qint64 pid)
{
    QFile clear(QStringLiteral("/proc/%1/clear_refs").arg(pid));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

long officePeakKilobytes(const LibreOfficeEngine &engine)
{
    long total = 0;
    for (const qint64 pid : engine.officeProcessIds())
        total += statusKilobytes(pid, "VmHWM");
    return total;
}

struct Road
{
    double build = 0;
    double handOver = 0;
    double load = 0;
    double store = 0;
    double pagesLoad = 0;
    double pageStep = 0;
    double pdf = 0;
    long programPeakKb = 0;
    long officePeakKb = 0;
    bool ok = false;
};

// One run of \a list: the generation builds the document, then, where it would have it written, each
// phase of writing it out is taken on its own and the run is stopped.
Road measureRoad(LibreOfficeEngine &engine, const ReceiptList &list)
{
    Road road;
    WordApplication *word = nullptr;
    SetWordApplicationFactory([&] {
        std::unique_ptr<WordApplication> application = engine.createApplication();
        word = application.get();
        return application;
    });
    resetPeak(QCoreApplication::applicationPid());
    for (const qint64 pid : engine.officeProcessIds())
        resetPeak(pid);
    GuardedProcedure proc(Location::Form1_PushButton6_Click);
    DocumentGeneration generation(list, proc);
    generation.setTemplateSource(&ReceiptTemplateBytes);
    QElapsedTimer timer;
    generation.setProgress([&](DocumentGeneration::Stage stage, int, int) {
        if (stage != DocumentGeneration::Stage::Saving)
            return;
        road.build = elapsed(timer);
        try {
            auto document = std::dynamic_pointer_cast<ModelDocument>(word->ActiveDocument());
            const std::shared_ptr<LibreOfficeSession> session = engine.runningSession();
            timer.restart();
            QTemporaryFile file(TempFile(QStringLiteral("bench-XXXXXX.fodt")));
            if (!document || !file.open() || !document->model().serialize(file) || !file.flush()) {
                std::fprintf(stderr, "generation_bench: the document could not be handed over\n");
                return;
            }
            const qsizetype size = file.size();
            road.handOver = elapsed(timer);
            const QString flat = QLatin1String(OfficeDocument::kFlatXml);
            const QString what = QStringLiteral("generation_bench");
            timer.restart();
            auto office =
                OfficeDocument::loadFile(session, file.fileName(), size, flat, what, OfficeDocument::Layout::ModelOnly);
            road.load = elapsed(timer);
            // The output goes to a file as it comes, as the program saves it.
            const auto storeToFile = [&](const char *filter) {
                QTemporaryFile output(TempFile(QStringLiteral("bench-output-XXXXXX")));
                if (!output.open())
                    return qint64(0);
                bool written = true;
                office->storeInto(
                    QLatin1String(filter),
                    [&](QByteArrayView piece) {
                        written = written && output.write(piece.data(), piece.size()) == piece.size();
                    },
                    what);
                return written && output.flush() ? output.size() : qint64(0);
            };
            timer.restart();
            const qint64 word97 = storeToFile(OfficeDocument::kWord97);
            road.store = elapsed(timer);
            office.reset();
            timer.restart();
            office =
                OfficeDocument::loadFile(session, file.fileName(), size, flat, what, OfficeDocument::Layout::Pages);
            // The office lays out the rest of the pages after the load returns; the page count waits for it.
            const int pages = office->pageCount(what);
            road.pagesLoad = elapsed(timer);
            // What the preview asks for while it is shown: the next 16 pages of the picture.
            timer.restart();
            const bool step =
                !office->storePdfPages(QStringLiteral("%1-%2").arg(std::min(pages, 17)).arg(std::min(pages, 32)), what)
                     .isEmpty();
            road.pageStep = elapsed(timer);
            timer.restart();
            const qint64 pdf = storeToFile(OfficeDocument::kPdf);
            road.pdf = elapsed(timer);
            office.reset();
            road.ok = word97 > 0 && pdf > 0 && step;
        } catch (const Failure &failure) {
            std::fprintf(stderr, "generation_bench: %s\n", qUtf8Printable(failure.description()));
        } catch (const std::exception &error) {
            std::fprintf(stderr, "generation_bench: %s\n", error.what());
        }
        road.programPeakKb = statusKilobytes(QCoreApplication::applicationPid(), "VmHWM");
        road.officePeakKb = officePeakKilobytes(engine);
        // The phases are measured; the run itself writes nothing.
        RequestRunCancel();
    });
    timer.start();
    generation.run();
    ClearRunCancel();
    SetWordApplicationFactory({});
    engine.install();
    return road;
}

int measurePhases(LibreOfficeEngine &engine, int rounds, const QList<int> &counts)
{
    std::printf("%8s %9s %9s %9s %9s %9s %9s %9s %10s %9s %10s %10s %11s\n", "receipts", "build", "hand-over", "load",
                "store doc", "load pg", "16 pages", "pdf", "doc road", "pdf road", "ms/rcpt", "program", "office MB");
    double perReceiptAtFirst = 0;
    long programAtOne = 0;
    {
        ReceiptList one;
        one.append(ExampleReceipt(1));
        measureRoad(engine, one); // warms up
        programAtOne = measureRoad(engine, one).programPeakKb;
    }
    for (const int count : counts) {
        ReceiptList list;
        for (int i = 1; i <= count; ++i)
            list.append(ExampleReceipt(i));
        std::vector<double> build, handOver, load, store, pagesLoad, pageStep, pdf, docRoad, pdfRoad;
        long programPeak = 0;
        long officePeak = 0;
        for (int round = 0; round < rounds; ++round) {
            const Road road = measureRoad(engine, list);
            if (!road.ok) {
                std::fprintf(stderr, "generation_bench: the road of %d receipts failed\n", count);
                return 1;
            }
            build.push_back(road.build);
            handOver.push_back(road.handOver);
            load.push_back(road.load);
            store.push_back(road.store);
            pagesLoad.push_back(road.pagesLoad);
            pageStep.push_back(road.pageStep);
            pdf.push_back(road.pdf);
            docRoad.push_back(road.build + road.handOver + road.load + road.store);
            pdfRoad.push_back(road.build + road.handOver + road.pagesLoad + road.pdf);
            programPeak = std::max(programPeak, road.programPeakKb);
            officePeak = std::max(officePeak, road.officePeakKb);
        }
        const auto both = [](const std::vector<double> &values) {
            return QStringLiteral("%1/%2")
                .arg(*std::min_element(values.begin(), values.end()) / 1000.0, 0, 'f', 2)
                .arg(median(values) / 1000.0, 0, 'f', 2);
        };
        const double perReceipt = median(docRoad) / count;
        if (perReceiptAtFirst == 0)
            perReceiptAtFirst = perReceipt;
        std::printf("%8d %9s %9s %9s %9s %9s %9s %9s %10s %9s %4.2f %5.2fx %6.1f KB/r %11.0f\n", count,
                    qPrintable(both(build)), qPrintable(both(handOver)), qPrintable(both(load)),
                    qPrintable(both(store)), qPrintable(both(pagesLoad)), qPrintable(both(pageStep)),
                    qPrintable(both(pdf)), qPrintable(both(docRoad)), qPrintable(both(pdfRoad)), perReceipt,
                    perReceipt / perReceiptAtFirst, double(programPeak - programAtOne) / count,
                    double(officePeak) / 1024.0);
        std::fflush(stdout);
    }
    std::printf("seconds as min/median of %d rounds; ms/rcpt is the .doc road's median per receipt and how many\n"
                "times that of the first size; program is its peak above a run of one receipt (%.1f MB), per\n"
                "receipt; office MB the office's peak in the round\n",
                rounds, double(programAtOne) / 1024.0);
    return 0;
}

struct Phases
{
    std::vector<double> build;
    std::vector<double> document;
    std::vector<double> picture;
    std::vector<double> readBack;
    std::vector<double> firstPage;
    std::vector<double> click;
    std::vector<double> allPages;
};

// Notes when the preview window is shown: the user sees the first pages from then on.
class ShownWatch final : public QObject
{
public:
    explicit ShownWatch(const QElapsedTimer &timer)
        : mTimer(timer)
    {
        qApp->installEventFilter(this);
    }
    double shownMs = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && shownMs < 0 && qobject_cast<Form2 *>(watched))
            shownMs = double(mTimer.nsecsElapsed()) / 1e6;
        return false;
    }

private:
    const QElapsedTimer &mTimer;
};
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bool oneOffice = false;
    if (argc > 1 && QByteArray(argv[1]) == "--one-office") {
        oneOffice = true;
        --argc;
        ++argv;
    }
    const bool road = argc > 1 && QByteArray(argv[1]) == "--phases";
    const int first = road ? 2 : 1;
    const int rounds = argc > first ? std::max(1, QString::fromLocal8Bit(argv[first]).toInt()) : 3;
    const int largest = argc > 2 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 1000;

    RunTempFolder temp;
    QTemporaryDir profile;
    if (!profile.isValid()) {
        std::fprintf(stderr, "no profile folder for the office\n");
        return 1;
    }
    LibreOfficeEngine::Settings settings;
    settings.profileFolder = profile.path();
    if (oneOffice)
        settings.writerOfficeFrom = 0;
    LibreOfficeEngine engine(settings);
    engine.install();

    if (road) {
        QList<int> counts;
        for (const QString &count :
             (argc > first + 1 ? QString::fromLocal8Bit(argv[first + 1]) : QStringLiteral("1000,3000,10000"))
                 .split(QLatin1Char(',')))
            counts.append(std::max(1, count.toInt()));
        return measurePhases(engine, rounds, counts);
    }

    // The main window's start-up leaves the office warm, as in the program.
    Form1 form;
    if (ProgramEnding()) {
        std::fprintf(stderr, "generation_bench: the office could not be started\n");
        return 1;
    }

    std::printf("%8s %10s %10s %11s %12s %13s %10s %13s %13s %12s %12s %10s\n", "receipts", "build ms", "save ms",
                "picture ms", "read back ms", "first page ms", "click ms", "click min ms", "all pages ms", "program MB",
                "office MB", "writer MB");
    double perReceiptAt100 = 0;
    for (const int count : {1, 10, 100, 300, 1000, 3000, 10000}) {
        if (count > largest)
            break;
        ReceiptList list;
        for (int i = 1; i <= count; ++i)
            list.append(ExampleReceipt(i));

        Phases phases;
        long officePeak = 0;
        long writerPeak = 0;
        for (int round = 0; round <= rounds; ++round) { // round 0 warms up
            GuardedProcedure proc(Location::Form1_PushButton6_Click);
            DocumentGeneration generation(list, proc);
            generation.setTemplateSource(&ReceiptTemplateBytes);
            QElapsedTimer timer;
            double buildMs = 0;
            generation.setProgress([&](DocumentGeneration::Stage stage, int, int) {
                if (stage == DocumentGeneration::Stage::Saving)
                    buildMs = elapsed(timer);
            });
            timer.start();
            const QString document = generation.run();
            const double documentMs = elapsed(timer) - buildMs;
            timer.restart();
            const SnapshotResult snapshot = SaveDocAsJPG(document);
            const double pictureMs = elapsed(timer);
            timer.restart();
            const QString picturePath = TempFile(QLatin1String(kPagePictureFileName));
            PagePicture page;
            try {
                page = PagePicture::fromFile(picturePath);
            } catch (...) {
            }
            const double readBackMs = elapsed(timer);
            const bool pageRead = !page.isNull();
            // The program keeps the page only in the preview. Left on the clipboard, the picture would
            // hold its document in the office until the click below copies the template: the office
            // would then be started afresh in the middle of the click, which no user's click waits for.
            page = PagePicture();
            ProgramClipboard::current().clear();
            officePeak = std::max(officePeak, long(engine.officeResidentKilobytes()));
            if (document.isEmpty() || snapshot != SnapshotResult::Written || !pageRead || proc.failures() > 0) {
                std::fprintf(stderr, "generation_bench: the run for %d receipts failed\n", count);
                return 1;
            }
            QFile::remove(document);
            QFile::remove(picturePath);

            // The same run as the user starts it: from the click to the preview on screen.
            form.receipts()->clear();
            for (int i = 1; i <= count; ++i)
                form.receipts()->append(ExampleReceipt(i));
            form.show();
            // A user looks at the last preview for a moment: an office started afresh after the work above
            // is ready by the click.
            engine.createApplication();
            timer.restart();
            ShownWatch shown(timer);
            form.PushButton6_Click();
            const double clickMs = elapsed(timer);
            // The pages after the first arrive while the preview is shown.
            while (form.loadedPreview() && form.loadedPreview()->isMakingPages())
                QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            const double allPagesMs = elapsed(timer);
            officePeak = std::max(officePeak, long(engine.officeResidentKilobytes()));
            long writer = 0;
            for (const qint64 pid : engine.writerProcessIds())
                writer += statusKilobytes(pid, "VmHWM");
            writerPeak = std::max(writerPeak, writer);
            if (Form2 *preview = form.loadedPreview()) {
                QFile::remove(preview->wordFile());
                preview->hide();
            }
            if (round > 0) {
                phases.build.push_back(buildMs);
                phases.document.push_back(documentMs);
                phases.picture.push_back(pictureMs);
                phases.readBack.push_back(readBackMs);
                phases.firstPage.push_back(shown.shownMs);
                phases.click.push_back(clickMs);
                phases.allPages.push_back(allPagesMs);
            }
        }
        const double clickMedian = median(phases.click);
        std::printf("%8d %10.1f %10.1f %11.1f %12.1f %13.1f %10.1f %13.1f %13.1f %12.1f %12.1f %10.1f\n", count,
                    median(phases.build), median(phases.document), median(phases.picture), median(phases.readBack),
                    median(phases.firstPage), clickMedian, *std::min_element(phases.click.begin(), phases.click.end()),
                    median(phases.allPages),
                    double(statusKilobytes(QCoreApplication::applicationPid(), "VmHWM")) / 1024.0,
                    double(officePeak) / 1024.0, double(writerPeak) / 1024.0);
        std::fflush(stdout);
        if (count == 100) {
            perReceiptAt100 = clickMedian / count;
            std::printf("         the click per receipt at 100: %.1f ms\n", perReceiptAt100);
        }
        if (count == 1000) {
            std::printf("         the click per receipt at 1000: %.1f ms (%.2f times that at 100)\n",
                        clickMedian / count, perReceiptAt100 > 0 ? clickMedian / count / perReceiptAt100 : 0.0);
        }
        std::fflush(stdout);
    }
    std::printf("program MB is the program's peak resident memory; office MB the office's largest seen\n");
    return 0;
}
