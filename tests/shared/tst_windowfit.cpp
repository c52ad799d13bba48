#include "TestMain.h"
#include "WindowFit.h"

#include <QPushButton>
#include <QScrollArea>
#include <QTest>

// A fixed-size window on an area that holds it, and on one that does not.
class TestWindowFit : public QObject
{
    Q_OBJECT

private slots:
    void windowThatFitsIsLeftAlone();
    void tooLargeWindowScrolls_data();
    void tooLargeWindowScrolls();
};

namespace {
struct Designed
{
    QWidget window;
    QPushButton *top = nullptr;
    QPushButton *bottom = nullptr;

    Designed()
    {
        window.setFixedSize(536, 684);
        top = new QPushButton(QStringLiteral("Start"), &window);
        top->setObjectName(QStringLiteral("top"));
        top->setGeometry(8, 8, 520, 27);
        bottom = new QPushButton(QStringLiteral("Add"), &window);
        bottom->setObjectName(QStringLiteral("bottom"));
        bottom->setGeometry(8, 650, 256, 27);
    }
};
} // namespace

void TestWindowFit::windowThatFitsIsLeftAlone()
{
    Designed designed;
    FitToScreen(&designed.window, QRect(0, 0, 1280, 1024));
    QCOMPARE(designed.window.size(), QSize(536, 684));
    QVERIFY(!designed.window.findChild<QScrollArea *>());
    QCOMPARE(designed.bottom->parentWidget(), &designed.window);
    QCOMPARE(designed.bottom->geometry(), QRect(8, 650, 256, 27));
    QCOMPARE(DesignedSize(&designed.window), QSize(536, 684));
}

void TestWindowFit::tooLargeWindowScrolls_data()
{
    QTest::addColumn<QSize>("available");
    QTest::addColumn<bool>("narrower");

    // 1920x1080 at 150 %, less a panel; 1366x768 with a tall panel; 1280x1024 at 200 %.
    QTest::newRow("1280x690") << QSize(1280, 690) << false;
    QTest::newRow("1366x700") << QSize(1366, 700) << false;
    QTest::newRow("640x512") << QSize(640, 512) << false;
    QTest::newRow("too narrow as well") << QSize(500, 400) << true;
}

void TestWindowFit::tooLargeWindowScrolls()
{
    QFETCH(QSize, available);
    QFETCH(bool, narrower);

    Designed designed;
    const QRect area(QPoint(100, 50), available);
    FitToScreen(&designed.window, area);

    auto *scroll = designed.window.findChild<QScrollArea *>(QStringLiteral("WindowScrollArea"));
    QVERIFY(scroll);
    QVERIFY(designed.window.height() < available.height());
    QCOMPARE(designed.window.width() < 536, narrower);
    QCOMPARE(DesignedSize(&designed.window), QSize(536, 684));
    QCOMPARE(designed.bottom->geometry(), QRect(8, 650, 256, 27));
    QCOMPARE(designed.window.findChild<QPushButton *>(QStringLiteral("bottom")), designed.bottom);
    designed.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&designed.window));
    scroll->ensureWidgetVisible(designed.bottom, 0, 0);
    QVERIFY(designed.window.rect().contains(
        QRect(designed.bottom->mapTo(&designed.window, QPoint(0, 0)), designed.bottom->size())));
}

PARVOLINE_TEST_MAIN(TestWindowFit)
#include "tst_windowfit.moc"
