#pragma once

#include <QDateEdit>

/// The main window's date picker: a date edit with a calendar that shows the short date of the user's
/// settings with the year in full, and reads a typed date as a whole, the way TypedDate reads it,
/// instead of one part at a time. While what is typed is no date, the picker
/// keeps its last date, and leaving it shows that date again. The arrow keys step the part under the
/// cursor, and Tab leaves the picker like any other box.
class DatePicker final : public QDateEdit
{
    Q_OBJECT

public:
    explicit DatePicker(QWidget *parent = nullptr);

    /// The date that \a text names as the picker reads it, or an invalid date.
    QDate dateOf(const QString &text) const;

    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &input) const override;
    void stepBy(int steps) override;
    void clear() override;

protected:
    StepEnabled stepEnabled() const override;
    QDateTime dateTimeFromText(const QString &text) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;

private:
    /// Whether the picker's own text has words in it (a month name, a word after the year).
    bool showsWords() const;
};
