#include "Form1Fixture.h"
#include "Form2.h"
#include "ProgramEnd.h"
#include "ReceiptList.h"
#include "ScriptedWord.h"
#include "TestMain.h"

#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// Closing the main window while a run lets events through ends the program; the run then shows
// nothing and leaves no document behind. (Its own program: the end cannot be undone.)
class TestForm1ClosedDuringRun : public QObject
{
    Q_OBJECT

private slots:
    void runShowsNothingAfterTheProgramEnded();
};

void TestForm1ClosedDuringRun::runShowsNothingAfterTheProgramEnded()
{
    QTemporaryDir temp;
    qputenv("TEMP", temp.path().toLocal8Bit());
    Form1Fixture fixture;
    ScriptedWord word;
    Form1 &form = fixture.load();
    form.show();
    for (int i = 0; i < 2; ++i) {
        ReceiptRecord receipt;
        receipt[ReceiptRecord::Receipt] = QStringLiteral("Receipt");
        form.receipts()->append(receipt);
    }
    // The second receipt's progress lets events run; the window's close arrives then.
    bool closed = false;
    word.onCall = [&](const QString &operation) {
        if (!closed && operation == QLatin1String("Paste")) {
            closed = true;
            QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);
        }
    };

    QTest::mouseClick(form.findChild<QPushButton *>(QStringLiteral("PushButton6")), Qt::LeftButton);

    QVERIFY(closed);
    QVERIFY(ProgramEnding());
    QVERIFY(!form.loadedPreview() || !form.loadedPreview()->isVisible());
    QCOMPARE(QDir(temp.path()).entryList(QDir::Files), QStringList());
    QVERIFY(!form.isBusy());
    qunsetenv("TEMP");
}

PARVOLINE_TEST_MAIN(TestForm1ClosedDuringRun)
#include "tst_form1closedduringrun.moc"
