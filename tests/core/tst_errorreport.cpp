#include "ErrorReport.h"
#include "Locations.h"
#include "ScriptedDialogs.h"
#include "TestMain.h"

#include <QTest>

class TestErrorReport : public QObject
{
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void box_data();
    void box();
};

void TestErrorReport::text_data()
{
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("location");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("expected");

    const QString support = QStringLiteral("Please email screenshot of this message to support@kestravel.example");
    QTest::newRow("delete without selection")
        << QStringLiteral("Index out of bounds") << QString::fromLatin1(Location::Form1_PushButton4_Click) << 102
        << QStringLiteral("Index out of bounds\r\nin Quorvel2021/08/31.Form1.PushButton4_Click at line 102\r\r")
               + support;
    QTest::newRow("highest line") << QStringLiteral("File not found")
                                  << QString::fromLatin1(Location::Form1_PushButton6_Click) << 584
                                  << QStringLiteral("File not found\r\nin Quorvel2021/08/31.Form1.PushButton6_Click "
                                                    "at line 584\r\r")
                                         + support;
    QTest::newRow("lower-case picture1")
        << QStringLiteral("Overflow") << QString::fromLatin1(Location::Form2_Picture1_MouseMove) << 100
        << QStringLiteral("Overflow\r\nin Quorvel2021/08/31.Form2.picture1_MouseMove at line 100\r\r") + support;
    QTest::newRow("empty description") << QString() << QString::fromLatin1(Location::Form1_Form_Load) << 156
                                       << QStringLiteral("\r\nin Quorvel2021/08/31.Form1.Form_Load at line 156\r\r")
                                              + support;
    QTest::newRow("description with its own line break")
        << QStringLiteral("Automation error\r\nThe office stopped") << QString::fromLatin1(Location::Form2_Form_Load)
        << 104
        << QStringLiteral("Automation error\r\nThe office stopped\r\nin Quorvel2021/08/31.Form2.Form_Load at line "
                          "104\r\r")
               + support;
}

void TestErrorReport::text()
{
    QFETCH(QString, description);
    QFETCH(QString, location);
    QFETCH(int, line);
    QFETCH(QString, expected);

    QCOMPARE(ComposeErrorReport(description, location, line), expected);
}

void TestErrorReport::box_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<bool>("exclamation");

    const struct
    {
        const char *text;
        bool exclamation;
    } locations[] = {
        {Location::Form1_PushButton1_Click, false}, {Location::Form1_PushButton2_Click, true},
        {Location::Form1_PushButton3_Click, true},  {Location::Form1_PushButton4_Click, true},
        {Location::Form1_PushButton6_Click, true},  {Location::Form1_SaveDocAsJPG, true},
        {Location::Form1_Form_Load, true},          {Location::Form2_Form_Activate, true},
        {Location::Form2_Form_Load, true},          {Location::Form2_Form_QueryUnload, true},
        {Location::Form2_PushButton1_Click, true},  {Location::Form2_PushButton2_Click, true},
        {Location::Form2_PushButton6_Click, true},  {Location::Form2_PushButton8_Click, true},
        {Location::Form2_Picture1_MouseDown, true}, {Location::Form2_Picture1_MouseMove, true},
        {Location::Form2_Picture1_MouseUp, true},   {Location::Form2_RedrawImage, true},
    };
    for (const auto &l : locations)
        QTest::newRow(l.text) << QString::fromLatin1(l.text) << l.exclamation;
}

void TestErrorReport::box()
{
    QFETCH(QString, location);
    QFETCH(bool, exclamation);

    QVERIFY(location.startsWith(QLatin1String("in Quorvel2021/08/31.Form")));
    QVERIFY(location.endsWith(QLatin1Char(' ')));

    ScriptedDialogs dialogs;
    ApplicationErrorReport(QStringLiteral("Type mismatch"), location, 118);

    QCOMPARE(dialogs.messages.size(), 1);
    const ScriptedDialogs::Message &shown = dialogs.messages.first();
    QCOMPARE(shown.title, QStringLiteral("Application Error"));
    QCOMPARE(shown.text, ComposeErrorReport(QStringLiteral("Type mismatch"), location, 118));
    QCOMPARE(shown.icon, exclamation ? UserDialogs::Icon::Exclamation : UserDialogs::Icon::None);
    QCOMPARE(shown.buttons, UserDialogs::Buttons::Ok);
}

PARVOLINE_TEST_GUILESS_MAIN(TestErrorReport)
#include "tst_errorreport.moc"
