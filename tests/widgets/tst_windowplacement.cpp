#include "TestMain.h"
#include "WindowPlacement.h"

#include <QTest>
#include <QWidget>

// The windows' designed sizes with the frame a window manager puts around them (1 px borders and a
// 20 px title bar, as openbox draws them).
namespace {
const QSize kMainFrame(538, 705);
const QSize kPreviewFrame(658, 647);
} // namespace

class TestWindowPlacement : public QObject
{
    Q_OBJECT

private slots:
    void placedFramePosition_data();
    void placedFramePosition();
    void placesTheFrameOfAShownWindow();
};

void TestWindowPlacement::placedFramePosition_data()
{
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPoint>("expected");

    QTest::newRow("fits: centred") << kMainFrame << QRect(0, 0, 1280, 1024) << QPoint(371, 159);
    QTest::newRow("fits below a top panel") << kMainFrame << QRect(0, 30, 1280, 994) << QPoint(371, 174);
    QTest::newRow("fits beside a left panel") << kMainFrame << QRect(48, 0, 1232, 1024) << QPoint(395, 159);
    QTest::newRow("fits exactly") << kMainFrame << QRect(QPoint(10, 20), kMainFrame) << QPoint(10, 20);
    QTest::newRow("second screen left of the first") << kMainFrame << QRect(-1280, 0, 1280, 1024) << QPoint(-909, 159);
    // 1280x1024 at a scale factor of 2: the main window is taller than the screen; its title bar
    // stays at the top of the area instead of above it.
    QTest::newRow("too tall at scale 2") << kMainFrame << QRect(0, 0, 640, 512) << QPoint(51, 0);
    QTest::newRow("too tall below a top panel") << kMainFrame << QRect(0, 24, 640, 488) << QPoint(51, 24);
    QTest::newRow("one pixel too tall") << kMainFrame << QRect(0, 0, 800, 704) << QPoint(131, 0);
    QTest::newRow("too wide and too tall") << kPreviewFrame << QRect(0, 0, 640, 512) << QPoint(0, 0);
    QTest::newRow("too wide, offset area") << kPreviewFrame << QRect(100, 50, 600, 800) << QPoint(100, 126);
    QTest::newRow("preview at 800x600") << kPreviewFrame << QRect(0, 0, 800, 600) << QPoint(71, 0);
}

void TestWindowPlacement::placedFramePosition()
{
    QFETCH(QSize, frame);
    QFETCH(QRect, available);
    QFETCH(QPoint, expected);

    const QPoint placed = PlacedFramePosition(frame, available);
    QCOMPARE(placed, expected);
    // The rule itself: the title bar's corner is always on the area, and a frame that fits is whole on it.
    QVERIFY(available.contains(placed));
    if (frame.width() <= available.width() && frame.height() <= available.height())
        QVERIFY(available.contains(QRect(placed, frame)));
}

void TestWindowPlacement::placesTheFrameOfAShownWindow()
{
    QWidget window;
    window.setFixedSize(536, 684);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // A screen smaller than the window, somewhere on the desktop.
    const QRect small(200, 100, 500, 400);
    PlaceOnScreen(&window, small);
    QTRY_COMPARE(window.frameGeometry().topLeft(), small.topLeft());

    const QRect large(0, 0, 1600, 1200);
    PlaceOnScreen(&window, large);
    QTRY_COMPARE(window.frameGeometry().center(), large.center());
}

PARVOLINE_TEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
