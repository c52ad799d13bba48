#pragma once

#include "ReceiptRecord.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

/// The receipts the user entered, in order; rows are numbered from 1, as generation reads them.
/// A plain table model: the main window's list view shows it, generation reads it without any display.
class ReceiptList : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ReceiptList(QObject *parent = nullptr);

    /// The number of receipts.
    int count() const { return int(mRows.size()); }
    /// The text of row \a row (1 to count) in column \a column (0: the receipt's own text, 1 to 11 its
    /// sub-items). Throws Failure for a row or column that does not exist.
    QString text(int row, int column) const;
    /// The whole record of row \a row (1 to count).
    ReceiptRecord record(int row) const;
    /// Every receipt, in list order.
    const QList<ReceiptRecord> &records() const { return mRows; }

    /// Appends a row whose text is \a text and whose sub-items are empty; returns its number.
    int appendRow(const QString &text);
    /// Sets sub-item \a column (1 to 11) of row \a row (1 to count). Throws Failure when out of range.
    void setSubItem(int row, int column, const QString &value);
    /// Appends a whole record: its text, then sub-items 1 to 11 in ascending order.
    int append(const ReceiptRecord &record);
    /// Appends \a records at the end in one go, so a view lays itself out once rather than per row.
    void appendRecords(const QList<ReceiptRecord> &records);
    /// Removes row \a row (1 to count). Throws Failure when there is no such row.
    void removeRow(int row);
    void clear();

    /// Adds a column header to the list's display; the start-up creates the twelve of the record.
    /// Rows keep all twelve fields whatever columns are shown.
    void addColumnHeader(const QString &header);
    QStringList columnHeaders() const { return mHeaders; }

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void checkRow(int row) const;

    QList<ReceiptRecord> mRows;
    QStringList mHeaders;
};
