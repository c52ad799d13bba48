// Measures the LibreOffice backend: an office's cold start, attaching an instance to the warm
// office, and the road of one receipt (open the template, fill, save, picture). Prints the figures;
// targets on a two-core machine: attach under 20 ms, one receipt under 200 ms with the office warm.
//
//     engine_bench [rounds]

#include "DocumentGeneration.h"
#include "LibreOfficeEngine.h"
#include "ReceiptTemplate.h"
#include "WordAutomation.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
struct Figures
{
    std::vector<double> values;

    void add(double milliseconds) { values.push_back(milliseconds); }
    void print(const char *what)
    {
        std::sort(values.begin(), values.end());
        std::printf("%-44s median %8.1f ms   min %8.1f ms   max %8.1f ms   (%zu runs)\n", what,
                    values[values.size() / 2], values.front(), values.back(), values.size());
    }
};

double elapsed(const QElapsedTimer &timer)
{
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// The road of one receipt, as generation and the snapshot walk it.
void oneReceipt(const QString &templatePath, const QString &documentPath)
{
    std::unique_ptr<WordApplication> word = CreateWordApplication();
    const std::shared_ptr<WordDocument> document = word->Documents()->Open(templatePath, true);
    const std::shared_ptr<WordTable> table = document->Tables()->Item(1);
    table->Select();
    document->ActiveWindow()->Selection()->Copy();
    for (const Placeholder &placeholder : kPlaceholders)
        table->FillPlaceholder(QString::fromLatin1(placeholder.text), QStringLiteral("Harbor Lights Bakery"));
    table->Rows()->setAlignment(wdAlignRowCenter);
    document->SaveAs(documentPath);
    word->setDisplayAlerts(false);
    document->Close();
    word->Quit();

    std::unique_ptr<WordApplication> snapshot = CreateWordApplication();
    snapshot->Documents()->Open(documentPath);
    snapshot->ActiveDocument()->Range()->CopyAsPicture();
    snapshot->ActiveDocument()->Close(wdDoNotSaveChanges);
    snapshot->Quit();
    if (ProgramClipboard::current().picture(0).isNull())
        throw AutomationError(QStringLiteral("no picture"));
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 10;

    QTemporaryDir dir;
    const QString templatePath = dir.filePath(QStringLiteral("template.dot"));
    QFile file(templatePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(ReceiptTemplateBytes()) <= 0)
        return 1;
    file.close();

    try {
        LibreOfficeEngine::Settings settings;
        settings.profileFolder = dir.filePath(QStringLiteral("profile"));

        Figures newProfile;
        Figures coldStart;
        for (int i = 0; i < 3; ++i) {
            LibreOfficeEngine engine(settings);
            QElapsedTimer timer;
            timer.start();
            engine.createApplication()->Quit();
            (i == 0 ? newProfile : coldStart).add(elapsed(timer));
        }
        newProfile.print("office start on a new profile");
        coldStart.print("office cold start to connected");

        LibreOfficeEngine engine(settings);
        engine.install();
        CreateWordApplication()->Quit();

        Figures attach;
        for (int i = 0; i < rounds * 10; ++i) {
            QElapsedTimer timer;
            timer.start();
            std::unique_ptr<WordApplication> word = CreateWordApplication();
            attach.add(elapsed(timer));
            word->Quit();
        }
        attach.print("attach an instance to the warm office");

        Figures receipt;
        oneReceipt(templatePath, dir.filePath(QStringLiteral("warm-up.doc")));
        for (int i = 0; i < rounds; ++i) {
            const QString documentPath = dir.filePath(QStringLiteral("receipt%1.doc").arg(i));
            QElapsedTimer timer;
            timer.start();
            oneReceipt(templatePath, documentPath);
            receipt.add(elapsed(timer));
        }
        receipt.print("one receipt: open, fill, save .doc, picture");
    } catch (const AutomationError &error) {
        std::fprintf(stderr, "engine_bench: %s\n", qUtf8Printable(error.description()));
        return 1;
    }
    return 0;
}
