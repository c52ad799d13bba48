#pragma once

#include <QStyledItemDelegate>

#include <functional>
#include <optional>

/// Edits a cell of the receipt list where it stands: a one-line text box, or for the date a date picker
/// that reads what the window's date box reads. The delegate never writes to the model itself: it hands
/// the new text to the window, which checks it and keeps the change in the list's history.
class ReceiptDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    /// Whether a cell may be edited now.
    using CanEdit = std::function<bool()>;
    /// Takes the edited text of the cell at \a index; no text when the date typed is no date.
    using Commit = std::function<void(const QModelIndex &index, const std::optional<QString> &text)>;

    /// The longest text a field's box takes, in the window and in the list alike: long enough that no
    /// text anybody types or pastes is cut (QLineEdit stops at 32767 characters by default), short enough
    /// that a single line stays quick to lay out.
    static constexpr int kMaxFieldLength = 1000000;

    ReceiptDelegate(CanEdit canEdit, Commit commit, QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

    /// The tip shown for a cell whose tip text is \a text: a text that looks like markup is shown as the
    /// text it is.
    static QString shownToolTip(const QString &text);

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    CanEdit mCanEdit;
    Commit mCommit;
};
