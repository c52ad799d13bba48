#include "Clock.h"
#include "Form1Fixture.h"
#include "Program.h"
#include "ReceiptList.h"
#include "TestData.h"
#include "TestMain.h"
#include "UrlOpener.h"

#include <QApplication>
#include <QBuffer>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

namespace {
QRect fromTwips(int left, int top, int width, int height)
{
    return QRect(qRound(left / 15.0), qRound(top / 15.0), qRound(width / 15.0), qRound(height / 15.0));
}

// A hand cursor file: an icon file whose header says "cursor" and whose entry carries the hot spot.
QByteArray cursorFile()
{
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int i = 0; i < 32; ++i)
        image.setPixelColor(i, i, Qt::black);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "ico");
    if (!writer.write(image))
        return {};
    bytes[2] = 2;
    bytes[10] = 5; // hot spot x
    bytes[11] = 0;
    bytes[12] = 3; // hot spot y
    bytes[13] = 0;
    return bytes;
}

void moveMouseOver(QWidget *widget)
{
    const QPointF at(2, 2);
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

QColor background(const QWidget *w)
{
    return w->palette().color(QPalette::Window);
}
} // namespace

class TestForm1 : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void window();
    void controls_data();
    void controls();
    void labels_data();
    void labels();
    void fonts();
    void designColoursStayWhiteWithoutSkin();
    void skinFileRecoloursWindow();
    void skinLoadFailureIsReportedAndStartUpGoesOn();
    void columnsAfterLoad();
    void datePicker();
    void centredAtFirstShow();
    void iconOfTheInstalledProgram();

    void startUpIsQuietWithoutCursorFile();
    void cursorFileGivesHandOverButtons();
    void brokenCursorFileIsReportedAndLoadGoesOn();
    void homePage_data();
    void homePage();

    void tabOrder();
    void backtabFromDescriptionReachesDatePicker();
    void tabIntoBoxSelectsAll();
    void clickIntoBoxSelectsAll();
    void focusComingBack_data();
    void focusComingBack();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void enterInATextBoxPressesNothing();
    void heldEnterPressesOnce();

    void pointerUnderMouse_data();
    void pointerUnderMouse();
    void busyPointerSurvivesMouseMoves_data();
    void busyPointerSurvivesMouseMoves();

    void help();

private:
    /// Loads the window, shows it and makes it the active window.
    Form1 &shownAndActive();

    std::unique_ptr<Form1Fixture> mFixture;
};

Form1 &TestForm1::shownAndActive()
{
    Form1 &form = mFixture->load();
    form.show();
    QApplication::setActiveWindow(&form);
    if (!QTest::qWaitForWindowActive(&form))
        qWarning("The main window did not become active");
    return form;
}

void TestForm1::init()
{
    Clock::pin([] { return QDate(2021, 8, 31); });
    mFixture = std::make_unique<Form1Fixture>();
}

void TestForm1::cleanup()
{
    mFixture.reset();
    Clock::pin(nullptr);
}

void TestForm1::window()
{
    Form1 &form = mFixture->load();
    QCOMPARE(form.objectName(), QStringLiteral("Form1"));
    QCOMPARE(form.size(), QSize(536, 684));
    QCOMPARE(form.minimumSize(), QSize(536, 684));
    QCOMPARE(form.maximumSize(), QSize(536, 684));
    QVERIFY(form.isWindow());
    QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
    QCOMPARE(form.windowTitle(), QStringLiteral("Parvoline"));
    QVERIFY(!form.windowIcon().isNull());
    QCOMPARE(ApplicationTitle(), QStringLiteral("Parvoline"));
    QVERIFY(!form.isVisible());
}

