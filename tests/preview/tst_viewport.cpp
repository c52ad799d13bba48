#include "Failure.h"
#include "GuardedProcedure.h"
#include "Locations.h"
#include "Rounding.h"
#include "ScriptedDialogs.h"
#include "TestMain.h"
#include "Viewport.h"
#include "ViewportSurface.h"

#include <QRectF>
#include <QTest>

#include <functional>

namespace {
// Counts what the viewport asks of its window, and can fail one kind of request.
class RecordingSurface final : public ViewportSurface
{
public:
    void viewportChanged() override { ++changes; }
    void copyPageToHolder() override { ++holderCopies; }
    void clearPagePicture() override { ++clears; }
    void paintPageFromHolder(const QRectF &target, const QRectF &source) override
    {
        if (failPainting)
            throw Failure(QStringLiteral("Out of memory"));
        ++paints;
        lastTarget = target;
        lastSource = source;
    }
    void setDefaultPointer() override { ++pointerResets; }

    int changes = 0;
    int holderCopies = 0;
    int clears = 0;
    int paints = 0;
    int pointerResets = 0;
    bool failPainting = false;
    QRectF lastTarget;
    QRectF lastSource;
};

constexpr std::int16_t kLeft = 1;

void handOver(Viewport &viewport, int widthTwips, int heightTwips)
{
    viewport.setPagePicture(QSize(widthTwips, heightTwips));
    GuardedProcedure activate(Location::Form2_Form_Activate);
    viewport.setUp(activate);
}

void drag(Viewport &viewport, QPointF from, QPointF to)
{
    viewport.Picture1_MouseDown(kLeft, 0, float(from.x()), float(from.y()));
    // The page box moves under the pointer, so the pointer's place in it stays where it was pressed.
    viewport.Picture1_MouseMove(kLeft, 0, float(to.x() - viewport.pageBox().left),
                                float(to.y() - viewport.pageBox().top));
}

void release(Viewport &viewport)
{
    viewport.Picture1_MouseUp(kLeft, 0, viewport.downX(), viewport.downY());
}
} // namespace

class tst_Viewport final : public QObject
{
    Q_OBJECT

private slots:
    void init() { mDialogs.clear(); }
    void roundings_data();
    void roundings();
    void conversionsOverflow();
    void setUp_data();
    void setUp();
    void zoomSteps_data();
    void zoomSteps();
    void redrawPaintsFromTheUnscaledHolder();
    void scrollBarsFitTheOverflow_data();
    void scrollBarsFitTheOverflow();
    void disabledBarKeepsItsMaximum();
    void dragAndRelease_data();
    void dragAndRelease();
    void verticalDragSettlesOnTheGrid();
    void releaseWithoutDragSnapsToTheGrid();
    void moveWithoutButtonChangesNothing();
    void percentages_data();
    void percentages();
    void narrowPageJumpsBetweenSides();
    void equalWidthSkipsTheMapping();
    void longPageSettlesOnReleaseWithoutOverflow();
    void longPageGetsItsWholeScrollRange();
    void paintFailureIsReportedByRedrawImage();
    void longPageScrollsToItsEnd();
    void wheel_data();
    void wheel();

private:
    ScriptedDialogs mDialogs;
};

void tst_Viewport::roundings_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("halfEven");
    QTest::addColumn<int>("floor");
    QTest::newRow("0.5") << 0.5 << 0.0 << 0;
    QTest::newRow("1.5") << 1.5 << 2.0 << 1;
    QTest::newRow("2.5") << 2.5 << 2.0 << 2;
    QTest::newRow("-0.5") << -0.5 << 0.0 << -1;
    QTest::newRow("-1.5") << -1.5 << -2.0 << -2;
    QTest::newRow("-2.5") << -2.5 << -2.0 << -3;
    QTest::newRow("10.1") << 10.1 << 10.0 << 10;
    QTest::newRow("11.5") << 11.5 << 12.0 << 11;
    QTest::newRow("200.25") << 200.25 << 200.0 << 200;
    QTest::newRow("122.82") << 122.82 << 123.0 << 122;
    QTest::newRow("7019.99") << 7019.99 << 7020.0 << 7019;
}

