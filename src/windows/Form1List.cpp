#include "ErrorReport.h"
#include "Failure.h"
#include "Form1.h"
#include "GuardedProcedure.h"
#include "ReceiptDelegate.h"
#include "ReceiptHistory.h"
#include "ReceiptList.h"
#include "ReceiptRecord.h"
#include "ReceiptRules.h"
#include "UserDialogs.h"

#include <QAction>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <QUndoStack>

#include <algorithm>
#include <functional>

namespace {
const QString kAmountMessage = QStringLiteral("Amount must be numeric value");
const QString kMissingMessage = QStringLiteral("You forgot to input Receipt/No.");
const QString kDateMessage = QStringLiteral("Date must be a valid date");

// Small hooks on the list and the text boxes; each lives as long as the widget it watches.
class KeyHook final : public QObject
{
public:
    using Handler = std::function<bool(QEvent *)>;

    KeyHook(QWidget *widget, Handler handler)
        : QObject(widget)
        , mHandler(std::move(handler))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != parent() || (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
            return false;
        try {
            return mHandler(event);
        } catch (...) {
            qWarning("A key of the receipt list failed: %s",
                     qUtf8Printable(DescribeException(std::current_exception())));
            return false;
        }
    }

private:
    Handler mHandler;
};

bool matches(const QAction *action, const QKeySequence &keys)
{
    const QList<QKeySequence> shortcuts = action->shortcuts();
    return std::find(shortcuts.cbegin(), shortcuts.cend(), keys) != shortcuts.cend();
}
} // namespace

void Form1::setUpReceiptEditing()
{
    mHistory = new ReceiptHistory(mReceipts, this);

    ListView2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // F2, Enter (below) and a double-click edit the cell under the cursor; the focus frame marks that cell.
    ListView2->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    ListView2->setAllColumnsShowFocus(false);
    ListView2->setItemDelegate(new ReceiptDelegate(
        [this] { return !mBusy; },
        [this](const QModelIndex &index, const std::optional<QString> &text) { commitListEdit(index, text); },
        ListView2));
    new KeyHook(ListView2, [this](QEvent *event) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (event->type() != QEvent::KeyPress || !enter || key->modifiers() != Qt::NoModifier || !ListView2->hasFocus()
            || !ListView2->currentIndex().isValid())
            return false;
        ListView2->edit(ListView2->currentIndex());
        return true;
    });

    QHeaderView *header = ListView2->header();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, this, &Form1::ListView2_ColumnClick);
    connect(mReceipts, &ReceiptList::sortingChanged, this, &Form1::updateSortIndicator);

    mUndoAction = addWindowAction(QStringLiteral("Undo"), QStringLiteral("UndoListChange"),
                                  {QKeySequence(Qt::CTRL | Qt::Key_Z)}, &Form1::undoListChange);
    mRedoAction = addWindowAction(QStringLiteral("Redo"), QStringLiteral("RedoListChange"),
                                  {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)},
                                  &Form1::redoListChange);
    mUndoAction->setEnabled(false);
    mRedoAction->setEnabled(false);
    QUndoStack *stack = mHistory->stack();
    connect(stack, &QUndoStack::canUndoChanged, mUndoAction, &QAction::setEnabled);
    connect(stack, &QUndoStack::canRedoChanged, mRedoAction, &QAction::setEnabled);
    connect(stack, &QUndoStack::undoTextChanged, this, [this](const QString &text) {
        mUndoAction->setText(text.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + text);
    });
    connect(stack, &QUndoStack::redoTextChanged, this, [this](const QString &text) {
        mRedoAction->setText(text.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + text);
    });
    connect(mHistory, &ReceiptHistory::rowsToShow, this, &Form1::showRows);

    mClearAction = new QAction(QStringLiteral("Clear List"), this);
    mClearAction->setObjectName(QStringLiteral("ClearList"));
    connect(mClearAction, &QAction::triggered, this, &Form1::clearList);

    // The Delete key in the list is the "Delete" button; in a cell being edited it deletes text.
    mDeleteAction = new QAction(QStringLiteral("Delete"), ListView2);
    mDeleteAction->setObjectName(QStringLiteral("DeleteReceipts"));
    mDeleteAction->setShortcut(QKeySequence(Qt::Key_Delete));
    mDeleteAction->setShortcutContext(Qt::WidgetShortcut);
    ListView2->addAction(mDeleteAction);
    connect(mDeleteAction, &QAction::triggered, this, &Form1::PushButton4_Click);

    // A text box undoes its own typing first; with nothing of its own to undo (as after "Add", which
    // leaves the boxes empty and without history), the keys undo and redo the list's changes.
    for (QLineEdit *box : {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9, Text10, Text11, Text12,
                           Text14, Text15, Text16}) {
        new KeyHook(box, [this, box](QEvent *event) {
            if (event->type() != QEvent::ShortcutOverride)
                return false;
            auto *key = static_cast<QKeyEvent *>(event);
            const QKeySequence keys(key->keyCombination());
            const bool toList = (matches(mUndoAction, keys) && !box->isUndoAvailable())
                                || (matches(mRedoAction, keys) && !box->isRedoAvailable());
            if (!toList)
                return false;
            // Left unaccepted, the override lets the window's shortcut through.
            key->ignore();
            return true;
        });
    }
}

