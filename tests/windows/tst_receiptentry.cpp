#include "Clock.h"
#include "Form1Fixture.h"
#include "ReceiptList.h"
#include "ScopedDefaultLocale.h"
#include "TestMain.h"

#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <algorithm>

namespace {
const QString kAmountMessage = QStringLiteral("Amount must be numeric value");
const QString kMissingMessage = QStringLiteral("You forgot to input Receipt/No.");
} // namespace

class TestReceiptEntry : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void addChecks_data();
    void addChecks();
    void addStoresTheRowAndEmptiesTheBoxes();
    void emptyAddressGivesBareCityLine();
    void sameEntriesTwiceGiveTwoRows();
    void anyTextIsStoredAsTyped_data();
    void anyTextIsStoredAsTyped();
    void typedTextReachesTheList();
    void amountUnderOtherSettings_data();
    void amountUnderOtherSettings();
    void typedDateReachesTheList_data();
    void typedDateReachesTheList();
    void pastedTextLosesControlCharacters_data();
    void pastedTextLosesControlCharacters();

    void deleteSelectedRow_data();
    void deleteSelectedRow();
    void deleteRowClickedInTheList();
    void deleteWithoutSelectionIsReported();
    void deleteSeveralSelectedRows_data();
    void deleteSeveralSelectedRows();
    void deleteOnEmptyListDoesNothing();

private:
    Form1 &loaded();
    void fillAll(const QString &text);
    QPushButton *button(const char *name) const;
    QTreeView *list() const;
    QDateEdit *picker() const;
    QStringList boxTexts() const;

    std::unique_ptr<ScopedDefaultLocale> mLocale;
    std::unique_ptr<Form1Fixture> mFixture;
};

void TestReceiptEntry::init()
{
    Clock::pin([] { return QDate(2021, 8, 31); });
    mFixture = std::make_unique<Form1Fixture>();
}

void TestReceiptEntry::cleanup()
{
    mFixture.reset();
    mLocale.reset();
    Clock::pin(nullptr);
}

Form1 &TestReceiptEntry::loaded()
{
    Form1 &form = mFixture->load();
    mFixture->dialogs.clear();
    return form;
}

void TestReceiptEntry::fillAll(const QString &text)
{
    for (QLineEdit *box : mFixture->boxes())
        box->setText(text);
}

QPushButton *TestReceiptEntry::button(const char *name) const
{
    return mFixture->control<QPushButton>(QLatin1String(name));
}

QTreeView *TestReceiptEntry::list() const
{
    return mFixture->control<QTreeView>(QStringLiteral("ListView2"));
}

QDateEdit *TestReceiptEntry::picker() const
{
    return mFixture->control<QDateEdit>(QStringLiteral("DateTimePicker1"));
}

QStringList TestReceiptEntry::boxTexts() const
{
    QStringList texts;
    for (QLineEdit *box : mFixture->boxes())
        texts << box->text();
    return texts;
}

void TestReceiptEntry::addChecks_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("message");

    QTest::newRow("amount is checked first") << QStringLiteral("abc") << QString() << QString() << kAmountMessage;
    QTest::newRow("empty amount") << QString() << QStringLiteral("Rent") << QStringLiteral("1") << kAmountMessage;
    QTest::newRow("blank amount") << QStringLiteral("  ") << QStringLiteral("Rent") << QStringLiteral("1")
                                  << kAmountMessage;
    QTest::newRow("amount with words") << QStringLiteral("75 dollars") << QStringLiteral("Rent") << QStringLiteral("1")
                                       << kAmountMessage;
    QTest::newRow("no name") << QStringLiteral("75") << QString() << QStringLiteral("1") << kMissingMessage;
    QTest::newRow("no number") << QStringLiteral("75") << QStringLiteral("Rent") << QString() << kMissingMessage;
    QTest::newRow("neither") << QStringLiteral("75") << QString() << QString() << kMissingMessage;
    QTest::newRow("blanks around amount")
        << QStringLiteral(" 75 ") << QStringLiteral("Rent") << QStringLiteral("1") << QString();
    QTest::newRow("decimals") << QStringLiteral("75.50") << QStringLiteral("Rent") << QStringLiteral("1") << QString();
    QTest::newRow("thousands") << QStringLiteral("1,075") << QStringLiteral("Rent") << QStringLiteral("1") << QString();
    QTest::newRow("name of one blank") << QStringLiteral("75") << QStringLiteral(" ") << QStringLiteral("1")
                                       << QString();
    QTest::newRow("number of one blank") << QStringLiteral("75") << QStringLiteral("Rent") << QStringLiteral(" ")
                                         << QString();
}

