#pragma once

#include "LibreOfficeEngine.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

enum class Paper;
class BatchDialogs;
class ReceiptRecord;

/// The program as a command: `parvoline --import receipts.csv --save receipts.pdf` makes the document
/// of the receipts in a CSV file, without any window, in the format that the output's extension names
/// (.doc, .docx, .odt or .pdf). Each command runs an office of its own, so several may run at once.
///
/// Exit status: 0 when the document was saved; 2 when rows of the file are invalid (each is listed on
/// standard error with its row number and reason, and nothing is written); 1 for any other failure,
/// told in one line on standard error; 128 + the signal's number when SIGTERM, SIGINT or SIGHUP ended
/// it. The output is written whole or not at all; nothing of the run is left behind. With --per-file the
/// receipts go into parts, each written whole under its name once it is complete; a failure or a stop
/// keeps the parts already written and names those that are missing.
class BatchCommand final
{
public:
    enum ExitStatus { kSaved = 0, kFailed = 1, kInvalidRows = 2 };

    /// Runs the command line \a argc, \a argv (the program's name first) as the program's main() does.
    static int main(int &argc, char **argv);

    /// Runs the command given by \a arguments (the program's name first); needs an application object.
    int run(const QStringList &arguments);

private:
    struct Options
    {
        /// The user's template; empty: the built-in one.
        QString templateFile;
        /// The built-in template's paper; none: the paper of the locale's country.
        std::optional<Paper> paper;
        /// Receipts in each part file; 0: one file of all of them.
        int perFile = 0;
        /// One file per receipt, named by this pattern of column names ("{No}-{To Payee}.pdf"); empty: none.
        QString each;
        /// How many offices make parts side by side.
        int jobs = 1;
        /// True when the user chose jobs; otherwise no more run than the free memory holds.
        bool jobsChosen = false;
    };
    /// The files of a run of parts: how many receipts each holds, their names, which are written.
    struct Parts
    {
        qsizetype size = 0;
        int count = 0;
        std::function<QString(int part)> name;
        QList<bool> written;

        /// Puts \a made, a finished file, in place as part \a part (from 1), then removes it. While the
        /// command is being stopped it is only removed: a stop never leaves a new file. False when it
        /// could not be put in place, which \a dialogs is told.
        bool place(const QString &made, int part, BatchDialogs &dialogs);
    };
    /// The file names that \a pattern gives \a records, in their order: each "{Column}" replaced by the
    /// receipt's value, characters that a file name cannot hold replaced by "_", a name that an earlier
    /// receipt took numbered ("7.pdf", "7-2.pdf"). Sets \a problem when the pattern names an unknown column.
    static QStringList namesOfEach(const QString &pattern, const QList<ReceiptRecord> &records, QString &problem);
    /// The file of part \a part (from 1) of \a parts made for \a output: "out.pdf" becomes "out-0001.pdf".
    static QString partFileName(const QString &output, int part, int parts);
    int make(const QString &csvFile, const QString &output, const Options &options);
    /// Fills \a records into one document of \a fileFormat in the temporary folder; returns its path, or
    /// an empty path when the run failed (told through the dialogs) or was stopped.
    QString makeDocument(const QList<ReceiptRecord> &records, int fileFormat,
                         const std::function<QByteArray()> &templateSource, const std::function<void(int)> &progress);
    /// Receipts of --each to PDF laid out together at most.
    static constexpr int kEachPdfBatch = 100;
    /// How much the office may grow (in kilobytes) making PDFs of each receipt before a fresh start.
    static constexpr qint64 kEachPdfGrowthKilobytes = 512 * 1024;
    /// The office's settings for a command; \a eachPdf: one that makes a PDF of each receipt.
    static LibreOfficeEngine::Settings engineSettings(bool eachPdf);
    /// How many receipts of \a receipts to PDF one document lays out together on \a jobs offices.
    static int eachPdfBatchSize(qsizetype receipts, int jobs);
    /// Makes a PDF of each of \a records in the temporary folder, exactly as the receipt's own document
    /// would be, and hands each to \a finished (its index from 0 and the file, which it takes over) as
    /// soon as it is complete; \a progress hears how many are. True when all were handed over; false
    /// when a failure (told through \a dialogs) or a stop ended the run.
    bool makeEachPdf(const QList<ReceiptRecord> &records, const std::function<QByteArray()> &templateSource,
                     LibreOfficeEngine &engine, BatchDialogs &dialogs,
                     const std::function<void(int index, const QString &pdf)> &finished,
                     const std::function<void(int done)> &progress);
    /// Makes the parts on \a jobs copies of the program at once, each with an office of its own, and puts
    /// each in place as it is complete. \a workFolder is the command's own.
    /// \a perTask parts (one receipt each) go to a worker at once when they are PDFs of one receipt each.
    void makeSideBySide(const QList<ReceiptRecord> &records, Parts &parts, int jobs, int fileFormat,
                        const QByteArray &templateBytes, const QString &workFolder, BatchDialogs &dialogs, int perTask);
    /// The command as one of those copies: makes the parts it is sent, one after another, and answers.
    static int work(const QStringList &arguments);
    /// "out-0003.pdf" or "out-0003.pdf to out-0020.pdf, out-0022.pdf": the parts not written.
    static QString missingParts(const Parts &parts);
    void showProgress(int receipt, int count);

    bool mShowProgress = false;
    qint64 mLastProgress = -1;
};
