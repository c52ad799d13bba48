#include "ReceiptHistory.h"

#include "Failure.h"
#include "GuardedProcedure.h"
#include "ReceiptRecord.h"

#include <QUndoCommand>
#include <QUndoStack>

#include <exception>

// One step of the history. It is made once its change is done, so its first redo() does nothing.
class ReceiptHistoryStep : public QUndoCommand
{
public:
    ReceiptHistoryStep(ReceiptHistory &history, const QString &text)
        : QUndoCommand(text)
        , mHistory(history)
    {}

    void undo() final { run(false); }
    void redo() final
    {
        if (mDone) {
            mDone = false;
            return;
        }
        run(true);
    }

protected:
    ReceiptList &list() const { return *mHistory.mList; }
    /// Changes the list forward (\a forward) or back, and gives the rows to show afterwards.
    virtual QList<int> apply(bool forward) = 0;
    /// The column that the rows to show changed.
    virtual int shownColumn() const { return 0; }

private:
    void run(bool forward)
    {
        QList<int> shown;
        try {
            const ReceiptHistory::Applying applying(mHistory);
            shown = apply(forward);
        } catch (...) {
            // The steps fit the list by construction; should one fail all the same, nothing leaves the
            // undo stack, which is no place for an exception.
            qWarning("A step of the receipt list's history failed: %s",
                     qUtf8Printable(DescribeException(std::current_exception())));
        }
        emit mHistory.rowsToShow(shown, shownColumn());
    }

    ReceiptHistory &mHistory;
    bool mDone = true;
};

namespace {
QString receiptsText(const char *verb, int count)
{
    return count == 1 ? QStringLiteral("%1 Receipt").arg(QLatin1String(verb))
                      : QStringLiteral("%1 %2 Receipts").arg(QLatin1String(verb)).arg(count);
}

// Rows that came in at the end: added, the sample, imported.
class AppendStep final : public ReceiptHistoryStep
{
public:
    AppendStep(ReceiptHistory &history, const QString &text, ReceiptList::Taken appended)
        : ReceiptHistoryStep(history, text)
        , mAppended(std::move(appended))
    {}

protected:
    QList<int> apply(bool forward) override
    {
        if (!forward) {
            list().takeRows(mAppended.rows());
            return {};
        }
        list().putBack(mAppended);
        return mAppended.rows();
    }

private:
    ReceiptList::Taken mAppended;
};

// Rows taken out anywhere: deleted, or the whole list cleared.
class RemoveStep final : public ReceiptHistoryStep
{
public:
    RemoveStep(ReceiptHistory &history, const QString &text, ReceiptList::Taken removed)
        : ReceiptHistoryStep(history, text)
        , mRemoved(std::move(removed))
    {}

protected:
    QList<int> apply(bool forward) override
    {
        if (forward) {
            list().takeRows(mRemoved.rows());
            return {};
        }
        list().putBack(mRemoved);
        return mRemoved.rows();
    }

private:
    ReceiptList::Taken mRemoved;
};

class EditStep final : public ReceiptHistoryStep
{
public:
    EditStep(ReceiptHistory &history, int row, int column, QString before, QString after)
        : ReceiptHistoryStep(history, QStringLiteral("Edit %1").arg(ReceiptRecord::header(column)))
        , mRow(row)
        , mColumn(column)
        , mBefore(std::move(before))
        , mAfter(std::move(after))
    {}

protected:
    QList<int> apply(bool forward) override
    {
        list().setText(mRow, mColumn, forward ? mAfter : mBefore);
        return {mRow};
    }
    int shownColumn() const override { return mColumn; }

private:
    int mRow;
    int mColumn;
    QString mBefore;
    QString mAfter;
};

class SortStep final : public ReceiptHistoryStep
{
public:
    SortStep(ReceiptHistory &history, QList<int> from, ReceiptList::Sorting before, ReceiptList::Sorting after)
        : ReceiptHistoryStep(history, after.column < 0
                                          ? QStringLiteral("Order of Entry")
                                          : QStringLiteral("Sort by %1").arg(ReceiptRecord::header(after.column)))
        , mFrom(std::move(from))
        , mBefore(before)
        , mAfter(after)
    {}

protected:
    QList<int> apply(bool forward) override
    {
        if (forward) {
            list().reorder(mFrom, mAfter);
        } else {
            QList<int> back(mFrom.size());
            for (qsizetype place = 0; place < mFrom.size(); ++place)
                back[mFrom.at(place)] = int(place);
            list().reorder(back, mBefore);
        }
        return {};
    }

private:
    QList<int> mFrom;
    ReceiptList::Sorting mBefore;
    ReceiptList::Sorting mAfter;
};
} // namespace