void TestForm1::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");

    auto row = [](const char *name, const char *container, const char *caption, int l, int t, int w, int h) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(container)
                            << QString::fromLatin1(caption) << fromTwips(l, t, w, h);
    };
    row("Text1", "Frame4", "", 1560, 270, 6000, 345);
    row("Text2", "Frame4", "", 1560, 690, 6000, 345);
    row("Text3", "Frame1", "", 1440, 270, 6120, 345);
    row("Text4", "Frame1", "", 1440, 690, 6120, 345);
    row("Text5", "Frame1", "", 1440, 1110, 2760, 345);
    row("Text6", "Frame1", "", 5040, 1110, 720, 345);
    row("Text7", "Frame1", "", 6360, 1110, 1200, 345);
    row("Text9", "Frame2", "", 1440, 270, 6120, 345);
    row("Text10", "Frame2", "", 1440, 690, 6120, 345);
    row("Text11", "Frame2", "", 1440, 1110, 2760, 345);
    row("Text12", "Frame2", "", 5040, 1110, 720, 345);
    row("Text8", "Frame2", "", 6360, 1110, 1200, 345);
    row("DateTimePicker1", "Frame3", "", 1440, 270, 6120, 345);
    row("Text14", "Frame3", "", 1440, 690, 6120, 345);
    row("Text15", "Frame3", "", 1440, 1110, 2880, 345);
    row("Text16", "Frame3", "", 4815, 1110, 2760, 345);
    row("PushButton3", "Form1", "Add", 120, 7470, 3840, 405);
    row("PushButton4", "Form1", "Delete", 4080, 7470, 3840, 405);
    row("ListView2", "Form1", "", 120, 7980, 7800, 2175);
    row("PushButton6", "Form1", "Start Creating Template", 120, 120, 7800, 405);
    row("PushButton2", "Form1", "Help", 120, 630, 3840, 405);
    row("PushButton1", "Form1", "Load Sample/Example Data", 4080, 630, 3840, 405);
    row("Frame4", "Form1", "Receipt", 120, 1110, 7800, 1185);
    row("Frame1", "Form1", "From Payee (person receiving money)", 120, 2370, 7800, 1605);
    row("Frame2", "Form1", "To Payer (person paying money)", 120, 4050, 7800, 1605);
    row("Frame3", "Form1", "Total Amount", 120, 5730, 7800, 1635);
}

void TestForm1::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);

    mFixture->load();
    QWidget *control = mFixture->control<QWidget>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(control->geometry(), geometry);

    if (name.startsWith(QLatin1String("Text"))) {
        auto *box = qobject_cast<QLineEdit *>(control);
        QVERIFY(box);
        QVERIFY(box->text().isEmpty());
        QVERIFY2(box->maxLength() >= 1000000, "long entries would be cut");
    } else if (name.startsWith(QLatin1String("PushButton"))) {
        auto *button = qobject_cast<QPushButton *>(control);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
    } else if (name.startsWith(QLatin1String("Frame"))) {
        auto *frame = qobject_cast<QGroupBox *>(control);
        QVERIFY(frame);
        QCOMPARE(frame->title(), caption);
    } else if (name == QLatin1String("ListView2")) {
        QVERIFY(qobject_cast<QTreeView *>(control));
    } else {
        QVERIFY(qobject_cast<QDateEdit *>(control));
    }
}

void TestForm1::labels_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QRect>("geometry");

    auto row = [](int index, const char *caption, const char *frame, int l, int t, int w) {
        QTest::addRow("Label1(%d)", index)
            << index << QString::fromLatin1(caption) << QString::fromLatin1(frame) << fromTwips(l, t, w, 225);
    };
    row(1, "Receipt Name:", "Frame4", 240, 330, 1230);
    row(2, "Number:", "Frame4", 720, 750, 720);
    row(6, "Payee Name:", "Frame1", 240, 330, 1110);
    row(0, "Address:", "Frame1", 585, 750, 765);
    row(3, "City:", "Frame1", 990, 1170, 360);
    row(4, "State:", "Frame1", 4440, 1170, 495);
    row(5, "Zip:", "Frame1", 6000, 1170, 300);
    row(7, "Payee Name:", "Frame2", 240, 330, 1110);
    row(8, "Address:", "Frame2", 585, 750, 765);
    row(9, "City:", "Frame2", 990, 1140, 360);
    row(10, "State:", "Frame2", 4440, 1140, 495);
    row(11, "Zip:", "Frame2", 6000, 1140, 300);
    row(12, "Date:", "Frame3", 945, 330, 435);
    row(13, "Description:", "Frame3", 360, 750, 1020);
    row(14, "Amount:", "Frame3", 675, 1170, 705);
    row(15, "Tax:", "Frame3", 4395, 1170, 360);
}

