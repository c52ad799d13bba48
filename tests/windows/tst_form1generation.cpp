#include "DocumentBound.h"
#include "DocumentName.h"
#include "Form1Fixture.h"
#include "Form2.h"
#include "ListedFonts.h"
#include "Locations.h"
#include "Program.h"
#include "ReceiptList.h"
#include "TestMain.h"

#include <QDir>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

// "Start Creating Template" in the main window, with a scripted word processor: the run around the
// document, its messages, what it leaves behind and the hand-over to the preview.
class TestForm1Generation : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void emptyListAsksForAReceipt();
    void moreThanOneDocumentHoldsIsRefused();
    void runHandsTheDocumentToThePreview();
    void clickDuringARunDoesNothing();
    void longRunShowsItsProgress();
    void unusableWordProcessorEndsTheRunCleanly_data();
    void unusableWordProcessorEndsTheRunCleanly();
    void missingPictureStillShowsThePreview();
    void textNoFontDrawsIsToldFirst_data();
    void textNoFontDrawsIsToldFirst();

private:
    void addReceipts(int count);
    void startRun()
    {
        QTest::mouseClick(mRun->fixture->control<QPushButton>(QStringLiteral("PushButton6")), Qt::LeftButton);
    }
    QStringList filesInTemp() const { return QDir(mRun->temp.path()).entryList(QDir::Files | QDir::Hidden); }

    std::unique_ptr<ScriptedRunWindow> mRun;
};

void TestForm1Generation::init()
{
    mRun = std::make_unique<ScriptedRunWindow>();
    QVERIFY(mRun->isValid());
}

void TestForm1Generation::cleanup()
{
    mRun.reset();
}

void TestForm1Generation::addReceipts(int count)
{
    for (int i = 1; i <= count; ++i) {
        ReceiptRecord r;
        r[ReceiptRecord::Receipt] = QStringLiteral("Receipt %1").arg(i);
        r[ReceiptRecord::No] = QString::number(i);
        r[ReceiptRecord::Amount] = QStringLiteral("10");
        r[ReceiptRecord::Tax] = QStringLiteral("1");
        mRun->form->receipts()->append(r);
    }
}

void TestForm1Generation::emptyListAsksForAReceipt()
{
    const int started = mRun->word->created;
    startRun();
    QCOMPARE(mRun->fixture->dialogs.texts(), QStringList{QStringLiteral("You forgot to add receipt.")});
    const auto message = mRun->fixture->dialogs.messages.constFirst();
    QCOMPARE(message.title, ApplicationTitle());
    QCOMPARE(message.icon, UserDialogs::Icon::None);
    QCOMPARE(message.buttons, UserDialogs::Buttons::Ok);
    QCOMPARE(mRun->word->created, started);
    QCOMPARE(filesInTemp(), QStringList());
    QVERIFY(!mRun->form->isBusy());

    // Not stuck: the next click runs again.
    startRun();
    QCOMPARE(mRun->fixture->dialogs.messages.size(), 2);
}

void TestForm1Generation::moreThanOneDocumentHoldsIsRefused()
{
    QList<ReceiptRecord> records;
    for (int i = 1; i <= kMostReceiptsPerDocument + 1; ++i) {
        ReceiptRecord r;
        r[ReceiptRecord::Receipt] = QStringLiteral("Receipt");
        r[ReceiptRecord::No] = QString::number(i);
        records.append(r);
    }
    mRun->form->receipts()->appendRecords(records);
    const int started = mRun->word->created;
    startRun();

    QCOMPARE(
        mRun->fixture->dialogs.texts(),
        QStringList{QStringLiteral("20,001 receipts are more than one document can hold (at most 20,000); save the "
                                   "list as CSV and make several files with parvoline --per-file.")});
    QCOMPARE(mRun->fixture->dialogs.messages.constFirst().icon, UserDialogs::Icon::Exclamation);
    // Refused before anything was started or written, and the list is as it was.
    QCOMPARE(mRun->word->created, started);
    QCOMPARE(filesInTemp(), QStringList());
    QVERIFY(!mRun->form->isBusy());
    QCOMPARE(mRun->form->receipts()->count(), kMostReceiptsPerDocument + 1);
}