QList<int> Form1::selectedRows() const
{
    // Read from the selection's ranges: asking row by row whether it is selected takes a time that
    // grows with the square of the rows when thousands are picked one by one.
    QList<int> rows;
    const QItemSelection selection = ListView2->selectionModel()->selection();
    for (const QItemSelectionRange &range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row + 1);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void Form1::showRows(const QList<int> &rows, int column)
{
    if (rows.isEmpty())
        return;
    const int lastColumn = mReceipts->columnCount() - 1;
    if (lastColumn < 0)
        return;
    QItemSelection selection;
    int first = rows.first();
    int last = first;
    auto addRun = [&] {
        selection.append(QItemSelectionRange(mReceipts->index(first - 1, 0), mReceipts->index(last - 1, lastColumn)));
    };
    for (qsizetype i = 1; i < rows.size(); ++i) {
        if (rows.at(i) == last + 1) {
            last = rows.at(i);
            continue;
        }
        addRun();
        first = last = rows.at(i);
    }
    addRun();
    const QModelIndex firstIndex = mReceipts->index(rows.first() - 1, std::clamp(column, 0, lastColumn));
    ListView2->selectionModel()->setCurrentIndex(firstIndex, QItemSelectionModel::NoUpdate);
    ListView2->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    ListView2->scrollTo(firstIndex);
}

void Form1::commitListEdit(const QModelIndex &index, const std::optional<QString> &text)
{
    if (mBusy || !index.isValid())
        return;
    try {
        const int column = index.column();
        QString refusal;
        if (!text)
            refusal = kDateMessage;
        else if (column == ReceiptRecord::Amount && !IsNumeric(*text))
            refusal = kAmountMessage;
        else if ((column == ReceiptRecord::Receipt || column == ReceiptRecord::No) && text->isEmpty())
            refusal = kMissingMessage;
        if (!refusal.isEmpty()) {
            // Told once the editor has closed: a message box taking the focus from an open editor would
            // have it commit once more.
            QTimer::singleShot(0, this, [refusal] {
                try {
                    MsgBox(refusal);
                } catch (...) {
                    qWarning("The message could not be shown: %s", qUtf8Printable(refusal));
                }
            });
            return;
        }
        mHistory->edit(index.row() + 1, column, SingleLineText(*text));
    } catch (...) {
        TellFailure(QStringLiteral("Changing the receipt"), std::current_exception());
    }
}

void Form1::ListView2_ColumnClick(int column)
{
    try {
        if (mBusy) {
            updateSortIndicator();
            return;
        }
        ReceiptList::Sorting next{column, Qt::AscendingOrder};
        const ReceiptList::Sorting now = mReceipts->sorting();
        if (now.column == column)
            next = now.order == Qt::AscendingOrder ? ReceiptList::Sorting{column, Qt::DescendingOrder}
                                                   : ReceiptList::Sorting{};
        mHistory->sort(next);
        updateSortIndicator();
    } catch (...) {
        updateSortIndicator();
        TellFailure(QStringLiteral("Sorting the receipts"), std::current_exception());
    }
}

void Form1::updateSortIndicator()
{
    const ReceiptList::Sorting sorting = mReceipts->sorting();
    ListView2->header()->setSortIndicator(sorting.column, sorting.order);
}

void Form1::undoListChange()
{
    if (mBusy)
        return;
    try {
        mHistory->undo();
    } catch (...) {
        TellFailure(QStringLiteral("Undoing the change"), std::current_exception());
    }
}

void Form1::redoListChange()
{
    if (mBusy)
        return;
    try {
        mHistory->redo();
    } catch (...) {
        TellFailure(QStringLiteral("Redoing the change"), std::current_exception());
    }
}

void Form1::clearList()
{
    if (mBusy)
        return;
    try {
        mHistory->clear();
    } catch (...) {
        TellFailure(QStringLiteral("Clearing the list"), std::current_exception());
    }
}

void Form1::updateListActions()
{
    const QUndoStack *stack = mHistory->stack();
    mUndoAction->setEnabled(!mBusy && stack->canUndo());
    mRedoAction->setEnabled(!mBusy && stack->canRedo());
    mClearAction->setEnabled(!mBusy && mReceipts->count() > 0);
}