void TestForm1::labels()
{
    QFETCH(int, index);
    QFETCH(QString, caption);
    QFETCH(QString, frame);
    QFETCH(QRect, geometry);

    mFixture->load();
    auto *label = mFixture->control<QLabel>(QStringLiteral("Label1_%1").arg(index));
    QVERIFY(label);
    QCOMPARE(label->text(), caption);
    QCOMPARE(label->parentWidget()->objectName(), frame);
    // A label ends where the design ends it, just before its box; it may only grow to the left, and
    // only as far as its bold caption needs.
    QCOMPARE(label->geometry().right(), geometry.right());
    QCOMPARE(label->geometry().top(), geometry.top());
    QCOMPARE(label->geometry().height(), geometry.height());
    QVERIFY(label->geometry().left() <= geometry.left());
    QVERIFY(label->fontMetrics().horizontalAdvance(caption) <= label->geometry().width());
    QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

void TestForm1::fonts()
{
    Form1 &form = mFixture->load();
    const auto widgets = form.findChildren<QWidget *>();
    int buttons = 0;
    for (QWidget *w : widgets) {
        if (!w->objectName().startsWith(QLatin1String("Text")) && !w->objectName().startsWith(QLatin1String("Label"))
            && !w->objectName().startsWith(QLatin1String("Frame"))
            && !w->objectName().startsWith(QLatin1String("PushButton")) && w->objectName() != QLatin1String("ListView2")
            && w->objectName() != QLatin1String("DateTimePicker1"))
            continue;
        const bool button = w->objectName().startsWith(QLatin1String("PushButton"));
        buttons += button ? 1 : 0;
        QCOMPARE(w->font().family(), QStringLiteral("Arial"));
        QVERIFY2(w->font().bold(), qPrintable(w->objectName()));
        QCOMPARE(w->font().pointSizeF(), button ? 11.25 : 9.0);
    }
    QCOMPARE(buttons, 5);
    QCOMPARE(form.font().pointSizeF(), 9.0);
}

void TestForm1::designColoursStayWhiteWithoutSkin()
{
    Form1 &form = mFixture->load();
    QCOMPARE(background(&form), QColor(Qt::white));
    for (QGroupBox *frame : form.findChildren<QGroupBox *>())
        QCOMPARE(background(frame), QColor(Qt::white));
    const auto labels = form.findChildren<QLabel *>();
    QCOMPARE(labels.size(), 16);
    for (QLabel *label : labels)
        QCOMPARE(background(label), QColor(Qt::white));
    QVERIFY(mFixture->dialogs.messages.isEmpty());
}

void TestForm1::skinFileRecoloursWindow()
{
    QPalette palette = QApplication::palette();
    const QPalette saved = palette;
    palette.setColor(QPalette::Button, QColor(212, 208, 200));
    QApplication::setPalette(palette);
    QVERIFY(mFixture->putInProgramFolder(QStringLiteral("x/o.cjs"), "QPushButton { color: #000080; }"));

    Form1 &form = mFixture->load();

    QCOMPARE(background(&form), QColor(212, 208, 200));
    for (QGroupBox *frame : form.findChildren<QGroupBox *>())
        QCOMPARE(background(frame), QColor(212, 208, 200));
    for (QLabel *label : form.findChildren<QLabel *>())
        QCOMPARE(background(label), QColor(212, 208, 200));
    QVERIFY(!mFixture->box(1)->autoFillBackground());
    QCOMPARE(form.styleSheet(), QStringLiteral("QPushButton { color: #000080; }"));
    QVERIFY(mFixture->dialogs.messages.isEmpty());
    QApplication::setPalette(saved);
}

void TestForm1::skinLoadFailureIsReportedAndStartUpGoesOn()
{
    // A skin file that is there but cannot be read: a link to a file that not even root may read.
    const QString unreadable = QStringLiteral("/proc/sys/vm/drop_caches");
    QFile probe(unreadable);
    if (!QFileInfo(unreadable).isFile() || probe.open(QIODevice::ReadOnly))
        QSKIP("No file here that exists and cannot be read");
    QVERIFY(QDir().mkpath(mFixture->programFolder.filePath(QStringLiteral("x"))));
    QVERIFY(QFile::link(unreadable, mFixture->programFolder.filePath(QStringLiteral("x/o.cjs"))));
    QPalette palette = QApplication::palette();
    const QPalette saved = palette;
    palette.setColor(QPalette::Button, QColor(212, 208, 200));
    QApplication::setPalette(palette);

    Form1 &form = mFixture->load();
    QApplication::setPalette(saved);

    const auto reports = mFixture->dialogs.errorReports();
    QCOMPARE(mFixture->dialogs.messages.size(), 1);
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.first().text.contains(QLatin1String("\r\nin Quorvel2021/08/31.Form1.Form_Load at line 100\r\r")),
             qPrintable(reports.first().text));
    QCOMPARE(reports.first().icon, UserDialogs::Icon::Exclamation);
    // The window was recoloured before the skin was to be applied; the rest of the start-up ran.
    QCOMPARE(background(&form), QColor(212, 208, 200));
    QVERIFY(form.styleSheet().isEmpty());
    QCOMPARE(form.windowTitle(), QStringLiteral("Parvoline"));
    QCOMPARE(ApplicationTitle(), QStringLiteral("Parvoline"));
    QCOMPARE(form.receipts()->columnHeaders().size(), 12);
    QCOMPARE(mFixture->control<QTreeView>(QStringLiteral("ListView2"))->header()->sectionSize(1), 1500 / 15);
}