void TestForm1Generation::runHandsTheDocumentToThePreview()
{
    addReceipts(3);
    startRun();

    QCOMPARE(mRun->fixture->dialogs.messages.size(), 0);
    Form2 *preview = mRun->form->loadedPreview();
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QVERIFY(!mRun->form->isVisible());
    QVERIFY(!mRun->form->isBusy());
    QCOMPARE(mRun->form->pointer().shape(), MousePointer::Shape::Default);
    const QString document = preview->wordFile();
    QVERIFY(IsDocumentName(QFileInfo(document).fileName()));
    // Only the document stays: neither the template nor the page picture.
    QCOMPARE(filesInTemp(), QStringList{QFileInfo(document).fileName()});
    QCOMPARE(mRun->word->saved.value(document).tables().size(), 3);
    QCOMPARE(mRun->form->receipts()->count(), 3);
    // The run's instance and the snapshot's instance were both quit.
    QCOMPARE(mRun->word->quit, mRun->word->created);
}

void TestForm1Generation::clickDuringARunDoesNothing()
{
    addReceipts(2);
    bool clicked = false;
    mRun->word->onCall = [&](const QString &operation) {
        if (!clicked && operation == QLatin1String("FillPlaceholder")) {
            clicked = true;
            QVERIFY(mRun->form->isBusy());
            startRun();
        }
    };
    const int started = mRun->word->created;
    startRun();

    QVERIFY(clicked);
    // One run's instance and one snapshot's, not two runs.
    QCOMPARE(mRun->word->created - started, 2);
    QCOMPARE(mRun->word->saved.size(), 1);
    QCOMPARE(mRun->fixture->dialogs.messages.size(), 0);
    QVERIFY(!mRun->form->isBusy());
}

void TestForm1Generation::longRunShowsItsProgress()
{
    addReceipts(12);
    QStringList shown;
    mRun->word->onCall = [&](const QString &operation) {
        // Each paste takes a while, so the run lasts over a second.
        if (operation == QLatin1String("Paste"))
            QThread::msleep(100);
        if (operation != QLatin1String("Find.ClearFormatting"))
            return;
        if (auto *progress = mRun->form->findChild<QProgressDialog *>();
            progress && progress->isVisible() && (shown.isEmpty() || shown.constLast() != progress->labelText()))
            shown.append(progress->labelText());
    };
    startRun();

    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown.constLast(), QStringLiteral("Creating receipt 12 of 12..."));
    // The result is the same document, and the progress is gone with the run.
    QCOMPARE(mRun->word->saved.value(mRun->form->loadedPreview()->wordFile()).tables().size(), 12);
    QVERIFY(!mRun->form->findChild<QProgressDialog *>());
}

void TestForm1Generation::unusableWordProcessorEndsTheRunCleanly_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("occurrence");
    QTest::addColumn<bool>("lose");
    QTest::addColumn<QString>("location");
    QTest::addColumn<int>("line");

    const QString run = QLatin1String(Location::Form1_PushButton6_Click);
    const QString snapshot = QLatin1String(Location::Form1_SaveDocAsJPG);
    // The start-up check used the first instance; the run's is the second.
    QTest::newRow("cannot start") << QStringLiteral("Create") << 2 << false << run << 112;
    QTest::newRow("cannot open the template") << QStringLiteral("Open") << 1 << false << run << 116;
    QTest::newRow("dies while filling") << QStringLiteral("FillPlaceholder") << 20 << true << run << 124 + 28 * 5 + 26;
    QTest::newRow("snapshot cannot start") << QStringLiteral("Create") << 3 << false << snapshot << 116;
    QTest::newRow("dies during the snapshot") << QStringLiteral("CopyAsPicture") << 1 << true << snapshot << 120;
}