ReceiptHistory::ReceiptHistory(ReceiptList *list, QObject *parent)
    : QObject(parent)
    , mList(list)
    , mStack(new QUndoStack(this))
{
    connect(list, &QAbstractItemModel::rowsInserted, this, &ReceiptHistory::foreignChange);
    connect(list, &QAbstractItemModel::rowsRemoved, this, &ReceiptHistory::foreignChange);
    connect(list, &QAbstractItemModel::rowsMoved, this, &ReceiptHistory::foreignChange);
    connect(list, &QAbstractItemModel::dataChanged, this, &ReceiptHistory::foreignChange);
    connect(list, &QAbstractItemModel::layoutChanged, this, &ReceiptHistory::foreignChange);
    connect(list, &QAbstractItemModel::modelReset, this, &ReceiptHistory::foreignChange);
}

ReceiptHistory::~ReceiptHistory() = default;

void ReceiptHistory::foreignChange()
{
    if (!mApplying)
        mStack->clear();
}

void ReceiptHistory::recordAppend(const QString &text, const std::function<void()> &change)
{
    const int before = mList->count();
    ReceiptList::Taken appended;
    std::exception_ptr failure;
    {
        const Applying applying(*this);
        try {
            change();
        } catch (...) {
            failure = std::current_exception();
        }
        // What did get appended is a step all the same, so the history keeps fitting the list.
        appended = mList->rowsFrom(before + 1);
    }
    if (appended.size() > 0)
        mStack->push(new AppendStep(*this, text, std::move(appended)));
    if (failure)
        std::rethrow_exception(failure);
}

void ReceiptHistory::edit(int row, int column, const QString &value)
{
    const QString before = mList->text(row, column);
    if (before == value)
        return;
    {
        const Applying applying(*this);
        mList->setText(row, column, value);
    }
    mStack->push(new EditStep(*this, row, column, before, value));
}

void ReceiptHistory::remove(const QList<int> &rows)
{
    ReceiptList::Taken removed;
    {
        const Applying applying(*this);
        removed = mList->takeRows(rows);
    }
    if (removed.size() > 0)
        mStack->push(new RemoveStep(*this, receiptsText("Delete", removed.size()), std::move(removed)));
}

void ReceiptHistory::clear()
{
    QList<int> all(mList->count());
    for (int row = 1; row <= mList->count(); ++row)
        all[row - 1] = row;
    ReceiptList::Taken removed;
    {
        const Applying applying(*this);
        removed = mList->takeRows(all);
    }
    if (removed.size() > 0)
        mStack->push(new RemoveStep(*this, QStringLiteral("Clear List"), std::move(removed)));
}

void ReceiptHistory::sort(const ReceiptList::Sorting &sorting)
{
    const ReceiptList::Sorting before = mList->sorting();
    QList<int> from = mList->sortedOrder(sorting);
    {
        const Applying applying(*this);
        mList->reorder(from, sorting);
    }
    mStack->push(new SortStep(*this, std::move(from), before, sorting));
}

void ReceiptHistory::undo()
{
    mStack->undo();
}

void ReceiptHistory::redo()
{
    mStack->redo();
}
