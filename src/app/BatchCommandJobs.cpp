// The batch command's parts made side by side: the command hands parts to copies of itself, each with an
// office of its own, and puts every finished part in place under its name.

#include "BatchCommand.h"
#include "BatchDialogs.h"
#include "BatchWorkers.h"
#include "CheckedFile.h"
#include "Failure.h"
#include "GuardedProcedure.h"
#include "LibreOfficeEngine.h"
#include "ProgramEnd.h"
#include "ProgramFiles.h"
#include "ReceiptCsv.h"
#include "RunLeftovers.h"
#include "SaveCopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QUrl>

#include <algorithm>
#include <cstdio>

namespace {
// A worker reports how far its part is at most this often.
constexpr qint64 kWorkerProgressIntervalMs = 100;
// How long stopped workers may take to shut their offices down before they are killed.
constexpr int kWorkerEndMs = 60000;

void writeOwnFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush()) {
        throw Failure(
            QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    }
}
} // namespace

void BatchCommand::makeSideBySide(const QList<ReceiptRecord> &records, Parts &parts, int jobs, int fileFormat,
                                  const QByteArray &templateBytes, const QString &workFolder, BatchDialogs &dialogs,
                                  int perTask)
{
    // The template as this command read and checked it: the workers fill exactly that.
    const QString templateCopy = QDir(workFolder).filePath(QStringLiteral("template-source"));
    try {
        writeOwnFile(templateCopy, templateBytes);
    } catch (...) {
        dialogs.fail(DescribeException(std::current_exception()));
        return;
    }
    // A worker given many parts at once makes them as PDFs of one receipt each, and tells each as it is done.
    QStringList arguments{QLatin1String(kWorkerOption), templateCopy, QString::number(fileFormat)};
    if (perTask > 1)
        arguments.append(QLatin1String(kEachPdfWorker));
    BatchWorkers workers(QCoreApplication::applicationFilePath(), arguments);
    QString problem;
    if (!workers.start(jobs, problem)) {
        dialogs.fail(QStringLiteral("no copy of the program can be started: %1").arg(problem));
        return;
    }

    const auto total = static_cast<int>(records.size());
    const auto sliceOf = [&](int part) {
        return QDir(workFolder).filePath(QStringLiteral("part-%1.csv").arg(part));
    };
    struct Task
    {
        int part = 0;
        int parts = 0;
        int filled = 0;
    };
    QList<Task> tasks(workers.count());
    int nextPart = 1;
    int finished = 0;
    bool handing = true;
    const auto handOut = [&](int worker) {
        tasks[worker] = Task();
        if (!handing || nextPart > parts.count || ProgramEndRequested() || !workers.isRunning(worker))
            return;
        const int part = nextPart;
        const int count = std::min(perTask, parts.count - part + 1);
        nextPart += count;
        try {
            writeOwnFile(sliceOf(part), ReceiptCsv::compose(records.mid((part - 1) * parts.size, count * parts.size)));
        } catch (...) {
            dialogs.fail(DescribeException(std::current_exception()));
            handing = false;
            return;
        }
        tasks[worker].part = part;
        tasks[worker].parts = count;
        // A worker that is gone is found by its end, which fails the part.
        workers.send(worker, QUrl::toPercentEncoding(sliceOf(part), "/"));
    };
    const auto showAll = [&] {
        int filled = finished;
        for (const Task &task : std::as_const(tasks))
            filled += task.filled;
        showProgress(std::min(filled, total), total);
    };

    for (int worker = 0; worker < workers.count(); ++worker)
        handOut(worker);
    while (!ProgramEndRequested()
           && std::any_of(tasks.cbegin(), tasks.cend(), [](const Task &task) { return task.part > 0; })) {
        const BatchWorkers::Event event = workers.next(100);
        if (event.worker < 0)
            continue;
        const int part = tasks.at(event.worker).part;
        const auto putInPlace = [&](const QString &made, int madePart) {
            if (madePart <= 0)
                DeleteFileQuietly(made);
            else if (!parts.place(made, madePart, dialogs))
                handing = false;
        };
        switch (event.kind) {
        case BatchWorkers::Event::File:
            if (part > 0 && event.number >= 1 && event.number <= tasks.at(event.worker).parts)
                putInPlace(event.text, part + event.number - 1);
            else
                DeleteFileQuietly(event.text);
            break;
        case BatchWorkers::Event::Progress:
            tasks[event.worker].filled = event.number;
            showAll();
            break;
        case BatchWorkers::Event::Done:
            // Made as files of their own, the parts are in place already.
            if (!event.text.isEmpty())
                putInPlace(event.text, part);
            DeleteFileQuietly(sliceOf(part));
            finished += static_cast<int>(
                std::min<qsizetype>(tasks.at(event.worker).parts * parts.size, total - (part - 1) * parts.size));
            showAll();
            handOut(event.worker);
            break;
        case BatchWorkers::Event::Failed:
            // As with one office: the first failure ends the run, and the parts under way are finished.
            dialogs.fail(event.text);
            handing = false;
            DeleteFileQuietly(sliceOf(part));
            tasks[event.worker] = Task();
            break;
        case BatchWorkers::Event::Ended:
            if (part > 0 && !ProgramEndRequested()) {
                // Whatever it told on standard error is the reason; this names what it leaves undone.
                dialogs.fail(QStringLiteral("the copy of the program making %1 stopped (%2)")
                                 .arg(QDir::toNativeSeparators(parts.name(part)),
                                      event.number < 0 ? QStringLiteral("it crashed")
                                                       : QStringLiteral("status %1").arg(event.number)));
                handing = false;
            }
            tasks[event.worker] = Task();
            break;
        }
    }
    if (ProgramEndRequested())
        workers.stop();
    else
        workers.finish();
    workers.waitForAll(kWorkerEndMs);
}

