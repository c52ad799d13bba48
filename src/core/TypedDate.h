#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>

#include <utility>

/// A date as the user types it: day, month and year in the order of the locale's short date, parted
/// by "/", "-" or "." (or the locale's own separator), day and month with one or two digits and the
/// year with four. A first part of three or four digits is a year, and the date is then read as year,
/// month, day. The month may also be a word, its name in the locale, short or long and in any case, as
/// settings that show it so write it ("8 Dec 2026"); the two numbers are then the day and the year.
/// Digits of any script count; invisible format marks are passed over.
class TypedDate final
{
public:
    enum class State {
        Invalid,      ///< Nothing typed after this could make it a date.
        Intermediate, ///< Not a date yet, or not one that exists within the range.
        Acceptable,   ///< A date within the range.
    };
    enum class Part { Day, Month, Year };

    /// Reads \a text under \a locale; a date outside \a earliest to \a latest is Intermediate.
    static TypedDate read(const QString &text, const QLocale &locale, const QDate &earliest, const QDate &latest);

    /// The part of the date that the place \a position in \a text belongs to: the part whose digits
    /// (or, for a month written as a word, letters) stand at it or last before it.
    static Part partAt(const QString &text, qsizetype position, const QLocale &locale);

    /// Where \a part stands in \a text: its first place and its length, or a length of 0 when the text
    /// has no such part.
    static std::pair<qsizetype, qsizetype> placeOf(const QString &text, Part part, const QLocale &locale);

    /// \a date with \a part moved by \a steps, as the arrow keys do: the part stops at its first and
    /// last value instead of carrying into the next, the day is cut back to the last one of a shorter
    /// month, and the result stays within \a earliest to \a latest.
    static QDate stepped(const QDate &date, Part part, int steps, const QDate &earliest, const QDate &latest);

    /// The day, month and year in the order of the locale's short date.
    static QList<Part> order(const QLocale &locale);

    State state() const { return mState; }
    /// The date, when the state is Acceptable.
    QDate date() const { return mDate; }

private:
    State mState = State::Invalid;
    QDate mDate;
};