void TestForm1::columnsAfterLoad()
{
    Form1 &form = mFixture->load();
    QCOMPARE(form.receipts()->columnHeaders(),
             (QStringList{QStringLiteral("Receipt"), QStringLiteral("No"), QStringLiteral("From Payee"),
                          QStringLiteral("From Address"), QStringLiteral("From City"), QStringLiteral("To Payee"),
                          QStringLiteral("To Address"), QStringLiteral("To City"), QStringLiteral("Date"),
                          QStringLiteral("Description"), QStringLiteral("Amount"), QStringLiteral("Tax")}));
    QCOMPARE(form.receipts()->count(), 0);

    auto *list = mFixture->control<QTreeView>(QStringLiteral("ListView2"));
    QCOMPARE(list->model(), form.receipts());
    QCOMPARE(list->header()->count(), 12);
    QCOMPARE(list->header()->sectionSize(0), qRound(4000 / 15.0));
    QCOMPARE(list->header()->sectionSize(1), 1500 / 15);
    for (int column = 2; column < 12; ++column)
        QCOMPARE(list->header()->sectionSize(column), list->header()->defaultSectionSize());
    QCOMPARE(list->header()->model()->headerData(10, Qt::Horizontal).toString(), QStringLiteral("Amount"));
    QVERIFY(!list->rootIsDecorated());
    QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
}

void TestForm1::datePicker()
{
    mFixture->load();
    auto *picker = mFixture->control<QDateEdit>(QStringLiteral("DateTimePicker1"));
    QCOMPARE(picker->date(), QDate(2021, 8, 31));
    QCOMPARE(picker->minimumDate(), QDate(1601, 1, 1));
    QCOMPARE(picker->maximumDate(), QDate(9999, 12, 31));
    QVERIFY(picker->calendarPopup());
    // Years are shown in full, so every date of the range can be read and typed.
    QVERIFY(picker->displayFormat().contains(QLatin1String("yyyy")));
    picker->setDate(QDate(1601, 1, 1));
    QCOMPARE(picker->date(), QDate(1601, 1, 1));
}

void TestForm1::centredAtFirstShow()
{
    Form1 &form = mFixture->load();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QRect available = form.screen()->availableGeometry();
    const QRect frame = form.frameGeometry();
    QVERIFY(qAbs(frame.center().x() - available.center().x()) <= 1);
    // Taller than the test screen (800x600): the title bar stays on it.
    if (available.height() >= frame.height())
        QVERIFY(qAbs(frame.center().y() - available.center().y()) <= 1);
    else
        QCOMPARE(frame.top(), available.top());
}

