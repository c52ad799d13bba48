#include "Clock.h"
#include "Form1Fixture.h"
#include "ReceiptDelegate.h"
#include "ReceiptList.h"
#include "TestMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

// A cell of the receipt list edited where it stands, through the list view and its editor, as the user
// does it: the same checks and messages as "Add", and a refused edit keeps the old text.
class TestListEditing : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void edit_data();
    void edit();
    void enterAndDoubleClickEditTheCell_data();
    void enterAndDoubleClickEditTheCell();
    void aToolTipThatLooksLikeMarkupShowsItsText();

private:
    QTreeView *list() const { return mFixture->control<QTreeView>(QStringLiteral("ListView2")); }

    std::unique_ptr<Form1Fixture> mFixture;
    Form1 *mForm = nullptr;
};

void TestListEditing::init()
{
    Clock::pin([] { return QDate(2021, 8, 31); });
    mFixture = std::make_unique<Form1Fixture>();
    const bool active = mFixture->loadActive();
    mForm = mFixture->form.get();
    QVERIFY(active);
    // The sample receipt: Sample receipt; 210831; ...; 08/30/2021; Building a tree house; 75; 10.
    mFixture->control<QPushButton>(QStringLiteral("PushButton1"))->click();
    mFixture->dialogs.clear();
}

void TestListEditing::cleanup()
{
    mFixture.reset();
    Clock::pin(nullptr);
}

void TestListEditing::edit_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("message");

    const QString amount = QStringLiteral("Amount must be numeric value");
    const QString missing = QStringLiteral("You forgot to input Receipt/No.");
    QTest::newRow("amount") << 10 << QStringLiteral("1,075.50") << QStringLiteral("1,075.50") << QString();
    QTest::newRow("amount with blanks") << 10 << QStringLiteral(" 80 ") << QStringLiteral(" 80 ") << QString();
    QTest::newRow("amount of letters") << 10 << QStringLiteral("abc") << QStringLiteral("75") << amount;
    QTest::newRow("empty amount") << 10 << QString() << QStringLiteral("75") << amount;
    QTest::newRow("tax of letters") << 11 << QStringLiteral("ten") << QStringLiteral("ten") << QString();
    QTest::newRow("empty receipt name") << 0 << QString() << QStringLiteral("Sample receipt") << missing;
    QTest::newRow("empty number") << 1 << QString() << QStringLiteral("210831") << missing;
    QTest::newRow("blank receipt name") << 0 << QStringLiteral(" ") << QStringLiteral(" ") << QString();
    QTest::newRow("empty description") << 9 << QString() << QString() << QString();
    QTest::newRow("city line as text") << 4 << QStringLiteral("Lyme,NH") << QStringLiteral("Lyme,NH") << QString();
    QTest::newRow("tab and line break") << 3 << QStringLiteral("Elm St\tApt 4\n") << QStringLiteral("Elm St Apt 4")
                                        << QString();
    QTest::newRow("control character") << 5 << QStringLiteral("Jo\x01 Doe") << QStringLiteral("Jo Doe") << QString();
    QTest::newRow("date") << 8 << QStringLiteral("3/5/2021") << QStringLiteral("03/05/2021") << QString();
    QTest::newRow("date year first") << 8 << QStringLiteral("2021-12-24") << QStringLiteral("12/24/2021") << QString();
    QTest::newRow("no such date") << 8 << QStringLiteral("2/30/2021") << QStringLiteral("08/30/2021")
                                  << QStringLiteral("Date must be a valid date");
}

void TestListEditing::edit()
{
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QString, message);

    list()->setFocus();
    list()->setCurrentIndex(mForm->receipts()->index(0, column));
    QTest::keyClick(list(), Qt::Key_F2);
    auto *editor = qobject_cast<QWidget *>(QApplication::focusWidget());
    QVERIFY(editor && editor != list() && list()->isAncestorOf(editor));

    // Typed over the whole text; what a paste brings goes in as it is.
    auto *box = editor->findChild<QLineEdit *>();
    if (auto *own = qobject_cast<QLineEdit *>(editor))
        box = own;
    QVERIFY(box);
    box->selectAll();
    box->del();
    box->insert(typed);
    const QPointer<QWidget> open = editor;
    QTest::keyClick(editor, Qt::Key_Return);
    // The view commits and closes the editor once the key is handled.
    QTRY_VERIFY(open.isNull());

    QCOMPARE(mForm->receipts()->text(1, column), stored);
    if (message.isEmpty()) {
        QCoreApplication::processEvents();
        QCOMPARE(mFixture->dialogs.texts(), QStringList());
    } else {
        QTRY_COMPARE(mFixture->dialogs.texts(), QStringList{message});
        QCOMPARE(mFixture->dialogs.messages.first().icon, UserDialogs::Icon::None);
    }
    QCOMPARE(mForm->receipts()->count(), 1);
}

void TestListEditing::enterAndDoubleClickEditTheCell_data()
{
    QTest::addColumn<bool>("doubleClick");
    QTest::newRow("Enter") << false;
    QTest::newRow("double-click") << true;
}

void TestListEditing::enterAndDoubleClickEditTheCell()
{
    QFETCH(bool, doubleClick);
    const QModelIndex tax = mForm->receipts()->index(0, 11);
    list()->scrollTo(tax);
    if (doubleClick) {
        const QPoint at = list()->visualRect(tax).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
    } else {
        list()->setFocus();
        list()->setCurrentIndex(tax);
        QTest::keyClick(list(), Qt::Key_Return);
    }
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("10"));
    QTest::keyClicks(editor, QStringLiteral("12"));
    const QPointer<QWidget> open = editor;
    QTest::keyClick(editor, Qt::Key_Enter);
    QTRY_VERIFY(open.isNull());
    QCOMPARE(mForm->receipts()->text(1, 11), QStringLiteral("12"));
}

void TestListEditing::aToolTipThatLooksLikeMarkupShowsItsText()
{
    // The list's cells show their tips through the receipt delegate, which never lets a value become markup.
    auto *delegate = qobject_cast<ReceiptDelegate *>(list()->itemDelegate());
    QVERIFY(delegate);
    QCOMPARE(delegate->shownToolTip(QStringLiteral("<b>bold</b> & more")),
             QStringLiteral("<p>&lt;b&gt;bold&lt;/b&gt; &amp; more</p>"));
    QCOMPARE(delegate->shownToolTip(QStringLiteral("Main St. 1 & 2")), QStringLiteral("Main St. 1 & 2"));
}

PARVOLINE_TEST_MAIN(TestListEditing)
#include "tst_listediting.moc"
