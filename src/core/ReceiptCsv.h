#pragma once

#include "ReceiptRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QChar>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>

/// The receipt list to and from CSV as spreadsheets write it (RFC 4180), without any display or dialog:
/// the main window's import and export and the batch command share it.
///
/// Reading. UTF-8 with or without a byte-order mark. The separator is a comma, a semicolon or a tab,
/// whichever makes the most of the header row. A quoted value may hold separators, doubled quotes and
/// line breaks; text after a closing quote is kept, and a quote inside an unquoted value is an ordinary
/// character, as spreadsheets read such files. The header row names the columns with the list's twelve
/// captions in any order; matching ignores case and surrounding blanks. "Receipt" and "No" are required;
/// another missing column leaves its field empty; columns that name no field are ignored and listed.
/// Rows without any text are skipped. A row is taken when its amount passes the number test of "Add" and
/// its receipt name and number are not both empty; other rows are listed with their reasons.
///
/// Values are taken exactly as they stand, blanks included, with two exceptions: the apostrophe that
/// export puts before a value a spreadsheet would take for a formula is taken off (withoutFormulaGuard());
/// and a list cell is one line and its text goes into a document, so a line break or a tab inside a value
/// becomes one blank, and other control characters (U+0000 to U+001F, U+007F) and the non-characters
/// U+FFFE and U+FFFF are dropped.
///
/// Rows are numbered as a spreadsheet shows the file: the file's first row (normally the header) is
/// row 1, and every record is one row, also when a quoted value in it spans several lines.
namespace ReceiptCsv {

/// A data row that was not imported.
struct RejectedRow
{
    int row = 0;    ///< as a spreadsheet numbers it: the header is row 1
    QString reason; ///< one or more reasons joined by "; ", e.g. the amount "abc" is not a number

    bool operator==(const RejectedRow &other) const = default;
};

/// What a CSV file gave.
struct Import
{
    /// Why the file as a whole cannot be taken (unreadable, not text, no header row ...), as a sentence
    /// for the user; empty when it could. When set, nothing else here counts and nothing is imported.
    QString error;
    /// The good rows, in file order, ready to append to the list.
    QList<ReceiptRecord> records;
    /// The row number of each good row, in step with records.
    QList<int> recordRows;
    /// The rows left out, in file order.
    QList<RejectedRow> rejected;
    /// The header columns that were not read, once each, in file order: unknown captions as written
    /// (trimmed), a repeated caption as e.g. Amount (repeated), and a column without caption that holds
    /// values as e.g. (column 13 without caption).
    QStringList ignoredColumns;
    /// The separator found in the header row.
    QChar separator;
};

/// The largest file readFile() takes: hundreds of thousands of receipts.
inline constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

/// Reads CSV bytes. Never throws (except for want of memory).
Import parse(QByteArrayView bytes, const QLocale &locale = QLocale());

/// Reads the CSV file at \a path; a file that cannot be read, or is larger than kMaxFileSize, gives an
/// Import with its error set. Never throws (except for want of memory).
Import readFile(const QString &path, const QLocale &locale = QLocale());

/// The field (0 to 11) a header caption names, ignoring case and surrounding blanks; -1 for none.
int fieldOfCaption(QStringView caption);

/// A value as the list takes it: line breaks and tabs become blanks, other control characters go.
QString cleanValue(QStringView value);

/// \a value as export writes it, so that a spreadsheet opening the file never runs it as a formula: a
/// value that begins with "=", "+", "-", "@", a tab or a carriage return, after any apostrophes, gets one
/// apostrophe in front (spreadsheets show such a cell as the text after it); a signed number such as -5
/// or +1.5 stays as it is, a number.
QString withFormulaGuard(const QString &value);

/// What withFormulaGuard() added taken off again: one leading apostrophe, when the value after it
/// begins with apostrophes and then one of the characters that start a formula.
QString withoutFormulaGuard(const QString &value);

/// The records as a CSV file: a byte-order mark (so spreadsheets know the text is UTF-8), the header row
/// with the twelve captions, then one row per record in order; comma separators, CR LF line ends, and
/// quotes around a value that holds a comma, a quote, a line break or blanks at either end. Values are
/// guarded against formulas (withFormulaGuard()); reading the file back gives the records exactly.
QByteArray compose(const QList<ReceiptRecord> &records);

/// Writes compose(\a records) to \a path through a checked write: the old file stays as it was unless
/// every byte of the new one reached the disk. A link at \a path is followed and stays; a file the user
/// protected is refused ("<path> is read-only."). Throws Failure.
void writeFile(const QList<ReceiptRecord> &records, const QString &path);

/// \a path with ".csv" added when its file name has no extension; an empty path stays empty.
QString withCsvExtension(const QString &path);

} // namespace ReceiptCsv
