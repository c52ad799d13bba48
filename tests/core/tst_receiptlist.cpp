#include "Failure.h"
#include "ReceiptList.h"
#include "TestMain.h"

#include <QSignalSpy>
#include <QTest>

#include <numeric>

namespace {
ReceiptRecord record(const QString &name)
{
    ReceiptRecord r;
    for (int i = 0; i < ReceiptRecord::kFieldCount; ++i)
        r[i] = name + QLatin1Char('.') + QString::number(i);
    return r;
}
} // namespace

class TestReceiptList : public QObject
{
    Q_OBJECT

private slots:
    void rowsAreNumberedFromOne();
    void appendKeepsEveryField();
    void sameReceiptAnyNumberOfTimes();
    void removeShiftsTheRowsBelow_data();
    void removeShiftsTheRowsBelow();
    void outOfRangeThrowsAndChangesNothing_data();
    void outOfRangeThrowsAndChangesNothing();
    void headers();
    void viewSeesTheRows();
    void manyRowsArriveInOneGo();
    void takeAndPutBack_data();
    void takeAndPutBack();
    void toolTipOfALongValueIsCut_data();
    void toolTipOfALongValueIsCut();
};

void TestReceiptList::rowsAreNumberedFromOne()
{
    ReceiptList list;
    QCOMPARE(list.count(), 0);
    QCOMPARE(list.appendRow(QStringLiteral("first")), 1);
    QCOMPARE(list.appendRow(QStringLiteral("second")), 2);
    list.setSubItem(2, ReceiptRecord::Tax, QStringLiteral("10"));

    QCOMPARE(list.count(), 2);
    QCOMPARE(list.text(1, 0), QStringLiteral("first"));
    QCOMPARE(list.text(2, 0), QStringLiteral("second"));
    QCOMPARE(list.text(2, ReceiptRecord::Tax), QStringLiteral("10"));
    QCOMPARE(list.text(1, ReceiptRecord::Tax), QString());
}

void TestReceiptList::appendKeepsEveryField()
{
    ReceiptList list;
    const ReceiptRecord r = record(QStringLiteral("r"));
    QCOMPARE(list.append(r), 1);
    QCOMPARE(list.record(1), r);
    for (int column = 0; column < ReceiptRecord::kFieldCount; ++column)
        QCOMPARE(list.text(1, column), r[column]);
}

void TestReceiptList::sameReceiptAnyNumberOfTimes()
{
    ReceiptList list;
    const ReceiptRecord r = record(QStringLiteral("same"));
    for (int i = 0; i < 3; ++i)
        list.append(r);
    QCOMPARE(list.count(), 3);
    QCOMPARE(list.record(1), list.record(3));
}

void TestReceiptList::removeShiftsTheRowsBelow_data()
{
    QTest::addColumn<int>("removed");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("first") << 1 << QStringList{QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("middle") << 2 << QStringList{QStringLiteral("a"), QStringLiteral("c")};
    QTest::newRow("last") << 3 << QStringList{QStringLiteral("a"), QStringLiteral("b")};
}

void TestReceiptList::removeShiftsTheRowsBelow()
{
    QFETCH(int, removed);
    QFETCH(QStringList, left);

    ReceiptList list;
    for (const char *name : {"a", "b", "c"})
        list.append(record(QLatin1String(name)));
    QSignalSpy removedRows(&list, &QAbstractItemModel::rowsRemoved);

    list.removeRow(removed);

    QCOMPARE(removedRows.size(), 1);
    QCOMPARE(removedRows.first().at(1).toInt(), removed - 1);
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.record(1), record(left.at(0)));
    QCOMPARE(list.record(2), record(left.at(1)));
}

