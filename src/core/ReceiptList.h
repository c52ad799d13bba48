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

    /// Sets field \a column (0 to 11) of row \a row (1 to count). Throws Failure when out of range.
    void setText(int row, int column, const QString &value);

    /// Rows taken out of the list, with what puts them back exactly where they were, typed order included.
    class Taken
    {
    public:
        /// The rows' numbers (ascending) as they stood in the list.
        const QList<int> &rows() const { return mRows; }
        const QList<ReceiptRecord> &records() const { return mRecords; }
        int size() const { return int(mRows.size()); }

    private:
        friend class ReceiptList;
        QList<int> mRows;
        QList<ReceiptRecord> mRecords;
        QList<quint64> mSerials;
    };

    /// A copy of rows \a first to the end, as takeRows() would take them.
    Taken rowsFrom(int first) const;
    /// Removes the rows \a rows (numbers 1 to count, in any order) in one change of the model: one removal
    /// per run of neighbouring rows, or one reset when they are scattered widely. Throws Failure, and changes
    /// nothing, when a number is out of range.
    Taken takeRows(QList<int> rows);
    /// Puts rows taken by takeRows() back at their numbers; the list must be as takeRows() left it.
    void putBack(const Taken &taken);

    /// How the list was last sorted: a column, or -1 for the order in which the receipts were entered.
    struct Sorting
    {
        int column = -1;
        Qt::SortOrder order = Qt::AscendingOrder;
        bool operator==(const Sorting &other) const = default;
    };
    Sorting sorting() const { return mSorting; }
    /// The order of the rows (their current numbers minus one, first to last) that \a sorting gives. Rows
    /// that compare equal, and every row for column -1, keep the order in which they were entered.
    QList<int> sortedOrder(const Sorting &sorting) const;
    /// Puts the rows in the order \a from (for each new place, the old place of its row, from 0) in one
    /// layout change, and notes \a sorting as the list's sorting.
    void reorder(const QList<int> &from, const Sorting &sorting);

    /// Adds a column header to the list's display; the start-up creates the twelve of the record.
    /// Rows keep all twelve fields whatever columns are shown.
    void addColumnHeader(const QString &header);
    QStringList columnHeaders() const { return mHeaders; }

    // QAbstractTableModel
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    /// The list was sorted (or put back in the order of entry).
    void sortingChanged();

private:
    void checkRow(int row) const;
    quint64 nextSerial() { return mNextSerial++; }

    QList<ReceiptRecord> mRows;
    /// Where each row stands in the order of entry: a number that only grows, one per row.
    QList<quint64> mSerials;
    quint64 mNextSerial = 0;
    Sorting mSorting;
    QStringList mHeaders;
};