void tst_Viewport::roundings()
{
    QFETCH(double, value);
    QFETCH(double, halfEven);
    QFETCH(int, floor);
    QCOMPARE(RoundHalfEven(value), halfEven);
    QCOMPARE(FloorToInt32(value), floor);
    QCOMPARE(ToInt32(value), std::int32_t(halfEven));
}

void tst_Viewport::conversionsOverflow()
{
    QCOMPARE(ToInt16(32767.4), std::int16_t(32767));
    QCOMPARE(ToInt16(-32768.0), std::int16_t(-32768));
    QVERIFY_THROWS_EXCEPTION(Failure, ToInt16(32767.5));
    QVERIFY_THROWS_EXCEPTION(Failure, ToInt16(-32769.0));
    QVERIFY_THROWS_EXCEPTION(Failure, ToInt32(3.0e9));
    QVERIFY_THROWS_EXCEPTION(Failure, FloorToInt32(std::numeric_limits<double>::quiet_NaN()));
}

void tst_Viewport::setUp_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("orig");
    QTest::addColumn<bool>("drawn");
    QTest::addColumn<QSize>("pageBox");
    QTest::addColumn<bool>("hEnabled");
    QTest::addColumn<int>("hStep");
    QTest::addColumn<int>("hMax");
    QTest::addColumn<bool>("vEnabled");
    QTest::addColumn<int>("vStep");
    QTest::addColumn<int>("vMax");

    // A receipt of 600 x 330 pixels is 4950 twips high: too high to draw, shown as handed over.
    QTest::newRow("receipt 600x330 px") << QSize(9000, 4950) << QSize(8998, 4948) << false << QSize(9000, 4950) << false
                                        << 0 << 32767 << false << 0 << 32767;
    QTest::newRow("9360 by 5040") << QSize(9362, 5042) << QSize(9360, 5040) << false << QSize(9362, 5042) << true << 1
                                  << 32 << false << 0 << 32767;
    QTest::newRow("8599 by 3999 is drawn") << QSize(8601, 4001) << QSize(8599, 3999) << true << QSize(8599, 3999)
                                           << false << 0 << 32767 << false << 0 << 32767;
    QTest::newRow("8600 wide is not") << QSize(8602, 3000) << QSize(8600, 2998) << false << QSize(8602, 3000) << false
                                      << 0 << 32767 << false << 0 << 32767;
    QTest::newRow("4000 high is not") << QSize(3000, 4002) << QSize(2998, 4000) << false << QSize(3000, 4002) << false
                                      << 0 << 32767 << false << 0 << 32767;
    QTest::newRow("small page") << QSize(1500, 750) << QSize(1498, 748) << true << QSize(1498, 748) << false << 0
                                << 32767 << false << 0 << 32767;
    QTest::newRow("larger both ways") << QSize(12000, 9000) << QSize(11998, 8998) << false << QSize(12000, 9000) << true
                                      << 10 << 267 << true << 10 << 158;
}

void tst_Viewport::setUp()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, orig);
    QFETCH(bool, drawn);
    QFETCH(QSize, pageBox);
    QFETCH(bool, hEnabled);
    QFETCH(int, hStep);
    QFETCH(int, hMax);
    QFETCH(bool, vEnabled);
    QFETCH(int, vStep);
    QFETCH(int, vMax);

    RecordingSurface surface;
    Viewport viewport(&surface);
    handOver(viewport, picture.width(), picture.height());

    QCOMPARE(viewport.zoom(), 1.0f);
    QCOMPARE(viewport.origWidth(), orig.width());
    QCOMPARE(viewport.origHeight(), orig.height());
    QCOMPARE(viewport.zoomWidth(), orig.width());
    QCOMPARE(viewport.zoomHeight(), orig.height());
    QCOMPARE(surface.paints, drawn ? 1 : 0);
    QCOMPARE(QSize(viewport.pageBox().outerWidth, viewport.pageBox().outerHeight), pageBox);
    QCOMPARE(viewport.pageBox().left, 0.0f);
    QCOMPARE(viewport.pageBox().top, 0.0f);
    QCOMPARE(viewport.hScroll().enabled, hEnabled);
    QCOMPARE(viewport.hStep(), hStep);
    QCOMPARE(viewport.hScroll().maximum, hMax);
    QCOMPARE(viewport.hScroll().value, 0);
    QCOMPARE(viewport.vScroll().enabled, vEnabled);
    QCOMPARE(viewport.vStep(), vStep);
    QCOMPARE(viewport.vScroll().maximum, vMax);
    QCOMPARE(viewport.vScroll().value, 0);

    const Viewport::Box &holder = viewport.holder();
    QVERIFY(!holder.visible);
    QCOMPARE(holder.picture, std::optional<QSize>(picture));
    QCOMPARE(QSize(holder.outerWidth, holder.outerHeight), picture);
    QCOMPARE(surface.holderCopies, 1);
    QVERIFY(mDialogs.errorReports().isEmpty());
}

