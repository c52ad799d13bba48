// Runs the user's round many times through the real windows and the real office: "Start Creating
// Template", the preview, "< Back", again and again. Every 25 cycles (and after the last) it prints
// the program's and the office's resident memory, the files left in the temporary folder and the
// time a cycle took, so that growth and leftovers show.
//
//     stress_bench [cycles] [receipts]      (defaults: 200 cycles of 3 receipts)

#include "Form1.h"
#include "Form2.h"
#include "LibreOfficeEngine.h"
#include "ProgramEnd.h"
#include "ReceiptList.h"
#include "RunTempFolder.h"
#include "TestData.h"
#include "TestOffice.h"
#include "UserDialogs.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int kReportEvery = 25;

/// Message boxes would wait for a click that never comes: each is printed and answered at once.
class PrintedDialogs final : public UserDialogs
{
public:
    int messages = 0;

    Answer message(const QString &title, const QString &text, Icon, Buttons buttons) override
    {
        ++messages;
        QString shown = text;
        shown.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
        std::fprintf(stderr, "stress_bench: message \"%s\": %s\n", qUtf8Printable(title), qUtf8Printable(shown));
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    int choose(const QString &, const QString &, Icon, const QStringList &, int defaultButton) override
    {
        return defaultButton;
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &, QString *,
                         const QString &) override
    {
        return {};
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &, QString *) override
    {
        return {};
    }
    bool print(QWidget *, QPrinter &, int) override { return false; }
};

// Resident memory in kilobytes of one process.
long residentKilobytes(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> lines = status.readAll().split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// The offscreen platform says at every preview that it cannot raise a window; that is no news here.
void quietMessages(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (message.contains(QLatin1String("does not support raise")))
        return;
    std::fprintf(stderr, "%s%s\n", type == QtWarningMsg ? "warning: " : "", qUtf8Printable(message));
}

QPushButton *button(QWidget *window, const char *name)
{
    return window ? window->findChild<QPushButton *>(QLatin1String(name)) : nullptr;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler(quietMessages);
    const int cycles = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 200;
    const int receipts = argc > 2 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 3;

    RunTempFolder temp;
    PrintedDialogs dialogs;
    UserDialogs::install(&dialogs);
    TestOffice office;
    if (!office.install()) {
        std::fprintf(stderr, "no profile folder for the office\n");
        return 1;
    }
    LibreOfficeEngine &engine = office.engine();

    Form1 form;
    if (ProgramEnding()) {
        std::fprintf(stderr, "stress_bench: the office could not be started\n");
        return 1;
    }
    form.show();
    for (int i = 1; i <= receipts; ++i)
        form.receipts()->append(ExampleReceipt(i));

    std::printf("%d cycles of generate, preview and back, %d receipts each\n", cycles, receipts);
    std::printf("%7s %12s %12s %12s %12s %12s %12s  %s\n", "cycle", "program MB", "office MB", "writer MB", "cycle ms",
                "slowest ms", "TEMP files", "left in TEMP");
    std::vector<double> times;
    int failures = 0;
    const qint64 startOffice = engine.officeProcessId();
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        QElapsedTimer timer;
        timer.start();
        const int messagesBefore = dialogs.messages;
        button(&form, "PushButton6")->click();
        Form2 *preview = form.loadedPreview();
        const bool shown =
            preview && preview->isVisible() && !form.isVisible() && QFileInfo::exists(preview->wordFile());
        if (QPushButton *back = button(preview, "PushButton8"))
            back->click();
        QCoreApplication::processEvents();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
        if (!shown || !form.isVisible() || dialogs.messages != messagesBefore) {
            ++failures;
            std::fprintf(stderr, "stress_bench: cycle %d did not go generate, preview, back\n", cycle);
        }

        if (cycle % kReportEvery == 0 || cycle == cycles) {
            const auto first = times.end() - std::min<std::ptrdiff_t>(kReportEvery, std::ptrdiff_t(times.size()));
            double sum = 0;
            double slowest = 0;
            for (auto it = first; it != times.end(); ++it) {
                sum += *it;
                slowest = std::max(slowest, *it);
            }
            const QStringList left =
                QDir(temp.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
            // The second office that writes the Word files of runs of 200 receipts and more.
            long writer = 0;
            for (const qint64 pid : engine.writerProcessIds())
                writer += residentKilobytes(pid);
            std::printf("%7d %12.1f %12.1f %12.1f %12.1f %12.1f %12lld  %s\n", cycle,
                        double(residentKilobytes(QCoreApplication::applicationPid())) / 1024.0,
                        double(engine.officeResidentKilobytes()) / 1024.0, double(writer) / 1024.0,
                        sum / double(times.end() - first), slowest, qint64(left.size()),
                        qUtf8Printable(left.join(QLatin1Char(' '))));
            std::fflush(stdout);
        }
    }
    if (engine.officeProcessId() != startOffice)
        std::printf("the office was started again during the cycles\n");
    std::printf("%d of %d cycles failed\n", failures, cycles);
    UserDialogs::install(nullptr);
    return failures == 0 ? 0 : 1;
}
