#include "BatchCommand.h"

#include "BatchDialogs.h"
#include "BatchWorkers.h"
#include "CheckedFile.h"
#include "DocumentBound.h"
#include "DocumentGeneration.h"
#include "Failure.h"
#include "FontCoverage.h"
#include "GuardedProcedure.h"
#include "LibreOfficeEngine.h"
#include "Locations.h"
#include "ProgramEnd.h"
#include "ProgramFiles.h"
#include "ReceiptCsv.h"
#include "ReceiptList.h"
#include "ReceiptTemplate.h"
#include "ReceiptTotal.h"
#include "RunLeftovers.h"
#include "SaveCopy.h"
#include "TemplateCheck.h"
#include "UnprintableText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {
// Each office holds hundreds of megabytes for a large part; more than this many would only wait for
// the processor cores and fill the memory.
constexpr int kMostJobs = 64;

// What one copy of the program and its office hold, measured with parts of 5,000 receipts: about
// 300 MB, and 140 KB more for every receipt of a part.
constexpr qint64 kJobBaseKilobytes = 300 * 1024;
constexpr qint64 kJobReceiptKilobytes = 140;

// How many offices the memory not in use holds with parts of \a partSize receipts; at least one.
int affordableJobs(qsizetype partSize)
{
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly))
        return kMostJobs;
    for (const QByteArray &line : meminfo.readAll().split('\n')) {
        if (line.startsWith("MemAvailable:")) {
            const qint64 available = line.mid(13).trimmed().split(' ').value(0).toLongLong();
            return static_cast<int>(
                std::clamp<qint64>(available / (kJobBaseKilobytes + kJobReceiptKilobytes * partSize), 1, kMostJobs));
        }
    }
    return kMostJobs;
}

// A progress line more often than this only flickers.
constexpr qint64 kProgressIntervalMs = 100;

void printError(const QString &line)
{
    std::fprintf(stderr, "parvoline: %s\n", qUtf8Printable(line));
    std::fflush(stderr);
}

int usageError(const QString &problem)
{
    printError(problem + QStringLiteral(" (see parvoline --help)"));
    return BatchCommand::kFailed;
}

QElapsedTimer &progressClock()
{
    static QElapsedTimer timer;
    if (!timer.isValid())
        timer.start();
    return timer;
}

const char kDescription[] =
    "Makes the receipts of a CSV file into one document, without any window.\n"
    "Without arguments Parvoline starts its windows.\n"
    "\n"
    "The CSV file has a header row with the columns' captions (\"Receipt\" and \"No\" are required), comma,\n"
    "semicolon or tab separators, and UTF-8 text. The output's extension names its format: .doc (Word\n"
    "97-2003), .docx (Word 2007-365), .odt (OpenDocument Text) or .pdf. An existing output file is replaced\n"
    "once the new one is complete.\n"
    "\n"
    "A template of your own is a Word or OpenDocument text file whose first table is the receipt, with\n"
    "some or all of the placeholders [Receipt], [No.], [FromPayee], [FromAddress], [FromCity], [ToPayee],\n"
    "[ToAddress], [ToCity], [Date], [Description], [Amount], [Tax], [SubTotal] and [Total]. Placeholders\n"
    "it lacks, and texts that look like misspelt ones, are warned about; a file without a table or\n"
    "without any placeholder is refused, and nothing is written.\n"
    "\n"
    "One document holds at most 20,000 receipts. With --per-file N the receipts go into files of N each:\n"
    "receipts.pdf becomes receipts-0001.pdf, receipts-0002.pdf and so on, in the order of the CSV file.\n"
    "Each part appears under its name only once it is complete; when the command fails or is stopped,\n"
    "the parts already written stay and the missing ones are named. With --each PATTERN every receipt\n"
    "gets a file of its own, named by the pattern's column names in braces, e.g.\n"
    "--each 'receipts/{No}-{To Payee}.pdf': characters a file name cannot hold become _, a name taken\n"
    "twice is numbered (7.pdf, 7-2.pdf), and missing folders are made. The parts are made on --jobs N\n"
    "offices side by side (default: one per processor core); their names are the same however many."
    "\n"
    "\n"
    "Exit status: 0 saved; 2 rows of the file are invalid (each is listed, nothing is written);\n"
    "1 any other failure (a refused template too).";
} // namespace

