#include "ReceiptTotal.h"

#include "Failure.h"
#include "ReceiptList.h"
#include "ReceiptRecord.h"
#include "ReceiptRules.h"

#include <cmath>
#include <cstdlib>

namespace {
// Longer values are shortened in a message, so that one odd value cannot flood it.
constexpr qsizetype kShownValueLength = 40;

QString quoted(const QString &value)
{
    const QString shown =
        value.size() <= kShownValueLength ? value : value.first(kShownValueLength - 3) + QStringLiteral("...");
    return QLatin1Char('"') + shown + QLatin1Char('"');
}

QString totalTooLarge(const QString &amount, const QString &tax)
{
    return QStringLiteral("the total of the amount %1 and the tax %2 is too large to be written")
        .arg(quoted(amount), quoted(tax));
}
} // namespace

double LeadingNumber(const QString &text)
{
    // Blanks, tabs and line feeds are skipped anywhere in the number, as the old reader did.
    QByteArray number;
    bool digits = false;
    bool point = false;
    bool exponent = false;
    bool exponentDigits = false;
    for (const QChar c : text) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            continue;
        const char ch = c.toLatin1();
        if (ch >= '0' && ch <= '9') {
            number.append(ch);
            (exponent ? exponentDigits : digits) = true;
        } else if ((ch == '+' || ch == '-') && (number.isEmpty() || (exponent && number.endsWith('E')))) {
            number.append(ch);
        } else if (ch == '.' && !point && !exponent) {
            number.append(ch);
            point = true;
        } else if ((ch == 'e' || ch == 'E' || ch == 'd' || ch == 'D') && digits && !exponent) {
            number.append('E');
            exponent = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    // An exponent mark without digits does not belong to the number.
    if (exponent && !exponentDigits) {
        while (!number.isEmpty() && !std::isdigit(static_cast<unsigned char>(number.back())) && number.back() != '.')
            number.chop(1);
    }
    // A number too large for a double reads as infinite, so that the total can say so.
    return std::strtod(number.constData(), nullptr);
}

double ReceiptValue(const QString &text, const QLocale &locale)
{
    bool ok = false;
    const double value = NumericValue(text, &ok, locale);
    return ok ? value : LeadingNumber(text);
}

QString GeneralNumber(double value, const QLocale &locale)
{
    if (!std::isfinite(value))
        throw Failure(QStringLiteral("Overflow: the number is too large to be written"));
    if (value == 0)
        return QStringLiteral("0");
    QString text = QString::number(value, 'g', 15);
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        // 1.5e-05 is written 1.5E-05, as people know it from their spreadsheets.
        text[e] = QLatin1Char('E');
    }
    const QString decimal = locale.decimalPoint();
    if (decimal != QLatin1String("."))
        text.replace(QLatin1Char('.'), decimal);
    return text;
}

QString ReceiptTotal(const QString &amount, const QString &tax, const QLocale &locale)
{
    const double total = ReceiptValue(tax, locale) + ReceiptValue(amount, locale);
    if (!std::isfinite(total))
        throw Failure(QStringLiteral("Overflow: ") + totalTooLarge(amount, tax));
    return GeneralNumber(total, locale);
}

QString ReceiptTotalOf(const ReceiptList &receipts, int receipt)
{
    const QString amount = receipts.text(receipt, ReceiptRecord::Amount);
    const QString tax = receipts.text(receipt, ReceiptRecord::Tax);
    const QLocale locale;
    const double total = ReceiptValue(tax, locale) + ReceiptValue(amount, locale);
    if (!std::isfinite(total))
        throw Failure(QStringLiteral("Overflow in receipt %1 (%2 No %3): ")
                          .arg(receipt)
                          .arg(quoted(receipts.text(receipt, ReceiptRecord::Receipt)),
                               quoted(receipts.text(receipt, ReceiptRecord::No)))
                      + totalTooLarge(amount, tax));
    return GeneralNumber(total, locale);
}
