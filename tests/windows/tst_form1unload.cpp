#include "Form1Fixture.h"
#include "ProgramEnd.h"
#include "TestMain.h"

#include <QTest>

class TestForm1Unload : public QObject
{
    Q_OBJECT

private slots:
    void closingEndsTheProgram();
};

void TestForm1Unload::closingEndsTheProgram()
{
    Form1Fixture fixture;
    Form1 &form = fixture.load();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Another window, as the preview would be; its closing handler must not run.
    struct CloseSpy final : QObject
    {
        bool closed = false;
        bool eventFilter(QObject *, QEvent *event) override
        {
            closed = closed || event->type() == QEvent::Close;
            return false;
        }
    } spy;
    QWidget other;
    other.installEventFilter(&spy);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    QVERIFY(!ProgramEnding());

    QVERIFY(form.close());

    QVERIFY(ProgramEnding());
    QVERIFY(!form.isVisible());
    QVERIFY(!other.isVisible());
    QVERIFY(!spy.closed);
    QVERIFY(fixture.dialogs.messages.isEmpty());
}

PARVOLINE_TEST_MAIN(TestForm1Unload)
#include "tst_form1unload.moc"
