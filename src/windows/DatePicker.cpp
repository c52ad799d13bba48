#include "DatePicker.h"

#include "TypedDate.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace {
// The short date of the settings with the year in full: two digits cannot tell 1921 from 2021 in a
// range of centuries.
QString fullYearFormat(const QLocale &locale)
{
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy")))
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return format;
}
} // namespace

DatePicker::DatePicker(QWidget *parent)
    : QDateEdit(parent)
{
    setDisplayFormat(fullYearFormat(locale()));

    // The date edit moves the cursor to the nearest day, month or year as it changes and settles the
    // text whenever it crosses a separator. That puts the last date back in the middle of a typed one,
    // so the text line is left to itself here, and only the input method is told where the cursor is.
    disconnect(lineEdit(), &QLineEdit::cursorPositionChanged, this, nullptr);
    connect(lineEdit(), &QLineEdit::cursorPositionChanged, this, [this] { updateMicroFocus(); });
}

QDate DatePicker::dateOf(const QString &text) const
{
    const TypedDate typed = TypedDate::read(text, locale(), minimumDate(), maximumDate());
    if (typed.state() == TypedDate::State::Acceptable)
        return typed.date();
    // The picker's own text, also where it writes the month as a word.
    const QDate shown = locale().toDate(text, displayFormat());
    if (shown.isValid() && shown >= minimumDate() && shown <= maximumDate())
        return shown;
    return {};
}

bool DatePicker::showsWords() const
{
    const QString shown = textFromDateTime(dateTime());
    return std::any_of(shown.cbegin(), shown.cend(), [](QChar c) { return c.isLetter(); });
}

QValidator::State DatePicker::validate(QString &input, int &pos) const
{
    Q_UNUSED(pos);
    if (dateOf(input).isValid())
        return QValidator::Acceptable;
    const TypedDate::State state = TypedDate::read(input, locale(), minimumDate(), maximumDate()).state();
    if (state != TypedDate::State::Invalid)
        return QValidator::Intermediate;
    // Where the picker writes words, editing them must not be refused; what is left around them must
    // still be able to become a date.
    if (showsWords()) {
        QString withoutWords = input;
        withoutWords.removeIf([](QChar c) { return c.isLetter(); });
        if (TypedDate::read(withoutWords, locale(), minimumDate(), maximumDate()).state() != TypedDate::State::Invalid)
            return QValidator::Intermediate;
    }
    return QValidator::Invalid;
}

void DatePicker::fixup(QString &input) const
{
    input = textFromDateTime(dateTime());
}

QDateTime DatePicker::dateTimeFromText(const QString &text) const
{
    const QDate typed = dateOf(text);
    return typed.isValid() ? typed.startOfDay() : dateTime();
}

void DatePicker::stepBy(int steps)
{
    const TypedDate::Part part = TypedDate::partAt(text(), lineEdit()->cursorPosition(), locale());
    // What was typed is settled first: its date when it is one, else the last date.
    const QDate typed = dateOf(text());
    const QDate from = typed.isValid() ? typed : date();
    setDate(TypedDate::stepped(from, part, steps, minimumDate(), maximumDate()));
    const auto [start, length] = TypedDate::placeOf(text(), part, locale());
    lineEdit()->setSelection(int(start), int(length));
}

QAbstractSpinBox::StepEnabled DatePicker::stepEnabled() const
{
    // Which part steps is known only from the cursor when the step comes; a part at its end stays.
    if (isReadOnly())
        return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

void DatePicker::clear()
{
    // Empties the text only: leaving the picker then shows its date again.
    lineEdit()->clear();
}

void DatePicker::keyPressEvent(QKeyEvent *event)
{
    // Typing, deleting, the cursor keys, the clipboard and Enter work on the text as a whole; the
    // date edit's own handling would jump between day, month and year on digits and separators.
    // Up, Down, Page Up and Page Down still step the date.
    QAbstractSpinBox::keyPressEvent(event);
}

void DatePicker::focusInEvent(QFocusEvent *event)
{
    QDateEdit::focusInEvent(event);
    // Entered from the keyboard, the whole date is selected so that typing replaces it.
    switch (event->reason()) {
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        selectAll();
        break;
    default:
        break;
    }
}

bool DatePicker::focusNextPrevChild(bool next)
{
    // Tab leaves the picker, as it leaves every other box of the window.
    return QWidget::focusNextPrevChild(next);
}
