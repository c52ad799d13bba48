#include "DocumentBound.h"

#include <QLocale>

QString TooManyReceiptsProblem(qsizetype count, const QString &wayOut)
{
    if (count <= kMostReceiptsPerDocument)
        return {};
    const QLocale english(QLocale::English);
    return QStringLiteral("%1 receipts are more than one document can hold (at most %2); %3.")
        .arg(english.toString(count), english.toString(kMostReceiptsPerDocument), wayOut);
}
