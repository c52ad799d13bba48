#include "ReceiptList.h"

#include "Failure.h"

#include <QTextDocument>

namespace {
// A tooltip shows a few lines of a long value, not a screenful: cut after this many characters or
// lines, with an ellipsis.
constexpr qsizetype kToolTipCharacters = 500;
constexpr qsizetype kToolTipLines = 10;

QString toolTipFor(const QString &value)
{
    qsizetype cut = std::min(value.size(), kToolTipCharacters);
    qsizetype lines = 1;
    for (qsizetype i = 0; i < cut; ++i) {
        if (value.at(i) == u'\n' && ++lines > kToolTipLines) {
            cut = i;
            break;
        }
    }
    QString shown = value;
    if (cut < value.size()) {
        // Never split a character that takes two UTF-16 units.
        if (cut > 0 && value.at(cut - 1).isHighSurrogate())
            --cut;
        shown = value.left(cut) + QChar(0x2026);
    }
    // A value that looks like markup is shown as the text it is.
    if (Qt::mightBeRichText(shown))
        return Qt::convertFromPlainText(shown, Qt::WhiteSpaceNormal);
    return shown;
}
} // namespace

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
    if (role == Qt::DisplayRole)
        return mRows.at(index.row())[index.column()];
    if (role == Qt::ToolTipRole)
        return toolTipFor(mRows.at(index.row())[index.column()]);
    return {};
}

QVariant ReceiptList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < mHeaders.size())
        return mHeaders.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
