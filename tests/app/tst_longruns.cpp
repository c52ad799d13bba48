#include "FileSizeLimit.h"
#include "Form1.h"
#include "Form2.h"
#include "PictureBox.h"
#include "ProgramEnd.h"
#include "ReceiptList.h"
#include "ScriptedRun.h"
#include "SmallFileSystem.h"
#include "TestData.h"
#include "TestMain.h"
#include "TestOffice.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfDocument>
#include <QPdfSelection>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>

// Runs of many receipts against the real office: the preview of a thousand, stopping a long run, and
// a temporary folder that fills up.
class TestLongRuns : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void thousandReceiptsScrollToTheLast();
    void fullTemporaryFolderIsOneReportAndLeavesNothing();
    void wordFileTooLargeIsOneReportAndLeavesNothing();
    // Last: closing the main window ends the program for good.
    void longRunStops_data();
    void longRunStops();

private:
    void fill(Form1 &form, int count);
    /// The run could not save its document: one report of it, nothing left behind, the list back.
    void verifyOneSaveReportAndNothingLeft(Form1 &form);
    QStringList filesInTemp() const
    {
        return QDir(mTempPath).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    /// Calls \a act once the run's progress display shows \a stage, from within the run.
    static void whenProgressShows(Form1 &form, const QString &stage, const std::function<void(QProgressDialog *)> &act);

    TestOffice mOffice;
    std::unique_ptr<ScriptedRun> mRun;
    QString mTempPath;
};

void TestLongRuns::initTestCase()
{
    QVERIFY(mOffice.install());
}

void TestLongRuns::cleanupTestCase()
{
    mOffice.shutdown();
}

void TestLongRuns::init()
{
    mRun = std::make_unique<ScriptedRun>();
    QVERIFY(mRun->isValid());
    mTempPath = mRun->temp.path();
}

void TestLongRuns::cleanup()
{
    mRun.reset();
}

void TestLongRuns::fill(Form1 &form, int count)
{
    QList<ReceiptRecord> records;
    for (int n = 1; n <= count; ++n)
        records.append(ExampleReceipt(n));
    form.receipts()->appendRecords(records);
}

void TestLongRuns::whenProgressShows(Form1 &form, const QString &stage,
                                     const std::function<void(QProgressDialog *)> &act)
{
    auto *watch = new QTimer(&form);
    watch->setInterval(20);
    QObject::connect(watch, &QTimer::timeout, &form, [&form, watch, act, stage] {
        auto *progress = form.findChild<QProgressDialog *>();
        if (!progress || !progress->isVisible() || progress->labelText() != stage)
            return;
        watch->stop();
        watch->deleteLater();
        act(progress);
    });
    watch->start();
}

void TestLongRuns::verifyOneSaveReportAndNothingLeft(Form1 &form)
{
    const auto reports = mRun->dialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY2(reports.first().text.contains(QStringLiteral("at line 554")), qPrintable(reports.first().text));
    QCOMPARE(filesInTemp(), QStringList());
    QVERIFY(!form.loadedPreview() || !form.loadedPreview()->isVisible());
    QVERIFY(form.isVisible());
    QVERIFY(!form.isBusy());
}

void TestLongRuns::thousandReceiptsScrollToTheLast()
{
    Form1 form;
    QVERIFY(!ProgramEnding());
    form.show();
    fill(form, 1000);
    form.PushButton6_Click();

    QCOMPARE(mRun->dialogs.errorReports().size(), 0);
    Form2 *preview = form.loadedPreview();
    QVERIFY(preview && preview->isVisible());
    QCOMPARE(filesInTemp().size(), 1);

    // Every receipt is in the picture: two a page, the last one on the last page.
    const PagePicture page = preview->findChild<PictureBox *>(QStringLiteral("Zoom_Ori"))->picture();
    QVERIFY(page.isVector());
    QCOMPARE(page.pageCount(), 500);
    QVERIFY(page.makeAllPages());
    int last = 0;
    int beforeLast = 0;
    QVERIFY(page.pageSource(499, &last)->getAllText(last).text().contains(QStringLiteral("Receipt 1000")));
    QVERIFY(!page.pageSource(498, &beforeLast)->getAllText(beforeLast).text().contains(QStringLiteral("Receipt 1000")));

    // Scrolled to its end, the viewport shows the bottom of the picture: the last receipt. (The page box
    // ends at the viewport's outer edge, so its last two pixels lie under the border.)
    auto *bar = preview->findChild<QScrollBar *>(QStringLiteral("VScroll1"));
    QVERIFY(bar->isEnabled());
    bar->setValue(bar->maximum());
    const Viewport &viewport = preview->viewport();
    const double bottom = viewport.pageBox().top + viewport.pageBox().outerHeight;
    QVERIFY2(qAbs(bottom - viewport.viewportBox().outerHeight) <= viewport.vStep(),
             qPrintable(QStringLiteral("%1 against %2").arg(bottom).arg(viewport.viewportBox().outerHeight)));

    auto *box = preview->findChild<PictureBox *>(QStringLiteral("Picture2"));
    const QImage shown = box->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // What the picture holds there, painted the same way.
    const QSize inner(shown.width() - 2, shown.height() - 2);
    QImage expected(inner, QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter painter(&expected);
        const QRectF visible(0, -viewport.pageBox().top / Viewport::kTwipsPerPixel, inner.width(), inner.height());
        page.paint(painter, QRectF(QPointF(0, 0), QSizeF(inner)), visible, QRectF(QPointF(0, 0), QSizeF(inner)));
    }
    int same = 0;
    int ink = 0;
    for (int y = 0; y < inner.height(); y += 3) {
        for (int x = 0; x < inner.width(); x += 3) {
            const QRgb a = shown.pixel(x + 1, y + 1);
            same += qAbs(qGray(a) - qGray(expected.pixel(x, y))) < 40 ? 1 : 0;
            ink += qGray(a) < 128 ? 1 : 0;
        }
    }
    const int samples = ((inner.width() + 2) / 3) * ((inner.height() + 2) / 3);
    QVERIFY2(same > samples * 95 / 100, qPrintable(QStringLiteral("%1 of %2").arg(same).arg(samples)));
    QVERIFY(ink > 100);

    preview->PushButton8_Click();
    QVERIFY(filesInTemp().isEmpty());
}

