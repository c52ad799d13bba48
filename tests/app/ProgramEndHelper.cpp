// The program as main() builds it, brought to a chosen state and left running, so that a test can
// end it from outside (a signal) and look at what it leaves behind.
//
//     program_end_helper <state> <profile folder>
//
// States: "main" (the main window, the office warm), "preview" (a document generated and shown in
// the preview) and "run" (a long generation run under way). Once there, prints one line:
// "ready office <pid>... folder <office's private folder> profile <profile folder>".

#include "Form1.h"
#include "LibreOfficeEngine.h"
#include "ProgramEnd.h"
#include "ReceiptList.h"
#include "RecordingUrlOpener.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {
ReceiptRecord sample(int i)
{
    ReceiptRecord r;
    r[ReceiptRecord::Receipt] = QStringLiteral("Harbor Lights Bakery");
    r[ReceiptRecord::No] = QString::number(i);
    r[ReceiptRecord::FromPayee] = QStringLiteral("Selma Orrick");
    r[ReceiptRecord::Date] = QStringLiteral("08/30/2021");
    r[ReceiptRecord::Amount] = QStringLiteral("75");
    r[ReceiptRecord::Tax] = QStringLiteral("10");
    return r;
}

void announce(const LibreOfficeEngine &engine)
{
    QByteArray line = "ready office";
    for (qint64 pid : engine.officeProcessIds())
        line += ' ' + QByteArray::number(pid);
    line += " folder " + engine.officeTemporaryFolder().toLocal8Bit();
    line += " profile " + engine.profileFolder().toLocal8Bit() + '\n';
    std::fputs(line.constData(), stdout);
    std::fflush(stdout);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QByteArray state = argv[1];
    RecordingUrlOpener noBrowser;

    LibreOfficeEngine::Settings settings;
    settings.profileFolder = QString::fromLocal8Bit(argv[2]);
    LibreOfficeEngine engine(settings);
    engine.install();
    InstallEndSignalHandlers();

    Form1 form;
    if (ProgramEnding() || ProgramEndRequested())
        return ProgramExitCode(1);
    form.show();

    if (state == "preview") {
        form.receipts()->append(sample(1));
        form.PushButton6_Click();
        announce(engine);
    } else if (state == "run") {
        // Long enough that the end surely comes in the middle of it.
        for (int i = 1; i <= 2000; ++i)
            form.receipts()->append(sample(i));
        announce(engine);
        QTimer::singleShot(0, &form, &Form1::PushButton6_Click);
    } else {
        announce(engine);
    }
    return ProgramExitCode(app.exec());
}
