// Measures "Start Creating Template" with the office warm, for 1, 10, 100, 300 and 1000 receipts: each
// phase (building the document in the program, the office writing the Word file, the page picture,
// reading the picture back for the preview), the whole click from the main window to the preview,
// and the memory of the program and its office. Prints medians, the time per receipt at 100 and 1000,
// and whether the run stays linear.
// Targets on a two-core machine (medians, office warm): 1 receipt 0.12 s, 10 0.25 s, 100 1.2 s,
// 300 3.5 s, 1000 8 s and no more per receipt than at 100; program and office together under
// 500 MB resident at 1000 receipts.
// The click ends with the preview showing its first pages, the document saved; "all pages" is the
// click until the preview has made the rest of its pages as well.
//
//     generation_bench [rounds] [largest count]

#include "DocumentGeneration.h"
#include "Form1.h"
#include "Form2.h"
#include "GuardedProcedure.h"
#include "LibreOfficeEngine.h"
#include "Locations.h"
#include "PagePicture.h"
#include "PageSnapshot.h"
#include "ProgramEnd.h"
#include "ProgramFiles.h"
#include "ReceiptList.h"
#include "ReceiptTemplate.h"
#include "TestData.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

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

struct Phases
{
    std::vector<double> build;
    std::vector<double> document;
    std::vector<double> picture;
    std::vector<double> readBack;
    std::vector<double> click;
    std::vector<double> allPages;
};
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 3;
    const int largest = argc > 2 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 1000;

    QTemporaryDir temp;
    QTemporaryDir profile;
    qputenv("TEMP", temp.path().toLocal8Bit());
    LibreOfficeEngine::Settings settings;
    settings.profileFolder = profile.path();
    LibreOfficeEngine engine(settings);
    engine.install();

    // The main window's start-up leaves the office warm, as in the program.
    Form1 form;
    if (ProgramEnding()) {
        std::fprintf(stderr, "generation_bench: the office could not be started\n");
        return 1;
    }

    std::printf("%8s %10s %10s %11s %12s %10s %13s %13s %12s %12s\n", "receipts", "build ms", "save ms", "picture ms",
                "read back ms", "click ms", "click min ms", "all pages ms", "program MB", "office MB");
    double perReceiptAt100 = 0;
    for (const int count : {1, 10, 100, 300, 1000}) {
        if (count > largest)
            break;
        ReceiptList list;
        for (int i = 1; i <= count; ++i)
            list.append(ExampleReceipt(i));

        Phases phases;
        long officePeak = 0;
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
            page = PagePicture(); // the program keeps the page only in the preview
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
            timer.restart();
            form.PushButton6_Click();
            const double clickMs = elapsed(timer);
            // The pages after the first arrive while the preview is shown.
            while (form.loadedPreview() && form.loadedPreview()->isMakingPages())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            const double allPagesMs = elapsed(timer);
            officePeak = std::max(officePeak, long(engine.officeResidentKilobytes()));
            if (Form2 *preview = form.loadedPreview()) {
                QFile::remove(preview->wordFile());
                preview->hide();
            }
            if (round > 0) {
                phases.build.push_back(buildMs);
                phases.document.push_back(documentMs);
                phases.picture.push_back(pictureMs);
                phases.readBack.push_back(readBackMs);
                phases.click.push_back(clickMs);
                phases.allPages.push_back(allPagesMs);
            }
        }
        const double clickMedian = median(phases.click);
        std::printf("%8d %10.1f %10.1f %11.1f %12.1f %10.1f %13.1f %13.1f %12.1f %12.1f\n", count, median(phases.build),
                    median(phases.document), median(phases.picture), median(phases.readBack), clickMedian,
                    *std::min_element(phases.click.begin(), phases.click.end()), median(phases.allPages),
                    double(statusKilobytes(QCoreApplication::applicationPid(), "VmHWM")) / 1024.0,
                    double(officePeak) / 1024.0);
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