void TestForm1::iconOfTheInstalledProgram()
{
    // Installed, the program's icon is in the icon theme under its desktop id, the name the menu
    // entry names; the window shows that one.
    QTemporaryDir themes;
    QVERIFY(themes.isValid());
    const QDir theme(themes.filePath(QStringLiteral("hicolor")));
    QVERIFY(theme.mkpath(QStringLiteral("64x64/apps")));
    WriteWholeFile(theme.filePath(QStringLiteral("index.theme")),
                   "[Icon Theme]\nName=Hicolor\nDirectories=64x64/apps\n\n[64x64/apps]\nSize=64\nType=Fixed\n");
    QImage icon(64, 64, QImage::Format_ARGB32);
    icon.fill(Qt::darkBlue);
    QVERIFY(icon.save(theme.filePath(QStringLiteral("64x64/apps/%1.png").arg(QLatin1String(kApplicationId)))));
    const QStringList searchPaths = QIcon::themeSearchPaths();
    const QString themeName = QIcon::themeName();
    QIcon::setThemeSearchPaths({themes.path()});
    QIcon::setThemeName(QStringLiteral("hicolor"));

    Form1 &form = mFixture->load();
    const QString shown = form.windowIcon().name();
    QIcon::setThemeSearchPaths(searchPaths);
    QIcon::setThemeName(themeName);
    QCOMPARE(shown, QLatin1String(kApplicationId));
}

void TestForm1::startUpIsQuietWithoutCursorFile()
{
    Form1 &form = mFixture->load();
    QVERIFY(mFixture->dialogs.messages.isEmpty());
    moveMouseOver(mFixture->control<QPushButton>(QStringLiteral("PushButton3")));
    QCOMPARE(form.pointer().shape(), MousePointer::Shape::Custom);
    // Without the hand cursor the custom pointer looks like the default one.
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
}

void TestForm1::cursorFileGivesHandOverButtons()
{
    const QByteArray cursor = cursorFile();
    QVERIFY(!cursor.isEmpty());
    QVERIFY(mFixture->putInProgramFolder(QStringLiteral("HAND-M.CUR"), cursor));

    Form1 &form = mFixture->load();

    QVERIFY2(mFixture->dialogs.messages.isEmpty(), qPrintable(mFixture->dialogs.texts().join(QLatin1Char('|'))));
    moveMouseOver(mFixture->control<QPushButton>(QStringLiteral("PushButton6")));
    QCOMPARE(form.cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(form.cursor().hotSpot(), QPoint(5, 3));
    moveMouseOver(mFixture->control<QGroupBox>(QStringLiteral("Frame2")));
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
}

void TestForm1::brokenCursorFileIsReportedAndLoadGoesOn()
{
    QVERIFY(mFixture->putInProgramFolder(QStringLiteral("HAND-M.CUR"), "not a cursor"));

    Form1 &form = mFixture->load();

    const auto reports = mFixture->dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.first().text.contains(QLatin1String("\r\nin Quorvel2021/08/31.Form1.Form_Load at line 124\r\r")),
             qPrintable(reports.first().text));
    QCOMPARE(reports.first().icon, UserDialogs::Icon::Exclamation);
    QCOMPARE(form.receipts()->columnHeaders().size(), 12);
    QCOMPARE(form.windowTitle(), QStringLiteral("Parvoline"));
}

void TestForm1::homePage_data()
{
    QTest::addColumn<int>("draw");
    QTest::addColumn<bool>("opened");
    for (int draw : {1, 6, 7, 8, 70, 100})
        QTest::addRow("draw %d", draw) << draw << (draw == 7);
}

void TestForm1::homePage()
{
    QFETCH(int, draw);
    QFETCH(bool, opened);
    OpenHomePageIfDrawn(draw);
    QCOMPARE(mFixture->opener.opened.size(), opened ? 1 : 0);
    if (opened)
        QCOMPARE(mFixture->opener.opened.first(), HomePageUrl());
}