int BatchCommand::main(int &argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("parvoline"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PARVOLINE_VERSION));
    BatchCommand command;
    return command.run(QCoreApplication::arguments());
}

int BatchCommand::run(const QStringList &arguments)
{
    if (arguments.value(1) == QLatin1String(kWorkerOption))
        return work(arguments);
    QCommandLineParser parser;
    parser.setApplicationDescription(QLatin1String(kDescription));
    const QCommandLineOption import(QStringList{QStringLiteral("i"), QStringLiteral("import")},
                                    QStringLiteral("Reads the receipts from the CSV file <csv>."),
                                    QStringLiteral("csv"));
    const QCommandLineOption save(QStringList{QStringLiteral("s"), QStringLiteral("save")},
                                  QStringLiteral("Saves the document as <file>: .doc, .docx, .odt or .pdf."),
                                  QStringLiteral("file"));
    const QCommandLineOption templateOption(
        QStringList{QStringLiteral("t"), QStringLiteral("template")},
        QStringLiteral("Fills the template <file> (.dot, .doc, .dotx, .docx, .ott, .odt) instead of the built-in one."),
        QStringLiteral("file"));
    const QCommandLineOption paperOption(
        QStringList{QStringLiteral("p"), QStringLiteral("paper")},
        QStringLiteral("Lays the built-in template out on <paper>: a4 or letter (default: the paper of the "
                       "locale's country)."),
        QStringLiteral("paper"));
    const QCommandLineOption perFileOption(
        QStringLiteral("per-file"),
        QStringLiteral("Writes the receipts as files of <n> receipts each, numbered after the --save name."),
        QStringLiteral("n"));
    parser.addOption(import);
    parser.addOption(save);
    const QCommandLineOption eachOption(
        QStringLiteral("each"),
        QStringLiteral("Writes one file per receipt, named by <pattern> of column names in braces, e.g. "
                       "'receipts/{No}-{To Payee}.pdf'; instead of --save."),
        QStringLiteral("pattern"));
    const QCommandLineOption jobsOption(
        QStringLiteral("jobs"),
        QStringLiteral("Makes the parts of --per-file or --each on <n> offices side by side (default: the number "
                       "of processor cores, fewer when the free memory would not hold them)."),
        QStringLiteral("n"));
    parser.addOption(perFileOption);
    parser.addOption(eachOption);
    parser.addOption(jobsOption);
    parser.addOption(templateOption);
    parser.addOption(paperOption);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    // Qt's help option brings --help-all along, which the help text lists; a command without a display has
    // no Qt options of its own to add, so it shows the same help.
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        std::fputs(qUtf8Printable(parser.helpText()), stdout);
        return kSaved;
    }
    if (parser.isSet(version)) {
        std::printf("parvoline %s\n", PARVOLINE_VERSION);
        return kSaved;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("unexpected argument: %1").arg(parser.positionalArguments().constFirst()));
    if (parser.isSet(eachOption) && parser.isSet(save))
        return usageError(QStringLiteral("--each and --save do not go together"));
    if (parser.isSet(eachOption) && parser.isSet(perFileOption))
        return usageError(QStringLiteral("--each and --per-file do not go together"));
    for (const QCommandLineOption *option : {&import, parser.isSet(eachOption) ? &eachOption : &save}) {
        const QString name = QStringLiteral("--") + option->names().constLast();
        if (!parser.isSet(*option))
            return usageError(QStringLiteral("%1 is missing").arg(name));
        if (parser.values(*option).size() > 1)
            return usageError(QStringLiteral("%1 is given more than once").arg(name));
        if (parser.value(*option).isEmpty())
            return usageError(QStringLiteral("%1 names no file").arg(name));
    }
    Options options;
    for (const QCommandLineOption *option : {&templateOption, &paperOption, &perFileOption, &jobsOption}) {
        const QString name = QStringLiteral("--") + option->names().constLast();
        if (parser.values(*option).size() > 1)
            return usageError(QStringLiteral("%1 is given more than once").arg(name));
        if (parser.isSet(*option) && parser.value(*option).isEmpty())
            return usageError(QStringLiteral("%1 names nothing").arg(name));
    }
    options.templateFile = parser.value(templateOption);
    if (parser.isSet(perFileOption)) {
        bool ok = false;
        options.perFile = parser.value(perFileOption).toInt(&ok);
        if (!ok || options.perFile < 1 || options.perFile > kMostReceiptsPerDocument)
            return usageError(QStringLiteral("--per-file is a number of receipts from 1 to %1, not %2")
                                  .arg(kMostReceiptsPerDocument)
                                  .arg(parser.value(perFileOption)));
    }
    options.jobs = std::clamp(QThread::idealThreadCount(), 1, kMostJobs);
    if (parser.isSet(jobsOption)) {
        bool ok = false;
        options.jobs = parser.value(jobsOption).toInt(&ok);
        options.jobsChosen = true;
        if (!ok || options.jobs < 1 || options.jobs > kMostJobs)
            return usageError(
                QStringLiteral("--jobs is a number from 1 to %1, not %2").arg(kMostJobs).arg(parser.value(jobsOption)));
    }
    if (parser.isSet(paperOption)) {
        options.paper = PaperNamed(parser.value(paperOption));
        if (!options.paper)
            return usageError(QStringLiteral("--paper is a4 or letter, not %1").arg(parser.value(paperOption)));
        // A template of one's own keeps its own paper.
        if (!options.templateFile.isEmpty())
            return usageError(QStringLiteral("--paper is for the built-in template; %1 keeps its own paper")
                                  .arg(options.templateFile));
    }
    options.each = parser.value(eachOption);
    return make(parser.value(import), options.each.isEmpty() ? parser.value(save) : options.each, options);
}

