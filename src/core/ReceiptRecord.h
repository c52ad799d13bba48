#pragma once

#include <QString>

#include <array>

/// One receipt: twelve texts at fixed positions, exactly as typed or composed. Generation reads
/// them by position, so the order is part of the contract.
struct ReceiptRecord
{
    enum Field {
        Receipt = 0,
        No,
        FromPayee,
        FromAddress,
        FromCity,
        ToPayee,
        ToAddress,
        ToCity,
        Date,
        Description,
        Amount,
        Tax,
    };
    static constexpr int kFieldCount = 12;

    std::array<QString, kFieldCount> fields;

    const QString &operator[](int position) const { return fields.at(static_cast<std::size_t>(position)); }
    QString &operator[](int position) { return fields.at(static_cast<std::size_t>(position)); }
    bool operator==(const ReceiptRecord &other) const = default;

    /// The column header of a field.
    static QString header(int position);
};
