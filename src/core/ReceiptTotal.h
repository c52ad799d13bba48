#pragma once

#include <QLocale>
#include <QString>

class ReceiptList;

/// The leading number of a text, read the old way: blanks skipped, "." as the decimal point
/// whatever the settings, reading stops at the first character that cannot continue the number;
/// 0 when there is none, infinite when it is too large for a double.
double LeadingNumber(const QString &text);

/// The value of an amount or tax: as "Add" accepted it (the user's number settings), or, for a
/// text that test refuses, its leading number.
double ReceiptValue(const QString &text, const QLocale &locale = QLocale());

/// A number in the general form: at most 15 significant digits, no trailing zeros, no grouping,
/// the locale's decimal separator. Throws Failure ("Overflow") for a value that is not finite.
QString GeneralNumber(double value, const QLocale &locale = QLocale());

/// The text of "[Total]": amount plus tax. Throws Failure ("Overflow: ...", naming both values) when the
/// sum is too large to be a number.
QString ReceiptTotal(const QString &amount, const QString &tax, const QLocale &locale = QLocale());

/// The total of receipt \a receipt (from 1) of \a receipts, as ReceiptTotal(); its Failure also names the
/// receipt by its number, name and "No".
QString ReceiptTotalOf(const ReceiptList &receipts, int receipt);