void TestForm1::tabOrder()
{
    Form1 &form = mFixture->load();
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    mFixture->box(1)->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), mFixture->box(1));

    const QStringList expected = {
        QStringLiteral("Text1"),           QStringLiteral("Text2"),       QStringLiteral("Text3"),
        QStringLiteral("Text4"),           QStringLiteral("Text5"),       QStringLiteral("Text6"),
        QStringLiteral("Text7"),           QStringLiteral("Text9"),       QStringLiteral("Text10"),
        QStringLiteral("Text11"),          QStringLiteral("Text12"),      QStringLiteral("Text8"),
        QStringLiteral("DateTimePicker1"), QStringLiteral("Text14"),      QStringLiteral("Text15"),
        QStringLiteral("Text16"),          QStringLiteral("PushButton3"), QStringLiteral("PushButton4"),
        QStringLiteral("ListView2"),       QStringLiteral("PushButton6"), QStringLiteral("PushButton2"),
        QStringLiteral("PushButton1"),     QStringLiteral("Text1")};
    QStringList visited;
    for (int i = 0; i < expected.size(); ++i) {
        QWidget *focus = QApplication::focusWidget();
        QVERIFY(focus);
        // The date picker's own text line holds the focus on its behalf.
        while (focus->objectName().isEmpty() && focus->parentWidget())
            focus = focus->parentWidget();
        visited << focus->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(visited, expected);
}

void TestForm1::backtabFromDescriptionReachesDatePicker()
{
    Form1 &form = mFixture->load();
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    mFixture->box(14)->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), mFixture->box(14));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    auto *picker = mFixture->control<QDateEdit>(QStringLiteral("DateTimePicker1"));
    QVERIFY(picker->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), mFixture->box(8));
}

void TestForm1::tabIntoBoxSelectsAll()
{
    Form1 &form = mFixture->load();
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QLineEdit *zip = mFixture->box(8);
    zip->setText(QStringLiteral("abc"));
    mFixture->box(12)->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), mFixture->box(12));

    QTest::keyClick(mFixture->box(12), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), zip);
    QTRY_COMPARE(zip->selectedText(), QStringLiteral("abc"));
    QTest::keyClick(zip, Qt::Key_X);
    QCOMPARE(zip->text(), QStringLiteral("x"));
}

void TestForm1::clickIntoBoxSelectsAll()
{
    Form1 &form = mFixture->load();
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QLineEdit *description = mFixture->box(14);
    description->setText(QStringLiteral("Building a tree house"));
    mFixture->box(1)->setFocus();
    QTRY_VERIFY(mFixture->box(1)->hasFocus());

    QTest::mouseClick(description, Qt::LeftButton, Qt::NoModifier, QPoint(30, description->height() / 2));

    QVERIFY(description->hasFocus());
    QTRY_COMPARE(description->selectedText(), QStringLiteral("Building a tree house"));
    QTest::keyClicks(description, QStringLiteral("Fence"));
    QCOMPARE(description->text(), QStringLiteral("Fence"));
}

void TestForm1::focusComingBack_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("selectsAll");

    QTest::newRow("Tab") << QStringLiteral("tab") << true;
    QTest::newRow("Backtab") << QStringLiteral("backtab") << true;
    QTest::newRow("click") << QStringLiteral("click") << true;
    QTest::newRow("the program's message box closes") << QStringLiteral("message box") << true;
    QTest::newRow("back from another program") << QStringLiteral("other program") << false;
    QTest::newRow("a context menu closes") << QStringLiteral("context menu") << false;
}

