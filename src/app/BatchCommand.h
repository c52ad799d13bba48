#pragma once

#include <QString>
#include <QStringList>

#include <optional>

enum class Paper;
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
    };
    /// The file names that \a pattern gives \a records, in their order: each "{Column}" replaced by the
    /// receipt's value, characters that a file name cannot hold replaced by "_", a name that an earlier
    /// receipt took numbered ("7.pdf", "7-2.pdf"). Sets \a problem when the pattern names an unknown column.
    static QStringList namesOfEach(const QString &pattern, const QList<ReceiptRecord> &records, QString &problem);
    /// The file of part \a part (from 1) of \a parts made for \a output: "out.pdf" becomes "out-0001.pdf".
    static QString partFileName(const QString &output, int part, int parts);
    int make(const QString &csvFile, const QString &output, const Options &options);
    void showProgress(int receipt, int count);

    bool mShowProgress = false;
    qint64 mLastProgress = -1;
};