void TestReceiptList::outOfRangeThrowsAndChangesNothing_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");

    QTest::newRow("remove row 0 (nothing selected)") << QStringLiteral("remove") << 0 << 0;
    QTest::newRow("remove past the end") << QStringLiteral("remove") << 3 << 0;
    QTest::newRow("remove negative") << QStringLiteral("remove") << -1 << 0;
    QTest::newRow("read row 0") << QStringLiteral("text") << 0 << 0;
    QTest::newRow("read past the end") << QStringLiteral("text") << 3 << 0;
    QTest::newRow("read column 12") << QStringLiteral("text") << 1 << 12;
    QTest::newRow("read column -1") << QStringLiteral("text") << 1 << -1;
    QTest::newRow("sub-item 0") << QStringLiteral("set") << 1 << 0;
    QTest::newRow("sub-item 12") << QStringLiteral("set") << 1 << 12;
    QTest::newRow("sub-item of row 0") << QStringLiteral("set") << 0 << 1;
    QTest::newRow("record past the end") << QStringLiteral("record") << 3 << 0;
}

void TestReceiptList::outOfRangeThrowsAndChangesNothing()
{
    QFETCH(QString, operation);
    QFETCH(int, row);
    QFETCH(int, column);

    ReceiptList list;
    list.append(record(QStringLiteral("a")));
    list.append(record(QStringLiteral("b")));

    if (operation == QLatin1String("remove"))
        QVERIFY_THROWS_EXCEPTION(Failure, list.removeRow(row));
    else if (operation == QLatin1String("text"))
        QVERIFY_THROWS_EXCEPTION(Failure, list.text(row, column));
    else if (operation == QLatin1String("set"))
        QVERIFY_THROWS_EXCEPTION(Failure, list.setSubItem(row, column, QStringLiteral("x")));
    else
        QVERIFY_THROWS_EXCEPTION(Failure, list.record(row));

    QCOMPARE(list.count(), 2);
    QCOMPARE(list.record(1), record(QStringLiteral("a")));
    QCOMPARE(list.record(2), record(QStringLiteral("b")));
}

void TestReceiptList::headers()
{
    ReceiptList list;
    QCOMPARE(list.columnCount(), 0);
    QStringList expected;
    for (int i = 0; i < ReceiptRecord::kFieldCount; ++i) {
        list.addColumnHeader(ReceiptRecord::header(i));
        expected << ReceiptRecord::header(i);
    }
    QCOMPARE(expected,
             (QStringList{QStringLiteral("Receipt"), QStringLiteral("No"), QStringLiteral("From Payee"),
                          QStringLiteral("From Address"), QStringLiteral("From City"), QStringLiteral("To Payee"),
                          QStringLiteral("To Address"), QStringLiteral("To City"), QStringLiteral("Date"),
                          QStringLiteral("Description"), QStringLiteral("Amount"), QStringLiteral("Tax")}));
    QCOMPARE(list.columnHeaders(), expected);
    QCOMPARE(list.columnCount(), 12);
    QCOMPARE(list.headerData(9, Qt::Horizontal).toString(), QStringLiteral("Description"));
}

void TestReceiptList::viewSeesTheRows()
{
    ReceiptList list;
    for (int i = 0; i < ReceiptRecord::kFieldCount; ++i)
        list.addColumnHeader(ReceiptRecord::header(i));
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);

    list.append(record(QStringLiteral("a")));

    QCOMPARE(inserted.size(), 1);
    QCOMPARE(changed.size(), 11);
    QCOMPARE(list.rowCount(), 1);
    QCOMPARE(list.data(list.index(0, ReceiptRecord::Amount)).toString(), QStringLiteral("a.10"));
}

void TestReceiptList::manyRowsArriveInOneGo()
{
    ReceiptList list;
    for (int i = 0; i < ReceiptRecord::kFieldCount; ++i)
        list.addColumnHeader(ReceiptRecord::header(i));
    list.append(record(QStringLiteral("typed")));
    QSignalSpy inserted(&list, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&list, &QAbstractItemModel::dataChanged);

    const QList<ReceiptRecord> imported{record(QStringLiteral("a")), record(QStringLiteral("b")),
                                        record(QStringLiteral("c"))};
    list.appendRecords(imported);
    list.appendRecords({});

    // One insertion of rows 2 to 4 (1 to 3 from zero), so a view lays itself out once.
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted.first().at(1).toInt(), 1);
    QCOMPARE(inserted.first().at(2).toInt(), 3);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(list.count(), 4);
    QCOMPARE(list.records().mid(1), imported);
    QCOMPARE(list.text(4, ReceiptRecord::Tax), QStringLiteral("c.11"));
}