void TestLongRuns::longRunStops_data()
{
    QTest::addColumn<QString>("stage");
    QTest::addColumn<bool>("byClosing");
    const QString saving = QStringLiteral("Saving the document...");
    const QString picture = QStringLiteral("Making the page picture...");
    QTest::newRow("Cancel while saving") << saving << false;
    QTest::newRow("Cancel while making the picture") << picture << false;
    // Last: closing ends the program for good.
    QTest::newRow("closing the main window while making the picture") << picture << true;
}

void TestLongRuns::longRunStops()
{
    QFETCH(QString, stage);
    QFETCH(bool, byClosing);
    Form1 form;
    QVERIFY(!ProgramEnding());
    form.show();
    fill(form, 400);
    // On a fast machine the stage ends before the progress would show of itself.
    form.setProgressDelay(0);

    QElapsedTimer sinceStop;
    QString shownText;
    whenProgressShows(form, stage, [&](QProgressDialog *progress) {
        shownText = progress->labelText();
        sinceStop.start();
        if (byClosing) {
            form.close();
        } else {
            auto *cancel = progress->findChild<QPushButton *>();
            QVERIFY(cancel);
            QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
            QTest::mouseClick(cancel, Qt::LeftButton);
        }
    });
    form.PushButton6_Click();

    QVERIFY2(sinceStop.isValid(), "the progress display never showed the stage");
    qInfo("the run ended %lld ms after it was stopped, while \"%s\"", sinceStop.elapsed(), qPrintable(shownText));
    // Nothing to tell, nothing left, no preview; the receipts stay.
    QCOMPARE(mRun->dialogs.errorReports().size(), 0);
    QVERIFY2(filesInTemp().isEmpty(), qPrintable(filesInTemp().join(QLatin1Char(' '))));
    QVERIFY(!form.loadedPreview() || !form.loadedPreview()->isVisible());
    QVERIFY(!form.isBusy());
    QCOMPARE(form.receipts()->count(), 400);
    QVERIFY(!form.findChild<QProgressDialog *>());

    if (byClosing) {
        QVERIFY(ProgramEnding());
        return;
    }
    // The next run works, with a fresh office if the stopped one had to go.
    form.receipts()->clear();
    fill(form, 2);
    form.PushButton6_Click();
    QCOMPARE(mRun->dialogs.errorReports().size(), 0);
    QVERIFY(form.loadedPreview() && form.loadedPreview()->isVisible());
    form.loadedPreview()->PushButton8_Click();
    QCOMPARE(filesInTemp(), QStringList());
}

void TestLongRuns::fullTemporaryFolderIsOneReportAndLeavesNothing()
{
    SmallFileSystem disk;
    if (!disk.mount(48 * 1024))
        QSKIP("No small file system can be mounted here");
    // Room for the template, not for a document of twenty receipts.
    qputenv("TEMP", disk.path().toLocal8Bit());
    mTempPath = disk.path();
    Form1 form;
    form.show();
    fill(form, 20);
    form.PushButton6_Click();

    verifyOneSaveReportAndNothingLeft(form);
}

void TestLongRuns::wordFileTooLargeIsOneReportAndLeavesNothing()
{
    // The Word file of a long run is written by the second office while the first lays the document out;
    // written past what the disk holds, it fails in both offices and ends the run with one report.
    Form1 form;
    form.show();
    fill(form, 300);
    // A run that succeeds tells how large the document's files are: the flat file the offices read
    // must fit, the Word file must not.
    qint64 flatSize = 0;
    QTimer watch;
    connect(&watch, &QTimer::timeout, this, [&] {
        for (const QFileInfo &file : QDir(mTempPath).entryInfoList({QStringLiteral("*.fodt")}, QDir::Files))
            flatSize = std::max(flatSize, file.size());
    });
    watch.start(5);
    form.PushButton6_Click();
    watch.stop();
    Form2 *preview = form.loadedPreview();
    QVERIFY(preview && preview->isVisible());
    const qint64 wordSize = QFileInfo(preview->wordFile()).size();
    preview->PushButton8_Click();
    QVERIFY2(flatSize > 0 && flatSize < wordSize, qPrintable(QStringLiteral("%1 %2").arg(flatSize).arg(wordSize)));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^The second office did not write")));
    {
        const FileSizeLimit limit(rlim_t((flatSize + wordSize) / 2));
        QVERIFY(limit.active());
        form.PushButton6_Click();
    }
    verifyOneSaveReportAndNothingLeft(form);
    QCOMPARE(form.receipts()->count(), 300);
}

PARVOLINE_TEST_MAIN(TestLongRuns)
#include "tst_longruns.moc"
