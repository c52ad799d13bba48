#include "DatePicker.h"
#include "ScopedDefaultLocale.h"
#include "TestMain.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace {
const QDate kStart(2021, 8, 31);

// Types \a text key by key, also characters that have no key of their own here (Arabic digits).
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(widget, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}
} // namespace

class TestDatePicker : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void typedDateIsReadAsMeant_data();
    void typedDateIsReadAsMeant();
    void noDateYetKeepsTheLastOne_data();
    void noDateYetKeepsTheLastOne();
    void charactersOfNoDateAreRefused();
    void enterSettlesTheDate();
    void pastedDateIsRead();
    void arrowKeysStepThePartUnderTheCursor_data();
    void arrowKeysStepThePartUnderTheCursor();
    void clickingKeepsTheCursorWhereItLands();
    void comingBackFromAnotherWindowKeepsWhatWasTyped();

private:
    /// A window with a box, the picker and a box after it, shown and active, the picker set to the
    /// start date under \a locale.
    void open(const QString &locale = QStringLiteral("en_US"));
    /// Tabs from the first box into the picker.
    void tabIn();
    /// Tabs out of the picker to the last box.
    void tabOut();
    QLineEdit *line() const { return mPicker->findChild<QLineEdit *>(); }

    std::unique_ptr<ScopedDefaultLocale> mLocale;
    std::unique_ptr<QWidget> mWindow;
    QLineEdit *mBefore = nullptr;
    DatePicker *mPicker = nullptr;
    QLineEdit *mAfter = nullptr;
};

void TestDatePicker::cleanup()
{
    mWindow.reset();
    mLocale.reset();
}

void TestDatePicker::open(const QString &locale)
{
    mLocale = std::make_unique<ScopedDefaultLocale>(QLocale(locale));
    mWindow = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(mWindow.get());
    mBefore = new QLineEdit(mWindow.get());
    mPicker = new DatePicker(mWindow.get());
    mAfter = new QLineEdit(mWindow.get());
    layout->addWidget(mBefore);
    layout->addWidget(mPicker);
    layout->addWidget(mAfter);
    mPicker->setDateRange(QDate(1601, 1, 1), QDate(9999, 12, 31));
    mPicker->setCalendarPopup(true);
    mPicker->setDate(kStart);
    mWindow->show();
    QApplication::setActiveWindow(mWindow.get());
    QVERIFY(QTest::qWaitForWindowActive(mWindow.get()));
}

void TestDatePicker::tabIn()
{
    mBefore->setFocus(Qt::TabFocusReason);
    QTest::keyClick(mBefore, Qt::Key_Tab);
    QVERIFY(mPicker->hasFocus());
}

void TestDatePicker::tabOut()
{
    QTest::keyClick(mPicker, Qt::Key_Tab);
    QVERIFY(mAfter->hasFocus());
}

