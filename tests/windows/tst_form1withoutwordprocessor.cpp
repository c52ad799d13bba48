#include "Form1Fixture.h"
#include "IsInstalled.h"
#include "ProgramEnd.h"
#include "ReceiptList.h"
#include "TestMain.h"
#include "WordAutomation.h"

#include <QTest>

class TestForm1WithoutWordProcessor : public QObject
{
    Q_OBJECT

private slots:
    void startUpEndsTheProgram();
};

void TestForm1WithoutWordProcessor::startUpEndsTheProgram()
{
    Form1Fixture fixture;
    SetWordApplicationFactory([]() -> std::unique_ptr<WordApplication> {
        throw AutomationError(QStringLiteral("The office could not be started"));
    });
    QVERIFY(!ProgramEnding());

    Form1 &form = fixture.load();

    QCOMPARE(fixture.dialogs.messages.size(), 1);
    const auto &shown = fixture.dialogs.messages.first();
    QCOMPARE(shown.text, WordMissingMessage());
    QCOMPARE(shown.title, QStringLiteral("Parvoline"));
    QCOMPARE(shown.icon, UserDialogs::Icon::None);
    QVERIFY(fixture.dialogs.errorReports().isEmpty());
    QVERIFY(ProgramEnding());
    QVERIFY(!form.isVisible());
    // The check is the last step: everything before it was done.
    QCOMPARE(form.receipts()->columnHeaders().size(), 12);
    QCOMPARE(form.windowTitle(), QStringLiteral("Parvoline"));
}

PARVOLINE_TEST_MAIN(TestForm1WithoutWordProcessor)
#include "tst_form1withoutwordprocessor.moc"