void tst_Viewport::zoomSteps_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QString>("clicks");
    QTest::addColumn<float>("zoom");
    QTest::addColumn<QSize>("pageBox");
    QTest::addColumn<int>("paints");

    QTest::newRow("9360 by 5040, out") << QSize(9362, 5042) << QStringLiteral("-") << 0.75f << QSize(7020, 3780) << 1;
    QTest::newRow("9360 by 5040, out, in: refused, back to 1.0")
        << QSize(9362, 5042) << QStringLiteral("-+") << 1.0f << QSize(7020, 3780) << 1;
    QTest::newRow("9360 by 5040, out, in, out: 0.75 again")
        << QSize(9362, 5042) << QStringLiteral("-+-") << 0.75f << QSize(7020, 3780) << 2;
    QTest::newRow("in up to 4.0, then no further")
        << QSize(1500, 750) << QStringLiteral("+++++++++++++") << 4.0f << QSize(5992, 2992) << 12;
    QTest::newRow("out down to 0.25, then no further")
        << QSize(1500, 750) << QStringLiteral("----") << 0.25f << QSize(374, 187) << 3;
    QTest::newRow("limit on the way in resets to 1.0")
        << QSize(3000, 2000) << QStringLiteral("+++++") << 1.0f << QSize(5996, 3996) << 4;
    QTest::newRow("after the reset, out draws 0.75")
        << QSize(3000, 2000) << QStringLiteral("+++++-") << 0.75f << QSize(2248, 1498) << 5;
    QTest::newRow("too high at 0.75 never changes")
        << QSize(3000, 5402) << QStringLiteral("-+--++") << 1.0f << QSize(3000, 5402) << 0;
}

void tst_Viewport::zoomSteps()
{
    QFETCH(QSize, picture);
    QFETCH(QString, clicks);
    QFETCH(float, zoom);
    QFETCH(QSize, pageBox);
    QFETCH(int, paints);

    RecordingSurface surface;
    Viewport viewport(&surface);
    handOver(viewport, picture.width(), picture.height());
    const int setUpPaints = surface.paints;
    for (const QChar click : clicks)
        viewport.ZoomStep(click == QLatin1Char('+') ? 0 : 1);

    QCOMPARE(viewport.zoom(), zoom);
    QCOMPARE(QSize(viewport.pageBox().outerWidth, viewport.pageBox().outerHeight), pageBox);
    QCOMPARE(surface.paints - setUpPaints, paints);
    QVERIFY(viewport.zoom() >= 0.25f && viewport.zoom() <= 4.0f);
    QVERIFY(mDialogs.errorReports().isEmpty());
}

void tst_Viewport::redrawPaintsFromTheUnscaledHolder()
{
    RecordingSurface surface;
    Viewport viewport(&surface);
    handOver(viewport, 1500, 750);
    viewport.SetZoom(0.5f);

    QCOMPARE(surface.lastTarget, QRectF(0, 0, 749, 374));
    QCOMPARE(surface.lastSource, QRectF(0, 0, 1498, 748));
    QVERIFY(!viewport.pageBox().picture);
    QCOMPARE(surface.pointerResets, 2);

    // Out of range: nothing happens at all.
    viewport.SetZoom(4.25f);
    viewport.SetZoom(0.0f);
    QCOMPARE(viewport.zoom(), 0.5f);
    QCOMPARE(surface.paints, 2);
}