void TestDatePicker::typedDateIsReadAsMeant_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("shown");

    const QDate march5(2021, 3, 5);
    QTest::newRow("slashes") << QStringLiteral("en_US") << QStringLiteral("3/5/2021") << march5
                             << QStringLiteral("3/5/2021");
    QTest::newRow("dashes") << QStringLiteral("en_US") << QStringLiteral("3-5-2021") << march5
                            << QStringLiteral("3/5/2021");
    QTest::newRow("dots, two digits") << QStringLiteral("en_US") << QStringLiteral("03.05.2021") << march5
                                      << QStringLiteral("3/5/2021");
    QTest::newRow("year first") << QStringLiteral("en_US") << QStringLiteral("2021-03-05") << march5
                                << QStringLiteral("3/5/2021");
    QTest::newRow("the last day") << QStringLiteral("en_US") << QStringLiteral("12/31/9999") << QDate(9999, 12, 31)
                                  << QStringLiteral("12/31/9999");
    QTest::newRow("German") << QStringLiteral("de_DE") << QStringLiteral("5.3.2021") << march5
                            << QStringLiteral("05.03.2021");
    QTest::newRow("German with slashes") << QStringLiteral("de_DE") << QStringLiteral("31/12/2021")
                                         << QDate(2021, 12, 31) << QStringLiteral("31.12.2021");
    QTest::newRow("Arabic, Latin digits")
        << QStringLiteral("ar_EG") << QStringLiteral("5/3/2021") << march5 << QStringLiteral("٥\u200F/٣\u200F/٢٠٢١");
    QTest::newRow("Arabic digits") << QStringLiteral("ar_EG") << QStringLiteral("٥-٣-٢٠٢١") << march5
                                   << QStringLiteral("٥\u200F/٣\u200F/٢٠٢١");
    QTest::newRow("plain C settings") << QStringLiteral("C") << QStringLiteral("5/3/2021") << march5
                                      << QStringLiteral("5 Mar 2021");
    QTest::newRow("C settings, as shown")
        << QStringLiteral("C") << QStringLiteral("8 Dec 2026") << QDate(2026, 12, 8) << QStringLiteral("8 Dec 2026");
    QTest::newRow("C settings, month in full") << QStringLiteral("C") << QStringLiteral("8 december 2026")
                                               << QDate(2026, 12, 8) << QStringLiteral("8 Dec 2026");
    QTest::newRow("POSIX settings, as shown") << QStringLiteral("POSIX") << QStringLiteral("31 Jan 1999")
                                              << QDate(1999, 1, 31) << QStringLiteral("31 Jan 1999");
}

void TestDatePicker::typedDateIsReadAsMeant()
{
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(QDate, date);
    QFETCH(QString, shown);

    open(locale);
    tabIn();
    // Entered by Tab, the whole date is selected and the first key replaces it.
    QCOMPARE(line()->selectedText(), line()->text());
    typeText(mPicker, typed);
    QCOMPARE(mPicker->text(), typed);
    QCOMPARE(mPicker->date(), date);

    tabOut();
    QCOMPARE(mPicker->date(), date);
    QCOMPARE(mPicker->text(), shown);
}

void TestDatePicker::noDateYetKeepsTheLastOne_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("year being typed") << QStringLiteral("3/5/202");
    QTest::newRow("two-digit year") << QStringLiteral("3/5/21");
    QTest::newRow("no such day") << QStringLiteral("2/30/2021");
    QTest::newRow("month 13") << QStringLiteral("13/5/2021");
    QTest::newRow("before the range") << QStringLiteral("12/31/1600");
    QTest::newRow("only the month") << QStringLiteral("3/");
}

void TestDatePicker::noDateYetKeepsTheLastOne()
{
    QFETCH(QString, typed);
    open();
    tabIn();
    QTest::keyClicks(mPicker, typed);
    QCOMPARE(mPicker->text(), typed);
    QCOMPARE(mPicker->date(), kStart);

    tabOut();
    QCOMPARE(mPicker->date(), kStart);
    QCOMPARE(mPicker->text(), QStringLiteral("8/31/2021"));
}

void TestDatePicker::charactersOfNoDateAreRefused()
{
    open();
    tabIn();
    QTest::keyClicks(mPicker, QStringLiteral("3x/+5//2021a"));
    QCOMPARE(mPicker->text(), QStringLiteral("3/5/2021"));
    QCOMPARE(mPicker->date(), QDate(2021, 3, 5));
    // A fifth digit of the year is refused too.
    QTest::keyClick(mPicker, Qt::Key_1);
    QCOMPARE(mPicker->text(), QStringLiteral("3/5/2021"));
}

