#pragma once

#include "ReceiptRecord.h"

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

/// \a positions (places in \a records) sorted by column \a column of the records, rows that compare equal
/// keeping their order in \a positions. Amount and Tax compare as numbers and Date as dates; texts that are
/// no number or date come after those that are, in either direction, and compare among themselves as the
/// other columns do: by \a locale's collation, with runs of digits compared as numbers.
QList<int> SortedOrder(const QList<ReceiptRecord> &records, QList<int> positions, int column, Qt::SortOrder order,
                       const QLocale &locale = QLocale());

/// The date of a date cell: the month, day and year as the list writes them, or else a date as the date
/// picker reads it under \a locale; an invalid date when the text is neither.
QDate ReceiptCellDate(const QString &text, const QLocale &locale = QLocale());
