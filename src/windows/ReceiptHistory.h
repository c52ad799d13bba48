#pragma once

#include "ReceiptList.h"

#include <QObject>

#include <functional>

class QUndoStack;

/// What the user did to the receipt list, step by step, so each step can be undone and redone for as long
/// as the program runs. Every step is one change of the list's model. A change made to the list past the
/// history (by code that does not go through here) forgets the steps, since they no longer fit the list.
class ReceiptHistory final : public QObject
{
    Q_OBJECT

public:
    explicit ReceiptHistory(ReceiptList *list, QObject *parent = nullptr);
    ~ReceiptHistory() override;

    QUndoStack *stack() const { return mStack; }

    /// Runs \a change, which appends rows to the list, and keeps what it appended as one step named \a text.
    void recordAppend(const QString &text, const std::function<void()> &change);
    /// Sets field \a column of row \a row (1 to count) to \a value; nothing happens when it holds that already.
    void edit(int row, int column, const QString &value);
    /// Removes rows \a rows (1 to count, any order). Throws Failure, changing nothing, for a row that does
    /// not exist.
    void remove(const QList<int> &rows);
    /// Removes every row.
    void clear();
    /// Sorts the list as \a sorting says (column -1: the order of entry).
    void sort(const ReceiptList::Sorting &sorting);

    void undo();
    void redo();

signals:
    /// After an undo or redo: the rows (1 to count) that it brought back or changed, to be shown, and the
    /// column it changed (0 when it changed whole rows).
    void rowsToShow(const QList<int> &rows, int column);

private:
    friend class ReceiptHistoryStep;

    /// Marks the list's signals, while it lives, as those of a step of the history.
    class Applying
    {
    public:
        explicit Applying(ReceiptHistory &history)
            : mFlag(history.mApplying)
        {
            mFlag = true;
        }
        ~Applying() { mFlag = false; }
        Applying(const Applying &) = delete;
        Applying &operator=(const Applying &) = delete;

    private:
        bool &mFlag;
    };

    void foreignChange();

    ReceiptList *mList;
    QUndoStack *mStack;
    /// True while a step changes the list, so its signals are not taken for a change past the history.
    bool mApplying = false;
};