void TestReceiptEntry::addChecks()
{
    QFETCH(QString, amount);
    QFETCH(QString, name);
    QFETCH(QString, number);
    QFETCH(QString, message);

    Form1 &form = loaded();
    fillAll(QStringLiteral("kept"));
    mFixture->box(15)->setText(amount);
    mFixture->box(1)->setText(name);
    mFixture->box(2)->setText(number);
    mFixture->box(16)->setText(QStringLiteral("ten"));
    const QStringList before = boxTexts();

    button("PushButton3")->click();

    if (message.isEmpty()) {
        QVERIFY(mFixture->dialogs.messages.isEmpty());
        QCOMPARE(form.receipts()->count(), 1);
        QCOMPARE(form.receipts()->text(1, 0), name);
        QCOMPARE(form.receipts()->text(1, ReceiptRecord::Amount), amount);
        QCOMPARE(form.receipts()->text(1, ReceiptRecord::Tax), QStringLiteral("ten"));
    } else {
        QCOMPARE(mFixture->dialogs.messages.size(), 1);
        const auto &shown = mFixture->dialogs.messages.first();
        QCOMPARE(shown.text, message);
        QCOMPARE(shown.title, QStringLiteral("Parvoline"));
        QCOMPARE(shown.icon, UserDialogs::Icon::None);
        QCOMPARE(shown.buttons, UserDialogs::Buttons::Ok);
        QCOMPARE(form.receipts()->count(), 0);
        QCOMPARE(boxTexts(), before);
    }
}

void TestReceiptEntry::addStoresTheRowAndEmptiesTheBoxes()
{
    Form1 &form = loaded();
    const char *values[][2] = {
        {"Text1", "Rent March"},  {"Text2", "2021-17"},     {"Text3", "Selma Orrick"}, {"Text4", "Birchwood st"},
        {"Text5", "French Leek"}, {"Text6", "IN"},          {"Text7", "33455"},        {"Text9", "Dorian Quell Jr."},
        {"Text10", "Elm Street"}, {"Text11", "Holderness"}, {"Text12", "NH"},          {"Text8", "03245"},
        {"Text14", "Tree house"}, {"Text15", "75.50"},      {"Text16", "10"},
    };
    for (const auto &v : values)
        mFixture->control<QLineEdit>(QLatin1String(v[0]))->setText(QLatin1String(v[1]));
    picker()->setDate(QDate(2021, 3, 5));
    mFixture->box(4)->setFocus();

    button("PushButton3")->click();

    QVERIFY(mFixture->dialogs.messages.isEmpty());
    QCOMPARE(form.receipts()->count(), 1);
    ReceiptRecord expected;
    expected.fields = {QStringLiteral("Rent March"),
                       QStringLiteral("2021-17"),
                       QStringLiteral("Selma Orrick"),
                       QStringLiteral("Birchwood st"),
                       QStringLiteral("French Leek, IN 33455"),
                       QStringLiteral("Dorian Quell Jr."),
                       QStringLiteral("Elm Street"),
                       QStringLiteral("Holderness, NH 03245"),
                       QStringLiteral("03/05/2021"),
                       QStringLiteral("Tree house"),
                       QStringLiteral("75.50"),
                       QStringLiteral("10")};
    QCOMPARE(form.receipts()->record(1), expected);
    for (QLineEdit *box : mFixture->boxes())
        QVERIFY2(box->text().isEmpty(), qPrintable(box->objectName()));
    QCOMPARE(picker()->date(), QDate(2021, 3, 5));
}