void TestDatePicker::enterSettlesTheDate()
{
    open();
    tabIn();
    QTest::keyClicks(mPicker, QStringLiteral("3-5-2021"));
    QTest::keyClick(mPicker, Qt::Key_Return);
    QCOMPARE(mPicker->text(), QStringLiteral("3/5/2021"));
    QCOMPARE(line()->selectedText(), QStringLiteral("3/5/2021"));
    QVERIFY(mPicker->hasFocus());

    QTest::keyClicks(mPicker, QStringLiteral("3/5/20"));
    QTest::keyClick(mPicker, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(mPicker->text(), QStringLiteral("3/5/2021"));
    QCOMPARE(mPicker->date(), QDate(2021, 3, 5));
}

void TestDatePicker::pastedDateIsRead()
{
    open();
    tabIn();
    QApplication::clipboard()->setText(QStringLiteral("2021-03-05"));
    QTest::keyClick(mPicker, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(mPicker->date(), QDate(2021, 3, 5));

    // Text that is no date is not pasted.
    QTest::keyClick(mPicker, Qt::Key_A, Qt::ControlModifier);
    QApplication::clipboard()->setText(QStringLiteral("tomorrow"));
    QTest::keyClick(mPicker, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(mPicker->text(), QStringLiteral("2021-03-05"));
    QCOMPARE(mPicker->date(), QDate(2021, 3, 5));
}

void TestDatePicker::arrowKeysStepThePartUnderTheCursor_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("key");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QString>("selected");

    QTest::newRow("day up") << QStringLiteral("3/5/2021") << 3 << int(Qt::Key_Up) << QDate(2021, 3, 6)
                            << QStringLiteral("6");
    QTest::newRow("month down") << QStringLiteral("3/5/2021") << 0 << int(Qt::Key_Down) << QDate(2021, 2, 5)
                                << QStringLiteral("2");
    QTest::newRow("year page up") << QStringLiteral("3/5/2021") << 6 << int(Qt::Key_PageUp) << QDate(2031, 3, 5)
                                  << QStringLiteral("2031");
    QTest::newRow("typed with dashes") << QStringLiteral("3-5-2021") << 3 << int(Qt::Key_Up) << QDate(2021, 3, 6)
                                       << QStringLiteral("6");
    QTest::newRow("from an unfinished date")
        << QStringLiteral("3/5/20") << 3 << int(Qt::Key_Up) << QDate(2021, 8, 31) << QStringLiteral("31");
}

void TestDatePicker::arrowKeysStepThePartUnderTheCursor()
{
    QFETCH(QString, typed);
    QFETCH(int, cursor);
    QFETCH(int, key);
    QFETCH(QDate, date);
    QFETCH(QString, selected);

    open();
    tabIn();
    QTest::keyClicks(mPicker, typed);
    line()->setCursorPosition(cursor);
    QTest::keyClick(mPicker, Qt::Key(key));
    QCOMPARE(mPicker->date(), date);
    QCOMPARE(line()->selectedText(), selected);
    QCOMPARE(mPicker->text(), QLocale().toString(date, mPicker->displayFormat()));
}

void TestDatePicker::clickingKeepsTheCursorWhereItLands()
{
    open();
    mBefore->setFocus(Qt::TabFocusReason);
    // A click behind the year puts the cursor there, and typing edits the text where it stands.
    QTest::mouseClick(line(), Qt::LeftButton, Qt::NoModifier, QPoint(line()->width() - 4, line()->height() / 2));
    QVERIFY(mPicker->hasFocus());
    QCOMPARE(line()->cursorPosition(), line()->text().size());
    QTest::keyClick(mPicker, Qt::Key_Backspace);
    QTest::keyClick(mPicker, Qt::Key_2);
    QCOMPARE(mPicker->text(), QStringLiteral("8/31/2022"));
    QCOMPARE(mPicker->date(), QDate(2022, 8, 31));
}

void TestDatePicker::comingBackFromAnotherWindowKeepsWhatWasTyped()
{
    open();
    tabIn();
    QTest::keyClicks(mPicker, QStringLiteral("3/5/2021"));
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(mWindow.get());
    QVERIFY(mPicker->hasFocus());
    QCOMPARE(mPicker->text(), QStringLiteral("3/5/2021"));
    QCOMPARE(line()->cursorPosition(), 8);
    QVERIFY(!line()->hasSelectedText());
}

PARVOLINE_TEST_MAIN(TestDatePicker)
#include "tst_datepicker.moc"
