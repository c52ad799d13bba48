#include "ReceiptList.h"

#include "Failure.h"

ReceiptList::ReceiptList(QObject *parent)
    : QAbstractTableModel(parent)
{}

void ReceiptList::checkRow(int row) const
{
    if (row < 1 || row > count())
        throw Failure(QStringLiteral("Index out of bounds"));
}

QString ReceiptList::text(int row, int column) const
{
    checkRow(row);
    if (column < 0 || column >= ReceiptRecord::kFieldCount)
        throw Failure(QStringLiteral("Index out of bounds"));
    return mRows.at(row - 1)[column];
}

ReceiptRecord ReceiptList::record(int row) const
{
    checkRow(row);
    return mRows.at(row - 1);
}

int ReceiptList::appendRow(const QString &text)
{
    ReceiptRecord record;
    record[ReceiptRecord::Receipt] = text;
    const int at = count();
    beginInsertRows({}, at, at);
    mRows.append(record);
    endInsertRows();
    return at + 1;
}

void ReceiptList::setSubItem(int row, int column, const QString &value)
{
    checkRow(row);
    if (column < 1 || column >= ReceiptRecord::kFieldCount)
        throw Failure(QStringLiteral("Index out of bounds"));
    mRows[row - 1][column] = value;
    const QModelIndex changed = index(row - 1, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

int ReceiptList::append(const ReceiptRecord &record)
{
    const int row = appendRow(record[ReceiptRecord::Receipt]);
    for (int column = 1; column < ReceiptRecord::kFieldCount; ++column)
        setSubItem(row, column, record[column]);
    return row;
}

void ReceiptList::appendRecords(const QList<ReceiptRecord> &records)
{
    if (records.isEmpty())
        return;
    const int at = count();
    beginInsertRows({}, at, at + int(records.size()) - 1);
    mRows.append(records);
    endInsertRows();
}

void ReceiptList::removeRow(int row)
{
    checkRow(row);
    beginRemoveRows({}, row - 1, row - 1);
    mRows.removeAt(row - 1);
    endRemoveRows();
}

void ReceiptList::clear()
{
    beginResetModel();
    mRows.clear();
    endResetModel();
}

void ReceiptList::addColumnHeader(const QString &header)
{
    const int at = int(mHeaders.size());
    beginInsertColumns({}, at, at);
    mHeaders.append(header);
    endInsertColumns();
}

int ReceiptList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int ReceiptList::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(mHeaders.size());
}

QVariant ReceiptList::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count() || index.column() >= ReceiptRecord::kFieldCount)
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return mRows.at(index.row())[index.column()];
    return {};
}

QVariant ReceiptList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < mHeaders.size())
        return mHeaders.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
