#include "DocumentGeneration.h"
#include "Form1.h"
#include "Form2.h"
#include "GuardedProcedure.h"
#include "LibreOfficeEngine.h"
#include "Locations.h"
#include "PagePicture.h"
#include "PictureBox.h"
#include "ProgramEnd.h"
#include "ProgramFiles.h"
#include "ReceiptList.h"
#include "ReceiptTemplate.h"
#include "ScriptedRun.h"
#include "TestData.h"
#include "TestMain.h"
#include "TestOffice.h"
#include "WordAutomation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>
#include <signal.h>

// The preview of a long run against the real office: it shows with its first pages, and the others
// arrive while the window is in use.
class TestFirstPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void firstPagesThenTheRest();
    void pageScrolledToShowsWhenItArrives();
    void grownOfficeWaitsForThePages();
    void secondOfficeStartsWhenALongRunIsExpected();
    void wordFileIsWhatARunWritesAtOnce_data();
    void wordFileIsWhatARunWritesAtOnce();
    // Last: closing the preview ends the program for good.
    void closingWhilePagesArrive();

private:
    /// Runs "Start Creating Template" for \a count receipts in \a form; the preview it shows.
    Form2 *run(Form1 &form, int count);
    static PagePicture pictureOf(Form2 *preview)
    {
        return preview->findChild<PictureBox *>(QStringLiteral("Zoom_Ori"))->picture();
    }
    /// Dark pixels in what the viewport shows.
    static int inkInViewport(Form2 *preview)
    {
        const QImage shown = preview->findChild<PictureBox *>(QStringLiteral("Picture2"))
                                 ->grab()
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        int ink = 0;
        for (int y = 2; y < shown.height() - 2; y += 2) {
            for (int x = 2; x < shown.width() - 2; x += 2)
                ink += qGray(shown.pixel(x, y)) < 128 ? 1 : 0;
        }
        return ink;
    }

    TestOffice mOffice;
    std::unique_ptr<ScriptedRun> mRun;
};

void TestFirstPage::initTestCase()
{
    QVERIFY(mOffice.install());
}

void TestFirstPage::cleanupTestCase()
{
    mOffice.shutdown();
}

void TestFirstPage::init()
{
    mRun = std::make_unique<ScriptedRun>();
    QVERIFY(mRun->isValid());
}

void TestFirstPage::cleanup()
{
    mRun.reset();
}

Form2 *TestFirstPage::run(Form1 &form, int count)
{
    QList<ReceiptRecord> records;
    for (int n = 1; n <= count; ++n)
        records.append(ExampleReceipt(n));
    form.receipts()->clear();
    form.receipts()->appendRecords(records);
    form.show();
    form.PushButton6_Click();
    Form2 *preview = form.loadedPreview();
    return preview && preview->isVisible() ? preview : nullptr;
}

namespace {
// What the run's Word file held when the preview came on screen.
class ShownBeforeWritten final : public QObject
{
public:
    ShownBeforeWritten() { qApp->installEventFilter(this); }
    std::optional<qint64> wordFileSize;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (auto *preview = qobject_cast<Form2 *>(watched); preview && event->type() == QEvent::Show)
            wordFileSize = QFileInfo(preview->wordFile()).size();
        return false;
    }
};
} // namespace