void tst_Viewport::scrollBarsFitTheOverflow_data()
{
    QTest::addColumn<bool>("vertical");
    QTest::addColumn<int>("overflow");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("step");
    QTest::addColumn<int>("maximum");

    for (const bool vertical : {false, true}) {
        const char *axis = vertical ? "vertical" : "horizontal";
        QTest::addRow("%s 1", axis) << vertical << 1 << true << 1 << 1;
        QTest::addRow("%s 100", axis) << vertical << 100 << true << 1 << 100;
        QTest::addRow("%s 101", axis) << vertical << 101 << true << 10 << 10;
        QTest::addRow("%s 105", axis) << vertical << 105 << true << 10 << 10;
        QTest::addRow("%s 115", axis) << vertical << 115 << true << 10 << 12;
        QTest::addRow("%s 2670", axis) << vertical << 2670 << true << 10 << 267;
        QTest::addRow("%s 0", axis) << vertical << 0 << false << 0 << 32767;
        QTest::addRow("%s -500", axis) << vertical << -500 << false << 0 << 32767;
    }
}

void tst_Viewport::scrollBarsFitTheOverflow()
{
    QFETCH(bool, vertical);
    QFETCH(int, overflow);
    QFETCH(bool, enabled);
    QFETCH(int, step);
    QFETCH(int, maximum);

    Viewport viewport;
    const Viewport::Box &view = viewport.viewportBox();
    // The other side is small, but the overflowing side keeps every page here from being redrawn.
    if (vertical)
        handOver(viewport, 3000, view.outerHeight + overflow);
    else
        handOver(viewport, view.outerWidth + overflow, 3000);

    const Viewport::ScrollBar &bar = vertical ? viewport.vScroll() : viewport.hScroll();
    QCOMPARE(bar.enabled, enabled);
    QCOMPARE(vertical ? viewport.vStep() : viewport.hStep(), step);
    QCOMPARE(bar.maximum, maximum);
    QCOMPARE(bar.value, 0);
}

void tst_Viewport::disabledBarKeepsItsMaximum()
{
    Viewport viewport;
    handOver(viewport, 12000, 3000);
    viewport.scrollBarMoved(viewport.hScroll(), 100);
    QCOMPARE(viewport.pageBox().left, -1000.0f);

    handOver(viewport, 3000, 2000);
    QVERIFY(!viewport.hScroll().enabled);
    QCOMPARE(viewport.hStep(), 0);
    QCOMPARE(viewport.hScroll().maximum, 267);
    QCOMPARE(viewport.pageBox().left, 0.0f);
}

void tst_Viewport::dragAndRelease_data()
{
    QTest::addColumn<float>("dropAt");
    QTest::addColumn<float>("leftAfterDrag");
    QTest::addColumn<int>("value");
    QTest::addColumn<float>("leftAfterRelease");

    // The page overflows by 2670 twips: step 10, maximum 267.
    QTest::newRow("dropped at -2000") << -2000.0f << -2000.0f << 200 << -2000.0f;
    QTest::newRow("dropped at -1234") << -1234.0f << -1234.0f << 123 << -1230.0f;
    QTest::newRow("dropped at the last grid point") << -2670.0f << -2670.0f << 267 << -2670.0f;
    QTest::newRow("pulled right stops at 0") << 3000.0f << 0.0f << 0 << 0.0f;
    // The drag may go a border's width past the last grid point; the bar then keeps its value.
    QTest::newRow("pushed past the end") << -4000.0f << -2700.0f << 0 << -2700.0f;
}

void tst_Viewport::dragAndRelease()
{
    QFETCH(float, dropAt);
    QFETCH(float, leftAfterDrag);
    QFETCH(int, value);
    QFETCH(float, leftAfterRelease);

    // Higher than the viewport as well, so that a sideways drag leaves the top edge where it is.
    Viewport viewport;
    handOver(viewport, 12000, 9000);
    QCOMPARE(viewport.hScroll().maximum, 267);

    drag(viewport, QPointF(5000, 1000), QPointF(5000 + dropAt, 1000));
    QCOMPARE(viewport.pageBox().left, leftAfterDrag);
    QCOMPARE(viewport.pageBox().top, 0.0f);
    release(viewport);
    QCOMPARE(viewport.hScroll().value, value);
    QCOMPARE(viewport.pageBox().left, leftAfterRelease);
    QVERIFY(mDialogs.errorReports().isEmpty());
}

