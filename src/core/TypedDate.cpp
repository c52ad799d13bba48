#include "TypedDate.h"

#include "ReceiptRules.h"

#include <algorithm>

namespace {
// Four digits hold every year of the range; a longer number is no part of a date.
constexpr int kMaxDigits = 4;
constexpr int kMaxDayOrMonthDigits = 2;
constexpr int kYearDigits = 4;

// One character of a text, which may take two UTF-16 units (digits of some scripts do).
struct Character
{
    char32_t code = 0;
    qsizetype start = 0;
    qsizetype end = 0;
};

QList<Character> charactersOf(const QString &text)
{
    QList<Character> characters;
    characters.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            characters.append(Character{QChar::surrogateToUcs4(c, text.at(i + 1)), i, i + 2});
            i += 2;
        } else {
            characters.append(Character{c.unicode(), i, i + 1});
            ++i;
        }
    }
    return characters;
}

int digitOf(char32_t c)
{
    // Only decimal digits: a superscript two has a digit value too, but nobody types a date with it.
    return QChar::category(c) == QChar::Number_DecimalDigit ? QChar::digitValue(c) : -1;
}

bool isSeparator(char32_t c, const QString &localeSeparator)
{
    return c == u'/' || c == u'-' || c == u'.' || (localeSeparator.size() == 1 && c == localeSeparator.at(0).unicode());
}

bool isInvisibleMark(char32_t c)
{
    return QChar::category(c) == QChar::Other_Format;
}

bool isWordCharacter(char32_t c)
{
    // Marks belong to the letter before them: month names of some scripts carry them.
    const QChar::Category category = QChar::category(c);
    return QChar::isLetter(c) || category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining;
}

// The month a word names in \a locale: its number when the word is a whole month name (short or long,
// in any case, without a closing dot), 0 when it is the start of one, -1 when it is neither.
int monthOfWord(const QString &word, const QLocale &locale)
{
    bool started = false;
    for (int month = 1; month <= 12; ++month) {
        for (const QString &name :
             {locale.monthName(month, QLocale::ShortFormat), locale.monthName(month, QLocale::LongFormat),
              locale.standaloneMonthName(month, QLocale::ShortFormat),
              locale.standaloneMonthName(month, QLocale::LongFormat)}) {
            QString bare = name.trimmed();
            while (bare.endsWith(QLatin1Char('.')))
                bare.chop(1);
            if (bare.isEmpty())
                continue;
            if (bare.compare(word, Qt::CaseInsensitive) == 0)
                return month;
            started = started || bare.startsWith(word, Qt::CaseInsensitive);
        }
    }
    return started ? 0 : -1;
}

struct Field
{
    qsizetype start = 0;
    qsizetype end = 0;
    bool digits = false;
    qsizetype characters = 0;
};

// Runs of digits and runs of letters, in text order; format marks inside a run do not break it.
QList<Field> fieldsOf(const QString &text)
{
    QList<Field> fields;
    bool inField = false;
    for (const Character &c : charactersOf(text)) {
        if (isInvisibleMark(c.code))
            continue;
        const bool digit = digitOf(c.code) >= 0;
        const bool letter = !digit && QChar::isLetter(c.code);
        if (!digit && !letter) {
            inField = false;
            continue;
        }
        if (!inField || fields.last().digits != digit)
            fields.append(Field{c.start, c.start, digit, 0});
        fields.last().end = c.end;
        ++fields.last().characters;
        inField = true;
    }
    return fields;
}

qsizetype firstDigits(const QList<Field> &fields)
{
    return fields.isEmpty() || !fields.first().digits ? 0 : fields.first().characters;
}

QList<TypedDate::Part> partsFor(const QLocale &locale, qsizetype firstFieldDigits)
{
    QList<TypedDate::Part> parts = TypedDate::order(locale);
    // Three or more digits first can only be a year: the date is written year first, as in 2021-03-05.
    if (firstFieldDigits > kMaxDayOrMonthDigits && parts.first() != TypedDate::Part::Year)
        parts = {TypedDate::Part::Year, TypedDate::Part::Month, TypedDate::Part::Day};
    return parts;
}
} // namespace

QList<TypedDate::Part> TypedDate::order(const QLocale &locale)
{
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QList<Part> parts;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        Part part;
        if (c == u'd')
            part = Part::Day;
        else if (c == u'M')
            part = Part::Month;
        else if (c == u'y')
            part = Part::Year;
        else
            continue;
        if (!parts.contains(part))
            parts.append(part);
    }
    if (parts.size() != 3)
        parts = {Part::Day, Part::Month, Part::Year};
    return parts;
}

