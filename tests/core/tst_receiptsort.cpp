#include "ReceiptList.h"
#include "TestMain.h"

#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <QTest>

namespace {
// Texts written as one, parted by "|".
QStringList texts(const char *parted)
{
    return QString::fromUtf8(parted).split(QLatin1Char('|'));
}

// A list whose rows hold \a values in column \a column, and their typed position as the description.
void fill(ReceiptList &list, int column, const QStringList &values)
{
    for (int field = 0; field < ReceiptRecord::kFieldCount; ++field)
        list.addColumnHeader(ReceiptRecord::header(field));
    QList<ReceiptRecord> records;
    for (qsizetype i = 0; i < values.size(); ++i) {
        ReceiptRecord record;
        record[column] = values.at(i);
        record[ReceiptRecord::Description] = QString::number(i);
        records.append(record);
    }
    list.appendRecords(records);
}

QStringList valuesOf(const ReceiptList &list, int field)
{
    QStringList values;
    for (const ReceiptRecord &record : list.records())
        values.append(record[field]);
    return values;
}

void sort(ReceiptList &list, int column, Qt::SortOrder order = Qt::AscendingOrder)
{
    const ReceiptList::Sorting sorting{column, order};
    list.reorder(list.sortedOrder(sorting), sorting);
}
} // namespace

// Sorting the receipt list by a column: numbers, dates, the locale's collation, and back to the order of entry.
class TestReceiptSort : public QObject
{
    Q_OBJECT

private slots:
    void byColumn_data();
    void byColumn();
    void tiesKeepTheOrderOfEntry();
    void backToTheOrderOfEntry();
};

void TestReceiptSort::byColumn_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("ascending");
    QTest::addColumn<QStringList>("descending");

    QTest::newRow("amount: numbers, then the rest")
        << int(ReceiptRecord::Amount) << texts("10|9|abc|1,075| 75 ||2.5") << texts("2.5|9|10| 75 |1,075||abc")
        << texts("1,075| 75 |10|9|2.5|abc|");
    QTest::newRow("tax") << int(ReceiptRecord::Tax) << texts("-1|ten|0.5") << texts("-1|0.5|ten")
                         << texts("0.5|-1|ten");
    QTest::newRow("dates across years, then the rest")
        << int(ReceiptRecord::Date) << texts("12/31/2020|01/05/2021|not yet|03/01/2019|2021-01-04")
        << texts("03/01/2019|12/31/2020|2021-01-04|01/05/2021|not yet")
        << texts("01/05/2021|2021-01-04|12/31/2020|03/01/2019|not yet");
    QTest::newRow("names by collation, digits as numbers")
        << int(ReceiptRecord::Receipt) << texts("Receipt 10|receipt 9|Banana|apple|Äpfel")
        << texts("Äpfel|apple|Banana|receipt 9|Receipt 10") << texts("Receipt 10|receipt 9|Banana|apple|Äpfel");
    QTest::newRow("numbers of receipts") << int(ReceiptRecord::No) << texts("2021-10|2021-9|100")
                                         << texts("100|2021-9|2021-10") << texts("2021-10|2021-9|100");
}

void TestReceiptSort::byColumn()
{
    QFETCH(int, column);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, ascending);
    QFETCH(QStringList, descending);

    ReceiptList list;
    fill(list, column, typed);
    QSignalSpy layouts(&list, &QAbstractItemModel::layoutChanged);
    sort(list, column);
    QCOMPARE(valuesOf(list, column), ascending);
    sort(list, column, Qt::DescendingOrder);
    QCOMPARE(valuesOf(list, column), descending);
    // Each sort is one change of the model's layout.
    QCOMPARE(layouts.size(), 2);
    QCOMPARE(list.sorting(), (ReceiptList::Sorting{column, Qt::DescendingOrder}));
}

void TestReceiptSort::tiesKeepTheOrderOfEntry()
{
    ReceiptList list;
    fill(list, ReceiptRecord::Amount, texts("75|5|75.0|5|75"));
    sort(list, ReceiptRecord::Amount);
    QCOMPARE(valuesOf(list, ReceiptRecord::Description), texts("1|3|0|2|4"));
    sort(list, ReceiptRecord::Amount, Qt::DescendingOrder);
    QCOMPARE(valuesOf(list, ReceiptRecord::Description), texts("0|2|4|1|3"));
}

void TestReceiptSort::backToTheOrderOfEntry()
{
    ReceiptList list;
    fill(list, ReceiptRecord::Receipt, texts("c|a|b"));
    QPersistentModelIndex selected(list.index(0, 3));
    sort(list, ReceiptRecord::Receipt);
    QCOMPARE(valuesOf(list, ReceiptRecord::Receipt), texts("a|b|c"));
    // What the view holds on to (its selection, its current cell) follows the receipt.
    QCOMPARE(selected.row(), 2);
    QCOMPARE(selected.column(), 3);

    // Added while sorted, a receipt goes at the end, and stays the last one entered.
    list.appendRow(QStringLiteral("0"));
    list.removeRow(1);
    QCOMPARE(valuesOf(list, ReceiptRecord::Receipt), texts("b|c|0"));
    sort(list, -1);
    QCOMPARE(valuesOf(list, ReceiptRecord::Receipt), texts("c|b|0"));
    QCOMPARE(list.sorting(), ReceiptList::Sorting{});
    QCOMPARE(selected.row(), 0);
}

PARVOLINE_TEST_GUILESS_MAIN(TestReceiptSort)
#include "tst_receiptsort.moc"