void tst_Viewport::verticalDragSettlesOnTheGrid()
{
    Viewport viewport;
    handOver(viewport, 3000, 9000);
    QCOMPARE(viewport.vScroll().maximum, 158);

    drag(viewport, QPointF(1000, 2000), QPointF(1000, 2000 - 777));
    QCOMPARE(viewport.pageBox().top, -777.0f);
    release(viewport);
    // round(777 / 1575 * 100) = 49; round(0.49 * 158) = 77.
    QCOMPARE(viewport.vScroll().value, 77);
    QCOMPARE(viewport.pageBox().top, -770.0f);
}

void tst_Viewport::releaseWithoutDragSnapsToTheGrid()
{
    Viewport viewport;
    handOver(viewport, 12000, 3000);
    viewport.scrollBarMoved(viewport.hScroll(), 1);
    QCOMPARE(viewport.pageBox().left, -10.0f);

    viewport.Picture1_MouseDown(kLeft, 0, 100, 100);
    viewport.Picture1_MouseUp(kLeft, 0, 100, 100);
    QCOMPARE(viewport.hScroll().value, 0);
    QCOMPARE(viewport.pageBox().left, 0.0f);
}

void tst_Viewport::moveWithoutButtonChangesNothing()
{
    RecordingSurface surface;
    Viewport viewport(&surface);
    handOver(viewport, 12000, 9000);
    viewport.Picture1_MouseDown(kLeft, 0, 5000, 5000);
    const int changes = surface.changes;

    viewport.Picture1_MouseMove(0, 0, 1000, 1000);
    QCOMPARE(viewport.pageBox().left, 0.0f);
    QCOMPARE(viewport.pageBox().top, 0.0f);
    QCOMPARE(surface.changes, changes);
}

void tst_Viewport::percentages_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("value");

    // The bar starts at 7 of 25.
    QTest::newRow("101 leaves the bar alone") << 101 << 7;
    QTest::newRow("-1 leaves the bar alone") << -1 << 7;
    QTest::newRow("50 of 25 rounds to even") << 50 << 12;
    QTest::newRow("0") << 0 << 0;
    QTest::newRow("100") << 100 << 25;
    QTest::newRow("4") << 4 << 1;
}

void tst_Viewport::percentages()
{
    QFETCH(int, percent);
    QFETCH(int, value);

    Viewport viewport;
    handOver(viewport, viewport.viewportBox().outerWidth + 250, 3000);
    QCOMPARE(viewport.hScroll().maximum, 25);
    viewport.scrollBarMoved(viewport.hScroll(), 7);

    viewport.SetHScrollbarByPercent(viewport.hScroll(), std::int16_t(percent));
    QCOMPARE(viewport.hScroll().value, value);
    QCOMPARE(viewport.pageBox().left, -10.0f * float(value));
}

void tst_Viewport::narrowPageJumpsBetweenSides()
{
    Viewport viewport;
    handOver(viewport, 5000, 3000);
    QCOMPARE(viewport.pageBox().outerWidth, 4998);

    drag(viewport, QPointF(2000, 1000), QPointF(2500, 1000));
    QCOMPARE(viewport.pageBox().left, 0.0f);
    release(viewport);
    QCOMPARE(viewport.hScroll().value, 0);

    // Any move left of 0 puts the page against the right inner edge.
    drag(viewport, QPointF(2000, 1000), QPointF(1500, 1000));
    QCOMPARE(viewport.pageBox().left, float(9300 - 4998));
    viewport.scrollBarMoved(viewport.hScroll(), 3);
    viewport.Picture1_MouseMove(kLeft, 0, viewport.downX(), viewport.downY());
    release(viewport);
    // The share comes out negative and the bar is left alone.
    QCOMPARE(viewport.hScroll().value, 3);
    QCOMPARE(viewport.pageBox().left, float(9300 - 4998));
    QVERIFY(mDialogs.errorReports().isEmpty());
}