void TestForm1::focusComingBack()
{
    QFETCH(QString, way);
    QFETCH(bool, selectsAll);

    Form1 &form = shownAndActive();
    QLineEdit *address = mFixture->box(4);
    address->setText(QStringLiteral("Birchwood st"));
    address->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(address->selectedText(), QStringLiteral("Birchwood st"));
    QCoreApplication::processEvents();
    // The user has placed the cursor after "Birch".
    address->setCursorPosition(5);
    QVERIFY(!address->hasSelectedText());

    if (way == QLatin1String("tab")) {
        mFixture->box(3)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(mFixture->box(3), Qt::Key_Tab);
    } else if (way == QLatin1String("backtab")) {
        mFixture->box(5)->setFocus(Qt::TabFocusReason);
        QTest::keyClick(mFixture->box(5), Qt::Key_Backtab, Qt::ShiftModifier);
    } else if (way == QLatin1String("click")) {
        mFixture->box(3)->setFocus(Qt::TabFocusReason);
        QTest::mouseClick(address, Qt::LeftButton, Qt::NoModifier, QPoint(20, address->height() / 2));
    } else if (way == QLatin1String("message box")) {
        // The program's own message box takes the activation while it is open and gives it back.
        QWidget box;
        mFixture->dialogs.onNextMessage([&box] {
            box.show();
            QApplication::setActiveWindow(&box);
        });
        form.PushButton2_Click();
        QCOMPARE(mFixture->dialogs.messages.size(), 1);
        box.hide();
        QApplication::setActiveWindow(&form);
    } else if (way == QLatin1String("other program")) {
        // Another program comes to the front: no window of this one is active meanwhile.
        QApplication::setActiveWindow(nullptr);
        QVERIFY(!address->hasFocus());
        QApplication::setActiveWindow(&form);
    } else {
        QMenu menu;
        menu.addAction(QStringLiteral("Nothing"));
        menu.popup(address->mapToGlobal(QPoint(5, 5)));
        QVERIFY(QTest::qWaitForWindowExposed(&menu));
        menu.close();
    }
    QTRY_VERIFY(address->hasFocus());

    if (selectsAll) {
        QTRY_COMPARE(address->selectedText(), QStringLiteral("Birchwood st"));
        QTest::keyClicks(address, QStringLiteral("Elm Street"));
        QCOMPARE(address->text(), QStringLiteral("Elm Street"));
    } else {
        QTest::qWait(20);
        QVERIFY(!address->hasSelectedText());
        QCOMPARE(address->cursorPosition(), 5);
        QTest::keyClicks(address, QStringLiteral("-"));
        QCOMPARE(address->text(), QStringLiteral("Birch-wood st"));
    }
}

void TestForm1::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("Enter of the keypad") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
}