int BatchCommand::work(const QStringList &arguments)
{
    // Started by the command with the template it checked and the format to write; its own TEMP is the
    // command's working folder, which goes with the command.
    const QString templateFile = arguments.value(2);
    bool formatOk = false;
    const int fileFormat = arguments.value(3).toInt(&formatOk);
    QFile source(templateFile);
    if (!formatOk || !source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "parvoline: %s is started by the command itself, not by hand\n", kWorkerOption);
        return kFailed;
    }
    const bool eachPdf = arguments.value(4) == QLatin1String(kEachPdfWorker);
    const QByteArray templateBytes = source.readAll();
    source.close();

    QString temp;
    try {
        temp = TempFolder();
    } catch (const Failure &failure) {
        BatchWorkerChannel::failed(failure.description());
        return kFailed;
    }
    RunLeftovers::start(temp);
    auto work = std::make_unique<RunWorkFolder>(temp);
    if (!work->isValid()) {
        BatchWorkerChannel::failed(QStringLiteral("no working folder can be made in %1: %2")
                                       .arg(QDir::toNativeSeparators(temp), work->errorString()));
        return kFailed;
    }
    qputenv("TEMP", QFile::encodeName(work->path()));

    LibreOfficeEngine engine(engineSettings(eachPdf));
    engine.install();
    InstallEndSignalHandlers();
    const std::function<QByteArray()> templateSource = [&templateBytes] {
        return templateBytes;
    };

    QByteArray line;
    while (!ProgramEndRequested() && BatchWorkerChannel::readLine(line)) {
        BatchDialogs dialogs;
        dialogs.setTeller([](const QString &text) { BatchWorkerChannel::failed(text); });
        const QString slice = QUrl::fromPercentEncoding(line);
        const ReceiptCsv::Import part = ReceiptCsv::readFile(slice);
        if (!part.error.isEmpty() || part.records.isEmpty()) {
            dialogs.fail(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(slice), part.error));
            continue;
        }
        QElapsedTimer clock;
        clock.start();
        qint64 told = -kWorkerProgressIntervalMs;
        if (eachPdf) {
            const bool made = BatchCommand().makeEachPdf(
                part.records, templateSource, engine, dialogs,
                [](int index, const QString &pdf) { BatchWorkerChannel::file(index + 1, pdf); },
                [&](int done) {
                    if (clock.elapsed() - told >= kWorkerProgressIntervalMs) {
                        told = clock.elapsed();
                        BatchWorkerChannel::progress(done);
                    }
                });
            if (made)
                BatchWorkerChannel::done(QString());
            continue;
        }
        const QString document =
            BatchCommand().makeDocument(part.records, fileFormat, templateSource, [&](int receipt) {
                if (clock.elapsed() - told >= kWorkerProgressIntervalMs) {
                    told = clock.elapsed();
                    BatchWorkerChannel::progress(receipt - 1);
                }
            });
        if (!document.isEmpty() && !dialogs.failed() && !ProgramEndRequested()) {
            // The command copies it into place and removes it before it sends the next part.
            BatchWorkerChannel::done(document);
            continue;
        }
        if (!dialogs.failed())
            dialogs.fail(QStringLiteral("the document could not be made"));
        if (!document.isEmpty())
            DeleteFileQuietly(document);
    }
    engine.shutdown();
    return ProgramExitCode(kSaved);
}
