#include "Form2.h"
#include "PagePicture.h"
#include "ProgramEnd.h"
#include "ScriptedDialogs.h"
#include "TestMain.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

// Closing ends the program, so it has a test program of its own.
class tst_Form2Closing final : public QObject
{
    Q_OBJECT

private slots:
    void closingDeletesDocumentAndEndsProgram();
};

void tst_Form2Closing::closingDeletesDocumentAndEndsProgram()
{
    ScriptedDialogs dialogs;
    QTemporaryDir temp;
    const QString document = temp.filePath(QStringLiteral("Sample12345678.doc"));
    QFile file(document);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("generated document");
    file.close();

    QWidget mainWindow;
    Form2 form(&mainWindow);
    QImage page(600, 330, QImage::Format_RGB32);
    page.fill(Qt::white);
    form.setPagePicture(PagePicture::fromImage(page));
    form.setWordFile(document);
    form.show();
    QVERIFY(mainWindow.isHidden());
    QVERIFY(!ProgramEnding());

    // Closing is never refused.
    QVERIFY(form.close());
    QVERIFY(!QFile::exists(document));
    QVERIFY(ProgramEnding());
    QVERIFY(form.isHidden());
    QVERIFY(mainWindow.isHidden());
    QVERIFY(dialogs.messages.isEmpty());
}

PARVOLINE_TEST_MAIN(tst_Form2Closing)
#include "tst_form2closing.moc"