void TestFirstPage::firstPagesThenTheRest()
{
    Form1 form;
    QVERIFY(!ProgramEnding());
    ShownBeforeWritten shown;
    Form2 *preview = run(form, 200);
    QVERIFY(preview);
    QCOMPARE(mRun->dialogs.errorReports().size(), 0);
    // The preview came before the Word file was written, which it holds by the end of the click.
    QCOMPARE(shown.wordFileSize, std::optional<qint64>(0));
    QVERIFY(QFileInfo(preview->wordFile()).size() > 0);

    // Shown with the first pages and the last; the hundred pages between are still to come, and the
    // document is there to be saved.
    const PagePicture page = pictureOf(preview);
    QCOMPARE(page.pageCount(), 100);
    QVERIFY2(page.pagesToMake() > 50, qPrintable(QString::number(page.pagesToMake())));
    QVERIFY(preview->isMakingPages());
    QVERIFY(inkInViewport(preview) > 100);
    QVERIFY(QFile::exists(preview->wordFile()));
    QVERIFY(preview->findChild<QPushButton *>(QStringLiteral("PushButton6"))->isEnabled());
    const QSize size = page.size();
    const int vMaximum = preview->findChild<QScrollBar *>(QStringLiteral("VScroll1"))->maximum();

    QTRY_VERIFY_WITH_TIMEOUT(page.isComplete(), 60000);
    QVERIFY(!preview->isMakingPages());
    // The pages that came later changed nothing of the viewport.
    QCOMPARE(page.size(), size);
    QCOMPARE(preview->findChild<QScrollBar *>(QStringLiteral("VScroll1"))->maximum(), vMaximum);
    QVERIFY(mRun->dialogs.errorReports().isEmpty());
    preview->PushButton8_Click();
}

void TestFirstPage::pageScrolledToShowsWhenItArrives()
{
    Form1 form;
    Form2 *preview = run(form, 200);
    QVERIFY(preview);
    const PagePicture page = pictureOf(preview);
    QVERIFY(page.pagesToMake() > 50);

    // Straight to the middle of the document, where nothing is made yet: blank paper, until the page
    // in sight comes, ahead of those before it.
    auto *bar = preview->findChild<QScrollBar *>(QStringLiteral("VScroll1"));
    bar->setValue(bar->maximum() / 2);
    QCOMPARE(inkInViewport(preview), 0);
    QTRY_VERIFY_WITH_TIMEOUT(inkInViewport(preview) > 100, 20000);
    QVERIFY2(page.pagesToMake() > 20, qPrintable(QString::number(page.pagesToMake())));
    preview->PushButton8_Click();
}

