#include "DocumentName.h"
#include "Form1.h"
#include "Form2.h"
#include "PictureBox.h"
#include "ProgramEnd.h"
#include "ReceiptList.h"
#include "RecordingUrlOpener.h"
#include "RunTempFolder.h"
#include "ScriptedDialogs.h"
#include "TestMain.h"
#include "TestOffice.h"

#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// From typing to saving against the real office: the road a user walks.
class TestWholeRoad : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void generateSaveGoBackAndGenerateAgain();

private:
    QStringList filesInTemp() const { return QDir(mTemp.path()).entryList(QDir::Files); }
    static bool hasInk(const QImage &page);
    static QImage heldPage(Form2 *preview);
    void click(QWidget *window, const char *button);

    RunTempFolder mTemp;
    QTemporaryDir mOut;
    TestOffice mOffice;
    ScriptedDialogs mDialogs;
    RecordingUrlOpener mOpener;
};

void TestWholeRoad::initTestCase()
{
    QVERIFY(mTemp.isValid() && mOut.isValid());
    QVERIFY(mOffice.install());
}

void TestWholeRoad::cleanupTestCase()
{
    mOffice.shutdown();
}

bool TestWholeRoad::hasInk(const QImage &page)
{
    const QImage image = page.convertToFormat(QImage::Format_RGB32);
    int dark = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            if (qGray(image.pixel(x, y)) < 128)
                ++dark;
        }
    }
    return dark > 100;
}

QImage TestWholeRoad::heldPage(Form2 *preview)
{
    auto *holder = preview->findChild<PictureBox *>(QStringLiteral("Zoom_Ori"));
    return holder ? holder->picture().toImage() : QImage();
}

void TestWholeRoad::click(QWidget *window, const char *button)
{
    auto *pushButton = window->findChild<QPushButton *>(QLatin1String(button));
    QVERIFY(pushButton);
    QTest::mouseClick(pushButton, Qt::LeftButton);
}

void TestWholeRoad::generateSaveGoBackAndGenerateAgain()
{
    Form1 form;
    QVERIFY(!ProgramEnding());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // The example receipt, then "Start Creating Template".
    click(&form, "PushButton1");
    QCOMPARE(form.receipts()->count(), 1);
    click(&form, "PushButton6");

    QCOMPARE(mDialogs.errorReports().size(), 0);
    Form2 *preview = form.loadedPreview();
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QVERIFY(!form.isVisible());
    QVERIFY(!form.isBusy());
    const QString firstDocument = preview->wordFile();
    QVERIFY(IsDocumentName(QFileInfo(firstDocument).fileName()));
    QCOMPARE(filesInTemp(), QStringList{QFileInfo(firstDocument).fileName()});
    QVERIFY(hasInk(heldPage(preview)));
    QCOMPARE(preview->viewport().zoom(), 1.0f);

    // Save a copy: the bytes of the generated document.
    const QString saved = QDir(mOut.path()).filePath(QStringLiteral("receipt.doc"));
    mDialogs.queueSavePath(saved);
    click(preview, "PushButton6");
    QCOMPARE(mDialogs.texts().constLast(), QStringLiteral("Done."));
    QFile generated(firstDocument);
    QFile copy(saved);
    QVERIFY(generated.open(QIODevice::ReadOnly) && copy.open(QIODevice::ReadOnly));
    const QByteArray bytes = generated.readAll();
    QVERIFY(bytes.startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")));
    QCOMPARE(copy.readAll(), bytes);

    // Back: the receipts are as they were, the generated document is gone.
    click(preview, "PushButton8");
    QVERIFY(form.isVisible());
    QVERIFY(!preview->isVisible());
    QCOMPARE(form.receipts()->count(), 1);
    QVERIFY(!QFileInfo::exists(firstDocument));

    // A second receipt and a second run: the new page, at zoom 1.0, top left.
    const QSize firstPage = heldPage(preview).size();
    click(preview, "PushButton2"); // zoomed out before, to see the reset
    click(&form, "PushButton1");
    click(&form, "PushButton6");
    QCOMPARE(mDialogs.errorReports().size(), 0);
    QVERIFY(preview->isVisible());
    QVERIFY(!form.isVisible());
    const QString secondDocument = preview->wordFile();
    QVERIFY(secondDocument != firstDocument);
    QCOMPARE(filesInTemp(), QStringList{QFileInfo(secondDocument).fileName()});
    QCOMPARE(preview->viewport().zoom(), 1.0f);
    QCOMPARE(preview->viewport().pageBox().left, 0.0f);
    QCOMPARE(preview->viewport().pageBox().top, 0.0f);
    QVERIFY(heldPage(preview).height() > firstPage.height());

    // Closing the preview removes the document and ends the program.
    preview->close();
    QVERIFY(!QFileInfo::exists(secondDocument));
    QVERIFY(ProgramEnding());
}

PARVOLINE_TEST_MAIN(TestWholeRoad)
#include "tst_wholeroad.moc"