void tst_Viewport::equalWidthSkipsTheMapping()
{
    Viewport viewport;
    handOver(viewport, viewport.viewportBox().outerWidth, 3000);
    QVERIFY(!viewport.hScroll().enabled);

    drag(viewport, QPointF(1000, 1000), QPointF(900, 1000));
    QCOMPARE(viewport.pageBox().left, -30.0f);
    release(viewport);
    QCOMPARE(viewport.pageBox().left, -30.0f);
    QCOMPARE(viewport.hScroll().value, 0);
    QVERIFY(mDialogs.errorReports().isEmpty());
}

void tst_Viewport::longPageSettlesOnReleaseWithoutOverflow()
{
    Viewport viewport;
    handOver(viewport, 3000, viewport.viewportBox().outerHeight + 50000);
    QCOMPARE(viewport.vScroll().maximum, 5000);

    drag(viewport, QPointF(1000, 41000), QPointF(1000, 1000));
    QCOMPARE(viewport.pageBox().top, -40000.0f);
    release(viewport);

    // 80 % of 5000 is 4000 units of 10 twips: far down a long document, and still no overflow.
    QCOMPARE(mDialogs.errorReports().size(), 0);
    QCOMPARE(viewport.vScroll().value, 4000);
    QCOMPARE(viewport.pageBox().top, -40000.0f);
}

void tst_Viewport::longPageGetsItsWholeScrollRange()
{
    Viewport viewport;
    // About a hundred receipts stacked: more scroll units than a 16-bit bar holds.
    handOver(viewport, 3000, viewport.viewportBox().outerHeight + 400000);

    QCOMPARE(mDialogs.errorReports().size(), 0);
    QCOMPARE(viewport.vScroll().maximum, 40000);
    QVERIFY(viewport.vScroll().enabled);
}

void tst_Viewport::paintFailureIsReportedByRedrawImage()
{
    RecordingSurface surface;
    Viewport viewport(&surface);
    handOver(viewport, 1500, 750);
    surface.failPainting = true;
    const int pointerResets = surface.pointerResets;

    viewport.ZoomStep(0);
    const auto reports = mDialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports.first().text.contains(QLatin1String(Location::Form2_RedrawImage) + QStringLiteral("at line 112")));
    // The procedure carried on after the failed step.
    QCOMPARE(surface.pointerResets, pointerResets + 1);
    QCOMPARE(viewport.zoom(), 1.25f);
    QCOMPARE(viewport.pageBox().outerWidth, 1872);
}

void tst_Viewport::longPageScrollsToItsEnd()
{
    Viewport viewport;
    handOver(viewport, 3000, viewport.viewportBox().outerHeight + 50000);
    viewport.scrollBarMoved(viewport.vScroll(), 3277);
    QCOMPARE(viewport.pageBox().top, -32770.0f);
    viewport.scrollBarMoved(viewport.vScroll(), 5000);
    QCOMPARE(viewport.pageBox().top, -50000.0f);
}

void tst_Viewport::wheel_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QList<int>>("notches");
    QTest::addColumn<QList<int>>("values");

    // Step 10, maximum 158: a notch is 90 units.
    QTest::newRow("down, down to the end, up past the top")
        << QSize(3000, 9000) << QList<int>{1, 1, -5} << QList<int>{90, 158, 0};
    QTest::newRow("bar off: nothing moves") << QSize(3000, 2000) << QList<int>{1, -1} << QList<int>{0, 0};
}

void tst_Viewport::wheel()
{
    QFETCH(QSize, picture);
    QFETCH(QList<int>, notches);
    QFETCH(QList<int>, values);

    Viewport viewport;
    handOver(viewport, picture.width(), picture.height());
    for (qsizetype i = 0; i < notches.size(); ++i) {
        viewport.wheelTurned(notches.at(i));
        QCOMPARE(viewport.vScroll().value, values.at(i));
        QCOMPARE(viewport.pageBox().top, -float(viewport.vStep() * values.at(i)));
    }
}

PARVOLINE_TEST_APPLESS_MAIN(tst_Viewport)
#include "tst_viewport.moc"
