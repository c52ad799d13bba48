#include "Form1Fixture.h"
#include "Form2.h"
#include "PagePicture.h"
#include "ReceiptList.h"
#include "TestMain.h"

#include <QApplication>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTest>
#include <QTreeView>

namespace {
// Whether \a control can be seen in its window once the scroll area has brought it into view, as it
// does for the control that gets the focus.
bool reachable(QWidget *window, QWidget *control)
{
    auto *area = window->findChild<QScrollArea *>(QStringLiteral("WindowScrollArea"));
    if (!area)
        return false;
    area->ensureWidgetVisible(control, 0, 0);
    const QRect shown(control->mapTo(window, QPoint(0, 0)), control->size());
    return window->rect().contains(shown);
}
} // namespace

// A 1280x1024 screen at a scale factor of 2: 640x512 device-independent pixels, smaller than either
// window, as 1920x1080 at 150 % or 1366x768 with a tall panel are for the main window. The windows keep
// their designed layout inside a scroll area that fits the screen, with their title bars on it, and
// every control within reach.
class TestSmallScreen : public QObject
{
    Q_OBJECT

private slots:
    void mainWindowFitsTheScreen();
    void previewFitsTheScreen();
};

void TestSmallScreen::mainWindowFitsTheScreen()
{
    Form1Fixture fixture;
    Form1 &form = fixture.load();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    const QRect available = form.screen()->availableGeometry();
    QCOMPARE(available.size(), QSize(640, 512));
    QCOMPARE(form.devicePixelRatio(), 2.0);
    const QRect frame = form.frameGeometry();
    QVERIFY(frame.top() < form.geometry().top());
    QVERIFY2(
        available.contains(frame),
        qPrintable(QStringLiteral("%1,%2 %3x%4").arg(frame.x()).arg(frame.y()).arg(frame.width()).arg(frame.height())));
    QVERIFY(qAbs(frame.center().x() - available.center().x()) <= 1);

    // The design itself is unchanged: its size, and each control where it was within its parent.
    auto *content = form.findChild<QWidget *>(QStringLiteral("WindowContent"));
    QVERIFY(content);
    QCOMPARE(content->size(), QSize(536, 684));
    QCOMPARE(fixture.control<QPushButton>(QStringLiteral("PushButton3"))->geometry(), QRect(8, 498, 256, 27));
    QCOMPARE(fixture.control<QTreeView>(QStringLiteral("ListView2"))->geometry(), QRect(8, 532, 520, 145));
    QCOMPARE(fixture.control<QLineEdit>(QStringLiteral("Text8"))->geometry(), QRect(424, 74, 80, 23));
    QCOMPARE(fixture.control<QLineEdit>(QStringLiteral("Text8"))->parentWidget()->objectName(),
             QStringLiteral("Frame2"));

    for (const char *name : {"PushButton3", "PushButton4", "ListView2", "PushButton6", "Text1"}) {
        QWidget *control = form.findChild<QWidget *>(QLatin1String(name));
        QVERIFY2(control && reachable(&form, control), name);
    }
    // The window's background still sets the default pointer, as the design's does.
    form.pointer().set(MousePointer::Shape::Custom);
    auto *area = form.findChild<QScrollArea *>(QStringLiteral("WindowScrollArea"));
    area->ensureVisible(0, 0);
    // Between the buttons "Help" and "Load Sample/Example Data".
    QTest::mouseMove(content, QPoint(268, 50));
    QTRY_COMPARE(form.pointer().shape(), MousePointer::Shape::Default);

    // Out of sight at first, "Add" still adds.
    fixture.box(1)->setText(QStringLiteral("Rent"));
    fixture.box(2)->setText(QStringLiteral("1"));
    fixture.box(15)->setText(QStringLiteral("75"));
    QTest::mouseClick(fixture.control<QPushButton>(QStringLiteral("PushButton3")), Qt::LeftButton);
    QCOMPARE(form.receipts()->count(), 1);

    // Tab still goes through the fields in the designed order, bringing each into view.
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    fixture.box(1)->setFocus(Qt::TabFocusReason);
    QVERIFY(reachable(&form, fixture.box(1)));
    fixture.box(16)->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), fixture.control<QPushButton>(QStringLiteral("PushButton3")));
    auto *add = fixture.control<QPushButton>(QStringLiteral("PushButton3"));
    QVERIFY(form.rect().contains(QRect(add->mapTo(&form, QPoint(0, 0)), add->size())));
}

void TestSmallScreen::previewFitsTheScreen()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QWidget main;
    main.setObjectName(QStringLiteral("Form1"));
    main.show();
    Form2 preview(&main);
    QImage page(576, 301, QImage::Format_RGB32);
    page.fill(Qt::white);
    preview.setPagePicture(PagePicture::fromImage(page));
    preview.setWordFile(folder.filePath(QStringLiteral("placed.doc")));
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));

    const QRect available = preview.screen()->availableGeometry();
    QVERIFY(available.contains(preview.frameGeometry()));
    QCOMPARE(preview.frameGeometry().topLeft(), available.topLeft());
    auto *content = preview.findChild<QWidget *>(QStringLiteral("WindowContent"));
    QVERIFY(content);
    QCOMPARE(content->size(), QSize(656, 626));
    QCOMPARE(preview.findChild<QGroupBox *>(QStringLiteral("Frame1"))->geometry(), QRect(8, 524, 640, 57));
    for (const char *name : {"PushButton1", "PushButton2", "PushButton6", "PushButton8", "Picture2"}) {
        QWidget *control = preview.findChild<QWidget *>(QLatin1String(name));
        QVERIFY2(control && reachable(&preview, control), name);
    }
}

PARVOLINE_TEST_MAIN_ON_SCREEN(TestSmallScreen, 640, 512, 2)
#include "tst_smallscreen.moc"
