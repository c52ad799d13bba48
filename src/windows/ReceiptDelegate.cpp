#include "ReceiptDelegate.h"

#include "Clock.h"
#include "DatePicker.h"
#include "ReceiptRecord.h"
#include "ReceiptRules.h"
#include "ReceiptSort.h"
#include "SingleLineValidator.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTextDocument>
#include <QToolTip>

namespace {
// The text an editor showed when it opened, to tell an edit from a look.
const char *const kShownText = "parvolineShownText";
// The date picker's text as typed when the edit ended, before the picker put its last date back.
const char *const kTypedText = "parvolineTypedText";
} // namespace

ReceiptDelegate::ReceiptDelegate(CanEdit canEdit, Commit commit, QObject *parent)
    : QStyledItemDelegate(parent)
    , mCanEdit(std::move(canEdit))
    , mCommit(std::move(commit))
{}

QWidget *ReceiptDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    if (!index.isValid() || !mCanEdit())
        return nullptr;
    if (index.column() == ReceiptRecord::Date) {
        auto *picker = new DatePicker(parent);
        picker->setObjectName(QStringLiteral("ListView2DateEditor"));
        picker->setFrame(false);
        picker->setCalendarPopup(true);
        picker->setDateRange(QDate(1601, 1, 1), QDate(9999, 12, 31));
        return picker;
    }
    auto *box = new QLineEdit(parent);
    box->setObjectName(QStringLiteral("ListView2Editor"));
    box->setFrame(false);
    box->setMaxLength(kMaxFieldLength);
    box->setValidator(new SingleLineValidator(box));
    return box;
}

void ReceiptDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    const QString text = index.data(Qt::DisplayRole).toString();
    if (auto *picker = qobject_cast<DatePicker *>(editor)) {
        // A cell that holds no date opens on today's, and stays as it was unless the user changes that.
        const QDate date = ReceiptCellDate(text);
        picker->setDate(date.isValid() ? date : Clock::today());
        picker->setProperty(kShownText, picker->text());
        picker->setProperty(kTypedText, picker->text());
        picker->selectAll();
    } else if (auto *box = qobject_cast<QLineEdit *>(editor)) {
        box->setText(text);
        box->selectAll();
        box->setProperty(kShownText, box->text());
    }
}

bool ReceiptDelegate::eventFilter(QObject *object, QEvent *event)
{
    // The keys and the focus change that end an edit make a date picker replace a text that is no date
    // with its last date before the edit is committed; what was typed is noted first.
    if (auto *picker = qobject_cast<DatePicker *>(object)) {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::FocusOut || event->type() == QEvent::Hide)
            picker->setProperty(kTypedText, picker->text());
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

void ReceiptDelegate::setModelData(QWidget *editor, QAbstractItemModel *, const QModelIndex &index) const
{
    if (auto *picker = qobject_cast<DatePicker *>(editor)) {
        const QString typed = picker->property(kTypedText).toString();
        if (typed == picker->property(kShownText).toString())
            return;
        const QDate date = picker->dateOf(typed);
        mCommit(index, date.isValid() ? std::optional<QString>(FormatReceiptDate(date)) : std::nullopt);
    } else if (auto *box = qobject_cast<QLineEdit *>(editor)) {
        if (box->text() == box->property(kShownText).toString())
            return;
        mCommit(index, box->text());
    }
}

bool ReceiptDelegate::helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                                const QModelIndex &index)
{
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString text = index.data(Qt::ToolTipRole).toString();
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), shownToolTip(text), view);
    return true;
}

QString ReceiptDelegate::shownToolTip(const QString &text)
{
    if (Qt::mightBeRichText(text))
        return Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
    return text;
}