int BatchCommand::make(const QString &csvFile, const QString &output, const Options &options)
{
    // Everything that can be known before the office starts is checked first.
    const std::optional<int> fileFormat = FileFormatOfName(output);
    if (!fileFormat)
        return usageError(
            QStringLiteral("%1: the extension names no format; use .doc, .docx, .odt or .pdf").arg(output));
    const QFileInfo target(output);
    if (target.isDir())
        return usageError(QStringLiteral("%1 is a folder").arg(output));
    if (options.each.isEmpty() && !target.absoluteDir().exists()) {
        printError(QStringLiteral("%1: the folder does not exist").arg(output));
        return kFailed;
    }
    // Protected by the user: refused, as editors do, rather than replaced.
    try {
        if (options.each.isEmpty())
            SaveTargetOf(output);
    } catch (const Failure &failure) {
        printError(failure.description());
        return kFailed;
    }

    const ReceiptCsv::Import csv = ReceiptCsv::readFile(csvFile);
    if (!csv.error.isEmpty()) {
        printError(QStringLiteral("%1: %2").arg(csvFile, csv.error));
        return kFailed;
    }
    if (!csv.ignoredColumns.isEmpty())
        printError(QStringLiteral("%1: warning: columns not read: %2")
                       .arg(csvFile, csv.ignoredColumns.join(QStringLiteral(", "))));
    QList<ReceiptCsv::RejectedRow> rejected = csv.rejected;
    // A total too large to be written would stop the run halfway: such rows are told now, with the others.
    for (qsizetype i = 0; i < csv.records.size(); ++i) {
        try {
            ReceiptTotal(csv.records.at(i)[ReceiptRecord::Amount], csv.records.at(i)[ReceiptRecord::Tax]);
        } catch (const Failure &failure) {
            rejected.append({csv.recordRows.value(i), failure.description()});
        }
    }
    if (!rejected.isEmpty()) {
        std::sort(rejected.begin(), rejected.end(),
                  [](const ReceiptCsv::RejectedRow &a, const ReceiptCsv::RejectedRow &b) { return a.row < b.row; });
        for (const ReceiptCsv::RejectedRow &row : rejected)
            printError(QStringLiteral("%1: row %2: %3").arg(csvFile).arg(row.row).arg(row.reason));
        return kInvalidRows;
    }
    if (csv.records.isEmpty()) {
        printError(QStringLiteral("%1: the file holds no receipts").arg(csvFile));
        return kFailed;
    }
    QStringList eachNames;
    if (!options.each.isEmpty()) {
        QString problem;
        eachNames = namesOfEach(options.each, csv.records, problem);
        if (!problem.isEmpty())
            return usageError(problem);
        for (const QString &name : std::as_const(eachNames)) {
            if (!QDir().mkpath(QFileInfo(name).absolutePath())) {
                printError(QStringLiteral("%1: the folder cannot be made").arg(QFileInfo(name).absolutePath()));
                return kFailed;
            }
        }
    }
    // Refused before the office starts: one document of more would take many minutes and more memory
    // than the machine has.
    if (options.perFile == 0 && options.each.isEmpty()) {
        const QString tooMany = TooManyReceiptsProblem(
            csv.records.size(), QStringLiteral("use --per-file N to write files of N receipts each"));
        if (!tooMany.isEmpty()) {
            printError(QStringLiteral("%1: %2").arg(csvFile, tooMany));
            return kFailed;
        }
    }
    // Text that no installed font draws would print as empty boxes: told, and the document made all the same.
    try {
        const QStringList warnings =
            UnprintableTextWarnings(FindUnprintableText(csv.records, *FontCoverage::current(), csv.recordRows),
                                    QStringLiteral("Row"), QStringLiteral("Rows"));
        for (const QString &warning : warnings)
            printError(QStringLiteral("%1: warning: %2").arg(csvFile, warning));
    } catch (...) {
        // The check only warns; without it the command does what it always did.
    }

    // The run's template and document go to a folder of this command's own, so that commands running
    // at once, or beside the windowed program, never share a file.
    std::unique_ptr<RunWorkFolder> work;
    QString temp;
    try {
        temp = TempFolder();
    } catch (const Failure &failure) {
        printError(failure.description());
        return kFailed;
    }
    // A TEMP that names no usable folder is the user's to mend: say which one, and why.
    if (const QString problem = FolderProblem(temp); !problem.isEmpty()) {
        printError(qEnvironmentVariableIsEmpty("TEMP") ? problem : QStringLiteral("TEMP: %1").arg(problem));
        return kFailed;
    }
    // What a killed command left behind goes now; this command's folder is watched from here on.
    RunLeftovers::start(temp);
    work = std::make_unique<RunWorkFolder>(temp);
    if (!work->isValid()) {
        printError(QStringLiteral("no working folder can be made in %1: %2")
                       .arg(QDir::toNativeSeparators(temp), work->errorString()));
        return kFailed;
    }
    qputenv("TEMP", QFile::encodeName(work->path()));

    BatchDialogs dialogs;
    LibreOfficeEngine engine(engineSettings(!eachNames.isEmpty() && *fileFormat == wdFormatPDF));
    engine.install();
    // After the engine's guard: SIGTERM, SIGINT and SIGHUP end the command as they end the windows.
    InstallEndSignalHandlers();

    // The template is checked, and a bad one refused, before any receipt is made; a file that is no
    // document at all is refused before the office starts.
    std::function<QByteArray()> templateSource;
    if (options.templateFile.isEmpty()) {
        const Paper paper = options.paper.value_or(LocalPaper());
        templateSource = [paper] {
            return BuiltInTemplateBytes(paper);
        };
    } else {
        QByteArray templateBytes;
        TemplateReview review;
        try {
            review = TemplateCheck::checkFile(options.templateFile, templateBytes);
        } catch (...) {
            printError(QStringLiteral("%1: the template cannot be checked: %2")
                           .arg(options.templateFile, DescribeException(std::current_exception())));
            engine.shutdown();
            return ProgramExitCode(kFailed);
        }
        if (!review.usable()) {
            printError(review.refusal);
            engine.shutdown();
            return ProgramExitCode(kFailed);
        }
        const QString warning = review.warning(options.templateFile);
        for (const QString &line : warning.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            printError(QStringLiteral("warning: ") + line);
        templateSource = [templateBytes] {
            return templateBytes;
        };
    }

    mShowProgress = ::isatty(STDERR_FILENO) == 1;
    const qsizetype total = csv.records.size();
    Parts parts;
    parts.size = !options.each.isEmpty() ? 1 : options.perFile > 0 ? options.perFile : total;
    parts.count = static_cast<int>((total + parts.size - 1) / parts.size);
    parts.written = QList<bool>(parts.count, false);
    const QString absolute = target.absoluteFilePath();
    parts.name = [&](int part) {
        return !eachNames.isEmpty()                       ? QFileInfo(eachNames.at(part - 1)).absoluteFilePath()
               : parts.count == 1 && options.perFile == 0 ? absolute
                                                          : partFileName(absolute, part, parts.count);
    };
    // One PDF per receipt is made of the pages of documents of many receipts.
    const bool eachPdf = !eachNames.isEmpty() && *fileFormat == wdFormatPDF;
    // Unless the user chose, no more offices run than the memory holds: one more would only be swapped
    // out or make the system end a process.
    const int jobs =
        std::min({options.jobs, parts.count, options.jobsChosen ? options.jobs : affordableJobs(parts.size)});
    if (jobs > 1) {
        // The offices run in the workers; one started here to check the template would only stand by.
        engine.shutdown();
        QByteArray templateBytes;
        try {
            templateBytes = templateSource();
        } catch (...) {
            dialogs.fail(DescribeException(std::current_exception()));
        }
        if (!dialogs.failed())
            makeSideBySide(csv.records, parts, jobs, *fileFormat, templateBytes, work->path(), dialogs,
                           eachPdf ? eachPdfBatchSize(total, jobs) : 1);
    }
    for (qsizetype first = 0; jobs == 1 && eachPdf && first < total && !dialogs.failed() && !ProgramEndRequested();
         first += kEachPdfBatch) {
        makeEachPdf(
            csv.records.mid(first, kEachPdfBatch), templateSource, engine, dialogs,
            [&](int index, const QString &pdf) { parts.place(pdf, static_cast<int>(first) + index + 1, dialogs); },
            [&](int done) { showProgress(static_cast<int>(first) + done, static_cast<int>(total)); });
    }
    for (int part = 1; jobs == 1 && !eachPdf && part <= parts.count && !dialogs.failed() && !ProgramEndRequested();
         ++part) {
        const qsizetype first = (part - 1) * parts.size;
        const QString document = makeDocument(
            csv.records.mid(first, parts.size), *fileFormat, templateSource, [this, first, total](int receipt) {
                showProgress(static_cast<int>(first) + receipt, static_cast<int>(total));
            });
        if (document.isEmpty()) {
            if (!dialogs.failed())
                dialogs.fail(QStringLiteral("the document could not be made"));
        } else if (dialogs.failed()) {
            DeleteFileQuietly(document);
        } else {
            // Made in the working folder, so that the output is put in place only while the command is
            // not being stopped.
            parts.place(document, part, dialogs);
        }
    }
    if (mLastProgress >= 0) {
        std::fprintf(stderr, "\r%lld/%lld\n", static_cast<long long>(total), static_cast<long long>(total));
        std::fflush(stderr);
    }
    const int written = static_cast<int>(parts.written.count(true));
    if ((options.perFile > 0 || !eachNames.isEmpty()) && written < parts.count) {
        printError(QStringLiteral("%1 of %2 parts written; missing: %3")
                       .arg(written)
                       .arg(parts.count)
                       .arg(missingParts(parts)));
        if (!dialogs.failed() && !ProgramEndRequested())
            dialogs.fail(QStringLiteral("not every part was written"));
    }
    engine.shutdown();
    return ProgramExitCode(dialogs.failed() ? kFailed : kSaved);
}

QString BatchCommand::makeDocument(const QList<ReceiptRecord> &records, int fileFormat,
                                   const std::function<QByteArray()> &templateSource,
                                   const std::function<void(int)> &progress)
{
    ReceiptList receipts;
    receipts.appendRecords(records);
    GuardedProcedure procedure(Location::Form1_PushButton6_Click);
    DocumentGeneration generation(receipts, procedure);
    generation.setTemplateSource(templateSource);
    // Made in the format asked for: no Word file is written just to be converted.
    generation.setFileFormat(fileFormat);
    generation.setProgress([&progress](DocumentGeneration::Stage stage, int receipt, int) {
        if (stage == DocumentGeneration::Stage::Receipt && progress)
            progress(receipt);
    });
    return generation.run();
}

bool BatchCommand::Parts::place(const QString &made, int part, BatchDialogs &dialogs)
{
    bool failed = false;
    if (!ProgramEndRequested()) {
        try {
            CopyFileReplacing(made, name(part));
            written[part - 1] = true;
        } catch (...) {
            dialogs.fail(DescribeException(std::current_exception()));
            failed = true;
        }
    }
    DeleteFileQuietly(made);
    return !failed;
}

QString BatchCommand::missingParts(const Parts &parts)
{
    QStringList runs;
    for (int part = 1; part <= parts.count; ++part) {
        if (parts.written.value(part - 1))
            continue;
        int last = part;
        while (last < parts.count && !parts.written.value(last))
            ++last;
        const QString first = QDir::toNativeSeparators(parts.name(part));
        runs.append(last == part ? first
                                 : QStringLiteral("%1 to %2").arg(first, QDir::toNativeSeparators(parts.name(last))));
        part = last;
    }
    return runs.join(QStringLiteral(", "));
}

QStringList BatchCommand::namesOfEach(const QString &pattern, const QList<ReceiptRecord> &records, QString &problem)
{
    // The columns by their captions, as the CSV file's header names them; case ignored.
    QHash<QString, int> columns;
    for (int column = 0; column < ReceiptRecord::kFieldCount; ++column)
        columns.insert(ReceiptRecord::header(column).toCaseFolded(), column);
    static const QRegularExpression field(QStringLiteral("\\{([^{}]*)\\}"));
    for (const QRegularExpressionMatch &match : field.globalMatch(pattern)) {
        if (!columns.contains(match.captured(1).trimmed().toCaseFolded())) {
            problem = QStringLiteral("--each: there is no column \"%1\"").arg(match.captured(1));
            return {};
        }
    }
    if (!field.match(pattern).hasMatch()) {
        problem = QStringLiteral("--each names no column, so every receipt would get the same name; use e.g. {No}");
        return {};
    }

    QStringList names;
    QSet<QString> taken;
    for (const ReceiptRecord &record : records) {
        QString name;
        qsizetype from = 0;
        for (const QRegularExpressionMatch &match : field.globalMatch(pattern)) {
            name += pattern.mid(from, match.capturedStart() - from);
            QString value = record[columns.value(match.captured(1).trimmed().toCaseFolded())].trimmed();
            // A value never makes a folder, a hidden file or a name no file system takes.
            for (QChar &c : value) {
                if (c.category() == QChar::Other_Control || QStringLiteral("/\\:*?\"<>|").contains(c))
                    c = QLatin1Char('_');
            }
            while (value.startsWith(QLatin1Char('.')))
                value.replace(0, 1, QLatin1Char('_'));
            name += value.isEmpty() ? QStringLiteral("_") : value.left(120);
            from = match.capturedEnd();
        }
        name += pattern.mid(from);
        const QFileInfo info(name);
        const QString suffix = info.suffix();
        const QString stem = suffix.isEmpty() ? name : name.chopped(suffix.size() + 1);
        QString unique = name;
        for (int n = 2; taken.contains(QFileInfo(unique).absoluteFilePath()); ++n)
            unique = stem + QStringLiteral("-%1").arg(n) + (suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix);
        taken.insert(QFileInfo(unique).absoluteFilePath());
        names.append(unique);
    }
    return names;
}

QString BatchCommand::partFileName(const QString &output, int part, int parts)
{
    const QFileInfo info(output);
    const int digits = std::max(4, static_cast<int>(QString::number(parts).size()));
    const QString suffix = info.suffix();
    const QString base = suffix.isEmpty() ? output : output.chopped(suffix.size() + 1);
    const QString number = QStringLiteral("%1").arg(part, digits, 10, QLatin1Char('0'));
    return suffix.isEmpty() ? base + QLatin1Char('-') + number
                            : base + QLatin1Char('-') + number + QLatin1Char('.') + suffix;
}

void BatchCommand::showProgress(int receipt, int count)
{
    if (!mShowProgress)
        return;
    const qint64 now = progressClock().elapsed();
    if (mLastProgress >= 0 && now - mLastProgress < kProgressIntervalMs && receipt != count)
        return;
    mLastProgress = now;
    std::fprintf(stderr, "\r%d/%d", receipt, count);
    std::fflush(stderr);
}
