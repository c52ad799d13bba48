#include "ReceiptRecord.h"

QString ReceiptRecord::header(int position)
{
    static const char *const headers[kFieldCount] = {
        "Receipt",    "No",      "From Payee", "From Address", "From City", "To Payee",
        "To Address", "To City", "Date",       "Description",  "Amount",    "Tax",
    };
    if (position < 0 || position >= kFieldCount)
        return {};
    return QString::fromLatin1(headers[position]);
}
