#include "Form1Fixture.h"
#include "Form2.h"
#include "PagePicture.h"
#include "TestMain.h"

#include <QImage>
#include <QScreen>
#include <QTest>

// A 1280x1024 screen at a scale factor of 2: 640x512 device-independent pixels, smaller than either
// window. The windows keep their designed sizes and their title bars stay on the screen.
class TestSmallScreen : public QObject
{
    Q_OBJECT

private slots:
    void mainWindowKeepsItsTitleBarOnTheScreen();
    void previewKeepsItsTitleBarOnTheScreen();
};

void TestSmallScreen::mainWindowKeepsItsTitleBarOnTheScreen()
{
    Form1Fixture fixture;
    Form1 &form = fixture.load();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    const QRect available = form.screen()->availableGeometry();
    QCOMPARE(available.size(), QSize(640, 512));
    QCOMPARE(form.devicePixelRatio(), 2.0);
    QCOMPARE(form.size(), QSize(536, 684));
    const QRect frame = form.frameGeometry();
    QVERIFY(frame.top() < form.geometry().top());
    // Too tall for the screen: the frame starts at its top, centred across it.
    QCOMPARE(frame.top(), available.top());
    QVERIFY(qAbs(frame.center().x() - available.center().x()) <= 1);
}

void TestSmallScreen::previewKeepsItsTitleBarOnTheScreen()
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

    QCOMPARE(preview.size(), QSize(656, 626));
    // Too wide and too tall: the title bar's left end sits in the screen's corner.
    QCOMPARE(preview.frameGeometry().topLeft(), preview.screen()->availableGeometry().topLeft());
}

PARVOLINE_TEST_MAIN_ON_SCREEN(TestSmallScreen, 640, 512, 2)
#include "tst_smallscreen.moc"
