#pragma once

#include "ReceiptRecord.h"

#include <QList>
#include <QString>

/// Receipts whose fields hold what a plain text file would mangle: blanks at both ends, empty fields,
/// characters outside the Basic Multilingual Plane, an unpaired surrogate, combining marks, right-to-left
/// text, a NUL, a tab and a byte-order mark.
inline QList<ReceiptRecord> UnusualReceipts(int count)
{
    static const QString kOdd[] = {
        QStringLiteral("  leading and trailing  "),
        QString(),
        QStringLiteral("\U0001F9FE receipt \U0001F4B6"),
        QString(QChar(0xD83D)) + QStringLiteral("lone"),
        QStringLiteral("e\u0301te\u0301 \u00E9t\u00E9"),
        QStringLiteral("\u05E7\u05D1\u05DC\u05D4 \u0625\u064A\u0635\u0627\u0644"),
        QStringLiteral("nul") + QChar(0) + QStringLiteral("inside"),
        QStringLiteral("tab\there"),
        QStringLiteral("\uFEFFbom"),
        QStringLiteral(" "),
    };
    constexpr int kOddCount = int(sizeof(kOdd) / sizeof(kOdd[0]));
    QList<ReceiptRecord> records;
    for (int i = 0; i < count; ++i) {
        ReceiptRecord record;
        for (int field = 0; field < ReceiptRecord::kFieldCount; ++field)
            record[field] = kOdd[(i + field) % kOddCount] + QString::number(i * ReceiptRecord::kFieldCount + field);
        records.append(record);
    }
    return records;
}