TypedDate TypedDate::read(const QString &text, const QLocale &locale, const QDate &earliest, const QDate &latest)
{
    struct Number
    {
        int value = 0;
        int digits = 0;
        /// A month written as a word (its value 0 while only its start is typed).
        bool word = false;
    };
    enum class Gap { None, Blank, Separator };

    TypedDate result;
    const QString localeSeparator = DateSeparator(locale);
    QList<Number> numbers;
    Gap gap = Gap::None;
    char32_t lastSeparator = 0;
    // The month as a word, in settings whose dates show it so ("8 Dec 2026"): read when the word ends.
    QString word;
    auto endWord = [&] {
        if (word.isEmpty())
            return true;
        const int month = monthOfWord(word, locale);
        word.clear();
        if (month < 0 || numbers.size() == 3
            || std::any_of(numbers.cbegin(), numbers.cend(), [](const Number &n) { return n.word; }))
            return false;
        numbers.append(Number{month, 0, true});
        // The next digit starts a number of its own, also right after the word ("Dec2026").
        gap = Gap::Blank;
        return true;
    };
    for (const Character &character : charactersOf(text)) {
        const char32_t c = character.code;
        if (isInvisibleMark(c))
            continue;
        if (isWordCharacter(c)) {
            word.append(text.mid(character.start, character.end - character.start));
            continue;
        }
        if (!endWord())
            return result;
        if (const int digit = digitOf(c); digit >= 0) {
            if (numbers.isEmpty() || gap != Gap::None) {
                if (numbers.size() == 3)
                    return result;
                numbers.append(Number{});
            }
            Number &number = numbers.last();
            if (++number.digits > kMaxDigits)
                return result;
            number.value = number.value * 10 + digit;
            gap = Gap::None;
        } else if (QChar::isSpace(c)) {
            if (!numbers.isEmpty() && gap == Gap::None)
                gap = Gap::Blank;
        } else if (isSeparator(c, localeSeparator)) {
            if (numbers.isEmpty() || gap == Gap::Separator)
                return result;
            gap = Gap::Separator;
            lastSeparator = c;
        } else {
            return result;
        }
    }
    // A word at the end may still be the start of a month's name.
    if (!endWord())
        return result;
    // Only a closing dot may follow the year, as some settings write one ("2021. 03. 05.").
    if (numbers.size() == 3 && gap == Gap::Separator && lastSeparator != u'.' && !numbers.last().word)
        return result;

    QList<Part> parts = partsFor(locale, numbers.isEmpty() || numbers.first().word ? 0 : numbers.first().digits);
    // A month written as a word is the month wherever it stands; the numbers are the other two parts,
    // in the order of the settings.
    if (const auto at = std::find_if(numbers.cbegin(), numbers.cend(), [](const Number &n) { return n.word; });
        at != numbers.cend()) {
        QList<Part> others = parts;
        others.removeAll(Part::Month);
        if (!numbers.first().word && numbers.first().digits > kMaxDayOrMonthDigits)
            others = {Part::Year, Part::Day};
        others.insert(at - numbers.cbegin(), Part::Month);
        parts = others;
    }
    int day = 0;
    int month = 0;
    int year = 0;
    bool complete = numbers.size() == 3;
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        const Number &number = numbers.at(i);
        if (number.word) {
            month = number.value;
            complete = complete && month > 0;
            continue;
        }
        switch (parts.at(i)) {
        case Part::Day:
        case Part::Month:
            if (number.digits > kMaxDayOrMonthDigits)
                return result;
            (parts.at(i) == Part::Day ? day : month) = number.value;
            break;
        case Part::Year:
            complete = complete && number.digits == kYearDigits;
            year = number.value;
            break;
        }
    }

    result.mState = State::Intermediate;
    if (!complete)
        return result;
    const QDate date(year, month, day);
    if (!date.isValid() || date < earliest || date > latest)
        return result;
    result.mState = State::Acceptable;
    result.mDate = date;
    return result;
}

TypedDate::Part TypedDate::partAt(const QString &text, qsizetype position, const QLocale &locale)
{
    const QList<Field> fields = fieldsOf(text);
    qsizetype index = 0;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (fields.at(i).start <= position)
            index = i;
    }
    // The cursor right behind a part, before the separator, still stands at that part.
    if (index > 0 && fields.at(index).start == position && fields.at(index - 1).end == position)
        index = index - 1;
    const QList<Part> parts = partsFor(locale, firstDigits(fields));
    return parts.at(std::min<qsizetype>(index, parts.size() - 1));
}

std::pair<qsizetype, qsizetype> TypedDate::placeOf(const QString &text, Part part, const QLocale &locale)
{
    const QList<Field> fields = fieldsOf(text);
    const QList<Part> parts = partsFor(locale, firstDigits(fields));
    const qsizetype index = parts.indexOf(part);
    if (index >= fields.size())
        return {0, 0};
    return {fields.at(index).start, fields.at(index).end - fields.at(index).start};
}

QDate TypedDate::stepped(const QDate &date, Part part, int steps, const QDate &earliest, const QDate &latest)
{
    int year = date.year();
    int month = date.month();
    int day = date.day();
    switch (part) {
    case Part::Day:
        day = std::clamp(day + steps, 1, date.daysInMonth());
        break;
    case Part::Month:
        month = std::clamp(month + steps, 1, 12);
        break;
    case Part::Year:
        year = std::clamp(year + steps, earliest.year(), latest.year());
        break;
    }
    day = std::min(day, QDate(year, month, 1).daysInMonth());
    return std::clamp(QDate(year, month, day), earliest, latest);
}