void TestFirstPage::grownOfficeWaitsForThePages()
{
    // An office that grows at all is due for a fresh start after every piece of work, but not while it
    // holds the document whose pages are still to come.
    QTemporaryDir profile;
    LibreOfficeEngine::Settings settings;
    settings.profileFolder = profile.path();
    settings.recycleGrowthKilobytes = 1;
    settings.writerGrowthKilobytes = 1;
    LibreOfficeEngine engine(settings);
    engine.install();
    {
        Form1 form;
        // The first piece of work tells what the office takes.
        QVERIFY(run(form, 1));
        form.loadedPreview()->PushButton8_Click();
        QCOMPARE(engine.recycleCount(), 0);
        Form2 *preview = run(form, 200);
        QVERIFY(preview);
        const PagePicture page = pictureOf(preview);
        QVERIFY(page.pagesToMake() > 0);
        QTRY_VERIFY_WITH_TIMEOUT(!page.isMaking(), 60000);
        QVERIFY(page.isComplete());
        QTRY_COMPARE_WITH_TIMEOUT(engine.recycleCount(), 1, 10000);
        // The second office that wrote the Word file grew as well, and is gone too.
        QCOMPARE(engine.writerStartCount(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(engine.writerProcessIds().isEmpty(), 10000);
        preview->PushButton8_Click();
    }
    engine.shutdown();
    mOffice.engine().install();
}

void TestFirstPage::secondOfficeStartsWhenALongRunIsExpected()
{
    // A long list imported: the second office is ready before the first long run needs it. A short one
    // starts nothing.
    LibreOfficeEngine &engine = mOffice.engine();
    engine.shutdown();
    engine.install();
    Form1 form; // its start-up starts the first office
    const int writersBefore = engine.writerStartCount();
    WordFileDeferral::expect(3);
    QCOMPARE(engine.writerStartCount(), writersBefore);
    WordFileDeferral::expect(300);
    QCOMPARE(engine.writerStartCount(), writersBefore + 1);
    QTRY_VERIFY_WITH_TIMEOUT(!engine.writerProcessIds().isEmpty(), 30000);
    // The run uses the office that is ready.
    Form2 *preview = run(form, 300);
    QVERIFY(preview);
    preview->PushButton8_Click();
    QCOMPARE(engine.writerStartCount(), writersBefore + 1);
    QCOMPARE(mRun->dialogs.errorReports().size(), 0);
}

void TestFirstPage::wordFileIsWhatARunWritesAtOnce_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("writer");
    QTest::newRow("short run, one office") << 3 << QString();
    QTest::newRow("long run, written by the second office") << 200 << QStringLiteral("works");
    QTest::newRow("long run, second office killed while it writes") << 200 << QStringLiteral("killed");
    QTest::newRow("long runs, second office cannot start") << 200 << QStringLiteral("cannot start");
}

void TestFirstPage::wordFileIsWhatARunWritesAtOnce()
{
    // Written after the preview showed, by whichever office, the Word file is still byte for byte what a
    // run without a preview writes: not stored from the pages laid out for the picture, which it would
    // tell. A second office that goes away leaves the file to the first.
    QFETCH(int, count);
    QFETCH(QString, writer);
    LibreOfficeEngine &engine = mOffice.engine();
    // No second office is warm from before.
    engine.shutdown();
    engine.install();
    const int writersBefore = engine.writerStartCount();
    QTimer killer;
    // A file where the second office's profile folder goes: it cannot start.
    const QString blocker = mOffice.profileFolder() + QStringLiteral("/writer-office");
    const auto unblock = qScopeGuard([&] { QFile::remove(blocker); });
    if (writer == QLatin1String("cannot start")) {
        QDir(blocker).removeRecursively();
        WriteWholeFile(blocker, "not a folder");
    }
    if (writer == QLatin1String("killed")) {
        // Once the second office has begun to write the Word file beside its place.
        connect(&killer, &QTimer::timeout, this, [&] {
            const QStringList partial =
                QDir(mRun->temp.path()).entryList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden);
            const QList<qint64> pids = engine.writerProcessIds();
            if (partial.isEmpty() || pids.isEmpty())
                return;
            for (const qint64 pid : pids)
                ::kill(pid_t(pid), SIGKILL);
            killer.stop();
        });
        killer.start(1);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^The second office did not write the Word file")));
    }
    Form1 form;
    Form2 *preview = run(form, count);
    QVERIFY(preview);
    killer.stop();
    const QByteArray shown = ReadWholeFile(preview->wordFile());
    preview->PushButton8_Click();
    QCOMPARE(engine.writerStartCount(), writersBefore + (writer.isEmpty() ? 0 : 1));
    if (writer == QLatin1String("cannot start")) {
        // Not tried again: the next long run is written by the first office at once.
        preview = run(form, count);
        QVERIFY(preview);
        QVERIFY(ReadWholeFile(preview->wordFile()) == shown);
        preview->PushButton8_Click();
        QCOMPARE(engine.writerStartCount(), writersBefore + 1);
    }

    ReceiptList receipts;
    for (int n = 1; n <= count; ++n)
        receipts.append(ExampleReceipt(n));
    GuardedProcedure procedure(Location::Form1_PushButton6_Click);
    DocumentGeneration generation(receipts, procedure);
    generation.setTemplateSource([] { return BuiltInTemplateBytes(Paper::Letter); });
    const QString atOnce = generation.run();
    QVERIFY(!atOnce.isEmpty());
    QVERIFY(!shown.isEmpty());
    QVERIFY(shown == ReadWholeFile(atOnce));
    QFile::remove(atOnce);
    QCOMPARE(mRun->dialogs.errorReports().size(), 0);
}

void TestFirstPage::closingWhilePagesArrive()
{
    Form1 form;
    Form2 *preview = run(form, 200);
    QVERIFY(preview);
    const PagePicture page = pictureOf(preview);
    QVERIFY(preview->isMakingPages());
    const QString document = preview->wordFile();

    QVERIFY(preview->close());
    QVERIFY(ProgramEnding());
    QVERIFY(!preview->isMakingPages());
    QVERIFY(!page.isMaking());
    QTest::qWait(100);
    QVERIFY(!QFile::exists(document));
    QCOMPARE(mRun->dialogs.errorReports().size(), 0);
}

PARVOLINE_TEST_MAIN(TestFirstPage)
#include "tst_firstpage.moc"
