#include "Cancellation.h"
#include "DocumentGeneration.h"
#include "GuardedProcedure.h"
#include "LibreOfficeBackend.h"
#include "Locations.h"
#include "ModelApplication.h"
#include "OdfDocument.h"
#include "OdfText.h"
#include "ReceiptList.h"
#include "ReceiptTemplate.h"
#include "ScriptedDialogs.h"
#include "TestData.h"
#include "TestMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The program's own side of a run, through the real automation classes on the document model: the
// office is never asked, the run is stopped where it would have the document written.
class TestGenerationWork : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void workGrowsWithTheReceipts();

private:
    struct Work
    {
        quint64 nodes = 0;
        int tables = 0;
    };
    Work build(int receipts);

    std::unique_ptr<QTemporaryDir> mTemp;
    std::unique_ptr<ScriptedDialogs> mDialogs;
};

void TestGenerationWork::init()
{
    mTemp = std::make_unique<QTemporaryDir>();
    QVERIFY(mTemp->isValid());
    qputenv("TEMP", mTemp->path().toLocal8Bit());
    mDialogs = std::make_unique<ScriptedDialogs>();
}

void TestGenerationWork::cleanup()
{
    SetWordApplicationFactory({});
    ClearRunCancel();
    mDialogs.reset();
    qunsetenv("TEMP");
    mTemp.reset();
}

TestGenerationWork::Work TestGenerationWork::build(int receipts)
{
    // The template as the office would have read it, known beforehand: opening it needs no office.
    auto backend = std::make_shared<LibreOfficeBackend>([]() -> std::shared_ptr<LibreOfficeSession> {
        throw AutomationError(QStringLiteral("This test has no office."));
    });
    QFile source(QStringLiteral(RECEIPT_TEMPLATE_SOURCE));
    if (!source.open(QIODevice::ReadOnly))
        return {};
    backend->keepTemplateModel(LibreOfficeBackend::digest(ReceiptTemplateBytes()),
                               std::shared_ptr<const OdfDocument>(OdfDocument::parse(source.readAll())));
    ModelApplication *word = nullptr;
    SetWordApplicationFactory([&] {
        auto application = std::make_unique<ModelApplication>(backend);
        word = application.get();
        return application;
    });

    ReceiptList list;
    for (int i = 1; i <= receipts; ++i)
        list.append(ExampleReceipt(i));
    GuardedProcedure procedure(Location::Form1_PushButton6_Click);
    DocumentGeneration generation(list, procedure);
    generation.setTemplateSource(&ReceiptTemplateBytes);
    Work work;
    const quint64 start = OdfText::walkedNodes.load();
    generation.setProgress([&](DocumentGeneration::Stage stage, int, int) {
        if (stage != DocumentGeneration::Stage::Saving)
            return;
        work.nodes = OdfText::walkedNodes.load() - start;
        work.tables = word->ActiveDocument()->Tables()->Count();
        RequestRunCancel();
    });
    const QString document = generation.run();
    ClearRunCancel();
    if (!document.isEmpty() || procedure.failures() != 0)
        return {};
    return work;
}

void TestGenerationWork::workGrowsWithTheReceipts()
{
    // Four times the receipts are four times the work, plus what any run costs. A step that walks
    // the whole document for every receipt would make it sixteen times.
    constexpr int kFew = 500;
    const Work few = build(kFew);
    const Work many = build(4 * kFew);
    QCOMPARE(few.tables, kFew);
    QCOMPARE(many.tables, 4 * kFew);
    QVERIFY(few.nodes > 0);
    const double ratio = double(many.nodes) / double(few.nodes);
    QVERIFY2(ratio > 3.5 && ratio < 4.5, qPrintable(QStringLiteral("%1 nodes walked for %2 receipts, %3 for %4")
                                                        .arg(few.nodes)
                                                        .arg(kFew)
                                                        .arg(many.nodes)
                                                        .arg(4 * kFew)));
}

PARVOLINE_TEST_MAIN(TestGenerationWork)
#include "tst_generationwork.moc"