void TestReceiptList::toolTipOfALongValueIsCut_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("toolTip");

    const QString ellipsis(QChar(0x2026));
    QTest::newRow("short") << QStringLiteral("Birchwood st") << QStringLiteral("Birchwood st");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("500 characters") << QString(500, u'w') << QString(500, u'w');
    QTest::newRow("501 characters") << QString(501, u'w') << QString(500, u'w') + ellipsis;
    QTest::newRow("100,000 characters") << QString(100000, u'w') << QString(500, u'w') + ellipsis;
    QString lines;
    for (int i = 1; i <= 40; ++i)
        lines += QStringLiteral("line %1\n").arg(i);
    QTest::newRow("many lines") << lines << lines.section(u'\n', 0, 9) + ellipsis;
    // A character of two UTF-16 units across the cut is left out whole.
    QString houses = QString(499, u'w');
    for (int i = 0; i < 10; ++i)
        houses += QStringLiteral("🏠");
    QTest::newRow("not splitting a character") << houses << QString(499, u'w') + ellipsis;
    QTest::newRow("looks like markup") << QStringLiteral("<b>bold</b> & more") << QStringLiteral("<b>bold</b> & more");
}

void TestReceiptList::toolTipOfALongValueIsCut()
{
    QFETCH(QString, value);
    QFETCH(QString, toolTip);

    ReceiptList list;
    for (int i = 0; i < ReceiptRecord::kFieldCount; ++i)
        list.addColumnHeader(ReceiptRecord::header(i));
    ReceiptRecord r = record(QStringLiteral("a"));
    r[ReceiptRecord::FromAddress] = value;
    list.append(r);

    QCOMPARE(list.data(list.index(0, ReceiptRecord::FromAddress), Qt::ToolTipRole).toString(), toolTip);
    // The list itself still shows and keeps the whole value.
    QCOMPARE(list.data(list.index(0, ReceiptRecord::FromAddress)).toString(), value);
    QCOMPARE(list.text(1, ReceiptRecord::FromAddress), value);
}

void TestReceiptList::takeAndPutBack_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<int>("every");
    QTest::addColumn<int>("removals");
    QTest::addColumn<int>("resets");
    QTest::newRow("one run") << 10 << 20 << 1 << 1 << 0;
    QTest::newRow("a few rows apart") << 1 << 200 << 40 << 5 << 0;
    QTest::newRow("the last row") << 200 << 200 << 1 << 1 << 0;
    // So many runs are one reset, not a hundred signals.
    QTest::newRow("every other row") << 2 << 200 << 2 << 0 << 1;
}

void TestReceiptList::takeAndPutBack()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(int, every);
    QFETCH(int, removals);
    QFETCH(int, resets);

    ReceiptList list;
    for (int i = 1; i <= 200; ++i)
        list.append(record(QString::number(i)));
    const QList<ReceiptRecord> before = list.records();
    QList<int> rows;
    QList<ReceiptRecord> kept = before;
    for (int row = to; row >= from; row -= every) {
        rows.append(row);
        kept.removeAt(row - 1);
    }

    QSignalSpy removed(&list, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&list, &QAbstractItemModel::modelReset);
    const ReceiptList::Taken taken = list.takeRows(rows);
    QCOMPARE(list.records(), kept);
    QCOMPARE(removed.size(), removals);
    QCOMPARE(reset.size(), resets);
    QCOMPARE(taken.size(), rows.size());

    list.putBack(taken);
    QCOMPARE(list.records(), before);
    // What comes back is also back in the order of entry.
    QList<int> entered(200);
    std::iota(entered.begin(), entered.end(), 0);
    QCOMPARE(list.sortedOrder({}), entered);
}

PARVOLINE_TEST_GUILESS_MAIN(TestReceiptList)
#include "tst_receiptlist.moc"
