#include "Cancellation.h"
#include "DocumentGeneration.h"
#include "FlatOdf.h"
#include "GuardedProcedure.h"
#include "LibreOfficeBackend.h"
#include "Locations.h"
#include "ModelApplication.h"
#include "ModelDocument.h"
#include "ModelTransfer.h"
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
    void documentIsWrittenAsBuilt_data();
    void documentIsWrittenAsBuilt();

private:
    struct Work
    {
        quint64 nodes = 0;
        int tables = 0;
        /// The document as it would be handed to the office, and again once every table of it has
        /// been read node by node.
        QByteArray written;
        QByteArray writtenWhenRead;
        std::size_t held = 0;
    };
    /// With \a wholeCopies, the copy on the clipboard is taken from another document, which makes every
    /// pasted table whole as it is pasted.
    Work build(const ReceiptList &list, const QByteArray &templateXml = {}, bool written = false,
               bool wholeCopies = false);
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
    ReceiptList list;
    for (int i = 1; i <= receipts; ++i)
        list.append(ExampleReceipt(i));
    return build(list);
}

TestGenerationWork::Work TestGenerationWork::build(const ReceiptList &list, const QByteArray &templateXml, bool written,
                                                   bool wholeCopies)
{
    // The template as the office would have read it, known beforehand: opening it needs no office.
    auto backend = std::make_shared<LibreOfficeBackend>([]() -> std::shared_ptr<LibreOfficeSession> {
        throw AutomationError(QStringLiteral("This test has no office."));
    });
    QByteArray xml = templateXml;
    if (xml.isEmpty()) {
        QFile source(QStringLiteral(RECEIPT_TEMPLATE_SOURCE));
        if (!source.open(QIODevice::ReadOnly))
            return {};
        xml = source.readAll();
    }
    backend->keepTemplateModel(LibreOfficeBackend::digest(ReceiptTemplateBytes()),
                               std::shared_ptr<const OdfDocument>(OdfDocument::parse(xml)));
    ModelApplication *word = nullptr;
    SetWordApplicationFactory([&] {
        auto application = std::make_unique<ModelApplication>(backend);
        word = application.get();
        return application;
    });

    GuardedProcedure procedure(Location::Form1_PushButton6_Click);
    DocumentGeneration generation(list, procedure);
    generation.setTemplateSource(&ReceiptTemplateBytes);
    Work work;
    const quint64 start = OdfText::walkedNodes.load();
    std::unique_ptr<OdfDocument> other;
    generation.setProgress([&](DocumentGeneration::Stage stage, int receipt, int) {
        if (stage == DocumentGeneration::Stage::Receipt && receipt == 1 && wholeCopies) {
            // The template's table is copied, and nothing filled yet.
            other = std::dynamic_pointer_cast<ModelDocument>(word->ActiveDocument())->model().clone();
            ModelTransfer::put(other->copyTable(other->table(0)));
        }
        if (stage != DocumentGeneration::Stage::Saving)
            return;
        work.nodes = OdfText::walkedNodes.load() - start;
        work.tables = word->ActiveDocument()->Tables()->Count();
        RequestRunCancel();
        if (!written)
            return;
        OdfDocument &model = std::dynamic_pointer_cast<ModelDocument>(word->ActiveDocument())->model();
        work.held = model.heldTables();
        work.written = model.serialize();
        // Walking the main text node by node makes every table of it whole.
        OdfText::forEachParagraph(model.text(), [](const pugi::xml_node &) {});
        work.writtenWhenRead = model.serialize();
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

namespace {
QByteArray cells(const QList<QByteArray> &paragraphs)
{
    QByteArray xml = "<table:table-row>";
    for (const QByteArray &cell : paragraphs)
        xml += "<table:table-cell office:value-type=\"string\">" + cell + "</table:table-cell>";
    return xml + "</table:table-row>";
}

// A receipt table as users make them: heading rows, a table inside a cell, a list, a note, a frame,
// spans that cut through placeholders, blanks written as counted runs, and a table of terms after it.
QByteArray userTemplate(bool inSection)
{
    const QByteArray head = "<office:automatic-styles><style:style style:name=\"Mine\" style:family=\"table\">"
                            "<style:table-properties style:width=\"5in\" table:align=\"left\"/></style:style>"
                            "<style:style style:name=\"Row\" style:family=\"table-row\"><style:table-row-properties"
                            " fo:keep-together=\"always\"/></style:style></office:automatic-styles>";
    const QByteArray table =
        "<table:table table:name=\"Receipt\" table:style-name=\"Mine\" xml:id=\"r1\">"
        "<table:table-column table:number-columns-repeated=\"2\"/><table:table-header-rows>"
        + cells({"<text:p>[No.]<text:s text:c=\"3\"/><text:span>[Rec</text:span>eipt]</text:p>",
                 "<text:p><text:tab/>[Date]</text:p>"})
        + "</table:table-header-rows>"
        + cells({"<table:table table:name=\"Inner\"><table:table-column/>"
                     + cells({"<text:p>[ToPayee]</text:p><text:p>[ToAddress]<text:line-break/>[ToCity]</text:p>"})
                     + "</table:table>",
                 "<text:list><text:list-item><text:p>[FromPayee], [FromAddress], [FromCity]</text:p>"
                 "</text:list-item></text:list>"})
        + "<table:table-row table:style-name=\"Row\">"
          "<table:table-cell><text:p>[Description]<text:note text:id=\"n1\"><text:note-citation>1"
          "</text:note-citation><text:note-body><text:p>[Amount] stays</text:p></text:note-body></text:note>"
          "</text:p></table:table-cell><table:table-cell><text:p><draw:frame draw:name=\"Stamp\""
          " text:anchor-type=\"as-char\" svg:width=\"1in\" svg:height=\"1in\"/>[Amount] + [Tax] = [SubTotal]"
          "</text:p><text:p>[Total]</text:p></table:table-cell></table:table-row></table:table>";
    const QByteArray terms = "<table:table table:name=\"Terms\"><table:table-column/>"
                             + cells({"<text:p>[Amount] within 30 days</text:p>"}) + "</table:table>";
    QByteArray body = "<text:p>Receipts</text:p>" + table + "<text:p>Thank you.</text:p>" + terms;
    if (inSection)
        body = "<text:section text:name=\"All\">" + body + "</text:section><text:p/>";
    return FlatOdf::document(body, head);
}

ReceiptRecord oddReceipt(int n)
{
    ReceiptRecord receipt = ExampleReceipt(n);
    if (n % 2 == 0) {
        receipt[ReceiptRecord::Description] = QStringLiteral("  Fish & <chips>\t[Amount] \"%1\"  ").arg(n);
        receipt[ReceiptRecord::ToPayee] = QStringLiteral("[ToAddress] [Total]");
        receipt[ReceiptRecord::ToCity] = QStringLiteral("Line one\nline two");
    }
    return receipt;
}
} // namespace

void TestGenerationWork::documentIsWrittenAsBuilt_data()
{
    QTest::addColumn<QByteArray>("templateXml");
    QTest::addColumn<int>("receipts");
    for (const int receipts : {1, 2, 1000}) {
        QTest::addRow("built-in, %d", receipts) << QByteArray() << receipts;
        QTest::addRow("user's, %d", receipts) << userTemplate(false) << receipts;
        QTest::addRow("user's in a section, %d", receipts) << userTemplate(true) << receipts;
    }
}

void TestGenerationWork::documentIsWrittenAsBuilt()
{
    // Pasted copies may be held in a form of their own until something reads them; the document handed
    // to the office is the same, byte for byte, as when every copy is made whole as it is pasted, and
    // as when they are made whole afterwards.
    QFETCH(QByteArray, templateXml);
    QFETCH(int, receipts);
    ReceiptList list;
    for (int i = 1; i <= receipts; ++i)
        list.append(oddReceipt(i));
    const Work work = build(list, templateXml, true);
    const Work whole = build(list, templateXml, true, true);
    QCOMPARE(whole.held, std::size_t(0));
    QVERIFY(work.written == whole.written);
    QCOMPARE(work.tables, receipts + (templateXml.isEmpty() ? 0 : 1));
    QCOMPARE(work.held, std::size_t(receipts - 1));
    QVERIFY(work.written.contains("Fish &amp; &lt;chips&gt;") == (receipts > 1));
    QVERIFY(work.written == work.writtenWhenRead);
}

PARVOLINE_TEST_MAIN(TestGenerationWork)
#include "tst_generationwork.moc"
