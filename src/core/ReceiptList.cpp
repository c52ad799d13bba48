#include "ReceiptList.h"

#include "Failure.h"
#include "ReceiptSort.h"

#include <algorithm>
#include <numeric>
#include <utility>

namespace {
// Taking or putting back rows in this many runs of neighbours, or fewer, tells a view each run, so it keeps
// its selection and scroll position; rows scattered more widely reset the model in one go instead of
// sending thousands of signals.
constexpr qsizetype kMaxRuns = 64;

// The runs of neighbouring numbers in \a rows (ascending), each as its first and last number.
QList<std::pair<int, int>> runsOf(const QList<int> &rows)
{
    QList<std::pair<int, int>> runs;
    for (const int row : rows) {
        if (!runs.isEmpty() && runs.last().second + 1 == row)
            runs.last().second = row;
        else
            runs.append({row, row});
    }
    return runs;
}

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
    mSerials.append(nextSerial());
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
    mSerials.reserve(mRows.size());
    for (qsizetype i = 0; i < records.size(); ++i)
        mSerials.append(nextSerial());
    endInsertRows();
}

void ReceiptList::removeRow(int row)
{
    checkRow(row);
    beginRemoveRows({}, row - 1, row - 1);
    mRows.removeAt(row - 1);
    mSerials.removeAt(row - 1);
    endRemoveRows();
}

void ReceiptList::clear()
{
    beginResetModel();
    mRows.clear();
    mSerials.clear();
    endResetModel();
}

void ReceiptList::setText(int row, int column, const QString &value)
{
    checkRow(row);
    if (column < 0 || column >= ReceiptRecord::kFieldCount)
        throw Failure(QStringLiteral("Index out of bounds"));
    mRows[row - 1][column] = value;
    const QModelIndex changed = index(row - 1, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

ReceiptList::Taken ReceiptList::rowsFrom(int first) const
{
    Taken taken;
    for (int row = std::max(first, 1); row <= count(); ++row) {
        taken.mRows.append(row);
        taken.mRecords.append(mRows.at(row - 1));
        taken.mSerials.append(mSerials.at(row - 1));
    }
    return taken;
}

ReceiptList::Taken ReceiptList::takeRows(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    Taken taken;
    if (rows.isEmpty())
        return taken;
    checkRow(rows.first());
    checkRow(rows.last());

    taken.mRows = rows;
    taken.mRecords.reserve(rows.size());
    taken.mSerials.reserve(rows.size());
    for (const int row : rows) {
        taken.mRecords.append(mRows.at(row - 1));
        taken.mSerials.append(mSerials.at(row - 1));
    }

    const QList<std::pair<int, int>> runs = runsOf(rows);
    if (runs.size() <= kMaxRuns) {
        // From the bottom up, so the numbers of the runs still to go stay right.
        for (auto run = runs.crbegin(); run != runs.crend(); ++run) {
            const int first = run->first - 1;
            const int length = run->second - run->first + 1;
            beginRemoveRows({}, first, first + length - 1);
            mRows.remove(first, length);
            mSerials.remove(first, length);
            endRemoveRows();
        }
        return taken;
    }

    beginResetModel();
    QList<ReceiptRecord> keptRows;
    QList<quint64> keptSerials;
    keptRows.reserve(mRows.size() - rows.size());
    keptSerials.reserve(mRows.size() - rows.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < mRows.size(); ++i) {
        if (next < rows.size() && rows.at(next) == i + 1) {
            ++next;
            continue;
        }
        keptRows.append(std::move(mRows[i]));
        keptSerials.append(mSerials.at(i));
    }
    mRows = std::move(keptRows);
    mSerials = std::move(keptSerials);
    endResetModel();
    return taken;
}

void ReceiptList::putBack(const Taken &taken)
{
    if (taken.mRows.isEmpty())
        return;
    const qsizetype total = mRows.size() + taken.mRows.size();
    if (taken.mRows.first() < 1 || taken.mRows.last() > total)
        throw Failure(QStringLiteral("Index out of bounds"));

    const QList<std::pair<int, int>> runs = runsOf(taken.mRows);
    if (runs.size() <= kMaxRuns) {
        // From the top down: each run goes to its final place, below the runs already back.
        qsizetype next = 0;
        for (const auto &[firstRow, lastRow] : runs) {
            const int first = firstRow - 1;
            const int length = lastRow - firstRow + 1;
            beginInsertRows({}, first, first + length - 1);
            QList<ReceiptRecord> rowsAfter = mRows.mid(first);
            QList<quint64> serialsAfter = mSerials.mid(first);
            mRows.resize(first);
            mSerials.resize(first);
            mRows.append(taken.mRecords.mid(next, length));
            mSerials.append(taken.mSerials.mid(next, length));
            mRows.append(std::move(rowsAfter));
            mSerials.append(std::move(serialsAfter));
            next += length;
            endInsertRows();
        }
        return;
    }

    beginResetModel();
    QList<ReceiptRecord> merged;
    QList<quint64> mergedSerials;
    merged.reserve(total);
    mergedSerials.reserve(total);
    qsizetype stayed = 0;
    qsizetype next = 0;
    for (qsizetype place = 0; place < total; ++place) {
        if (next < taken.mRows.size() && taken.mRows.at(next) == place + 1) {
            merged.append(taken.mRecords.at(next));
            mergedSerials.append(taken.mSerials.at(next));
            ++next;
        } else {
            merged.append(std::move(mRows[stayed]));
            mergedSerials.append(mSerials.at(stayed));
            ++stayed;
        }
    }
    mRows = std::move(merged);
    mSerials = std::move(mergedSerials);
    endResetModel();
}

QList<int> ReceiptList::sortedOrder(const Sorting &sorting) const
{
    QList<int> typed(mRows.size());
    std::iota(typed.begin(), typed.end(), 0);
    std::sort(typed.begin(), typed.end(), [this](int a, int b) { return mSerials.at(a) < mSerials.at(b); });
    if (sorting.column < 0)
        return typed;
    return SortedOrder(mRows, typed, sorting.column, sorting.order);
}

void ReceiptList::reorder(const QList<int> &from, const Sorting &sorting)
{
    const qsizetype size = mRows.size();
    if (from.size() != size)
        throw Failure(QStringLiteral("Index out of bounds"));
    QList<int> to(size, -1);
    for (qsizetype place = 0; place < size; ++place) {
        const int old = from.at(place);
        if (old < 0 || old >= size || to.at(old) >= 0)
            throw Failure(QStringLiteral("Index out of bounds"));
        to[old] = int(place);
    }

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    QList<ReceiptRecord> rows;
    QList<quint64> serials;
    rows.reserve(size);
    serials.reserve(size);
    for (const int old : from) {
        rows.append(std::move(mRows[old]));
        serials.append(mSerials.at(old));
    }
    mRows = std::move(rows);
    mSerials = std::move(serials);

    // Selections and the current row follow their receipts to the new places.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(index.isValid() ? this->index(to.at(index.row()), index.column()) : index);
    changePersistentIndexList(before, after);
    mSorting = sorting;
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
    emit sortingChanged();
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

Qt::ItemFlags ReceiptList::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid())
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant ReceiptList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < mHeaders.size())
        return mHeaders.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