void TestReceiptEntry::emptyAddressGivesBareCityLine()
{
    Form1 &form = loaded();
    mFixture->box(1)->setText(QStringLiteral("r"));
    mFixture->box(2)->setText(QStringLiteral("1"));
    mFixture->box(15)->setText(QStringLiteral("5"));

    button("PushButton3")->click();

    QCOMPARE(form.receipts()->text(1, ReceiptRecord::FromCity), QStringLiteral(",  "));
    QCOMPARE(form.receipts()->text(1, ReceiptRecord::ToCity), QStringLiteral(",  "));
    QCOMPARE(form.receipts()->text(1, ReceiptRecord::Date), QStringLiteral("08/31/2021"));
}

void TestReceiptEntry::sameEntriesTwiceGiveTwoRows()
{
    Form1 &form = loaded();
    for (int i = 0; i < 2; ++i) {
        fillAll(QStringLiteral("same"));
        mFixture->box(15)->setText(QStringLiteral("75"));
        button("PushButton3")->click();
    }
    QVERIFY(mFixture->dialogs.messages.isEmpty());
    QCOMPARE(form.receipts()->count(), 2);
    QCOMPARE(form.receipts()->record(1), form.receipts()->record(2));
}

void TestReceiptEntry::anyTextIsStoredAsTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("stored");

    auto row = [](const char *name, const QString &text) {
        QTest::newRow(name) << text << text;
    };
    row("empty", QString());
    row("blanks only", QStringLiteral("   "));
    row("10,000 characters", QString(10000, QLatin1Char('w')));
    row("100,000 characters", QString(100000, QLatin1Char('w')));
    row("Cyrillic", QStringLiteral("Квитанция №5"));
    row("Arabic, right to left", QStringLiteral("إيصال رقم ٥"));
    row("Chinese", QStringLiteral("收据 树屋"));
    row("outside the basic plane", QStringLiteral("𝔓𝔞𝔯𝔳𝔬 🏠"));
    row("combining marks", QStringLiteral("Zu\u0308rich"));
    row("placeholder", QStringLiteral("[Total]"));
    row("all placeholders", QStringLiteral("[RECEIPT][NO.][FromPayee][Amount][SubTotal][Tax]"));
    row("markup", QStringLiteral("<b>bold</b> &amp; %1 %s \\n"));
    row("list separators", QStringLiteral("a;b,c|d\"e'f"));
    // A box holds one line without control characters: they would empty the field in the document.
    QTest::newRow("control characters") << QStringLiteral("a\tb\x01"
                                                          "c\x7f")
                                        << QStringLiteral("a bc");
    QTest::newRow("line breaks") << QStringLiteral("first\r\nsecond\nthird\r") << QStringLiteral("first second third");
}

void TestReceiptEntry::anyTextIsStoredAsTyped()
{
    QFETCH(QString, text);
    QFETCH(QString, stored);

    Form1 &form = loaded();
    fillAll(text);
    mFixture->box(15)->setText(QStringLiteral("75"));
    picker()->setDate(QDate(2021, 3, 5));
    for (QLineEdit *box : mFixture->boxes()) {
        if (box != mFixture->box(15))
            QCOMPARE(box->text(), stored);
    }

    button("PushButton3")->click();

    if (text.isEmpty()) {
        // Only an empty name or number refuses a receipt.
        QCOMPARE(mFixture->dialogs.texts(), QStringList{kMissingMessage});
        QCOMPARE(form.receipts()->count(), 0);
        return;
    }
    QVERIFY(mFixture->dialogs.messages.isEmpty());
    QCOMPARE(form.receipts()->count(), 1);
    const QString cityLine = stored + QStringLiteral(", ") + stored + QLatin1Char(' ') + stored;
    ReceiptRecord expected;
    expected.fields = {stored,
                       stored,
                       stored,
                       stored,
                       cityLine,
                       stored,
                       stored,
                       cityLine,
                       QStringLiteral("03/05/2021"),
                       stored,
                       QStringLiteral("75"),
                       stored};
    QCOMPARE(form.receipts()->record(1), expected);

    // The next receipt lands in a row of its own; the odd one stays intact.
    fillAll(QStringLiteral("plain"));
    mFixture->box(15)->setText(QStringLiteral("1"));
    button("PushButton3")->click();
    QCOMPARE(form.receipts()->count(), 2);
    QCOMPARE(form.receipts()->record(1), expected);
    QCOMPARE(form.receipts()->text(2, 0), QStringLiteral("plain"));
    QCOMPARE(form.receipts()->data(form.receipts()->index(0, ReceiptRecord::Description)).toString(), stored);
}

