#pragma once

#include <QLocale>
#include <QString>

class QDate;

/// The city line of an address: city, ", ", state, " ", zip. The separators are always written.
QString ComposeCityLine(const QString &city, const QString &state, const QString &zip);

/// The receipt date as two-digit month, two-digit day and four-digit year, joined by the
/// locale's date separator (a slash under United States settings).
QString FormatReceiptDate(const QDate &date, const QLocale &locale = QLocale());

/// The locale's date separator, as its short date format writes it; invisible format marks (such as the
/// right-to-left mark of Arabic settings) never count, and without a visible separator it is a slash.
QString DateSeparator(const QLocale &locale = QLocale());

/// The number test that "Add" applies to the amount: a number as the user's settings write it
/// (group separators, surrounding blanks and invisible direction marks allowed), or in the plain C form.
bool IsNumeric(const QString &text, const QLocale &locale = QLocale());

/// The value of a text by the same test; sets \a ok to whether it passed, and gives 0 when it did not.
double NumericValue(const QString &text, bool *ok, const QLocale &locale = QLocale());

/// \a text without the control characters that no document can hold: U+0000 to U+0008, U+000B, U+000C,
/// U+000E to U+001F and U+007F. Tabs and line breaks stay.
QString RemoveControlCharacters(const QString &text);

/// \a text as a one-line text box keeps it: the control characters removed, and each run of line breaks
/// and tabs (as a pasted address or table row has them) turned into one blank, or dropped at the very
/// start or end. \a position, when given, is a place in \a text and is moved to the same place in the
/// result.
QString SingleLineText(const QString &text, qsizetype *position = nullptr);
