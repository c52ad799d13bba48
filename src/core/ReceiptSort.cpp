#include "ReceiptSort.h"

#include "ReceiptRules.h"
#include "TypedDate.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <algorithm>
#include <optional>

namespace {
const QDate kEarliest(1601, 1, 1);
const QDate kLatest(9999, 12, 31);

// One cell's place in the order: first whether it has a value of the column's kind at all (a number or a
// date), then that value, then its text's collation.
struct Key
{
    bool hasValue = false;
    double value = 0;
    std::optional<QCollatorSortKey> text;
};

bool isNumberColumn(int column)
{
    return column == ReceiptRecord::Amount || column == ReceiptRecord::Tax;
}
} // namespace

QDate ReceiptCellDate(const QString &text, const QLocale &locale)
{
    // The list writes month, day and four-digit year with the settings' separator, whatever order the
    // settings' own short date has.
    const QStringList parts = text.trimmed().split(DateSeparator(locale));
    if (parts.size() == 3 && parts.at(2).size() == 4) {
        bool monthOk = false;
        bool dayOk = false;
        bool yearOk = false;
        const QDate written(parts.at(2).toInt(&yearOk), parts.at(0).toInt(&monthOk), parts.at(1).toInt(&dayOk));
        if (monthOk && dayOk && yearOk && written.isValid() && written >= kEarliest && written <= kLatest)
            return written;
    }
    const TypedDate typed = TypedDate::read(text, locale, kEarliest, kLatest);
    return typed.state() == TypedDate::State::Acceptable ? typed.date() : QDate();
}

QList<int> SortedOrder(const QList<ReceiptRecord> &records, QList<int> positions, int column, Qt::SortOrder order,
                       const QLocale &locale)
{
    QCollator collator(locale);
    collator.setNumericMode(true);

    // Each key is worked out once: a collation key or a number parsed for each of thousands of comparisons
    // would make a click on a header take seconds.
    std::vector<Key> keys(size_t(records.size()));
    for (const int at : positions) {
        const QString &text = records.at(at)[column];
        Key &key = keys[size_t(at)];
        if (isNumberColumn(column)) {
            key.value = NumericValue(text, &key.hasValue, locale);
        } else if (column == ReceiptRecord::Date) {
            const QDate date = ReceiptCellDate(text, locale);
            key.hasValue = date.isValid();
            key.value = key.hasValue ? double(date.toJulianDay()) : 0;
        }
        if (!key.hasValue)
            key.text = collator.sortKey(text);
    }

    const bool descending = order == Qt::DescendingOrder;
    std::stable_sort(positions.begin(), positions.end(), [&keys, descending](int a, int b) {
        const Key &first = keys[size_t(a)];
        const Key &second = keys[size_t(b)];
        if (first.hasValue != second.hasValue)
            return first.hasValue;
        int compared = 0;
        if (first.hasValue)
            compared = first.value < second.value ? -1 : (second.value < first.value ? 1 : 0);
        else
            compared = first.text->compare(*second.text);
        return descending ? compared > 0 : compared < 0;
    });
    return positions;
}