void TestReceiptEntry::typedTextReachesTheList()
{
    Form1 &form = loaded();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::keyClicks(mFixture->box(1), QStringLiteral("Quittung [Total]"));
    QTest::keyClicks(mFixture->box(2), QStringLiteral("  7 "));
    QTest::keyClicks(mFixture->box(15), QStringLiteral("1,075.50"));

    QTest::mouseClick(button("PushButton3"), Qt::LeftButton);

    QCOMPARE(form.receipts()->count(), 1);
    QCOMPARE(form.receipts()->text(1, 0), QStringLiteral("Quittung [Total]"));
    QCOMPARE(form.receipts()->text(1, ReceiptRecord::No), QStringLiteral("  7 "));
    QCOMPARE(form.receipts()->text(1, ReceiptRecord::Amount), QStringLiteral("1,075.50"));
}

void TestReceiptEntry::amountUnderOtherSettings_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("German decimals") << QStringLiteral("de_DE") << QStringLiteral("75,50") << true;
    QTest::newRow("German thousands") << QStringLiteral("de_DE") << QStringLiteral("1.075,50") << true;
    QTest::newRow("German word") << QStringLiteral("de_DE") << QStringLiteral("zehn") << false;
    QTest::newRow("Arabic digits") << QStringLiteral("ar_EG") << QStringLiteral("٧٥٫٥٠") << true;
    QTest::newRow("Arabic negative as written")
        << QStringLiteral("ar_EG") << QLocale(QStringLiteral("ar_EG")).toString(-12.5) << true;
    QTest::newRow("Arabic, Latin digits") << QStringLiteral("ar_EG") << QStringLiteral("75.50") << true;
    QTest::newRow("Arabic word") << QStringLiteral("ar_EG") << QStringLiteral("عشرة") << false;
}

void TestReceiptEntry::amountUnderOtherSettings()
{
    QFETCH(QString, locale);
    QFETCH(QString, amount);
    QFETCH(bool, accepted);

    mLocale = std::make_unique<ScopedDefaultLocale>(QLocale(locale));
    Form1 &form = loaded();
    mFixture->box(1)->setText(QStringLiteral("Rent"));
    mFixture->box(2)->setText(QStringLiteral("1"));
    mFixture->box(15)->setText(amount);

    button("PushButton3")->click();

    QCOMPARE(form.receipts()->count(), accepted ? 1 : 0);
    QCOMPARE(mFixture->dialogs.texts(), accepted ? QStringList() : QStringList{kAmountMessage});
    if (accepted)
        QCOMPARE(form.receipts()->text(1, ReceiptRecord::Amount), amount);
}

void TestReceiptEntry::typedDateReachesTheList_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("listed");

    QTest::newRow("United States") << QStringLiteral("en_US") << QStringLiteral("3/5/2021")
                                   << QStringLiteral("03/05/2021");
    QTest::newRow("United States, dashes")
        << QStringLiteral("en_US") << QStringLiteral("12-7-2026") << QStringLiteral("12/07/2026");
    QTest::newRow("German") << QStringLiteral("de_DE") << QStringLiteral("5.3.2021") << QStringLiteral("03.05.2021");
    QTest::newRow("Egyptian Arabic") << QStringLiteral("ar_EG") << QStringLiteral("7/12/2026")
                                     << QStringLiteral("12/07/2026");
    QTest::newRow("Saudi Arabic") << QStringLiteral("ar_SA") << QStringLiteral("5-3-2021")
                                  << QStringLiteral("03/05/2021");
}

