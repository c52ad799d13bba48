#include "ReceiptRules.h"

#include <QDate>

#include <algorithm>
#include <cmath>

QString ComposeCityLine(const QString &city, const QString &state, const QString &zip)
{
    return city + QStringLiteral(", ") + state + QLatin1Char(' ') + zip;
}

QString DateSeparator(const QLocale &locale)
{
    // The first mark between the parts of the short date; a format that spells the month out (as the
    // plain C settings do) has none, and the date is then written with slashes.
    // Arabic settings put a right-to-left mark before each slash; on its own that mark shows nothing
    // and would run the numbers together.
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    for (const QChar c : format) {
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\'') && c.category() != QChar::Other_Format)
            return c;
    }
    return QStringLiteral("/");
}

QString FormatReceiptDate(const QDate &date, const QLocale &locale)
{
    const QString separator = DateSeparator(locale);
    return QStringLiteral("%1%2%3%2%4")
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(separator)
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(date.year(), 4, 10, QLatin1Char('0'));
}

double NumericValue(const QString &text, bool *ok, const QLocale &locale)
{
    // Right-to-left settings write a direction mark before the minus sign; it is not part of the number.
    QString unmarked = text;
    unmarked.removeIf([](QChar c) { return c.category() == QChar::Other_Format; });
    const QString trimmed = unmarked.trimmed();
    bool parsed = false;
    double value = 0;
    if (!trimmed.isEmpty()) {
        value = locale.toDouble(trimmed, &parsed);
        if (!parsed)
            value = QLocale::c().toDouble(trimmed, &parsed);
    }
    // Infinity and not-a-number are words, not amounts.
    if (parsed && !std::isfinite(value))
        parsed = false;
    if (ok)
        *ok = parsed;
    return parsed ? value : 0.0;
}

bool IsNumeric(const QString &text, const QLocale &locale)
{
    bool ok = false;
    NumericValue(text, &ok, locale);
    return ok;
}

namespace {
bool isControlCharacter(char16_t c)
{
    return c <= 0x08 || c == 0x0B || c == 0x0C || (c >= 0x0E && c <= 0x1F) || c == 0x7F;
}

// Line breaks and tabs part the pieces of a pasted text (lines of an address, cells of a table row).
bool isBreak(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == u'\t' || c == 0x85 || c == 0x2028 || c == 0x2029;
}
} // namespace

QString RemoveControlCharacters(const QString &text)
{
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return isControlCharacter(c.unicode()); }))
        return text;
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text) {
        if (!isControlCharacter(c.unicode()))
            kept.append(c);
    }
    return kept;
}

QString SingleLineText(const QString &text, qsizetype *position)
{
    const auto needsWork = [](QChar c) {
        return isControlCharacter(c.unicode()) || isBreak(c.unicode());
    };
    if (std::none_of(text.cbegin(), text.cend(), needsWork))
        return text;

    QString result;
    result.reserve(text.size());
    qsizetype newPosition = -1;
    bool breakPending = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (position && i == *position)
            newPosition = result.size() + (breakPending && !result.isEmpty() ? 1 : 0);
        const char16_t c = text.at(i).unicode();
        if (isBreak(c)) {
            breakPending = true;
            continue;
        }
        if (isControlCharacter(c))
            continue;
        // A run of breaks becomes one blank between the pieces it joins.
        if (breakPending && !result.isEmpty())
            result.append(QLatin1Char(' '));
        breakPending = false;
        result.append(QChar(c));
    }
    if (position) {
        *position = newPosition < 0 ? result.size() : std::min(newPosition, result.size());
    }
    return result;
}
