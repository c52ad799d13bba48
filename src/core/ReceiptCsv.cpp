#include "ReceiptCsv.h"

#include "CheckedFile.h"
#include "ReceiptRules.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <array>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {
const std::array<QChar, 3> kSeparators = {QLatin1Char(','), QLatin1Char(';'), QLatin1Char('\t')};

// Longer values are shortened in the reasons, so one odd row cannot flood the message.
constexpr qsizetype kShownValueLength = 40;

enum class RecordEnd {
    Line,          ///< the record ended with a line break; more may follow
    EndOfText,     ///< the record was the last one
    UnclosedQuote, ///< a quoted value ran to the end of the text
};

// Reads the record that starts at \a pos into \a fields and moves \a pos past its line break.
RecordEnd readRecord(QStringView text, qsizetype &pos, QChar separator, QStringList &fields)
{
    fields.clear();
    const qsizetype size = text.size();
    QString field;
    for (;;) {
        field.clear();
        if (pos < size && text[pos] == QLatin1Char('"')) {
            ++pos;
            for (;;) {
                const qsizetype quote = text.indexOf(QLatin1Char('"'), pos);
                if (quote < 0)
                    return RecordEnd::UnclosedQuote;
                field += text.sliced(pos, quote - pos);
                pos = quote + 1;
                if (pos < size && text[pos] == QLatin1Char('"')) {
                    field += QLatin1Char('"');
                    ++pos;
                } else {
                    break;
                }
            }
        }
        // An unquoted value, or whatever stands between a closing quote and the next separator.
        const qsizetype start = pos;
        while (pos < size) {
            const QChar c = text[pos];
            if (c == separator || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                break;
            ++pos;
        }
        field += text.sliced(start, pos - start);
        fields.append(field);

        if (pos >= size)
            return RecordEnd::EndOfText;
        const QChar end = text[pos++];
        if (end == separator)
            continue;
        if (end == QLatin1Char('\r') && pos < size && text[pos] == QLatin1Char('\n'))
            ++pos;
        return RecordEnd::Line;
    }
}

bool isBlank(const QStringList &fields)
{
    for (const QString &field : fields) {
        if (!field.isEmpty())
            return false;
    }
    return true;
}

QString shown(const QString &value)
{
    if (value.size() <= kShownValueLength)
        return value;
    return value.first(kShownValueLength - 3) + QStringLiteral("...");
}

QString quoted(const QString &text)
{
    return QLatin1Char('"') + text + QLatin1Char('"');
}

struct HeaderGuess
{
    QChar separator;
    QStringList captions;
    int known = -1;
};

// The separator that makes the most known captions of the header row; with as many, the one that
// splits it into the most columns; with as many again, the earlier of comma, semicolon, tab.
HeaderGuess guessHeader(QStringView text, qsizetype headerStart)
{
    HeaderGuess best;
    for (const QChar separator : kSeparators) {
        qsizetype pos = headerStart;
        QStringList captions;
        if (readRecord(text, pos, separator, captions) == RecordEnd::UnclosedQuote)
            continue;
        QList<int> fields;
        for (const QString &caption : captions) {
            const int field = ReceiptCsv::fieldOfCaption(ReceiptCsv::cleanValue(caption));
            if (field >= 0 && !fields.contains(field))
                fields.append(field);
        }
        const int known = int(fields.size());
        if (known > best.known || (known == best.known && captions.size() > best.captions.size()))
            best = {separator, captions, known};
    }
    return best;
}

// Why the file at \a path cannot even be looked at, as a sentence; empty when it can. "Does not exist"
// is said only when that is the cause: a folder on the way that cannot be entered is another matter.
QString unreachableBecause(const QString &path)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(path).constData(), &st) == 0)
        return {};
    const int error = errno;
    if (error == ENOENT)
        return QStringLiteral("The file does not exist.");
    // The first folder on the way that fails names the trouble.
    const QFileInfo info(path);
    const QStringList parts = info.absoluteFilePath().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString folder;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        folder += QLatin1Char('/') + parts.at(i);
        if (const QString problem = FolderProblem(folder); !problem.isEmpty()) {
            if (error == ENOTDIR)
                return QStringLiteral("The file cannot be there: %1.").arg(problem);
            return problem.first(1).toUpper() + problem.sliced(1) + QLatin1Char('.');
        }
    }
    return QStringLiteral("The file cannot be reached: %1.").arg(QString::fromLocal8Bit(std::strerror(error)));
}

// A spreadsheet takes a cell that begins with one of these as a formula, or as the start of one.
bool startsAFormula(QStringView value)
{
    if (value.isEmpty())
        return false;
    const QChar c = value.front();
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('@')
           || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

// A signed number such as -5, +1.5, -1,234.50 or -2E3: a spreadsheet reads it as the number it is.
bool isPlainNumber(QStringView value)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9.,]*[0-9][0-9.,]*([eE][+-]?[0-9]+)?$"));
    return number.match(value).hasMatch();
}

