#include "TestMain.h"
#include "WindowFit.h"

#include <QPushButton>
#include <QScrollArea>
#include <QTest>

// A fixed-size window of the main window's size on areas that hold it and on areas that do not.
class TestWindowFit : public QObject
{
    Q_OBJECT

private slots:
    void fit_data();
    void fit();
};

void TestWindowFit::fit_data()
{
    QTest::addColumn<QSize>("available");
    QTest::addColumn<bool>("scrolls");

    QTest::newRow("1280x1024: fits, nothing changes") << QSize(1280, 1024) << false;
    // 1920x1080 at 150 % less a panel; 1366x768 with a tall panel.
    QTest::newRow("1280x690") << QSize(1280, 690) << true;
    QTest::newRow("1366x700") << QSize(1366, 700) << true;
    QTest::newRow("too narrow as well") << QSize(500, 400) << true;
}

void TestWindowFit::fit()
{
    QFETCH(QSize, available);
    QFETCH(bool, scrolls);

    QWidget window;
    window.setFixedSize(536, 684);
    auto *bottom = new QPushButton(QStringLiteral("Add"), &window);
    bottom->setGeometry(8, 650, 256, 27);
    FitToScreen(&window, QRect(QPoint(100, 50), available));

    QCOMPARE(DesignedSize(&window), QSize(536, 684));
    QCOMPARE(bottom->geometry(), QRect(8, 650, 256, 27));
    auto *area = window.findChild<QScrollArea *>(QStringLiteral("WindowScrollArea"));
    QCOMPARE(area != nullptr, scrolls);
    if (!scrolls) {
        QCOMPARE(window.size(), QSize(536, 684));
        QCOMPARE(bottom->parentWidget(), &window);
        return;
    }
    QVERIFY(window.height() < available.height());
    QCOMPARE(window.width() < 536, available.width() < 536);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    area->ensureWidgetVisible(bottom, 0, 0);
    QVERIFY(window.rect().contains(QRect(bottom->mapTo(&window, QPoint(0, 0)), bottom->size())));
}

PARVOLINE_TEST_MAIN(TestWindowFit)
#include "tst_windowfit.moc"
