#include "ReceiptRules.h"

#include <QDate>

#include <cmath>

QString ComposeCityLine(const QString &city, const QString &state, const QString &zip)
{
    return city + QStringLiteral(", ") + state + QLatin1Char(' ') + zip;
}

QString DateSeparator(const QLocale &locale)
{
    // The first mark between the parts of the short date; a format that spells the month out (as the
    // plain C settings do) has none, and the date is then written with slashes.
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    for (const QChar c : format) {
        if (!c.isLetter() && !c.isSpace() && c != QLatin1Char('\''))
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
    const QString trimmed = text.trimmed();
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