// Apostrophes, then what starts a formula: the form that export guards with one more apostrophe.
bool guardedForm(QStringView value)
{
    qsizetype i = 0;
    while (i < value.size() && value[i] == QLatin1Char('\''))
        ++i;
    return startsAFormula(value.sliced(i));
}

ReceiptCsv::Import failed(const QString &error)
{
    ReceiptCsv::Import result;
    result.error = error;
    return result;
}
} // namespace

namespace ReceiptCsv {

int fieldOfCaption(QStringView caption)
{
    const QStringView trimmed = caption.trimmed();
    for (int field = 0; field < ReceiptRecord::kFieldCount; ++field) {
        if (trimmed.compare(ReceiptRecord::header(field), Qt::CaseInsensitive) == 0)
            return field;
    }
    return -1;
}

QString cleanValue(QStringView value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char16_t c = value[i].unicode();
        if (c == u'\r') {
            if (i + 1 < value.size() && value[i + 1] == QLatin1Char('\n'))
                ++i;
            result += QLatin1Char(' ');
        } else if (c == u'\n' || c == u'\t') {
            result += QLatin1Char(' ');
        } else if (c < 0x20 || c == 0x7f || c == 0xfffe || c == 0xffff) {
            continue;
        } else {
            result += QChar(c);
        }
    }
    return result;
}

Import parse(QByteArrayView bytes, const QLocale &locale)
{
    if (bytes.isEmpty())
        return failed(QStringLiteral("The file is empty."));
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        return failed(QStringLiteral("The file is UTF-16 text. Save it as CSV in UTF-8 (in many spreadsheet "
                                     "programs: \"CSV UTF-8\") and import that."));
    }
    if (bytes.contains('\0'))
        return failed(QStringLiteral("The file is not a text file, so it cannot be CSV."));

    // The decoder drops a leading byte-order mark.
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return failed(QStringLiteral("The file is not UTF-8 text. Save it as CSV in UTF-8 (in many spreadsheet "
                                     "programs: \"CSV UTF-8\") and import that."));
    }

    // The header is the first row with any text; rows before it still count in the numbering.
    qsizetype pos = 0;
    int row = 0;
    qsizetype headerStart = -1;
    QStringList fields;
    while (pos < text.size()) {
        const qsizetype start = pos;
        ++row;
        // Any separator finds a blank row blank; the comma stands for all three here.
        const RecordEnd end = readRecord(text, pos, QLatin1Char(','), fields);
        if (!isBlank(fields) || end == RecordEnd::UnclosedQuote) {
            headerStart = start;
            pos = start;
            break;
        }
    }
    if (headerStart < 0)
        return failed(QStringLiteral("The file holds no text."));

    const HeaderGuess header = guessHeader(text, headerStart);
    if (header.known < 0)
        return failed(QStringLiteral("The quoted value that begins in row %1 has no closing quote.").arg(row));

    Import result;
    result.separator = header.separator;

    // Where each column goes: a field, or nowhere.
    QList<int> target;
    // A column without caption is worth a word only when it holds values; else it is a stray separator.
    QList<bool> unnamed;
    QList<bool> unnamedWithValues;
    for (const QString &written : header.captions) {
        const QString caption = cleanValue(written).trimmed();
        int field = fieldOfCaption(caption);
        if (field >= 0 && target.contains(field)) {
            result.ignoredColumns.append(caption + QStringLiteral(" (repeated)"));
            field = -1;
        } else if (field < 0 && !caption.isEmpty() && !result.ignoredColumns.contains(caption, Qt::CaseInsensitive)) {
            result.ignoredColumns.append(caption);
        }
        target.append(field);
        unnamed.append(caption.isEmpty());
        unnamedWithValues.append(false);
    }
    QStringList missing;
    for (const int required : {int(ReceiptRecord::Receipt), int(ReceiptRecord::No)}) {
        if (!target.contains(required))
            missing.append(quoted(ReceiptRecord::header(required)));
    }
    if (!missing.isEmpty()) {
        return failed(QStringLiteral("The first row must name the columns, and it has no %1 column. "
                                     "Receipts need at least the columns \"Receipt\" and \"No\".")
                          .arg(missing.join(QStringLiteral(" or "))));
    }

    // Past the header row.
    readRecord(text, pos, header.separator, fields);

    while (pos < text.size()) {
        ++row;
        const RecordEnd end = readRecord(text, pos, header.separator, fields);
        if (end == RecordEnd::UnclosedQuote) {
            return failed(QStringLiteral("The quoted value that begins in row %1 has no closing quote.").arg(row));
        }
        if (isBlank(fields))
            continue;

        ReceiptRecord record;
        bool extraValues = false;
        for (qsizetype column = 0; column < fields.size(); ++column) {
            const QString &value = fields.at(column);
            if (column >= target.size()) {
                extraValues = extraValues || !value.isEmpty();
            } else if (target.at(column) >= 0) {
                record[target.at(column)] = cleanValue(withoutFormulaGuard(value));
            } else if (unnamed.at(column) && !value.isEmpty()) {
                unnamedWithValues[column] = true;
            }
        }

        QStringList reasons;
        if (extraValues) {
            reasons.append(QStringLiteral("it has more values than the header row has columns (%1 against %2)")
                               .arg(fields.size())
                               .arg(target.size()));
        }
        const QString &amount = record[ReceiptRecord::Amount];
        if (amount.isEmpty())
            reasons.append(QStringLiteral("the amount is empty"));
        else if (!IsNumeric(amount, locale))
            reasons.append(QStringLiteral("the amount %1 is not a number").arg(quoted(shown(amount))));
        // As in "Add", only an empty text is missing: a name of blanks is a deliberate entry.
        if (record[ReceiptRecord::Receipt].isEmpty() && record[ReceiptRecord::No].isEmpty())
            reasons.append(QStringLiteral("\"Receipt\" and \"No\" are both empty"));

        if (reasons.isEmpty()) {
            result.records.append(record);
            result.recordRows.append(row);
        } else {
            result.rejected.append({row, reasons.join(QStringLiteral("; "))});
        }
    }

    for (qsizetype column = 0; column < unnamedWithValues.size(); ++column) {
        if (unnamedWithValues.at(column))
            result.ignoredColumns.append(QStringLiteral("(column %1 without caption)").arg(column + 1));
    }
    return result;
}