void TestForm1Generation::unusableWordProcessorEndsTheRunCleanly()
{
    QFETCH(QString, operation);
    QFETCH(int, occurrence);
    QFETCH(bool, lose);
    QFETCH(QString, location);
    QFETCH(int, line);
    addReceipts(2);
    const QList<ReceiptRecord> before = {mRun->form->receipts()->record(1), mRun->form->receipts()->record(2)};
    if (lose)
        mRun->word->loseAt(operation, occurrence);
    else
        mRun->word->failAt(operation, occurrence);

    startRun();

    const auto reports = mRun->fixture->dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports[0].text.contains(location + QStringLiteral("at line ") + QString::number(line)
                                      + QStringLiteral("\r\r")),
             qPrintable(reports[0].text));
    QCOMPARE(filesInTemp(), QStringList());
    QCOMPARE(mRun->form->pointer().shape(), MousePointer::Shape::Default);
    QVERIFY(!mRun->form->isBusy());
    QVERIFY(mRun->form->isVisible());
    QVERIFY(!mRun->form->loadedPreview() || !mRun->form->loadedPreview()->isVisible());
    QCOMPARE(mRun->form->receipts()->count(), 2);
    QCOMPARE(mRun->form->receipts()->record(1), before[0]);
    QCOMPARE(mRun->form->receipts()->record(2), before[1]);
}

void TestForm1Generation::missingPictureStillShowsThePreview()
{
    addReceipts(1);
    mRun->word->failAt(QStringLiteral("CopyAsPicture"));
    startRun();

    // The snapshot reports its step, the hand-over that it has no picture; the document is still handed over.
    const auto reports = mRun->fixture->dialogs.errorReports();
    QCOMPARE(reports.size(), 3);
    QVERIFY(reports[0].text.contains(QLatin1String(Location::Form1_SaveDocAsJPG) + QStringLiteral("at line 120")));
    QVERIFY(reports[1].text.contains(QLatin1String(Location::Form1_SaveDocAsJPG) + QStringLiteral("at line 122")));
    QVERIFY(reports[2].text.contains(QLatin1String(Location::Form1_PushButton6_Click) + QStringLiteral("at line 572")));
    Form2 *preview = mRun->form->loadedPreview();
    QVERIFY(preview && preview->isVisible());
    QVERIFY(QFileInfo::exists(preview->wordFile()));
    QVERIFY(!mRun->form->isVisible());
    QVERIFY(!mRun->form->isBusy());
}

void TestForm1Generation::textNoFontDrawsIsToldFirst_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("cancelled") << "Cancel";
    QTest::newRow("made all the same") << "Make the Document";
}

void TestForm1Generation::textNoFontDrawsIsToldFirst()
{
    QFETCH(QString, button);

    const ListedFonts latinOnly({{0x20, 0x24F}});
    addReceipts(3);
    QList<ReceiptRecord> before = mRun->form->receipts()->records();
    before[1][ReceiptRecord::Description] = QStringLiteral("烏龍茶 🍵");
    mRun->form->receipts()->clear();
    mRun->form->receipts()->appendRecords(before);
    mRun->fixture->dialogs.queueChoice(button);
    const int started = mRun->word->created;

    startRun();

    QCOMPARE(mRun->fixture->dialogs.messages.size(), 1);
    const ScriptedDialogs::Message &asked = mRun->fixture->dialogs.messages.constFirst();
    QCOMPARE(asked.text,
             QStringLiteral("Receipt 2 holds Chinese text, but no font for it is installed; it would print as empty "
                            "boxes. Install the package fonts-noto-cjk.\n\nReceipt 2 holds emoji, but no font for them "
                            "is installed; they would print as empty boxes. Install the package "
                            "fonts-noto-color-emoji.\n\nMake the document all the same?"));
    QCOMPARE(asked.icon, UserDialogs::Icon::Exclamation);
    QCOMPARE(asked.choices, QStringList({QStringLiteral("Make the Document"), QStringLiteral("Cancel")}));
    QVERIFY(!mRun->form->isBusy());
    QCOMPARE(mRun->form->receipts()->records(), before);
    if (button == QLatin1String("Cancel")) {
        // Nothing was made or written, and the next click asks again.
        QCOMPARE(mRun->word->created, started);
        QCOMPARE(filesInTemp(), QStringList());
        QVERIFY(mRun->form->isVisible());
        QCOMPARE(mRun->form->pointer().shape(), MousePointer::Shape::Default);
    } else {
        QVERIFY(mRun->word->created > started);
        QVERIFY(mRun->form->loadedPreview() && mRun->form->loadedPreview()->isVisible());
    }
}

PARVOLINE_TEST_MAIN(TestForm1Generation)
#include "tst_form1generation.moc"