void TestReceiptEntry::typedDateReachesTheList()
{
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(QString, listed);

    mLocale = std::make_unique<ScopedDefaultLocale>(QLocale(locale));
    Form1 &form = loaded();
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    mFixture->box(1)->setText(QStringLiteral("Rent"));
    mFixture->box(2)->setText(QStringLiteral("1"));
    mFixture->box(15)->setText(QStringLiteral("75"));

    // From the payer's zip, Tab goes to the date picker, and typing replaces its date.
    mFixture->box(8)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(mFixture->box(8), Qt::Key_Tab);
    QVERIFY(picker()->hasFocus());
    QTest::keyClicks(picker(), typed);
    QCOMPARE(picker()->text(), typed);
    QTest::keyClick(picker(), Qt::Key_Tab);
    QVERIFY(mFixture->box(14)->hasFocus());

    QTest::mouseClick(button("PushButton3"), Qt::LeftButton);

    QVERIFY(mFixture->dialogs.messages.isEmpty());
    QCOMPARE(form.receipts()->count(), 1);
    QCOMPARE(form.receipts()->text(1, ReceiptRecord::Date), listed);
}

void TestReceiptEntry::pastedTextLosesControlCharacters_data()
{
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("cursor");

    QTest::newRow("control characters") << QStringLiteral("\x01-\x1f") << QStringLiteral("Birch-wood st") << 6;
    QTest::newRow("lines of an address") << QStringLiteral("Elm Street\r\nHolderness\r\n")
                                         << QStringLiteral("BirchElm Street Holderness wood st") << 27;
    QTest::newRow("cells of a row") << QStringLiteral("\t1\t2\t") << QStringLiteral("Birch 1 2 wood st") << 10;
    QTest::newRow("nothing but control characters")
        << QStringLiteral("\x07\x08\x7f") << QStringLiteral("Birchwood st") << 5;
}

void TestReceiptEntry::pastedTextLosesControlCharacters()
{
    QFETCH(QString, pasted);
    QFETCH(QString, result);
    QFETCH(int, cursor);

    Form1 &form = loaded();
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    for (QLineEdit *box : mFixture->boxes()) {
        box->setText(QStringLiteral("Birchwood st"));
        box->setFocus(Qt::MouseFocusReason);
        QCoreApplication::processEvents();
        box->setCursorPosition(5);
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), result);
        QCOMPARE(box->cursorPosition(), cursor);
    }
    mFixture->box(15)->setText(QStringLiteral("75"));
    button("PushButton3")->click();
    QCOMPARE(form.receipts()->count(), 1);
    for (int field = 0; field < ReceiptRecord::kFieldCount; ++field) {
        const QString stored = form.receipts()->text(1, field);
        QVERIFY2(std::none_of(stored.cbegin(), stored.cend(), [](QChar c) { return c.unicode() < 0x20; }),
                 qPrintable(stored));
    }
}

void TestReceiptEntry::deleteSelectedRow_data()
{
    QTest::addColumn<int>("selected");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("first") << 1 << QStringList{QStringLiteral("b"), QStringLiteral("c")};
    QTest::newRow("middle") << 2 << QStringList{QStringLiteral("a"), QStringLiteral("c")};
    QTest::newRow("last") << 3 << QStringList{QStringLiteral("a"), QStringLiteral("b")};
}

void TestReceiptEntry::deleteSelectedRow()
{
    QFETCH(int, selected);
    QFETCH(QStringList, left);

    Form1 &form = loaded();
    for (const char *name : {"a", "b", "c"})
        form.receipts()->appendRow(QLatin1String(name));
    list()->selectionModel()->setCurrentIndex(form.receipts()->index(selected - 1, 0),
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);

    button("PushButton4")->click();

    QVERIFY(mFixture->dialogs.messages.isEmpty());
    QCOMPARE(form.receipts()->count(), 2);
    QCOMPARE(form.receipts()->text(1, 0), left.at(0));
    QCOMPARE(form.receipts()->text(2, 0), left.at(1));
}