Import readFile(const QString &path, const QLocale &locale)
{
    if (const QString problem = unreachableBecause(path); !problem.isEmpty())
        return failed(problem);
    const QFileInfo info(path);
    if (info.isDir())
        return failed(QStringLiteral("It is a folder, not a file."));
    if (info.size() > kMaxFileSize) {
        return failed(QStringLiteral("The file is larger than %1 MB, too large for a list of receipts.")
                          .arg(kMaxFileSize / (1024 * 1024)));
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("The file cannot be read: %1.").arg(file.errorString()));
    // One byte more than allowed tells a file that grew since it was measured, or a device without size.
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return failed(QStringLiteral("The file cannot be read: %1.").arg(file.errorString()));
    if (bytes.size() > kMaxFileSize) {
        return failed(QStringLiteral("The file is larger than %1 MB, too large for a list of receipts.")
                          .arg(kMaxFileSize / (1024 * 1024)));
    }
    return parse(bytes, locale);
}

QString withFormulaGuard(const QString &value)
{
    // One apostrophe more than the value has before its formula's start, so import takes exactly one off
    // again, also from a value that itself begins with apostrophes. A value of only apostrophes before
    // anything else never starts a formula, so it stays as it is and import leaves it alone.
    if (guardedForm(value) && !isPlainNumber(value))
        return QLatin1Char('\'') + value;
    return value;
}

QString withoutFormulaGuard(const QString &value)
{
    if (value.startsWith(QLatin1Char('\'')) && guardedForm(value))
        return value.sliced(1);
    return value;
}

QByteArray compose(const QList<ReceiptRecord> &records)
{
    auto appendValue = [](QString &out, const QString &written) {
        const QString value = withFormulaGuard(written);
        const bool needsQuotes = value.contains(QLatin1Char(',')) || value.contains(QLatin1Char('"'))
                                 || value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r'))
                                 || (!value.isEmpty() && (value.front().isSpace() || value.back().isSpace()));
        if (!needsQuotes) {
            out += value;
            return;
        }
        out += QLatin1Char('"');
        for (const QChar c : value) {
            if (c == QLatin1Char('"'))
                out += QLatin1Char('"');
            out += c;
        }
        out += QLatin1Char('"');
    };
    auto appendRow = [&](QString &out, auto &&valueAt) {
        for (int field = 0; field < ReceiptRecord::kFieldCount; ++field) {
            if (field > 0)
                out += QLatin1Char(',');
            appendValue(out, valueAt(field));
        }
        out += QStringLiteral("\r\n");
    };

    QString text;
    text += QChar(0xfeff);
    appendRow(text, [](int field) { return ReceiptRecord::header(field); });
    for (const ReceiptRecord &record : records)
        appendRow(text, [&record](int field) { return record[field]; });
    return text.toUtf8();
}

void writeFile(const QList<ReceiptRecord> &records, const QString &path)
{
    WriteFileChecked(compose(records), path, CheckedFile::Mode::Save);
}

QString withCsvExtension(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    if (path.endsWith(QLatin1Char('.')))
        return path + QStringLiteral("csv");
    return path + QStringLiteral(".csv");
}

} // namespace ReceiptCsv
