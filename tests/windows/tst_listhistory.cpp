#include "Clock.h"
#include "Form1Fixture.h"
#include "ReceiptHistory.h"
#include "ReceiptList.h"
#include "TestMain.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

// Undo and redo of the receipt list through the main window, over every kind of change.
class TestListHistory : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void undoAllThenRedoAll();
    void changePastTheHistoryForgetsIt();

private:
    QTreeView *list() const { return mFixture->control<QTreeView>(QStringLiteral("ListView2")); }
    QAction *action(const char *name) const { return mForm->findChild<QAction *>(QLatin1String(name)); }
    void add(const QString &name, const QString &number, const QString &amount);

    std::unique_ptr<Form1Fixture> mFixture;
    Form1 *mForm = nullptr;
};

void TestListHistory::init()
{
    Clock::pin([] { return QDate(2021, 8, 31); });
    mFixture = std::make_unique<Form1Fixture>();
    const bool active = mFixture->loadActive();
    mForm = mFixture->form.get();
    QVERIFY(active);
}

void TestListHistory::cleanup()
{
    mFixture.reset();
    Clock::pin(nullptr);
}

void TestListHistory::add(const QString &name, const QString &number, const QString &amount)
{
    mFixture->box(1)->setText(name);
    mFixture->box(2)->setText(number);
    mFixture->box(15)->setText(amount);
    QTest::mouseClick(mFixture->control<QPushButton>(QStringLiteral("PushButton3")), Qt::LeftButton);
}

void TestListHistory::undoAllThenRedoAll()
{
    // Every signal the list sends along the way must describe its change truly: another part of the
    // program follows the list by them alone.
    QAbstractItemModelTester tester(mForm->receipts(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QList<QList<ReceiptRecord>> states{mForm->receipts()->records()};
    auto done = [&] {
        states.append(mForm->receipts()->records());
    };

    mFixture->control<QPushButton>(QStringLiteral("PushButton1"))->click();
    done();
    add(QStringLiteral("Rent"), QStringLiteral("7"), QStringLiteral("500"));
    done();
    // The next receipt is typed at once; Ctrl+Z there, with nothing typed, undoes the add.
    QCOMPARE(QApplication::focusWidget(), mFixture->box(1));
    QTest::keyClick(mFixture->box(1), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(mForm->receipts()->records(), states.at(1));
    QTest::keyClick(mFixture->box(1), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(mForm->receipts()->records(), states.at(2));

    add(QStringLiteral("Ink"), QStringLiteral("8"), QStringLiteral("12.5"));
    done();
    mForm->history()->edit(2, ReceiptRecord::Amount, QStringLiteral("600"));
    done();
    QTemporaryDir folder;
    const QString csv = folder.filePath(QStringLiteral("more.csv"));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Receipt,No,Amount,Date\nWater,9,40,01/02/2021\nGas,10,3,12/30/2020\nPaper,11,75,\n");
    file.close();
    mForm->importReceiptsFrom(csv);
    QCOMPARE(mForm->receipts()->count(), 6);
    done();

    // Three rows apart, removed by the Delete key as one step.
    list()->clearSelection();
    for (int row : {0, 2, 4})
        list()->selectionModel()->select(mForm->receipts()->index(row, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Delete);
    QCOMPARE(mForm->receipts()->count(), 3);
    done();
    mForm->ListView2_ColumnClick(ReceiptRecord::Amount);
    done();
    mForm->ListView2_ColumnClick(ReceiptRecord::Amount);
    done();
    QCOMPARE(list()->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    action("ClearList")->trigger();
    QCOMPARE(mForm->receipts()->count(), 0);
    done();

    list()->setFocus();
    for (qsizetype step = states.size() - 2; step >= 0; --step) {
        QVERIFY(action("UndoListChange")->isEnabled());
        QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(mForm->receipts()->records(), states.at(step));
    }
    QVERIFY(!action("UndoListChange")->isEnabled());
    QCOMPARE(list()->header()->sortIndicatorSection(), -1);

    for (qsizetype step = 1; step < states.size(); ++step) {
        if (step % 2)
            QTest::keyClick(list(), Qt::Key_Y, Qt::ControlModifier);
        else
            QTest::keyClick(list(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(mForm->receipts()->records(), states.at(step));
    }
    QVERIFY(!action("RedoListChange")->isEnabled());
    QCOMPARE(action("UndoListChange")->text(), QStringLiteral("Undo Clear List"));
}

void TestListHistory::changePastTheHistoryForgetsIt()
{
    add(QStringLiteral("Rent"), QStringLiteral("7"), QStringLiteral("500"));
    QVERIFY(action("UndoListChange")->isEnabled());
    mForm->receipts()->appendRow(QStringLiteral("from elsewhere"));
    // Undoing the add now would take away the wrong row.
    QVERIFY(!action("UndoListChange")->isEnabled());
    QCOMPARE(mForm->receipts()->count(), 2);
}

PARVOLINE_TEST_MAIN(TestListHistory)
#include "tst_listhistory.moc"
