#pragma once

#include <QLocale>
#include <QString>

class QDate;

/// The city line of an address: city, ", ", state, " ", zip. The separators are always written.
QString ComposeCityLine(const QString &city, const QString &state, const QString &zip);

/// The receipt date as two-digit month, two-digit day and four-digit year, joined by the
/// locale's date separator (a slash under United States settings).
QString FormatReceiptDate(const QDate &date, const QLocale &locale = QLocale());

/// The locale's date separator, as its short date format writes it.
QString DateSeparator(const QLocale &locale = QLocale());

/// The number test that "Add" applies to the amount: a number as the user's settings write it
/// (group separators and surrounding blanks allowed), or in the plain C form.
bool IsNumeric(const QString &text, const QLocale &locale = QLocale());

/// The value of a text by the same test; sets \a ok to whether it passed, and gives 0 when it did not.
double NumericValue(const QString &text, bool *ok, const QLocale &locale = QLocale());