void TestForm1::enterPressesTheFocusedButton()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);

    Form1 &form = shownAndActive();
    auto *help = mFixture->control<QPushButton>(QStringLiteral("PushButton2"));
    help->setFocus(Qt::TabFocusReason);
    QTest::keyClick(help, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(mFixture->dialogs.messages.size(), 1);
    QVERIFY(mFixture->dialogs.messages.first().text.startsWith(QLatin1String("Questions?")));

    mFixture->dialogs.clear();
    auto *sample = mFixture->control<QPushButton>(QStringLiteral("PushButton1"));
    sample->setFocus(Qt::TabFocusReason);
    QTest::keyClick(sample, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(form.receipts()->count(), 1);

    auto *add = mFixture->control<QPushButton>(QStringLiteral("PushButton3"));
    add->setFocus(Qt::TabFocusReason);
    QTest::keyClick(add, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(form.receipts()->count(), 2);
    QVERIFY(mFixture->box(1)->text().isEmpty());

    auto *remove = mFixture->control<QPushButton>(QStringLiteral("PushButton4"));
    mFixture->control<QTreeView>(QStringLiteral("ListView2"))
        ->selectionModel()
        ->setCurrentIndex(form.receipts()->index(0, 0),
                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    remove->setFocus(Qt::TabFocusReason);
    QTest::keyClick(remove, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(form.receipts()->count(), 1);
    QVERIFY(mFixture->dialogs.messages.isEmpty());
    // Space still presses a button, as before.
    help->setFocus(Qt::TabFocusReason);
    QTest::keyClick(help, Qt::Key_Space);
    QCOMPARE(mFixture->dialogs.messages.size(), 1);
}

void TestForm1::enterInATextBoxPressesNothing()
{
    Form1 &form = shownAndActive();
    mFixture->control<QPushButton>(QStringLiteral("PushButton1"))->click();
    QCOMPARE(form.receipts()->count(), 1);

    for (QLineEdit *box : mFixture->boxes()) {
        box->setFocus(Qt::TabFocusReason);
        QTest::keyClick(box, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
    }
    QCOMPARE(form.receipts()->count(), 1);
    QVERIFY(mFixture->dialogs.messages.isEmpty());
    QCOMPARE(mFixture->box(1)->text(), QStringLiteral("Sample receipt"));
}

void TestForm1::heldEnterPressesOnce()
{
    shownAndActive();
    auto *help = mFixture->control<QPushButton>(QStringLiteral("PushButton2"));
    help->setFocus(Qt::TabFocusReason);
    for (bool repeated : {false, true, true, true}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), repeated);
        QApplication::sendEvent(help, &press);
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QApplication::sendEvent(help, &release);
    QCOMPARE(mFixture->dialogs.messages.size(), 1);
}

void TestForm1::pointerUnderMouse_data()
{
    QTest::addColumn<QString>("area");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("expected");

    const int custom = int(MousePointer::Shape::Custom);
    const int standard = int(MousePointer::Shape::Default);
    for (const char *button : {"PushButton1", "PushButton2", "PushButton3", "PushButton4", "PushButton6"})
        QTest::newRow(button) << QString::fromLatin1(button) << standard << custom;
    for (const char *area : {"Form1", "Frame1", "Frame2", "Frame3", "Frame4", "ListView2"})
        QTest::newRow(area) << QString::fromLatin1(area) << custom << standard;
    // Labels and text boxes have no pointer handler: the pointer stays what it was.
    QTest::newRow("label") << QStringLiteral("Label1_13") << custom << custom;
    QTest::newRow("text box") << QStringLiteral("Text14") << custom << custom;
}

void TestForm1::pointerUnderMouse()
{
    QFETCH(QString, area);
    QFETCH(int, start);
    QFETCH(int, expected);

    Form1 &form = mFixture->load();
    form.pointer().set(MousePointer::Shape(start));
    QWidget *target = area == QLatin1String("Form1") ? &form : mFixture->control<QWidget>(area);
    QVERIFY(target);
    if (auto *view = qobject_cast<QTreeView *>(target))
        target = view->viewport();

    moveMouseOver(target);

    QCOMPARE(form.pointer().shape(), MousePointer::Shape(expected));
}

void TestForm1::busyPointerSurvivesMouseMoves_data()
{
    QTest::addColumn<QString>("area");
    for (const char *area : {"PushButton6", "PushButton3", "Frame3", "ListView2", "Form1"})
        QTest::newRow(area) << QString::fromLatin1(area);
}

void TestForm1::busyPointerSurvivesMouseMoves()
{
    QFETCH(QString, area);
    Form1 &form = mFixture->load();
    form.pointer().set(MousePointer::Shape::Busy);
    QWidget *target = area == QLatin1String("Form1") ? &form : mFixture->control<QWidget>(area);
    if (auto *view = qobject_cast<QTreeView *>(target))
        target = view->viewport();

    moveMouseOver(target);
    moveMouseOver(target);

    QCOMPARE(form.pointer().shape(), MousePointer::Shape::Busy);
    QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
}

void TestForm1::help()
{
    Form1 &form = mFixture->load();
    mFixture->box(1)->setText(QStringLiteral("kept"));
    form.receipts()->appendRow(QStringLiteral("listed"));

    mFixture->control<QPushButton>(QStringLiteral("PushButton2"))->click();

    QCOMPARE(mFixture->dialogs.messages.size(), 1);
    const auto &shown = mFixture->dialogs.messages.first();
    QCOMPARE(shown.title, QStringLiteral("Parvoline"));
    QCOMPARE(shown.text, QStringLiteral("Questions? Please contact Team Kestravel at ") + ContactPageUrl().toString());
    QCOMPARE(ContactPageUrl().path(), QStringLiteral("/contact/"));
    QCOMPARE(shown.icon, UserDialogs::Icon::None);
    QCOMPARE(shown.buttons, UserDialogs::Buttons::Ok);
    QCOMPARE(mFixture->box(1)->text(), QStringLiteral("kept"));
    QCOMPARE(form.receipts()->count(), 1);
    QVERIFY(mFixture->opener.opened.isEmpty());
}

PARVOLINE_TEST_MAIN(TestForm1)
#include "tst_form1.moc"