void TestReceiptEntry::deleteRowClickedInTheList()
{
    Form1 &form = loaded();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (const char *name : {"a", "b", "c"})
        form.receipts()->appendRow(QLatin1String(name));
    const QRect second = list()->visualRect(form.receipts()->index(1, 3));
    QVERIFY(second.isValid());

    QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::NoModifier, second.center());
    QTest::mouseClick(button("PushButton4"), Qt::LeftButton);

    QVERIFY(mFixture->dialogs.messages.isEmpty());
    QCOMPARE(form.receipts()->count(), 2);
    QCOMPARE(form.receipts()->text(1, 0), QStringLiteral("a"));
    QCOMPARE(form.receipts()->text(2, 0), QStringLiteral("c"));
}

void TestReceiptEntry::deleteWithoutSelectionIsReported()
{
    Form1 &form = loaded();
    form.receipts()->appendRow(QStringLiteral("a"));
    form.receipts()->appendRow(QStringLiteral("b"));

    button("PushButton4")->click();

    const auto reports = mFixture->dialogs.errorReports();
    QCOMPARE(mFixture->dialogs.messages.size(), 1);
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.first().text.contains(
                 QLatin1String("\r\nin Quorvel2021/08/31.Form1.PushButton4_Click at line 102\r\r")),
             qPrintable(reports.first().text));
    QCOMPARE(reports.first().icon, UserDialogs::Icon::Exclamation);
    QCOMPARE(form.receipts()->count(), 2);
    QCOMPARE(form.receipts()->text(1, 0), QStringLiteral("a"));
    QCOMPARE(form.receipts()->text(2, 0), QStringLiteral("b"));
}

void TestReceiptEntry::deleteSeveralSelectedRows_data()
{
    QTest::addColumn<QList<int>>("clicked");
    QTest::addColumn<QList<int>>("modifiers");
    QTest::addColumn<QString>("left");
    QTest::newRow("Ctrl-clicks") << QList<int>{1, 3, 5} << QList<int>{0, Qt::ControlModifier, Qt::ControlModifier}
                                 << QStringLiteral("ace");
    QTest::newRow("Shift-click") << QList<int>{1, 3} << QList<int>{0, Qt::ShiftModifier} << QStringLiteral("aef");
    QTest::newRow("Ctrl-click takes one back")
        << QList<int>{1, 3, 2} << QList<int>{0, Qt::ShiftModifier, Qt::ControlModifier} << QStringLiteral("acef");
    QTest::newRow("Ctrl+A") << QList<int>{} << QList<int>{} << QString();
}

void TestReceiptEntry::deleteSeveralSelectedRows()
{
    QFETCH(QList<int>, clicked);
    QFETCH(QList<int>, modifiers);
    QFETCH(QString, left);

    Form1 &form = loaded();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    for (const char *name : {"a", "b", "c", "d", "e", "f"})
        form.receipts()->appendRow(QLatin1String(name));
    for (qsizetype i = 0; i < clicked.size(); ++i) {
        const QPoint at = list()->visualRect(form.receipts()->index(clicked.at(i), 2)).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, Qt::KeyboardModifiers(modifiers.at(i)), at);
    }
    if (clicked.isEmpty()) {
        list()->setFocus();
        QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
    }

    button("PushButton4")->click();

    QVERIFY(mFixture->dialogs.messages.isEmpty());
    QString names;
    for (int row = 1; row <= form.receipts()->count(); ++row)
        names += form.receipts()->text(row, 0);
    QCOMPARE(names, left);
}

void TestReceiptEntry::deleteOnEmptyListDoesNothing()
{
    Form1 &form = loaded();
    button("PushButton4")->click();
    QVERIFY(mFixture->dialogs.messages.isEmpty());
    QCOMPARE(form.receipts()->count(), 0);
}

PARVOLINE_TEST_MAIN(TestReceiptEntry)
#include "tst_receiptentry.moc"
