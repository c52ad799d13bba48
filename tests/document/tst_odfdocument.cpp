#include "FlatOdf.h"
#include "OdfDocument.h"
#include "OdfText.h"
#include "TestMain.h"

#include <QBuffer>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include <cstring>

namespace {
QStringList list(std::initializer_list<const char *> items)
{
    QStringList strings;
    for (const char *item : items)
        strings.append(QString::fromUtf8(item));
    return strings;
}

QList<QStringList> rows(std::initializer_list<std::initializer_list<const char *>> items)
{
    QList<QStringList> result;
    for (const auto &row : items)
        result.append(list(row));
    return result;
}

const QByteArray kNamespaceUris[] = {
    "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
    "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "urn:oasis:names:tc:opendocument:xmlns:text:1.0",
    "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0",
};

// The placeholders of the receipt template, in the order the program fills them.
const QStringList kPlaceholders =
    list({"[RECEIPT]", "[NO.]", "[FromPayee]", "[FromAddress]", "[FromCity]", "[ToPayee]", "[ToAddress]", "[ToCity]",
          "[Date]", "[Description]", "[Amount]", "[Tax]", "[SubTotal]", "[Total]"});

QByteArray templateSource()
{
    QFile file(QStringLiteral(RECEIPT_TEMPLATE_SOURCE));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray table(const QByteArray &name, const QByteArray &cellText, const QByteArray &style = {})
{
    const QByteArray styleAttribute = style.isEmpty() ? QByteArray() : " table:style-name=\"" + style + "\"";
    return "<table:table table:name=\"" + name + "\"" + styleAttribute
           + "><table:table-column/><table:table-row><table:table-cell><text:p>" + cellText
           + "</text:p></table:table-cell></table:table-row></table:table>";
}

QStringList tableNames(OdfDocument &document)
{
    QStringList names;
    for (int i = 0; i < document.tableCount(); ++i)
        names.append(document.tableName(document.table(i)));
    return names;
}

// The names of every table in the document, nested ones and ones in frames too.
QStringList allTableNames(const OdfDocument &document)
{
    QStringList names;
    for (const pugi::xpath_node &node : document.root().select_nodes("//table:table"))
        names.append(QString::fromUtf8(node.node().attribute("table:name").value()));
    return names;
}

QStringList paragraphTexts(const pugi::xml_node &scope)
{
    QStringList texts;
    OdfText::forEachParagraph(scope, [&](const pugi::xml_node &p) { texts.append(OdfText::read(p)); });
    return texts;
}

int paragraphIndex(const OdfDocument &document, const pugi::xml_node &paragraph)
{
    int index = -1;
    int i = 0;
    OdfText::forEachParagraph(document.text(), [&](const pugi::xml_node &p) {
        if (p == paragraph)
            index = i;
        ++i;
    });
    return index;
}

// A property of a style as it applies, through the styles it is based on.
QString effective(const OdfDocument &document, QString style, const char *family, const char *properties,
                  const char *name)
{
    for (int depth = 0; depth < 10 && !style.isEmpty(); ++depth) {
        const pugi::xml_node node = document.styleNamed(style, family);
        if (!node)
            return {};
        if (const pugi::xml_attribute value = node.child(properties).attribute(name))
            return QString::fromUtf8(value.value());
        style = QString::fromUtf8(node.attribute("style:parent-style-name").value());
    }
    return {};
}

QString styleOf(const pugi::xml_node &node, const char *attribute)
{
    return QString::fromUtf8(node.attribute(attribute).value());
}

// Makes room after the last paragraph and pastes there, as a run does between two receipts: to the end,
// two new paragraphs, paste into the second.
pugi::xml_node pasteAtTheEnd(OdfDocument &document, const OdfDocument::Fragment &fragment)
{
    const pugi::xml_node last = document.lastParagraph();
    const pugi::xml_node first = document.insertParagraphAfter(last, last);
    const pugi::xml_node second = document.insertParagraphAfter(first, first);
    return document.insertFragment(fragment, second.parent(), second);
}

QStringList receiptValues(int receipt)
{
    QStringList values;
    for (const QString &placeholder : kPlaceholders)
        values.append(QStringLiteral("%1 %2").arg(placeholder.mid(1, placeholder.size() - 2)).arg(receipt));
    if (receipt == 2) {
        // Values that look like placeholders, markup, blanks and breaks stay as they were typed.
        values[2] = QStringLiteral("[ToPayee] & <Sons>");
        values[3] = QStringLiteral("  two  blanks  ");
        values[4] = QStringLiteral("Line one\nLine two");
        values[9] = QStringLiteral("[Total]\t[total]");
        values[10] = QString();
    }
    return values;
}

// The cells of a filled receipt: every placeholder in the template's cells replaced at once.
QList<QStringList> expectedCells(const QList<QStringList> &templateCells, const QStringList &values)
{
    QStringList alternatives;
    for (const QString &placeholder : kPlaceholders)
        alternatives.append(QRegularExpression::escape(placeholder));
    const QRegularExpression any(alternatives.join(QLatin1Char('|')), QRegularExpression::CaseInsensitiveOption);
    QList<QStringList> cells = templateCells;
    for (QStringList &row : cells) {
        for (QString &cell : row) {
            QString filled;
            qsizetype at = 0;
            for (const QRegularExpressionMatch &match : any.globalMatch(cell)) {
                filled += cell.mid(at, match.capturedStart() - at);
                for (int k = 0; k < kPlaceholders.size(); ++k) {
                    if (match.captured().compare(kPlaceholders[k], Qt::CaseInsensitive) == 0)
                        filled += values[k];
                }
                at = match.capturedEnd();
            }
            cell = filled + cell.mid(at);
        }
    }
    return cells;
}

void fillReceipt(OdfDocument &document, const pugi::xml_node &table, const QStringList &values)
{
    for (int k = 0; k < kPlaceholders.size(); ++k)
        document.fill(table, kPlaceholders[k], values[k]);
}
} // namespace

class TestOdfDocument : public QObject
{
    Q_OBJECT

private slots:
    void parseRefuses_data();
    void parseRefuses();
    void serializeAndParseGiveTheSame_data();
    void serializeAndParseGiveTheSame();
    void tablesInDocumentOrder();
    void tableOutOfRange();
    void pasteKeepsTablesInOrder_data();
    void pasteKeepsTablesInOrder();
    void pasteOfSeveralTables();
    void pasteOfNothing();
    void pastedTablesHaveNamesOfTheirOwn();
    void fillIsLiteral();
    void fillIgnoresCase_data();
    void fillIgnoresCase();
    void fillAcrossSpans();
    void fillStaysInItsScope();
    void fillNeverJoinsValueAndText();
    void fillOfEmptyPlaceholder();
    void filledMarksTravel();
    void cloneIsIndependent();
    void indentationBetweenTableElementsIsDropped();
    void pastesIntoTheirOwnDocumentShareItsTexts();
    void splitParagraphKeepsFilledMarks();
    void alignment();
    void alignmentOfTablesWithoutOrWithCommonStyle();
    void releaseKeeps();
    void cellTexts();
    void lastParagraph_data();
    void lastParagraph();
    void firstParagraph();
    void textAreaHeight_data();
    void textAreaHeight();
    void inches_data();
    void inches();
    void estimatedHeight();
    void receiptRun();
    void receiptRunOfThousands();
};

void TestOdfDocument::parseRefuses_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray good = FlatOdf::document(QByteArrayLiteral("<text:p>x</text:p>"));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not XML") << QByteArrayLiteral("this is no document");
    QTest::newRow("cut short") << good.left(good.size() - 20);
    QTest::newRow("two roots") << good + good;
    QTest::newRow("wrong root element") << QByteArray(good)
                                               .replace("office:document ", "office:document-content ")
                                               .replace("</office:document>", "</office:document-content>");
    QTest::newRow("HTML") << QByteArrayLiteral("<html><body><p>x</p></body></html>");
    QTest::newRow("a spreadsheet") << QByteArray(good).replace("office:text>", "office:spreadsheet>");
    for (const QByteArray &uri : kNamespaceUris) {
        const QByteArray prefix = uri.mid(uri.lastIndexOf("xmlns:") + 6).split(':').first();
        QTest::newRow(("namespace bound elsewhere: " + prefix).constData())
            << QByteArray(good).replace("\"" + uri + "\"", "\"urn:example:" + prefix + "\"");
        QTest::newRow(("namespace missing: " + prefix).constData())
            << QByteArray(good).replace("=\"" + uri + "\"", "x=\"" + uri + "\"");
    }
}

void TestOdfDocument::parseRefuses()
{
    QFETCH(QByteArray, bytes);
    QVERIFY_THROWS_EXCEPTION(OdfDocument::Error, OdfDocument::parse(bytes));
}

void TestOdfDocument::serializeAndParseGiveTheSame_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::newRow("receipt template") << templateSource();
    QTest::newRow("small document") << FlatOdf::document(
        QByteArrayLiteral("<text:p>a<text:s text:c=\"3\"/>&amp;<text:tab/>b<text:line-break/>&lt;c&gt;</text:p>")
        + table("T", "cell"));
}

void TestOdfDocument::serializeAndParseGiveTheSame()
{
    QFETCH(QByteArray, source);
    QVERIFY(!source.isEmpty());
    const auto document = OdfDocument::parse(source);
    const QByteArray written = document->serialize();
    const auto reread = OdfDocument::parse(written);
    QCOMPARE(reread->outline(), document->outline());
    QCOMPARE(reread->tableCount(), document->tableCount());
    for (int i = 0; i < document->tableCount(); ++i)
        QCOMPARE(reread->cellTexts(reread->table(i)), document->cellTexts(document->table(i)));
    QCOMPARE(reread->serialize(), written);

    // Written out as it goes, for the office to read from a file: the same bytes, and a write that
    // fails is told.
    QBuffer streamed;
    QVERIFY(streamed.open(QIODevice::WriteOnly));
    QVERIFY(document->serialize(streamed));
    QCOMPARE(streamed.data(), written);
    QFile full(QStringLiteral("/dev/full"));
    if (full.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        QVERIFY(!document->serialize(full));
}

void TestOdfDocument::tablesInDocumentOrder()
{
    const auto document = OdfDocument::parse(
        FlatOdf::document("<text:p>x</text:p>" + table("A", "a") + "<text:section text:name=\"S\">" + table("B", "b")
                          + "</text:section>"
                            "<table:table table:name=\"C\"><table:table-row><table:table-cell>"
                          + table("Inner", "i")
                          + "</table:table-cell></table:table-row></table:table>"
                            "<text:p><draw:frame><draw:text-box>"
                          + table("InFrame", "f") + "</draw:text-box></draw:frame></text:p>" + table("D", "d")));
    QCOMPARE(tableNames(*document), list({"A", "B", "C", "D"}));
    QCOMPARE(document->outline(), list({"x", "<table>", "<table>", "", "<table>"}));
}

void TestOdfDocument::tableOutOfRange()
{
    const auto document = OdfDocument::parse(FlatOdf::document(table("A", "a")));
    QVERIFY(document->table(0));
    QVERIFY(!document->table(-1));
    QVERIFY(!document->table(1));
}

void TestOdfDocument::pasteKeepsTablesInOrder_data()
{
    QTest::addColumn<QStringList>("places");

    // Where each paste goes: "end" (after the last paragraph, as a run pastes), "start", "between",
    // "section" (into the section in the middle), "cell" (into the first table's cell: a nested table).
    QTest::newRow("always at the end") << list({"end", "end", "end", "end"});
    QTest::newRow("at the start after the end") << list({"end", "start", "end"});
    QTest::newRow("between") << list({"between", "end", "between", "end"});
    QTest::newRow("into a section") << list({"end", "section", "end"});
    QTest::newRow("into a cell") << list({"end", "cell", "end", "cell"});
}

void TestOdfDocument::pasteKeepsTablesInOrder()
{
    QFETCH(QStringList, places);

    const auto document = OdfDocument::parse(FlatOdf::document(
        "<text:p>0</text:p>" + table("A", "a") + "<text:p>1</text:p><text:section text:name=\"S\"><text:p>s</text:p>"
        + table("B", "b") + "</text:section><text:p>2</text:p>" + table("C", "c") + "<text:p>3</text:p>"));
    const auto source = OdfDocument::parse(FlatOdf::document(table("Copied", "copy")));
    const auto fragment = source->copyTable(source->table(0));

    QCOMPARE(document->tableCount(), 3); // the index is made before the pastes
    for (const QString &place : places) {
        if (place == QLatin1String("end")) {
            pasteAtTheEnd(*document, *fragment);
        } else if (place == QLatin1String("start")) {
            const pugi::xml_node first = document->firstParagraph();
            document->insertFragment(*fragment, first.parent(), first);
        } else if (place == QLatin1String("between")) {
            const pugi::xml_node a = document->table(0);
            document->insertFragment(*fragment, a.parent(), a.next_sibling());
        } else if (place == QLatin1String("section")) {
            const pugi::xml_node section = document->text().child("text:section");
            document->insertFragment(*fragment, section, section.first_child());
        } else {
            const pugi::xml_node cell = document->table(0).child("table:table-row").child("table:table-cell");
            document->insertFragment(*fragment, cell, cell.first_child());
        }
        // The tables as a fresh reading of the document finds them.
        const auto reread = OdfDocument::parse(document->serialize());
        QCOMPARE(tableNames(*document), tableNames(*reread));
        for (int i = 0; i < document->tableCount(); ++i)
            QCOMPARE(document->table(i).parent().path(), reread->table(i).parent().path());
    }
}

void TestOdfDocument::pasteOfSeveralTables()
{
    const auto document = OdfDocument::parse(FlatOdf::document("<text:p/>" + table("A", "a") + "<text:p/>"));
    QCOMPARE(document->tableCount(), 1);
    OdfDocument::Fragment fragment;
    const auto source = OdfDocument::parse(FlatOdf::document(table("X", "x") + table("Y", "y")));
    fragment.xml.append_copy(source->table(0));
    fragment.xml.append_copy(source->table(1));

    pasteAtTheEnd(*document, fragment);
    QCOMPARE(document->tableCount(), 3);
    QCOMPARE(document->cellTexts(document->table(1)), rows({{"x"}}));
    QCOMPARE(document->cellTexts(document->table(2)), rows({{"y"}}));
    const auto reread = OdfDocument::parse(document->serialize());
    QCOMPARE(tableNames(*document), tableNames(*reread));
}

void TestOdfDocument::pasteOfNothing()
{
    const auto document = OdfDocument::parse(FlatOdf::document("<text:p/>"));
    const OdfDocument::Fragment empty;
    QVERIFY_THROWS_EXCEPTION(OdfDocument::Error, document->insertFragment(empty, document->text(), {}));
}

void TestOdfDocument::pastedTablesHaveNamesOfTheirOwn()
{
    // The office names pasted tables Table1, Table2 ...; here those names are already taken, also by
    // tables that are no receipt: nested in a cell or in a frame.
    const auto document = OdfDocument::parse(FlatOdf::document(
        "<table:table table:name=\"Table1\"><table:table-row><table:table-cell>" + table("Table2", "nested")
        + "</table:table-cell></table:table-row></table:table>"
          "<text:p><draw:frame><draw:text-box>"
        + table("Table3", "framed") + "</draw:text-box></draw:frame></text:p>" + table("Table5", "e")));
    const auto source = OdfDocument::parse(
        FlatOdf::document("<table:table table:name=\"Table1\"><table:table-row><table:table-cell>"
                          + table("Table4", "inner") + "</table:table-cell></table:table-row></table:table>"));
    const auto fragment = source->copyTable(source->table(0));
    for (int i = 0; i < 4; ++i)
        pasteAtTheEnd(*document, *fragment);

    const QStringList names = allTableNames(*document);
    QCOMPARE(names.size(), 4 + 4 * 2);
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    for (const QString &name : names)
        QVERIFY(!name.isEmpty());
    // Also a copy of a document keeps them apart.
    const auto copy = document->clone();
    pasteAtTheEnd(*copy, *fragment);
    const QStringList copyNames = allTableNames(*copy);
    QCOMPARE(QSet<QString>(copyNames.begin(), copyNames.end()).size(), copyNames.size());
}

void TestOdfDocument::fillIsLiteral()
{
    const auto document = OdfDocument::parse(FlatOdf::document("<text:p>[A] [B] [A]</text:p><text:p>[B]</text:p>"));
    // A value that reads like a placeholder, or like the placeholder itself, stays as it is.
    QCOMPARE(document->fill(document->text(), QStringLiteral("[A]"), QStringLiteral("<[B]&[A]>")), 2);
    QCOMPARE(document->fill(document->text(), QStringLiteral("[B]"), QStringLiteral("b")), 2);
    QCOMPARE(document->fill(document->text(), QStringLiteral("[A]"), QStringLiteral("again")), 0);
    QCOMPARE(paragraphTexts(document->text()), list({"<[B]&[A]> b <[B]&[A]>", "b"}));
    const auto reread = OdfDocument::parse(document->serialize());
    QCOMPARE(paragraphTexts(reread->text()), list({"<[B]&[A]> b <[B]&[A]>", "b"}));
}

void TestOdfDocument::fillIgnoresCase_data()
{
    QTest::addColumn<QString>("placeholder");
    QTest::newRow("as written") << QStringLiteral("[Receipt]");
    QTest::newRow("upper case") << QStringLiteral("[RECEIPT]");
    QTest::newRow("lower case") << QStringLiteral("[receipt]");
}

void TestOdfDocument::fillIgnoresCase()
{
    QFETCH(QString, placeholder);
    const auto document =
        OdfDocument::parse(FlatOdf::document("<text:p>[Receipt] [RECEIPT] [rEcEiPt] [Receipts [Receip]</text:p>"));
    QCOMPARE(document->fill(document->text(), placeholder, QStringLiteral("r")), 3);
    QCOMPARE(OdfText::read(document->firstParagraph()), QStringLiteral("r r r [Receipts [Receip]"));
}

void TestOdfDocument::fillAcrossSpans()
{
    const auto document = OdfDocument::parse(FlatOdf::document(
        "<text:p><text:span text:style-name=\"S\">Total: [To</text:span><text:span text:style-name=\"T\">"
        "tal]</text:span> and [<text:s/>Total]</text:p>"));
    QCOMPARE(document->fill(document->text(), QStringLiteral("[Total]"), QStringLiteral("12.50")), 1);
    const pugi::xml_node paragraph = document->firstParagraph();
    QCOMPARE(OdfText::read(paragraph), QStringLiteral("Total: 12.50 and [ Total]"));
    // The value has the look of the placeholder's first character.
    QCOMPARE(OdfText::read(paragraph.first_child()), QStringLiteral("Total: 12.50"));
}

void TestOdfDocument::fillStaysInItsScope()
{
    const auto document = OdfDocument::parse(
        FlatOdf::document("<text:p>[X]</text:p>" + table("A", "[X] [x]") + table("B", "[X]") + "<text:p>[X]</text:p>"));
    QCOMPARE(document->fill(document->table(0), QStringLiteral("[X]"), QStringLiteral("a")), 2);
    QCOMPARE(paragraphTexts(document->text()), list({"[X]", "a a", "[X]", "[X]"}));
}

void TestOdfDocument::fillNeverJoinsValueAndText()
{
    // A value ending like the start of a placeholder and the text after it are no placeholder together.
    const auto document = OdfDocument::parse(FlatOdf::document("<text:p>[A]tal] [Total]</text:p>"));
    QCOMPARE(document->fill(document->text(), QStringLiteral("[A]"), QStringLiteral("[To")), 1);
    QCOMPARE(document->fill(document->text(), QStringLiteral("[Total]"), QStringLiteral("9")), 1);
    QCOMPARE(OdfText::read(document->firstParagraph()), QStringLiteral("[Total] 9"));
}

void TestOdfDocument::fillOfEmptyPlaceholder()
{
    const auto document = OdfDocument::parse(FlatOdf::document("<text:p>x</text:p>"));
    QVERIFY_THROWS_EXCEPTION(OdfDocument::Error, document->fill(document->text(), QString(), QStringLiteral("v")));
}

void TestOdfDocument::filledMarksTravel()
{
    // A table copied after its fill, pasted, keeps its values as values.
    const auto document = OdfDocument::parse(FlatOdf::document("<text:p/>" + table("A", "[A] [B]") + "<text:p/>"));
    document->fill(document->table(0), QStringLiteral("[A]"), QStringLiteral("[B]"));
    const auto fragment = document->copyTable(document->table(0));
    pasteAtTheEnd(*document, *fragment);
    QCOMPARE(document->fill(document->table(1), QStringLiteral("[B]"), QStringLiteral("b")), 1);
    QCOMPARE(document->cellTexts(document->table(1)), rows({{"[B] b"}}));

    // Pasted into another document too.
    const auto other = OdfDocument::parse(FlatOdf::document("<text:p/>"));
    pasteAtTheEnd(*other, *fragment);
    QCOMPARE(other->fill(other->text(), QStringLiteral("[B]"), QStringLiteral("b")), 1);
    QCOMPARE(other->cellTexts(other->table(0)), rows({{"[B] b"}}));
}

void TestOdfDocument::cloneIsIndependent()
{
    const auto document = OdfDocument::parse(FlatOdf::document("<text:p>[A] [B]</text:p>" + table("A", "t")));
    document->fill(document->text(), QStringLiteral("[A]"), QStringLiteral("[B]"));
    const QByteArray before = document->serialize();

    const auto copy = document->clone();
    QCOMPARE(copy->serialize(), before);
    // The copy knows which of its text was filled.
    QCOMPARE(copy->fill(copy->text(), QStringLiteral("[B]"), QStringLiteral("b")), 1);
    QCOMPARE(OdfText::read(copy->firstParagraph()), QStringLiteral("[B] b"));
    const auto fragment = copy->copyTable(copy->table(0));
    pasteAtTheEnd(*copy, *fragment);
    copy->setTableAlignment(copy->table(1), QStringLiteral("right"));
    QCOMPARE(copy->tableCount(), 2);

    QCOMPARE(document->serialize(), before);
    QCOMPARE(document->tableCount(), 1);
}

void TestOdfDocument::indentationBetweenTableElementsIsDropped()
{
    const auto document = OdfDocument::parse(FlatOdf::document(
        "\n  <text:p>a <text:span>b</text:span> <text:span>c</text:span></text:p>\n  <table:table "
        "table:name=\"T\">\n   <table:table-column/>\n   <table:table-row>\n    <table:table-cell>\n     "
        "<text:p> x </text:p>\n    </table:table-cell>\n   </table:table-row>\n  </table:table>\n"));
    const QByteArray xml = document->serialize();
    QVERIFY2(xml.contains("<table:table table:name=\"T\"><table:table-column/><table:table-row><table:table-cell>"
                          "<text:p> x </text:p></table:table-cell></table:table-row></table:table>"),
             xml.constData());
    // Blanks in a paragraph are its text, also between two spans.
    QCOMPARE(OdfText::read(document->firstParagraph()), QStringLiteral("a b c"));
    QCOMPARE(document->cellTexts(document->table(0)), rows({{" x "}}));
}

void TestOdfDocument::pastesIntoTheirOwnDocumentShareItsTexts()
{
    const auto document = OdfDocument::parse(FlatOdf::document("<text:p/>" + table("A", "[A] [B]") + "<text:p/>"));
    const auto fragment = document->copyTable(document->table(0));
    // What is filled after the copy was taken is not on the clipboard.
    document->fill(document->table(0), QStringLiteral("[A]"), QStringLiteral("first"));
    for (int i = 0; i < 3; ++i)
        pasteAtTheEnd(*document, *fragment);
    QCOMPARE(document->tableCount(), 4);
    // The pasted copies are held as the copy they came from: none of their rows is made yet.
    QCOMPARE(document->heldTables(), std::size_t(3));
    QVERIFY(!document->table(2).first_child());

    // A text the copies share is never changed for all of them.
    QCOMPARE(document->fill(document->table(2), QStringLiteral("[B]"), QStringLiteral("third")), 1);
    QCOMPARE(document->cellTexts(document->table(0)), rows({{"first [B]"}}));
    QCOMPARE(document->cellTexts(document->table(1)), rows({{"[A] [B]"}}));
    QCOMPARE(document->cellTexts(document->table(2)), rows({{"[A] third"}}));
    QCOMPARE(document->cellTexts(document->table(3)), rows({{"[A] [B]"}}));
    pasteAtTheEnd(*document, *fragment);
    QCOMPARE(document->cellTexts(document->table(4)), rows({{"[A] [B]"}}));

    // The clipboard's own copy is no part of the document, nor of its clone.
    const QByteArray xml = document->serialize();
    QVERIFY(xml.startsWith("<?xml version=\"1.0\"?><office:document"));
    QVERIFY(!xml.contains("kept-copies"));
    // A clone holds no kept copies to hold its tables by: they are whole in it, and write the same.
    QCOMPARE(document->clone()->serialize(), xml);
    const auto reread = OdfDocument::parse(xml);
    QCOMPARE(reread->serialize(), xml);
    QCOMPARE(allTableNames(*reread).size(), 5);

    // Walked node by node, they are made whole, holding the very text the document was read with.
    QVERIFY(document->text());
    QCOMPARE(document->heldTables(), std::size_t(0));
    QCOMPARE(static_cast<const void *>(document->table(2).child("table:table-column").name()),
             static_cast<const void *>(document->table(0).child("table:table-column").name()));
    QCOMPARE(document->serialize(), xml);
}

void TestOdfDocument::splitParagraphKeepsFilledMarks()
{
    const auto document = OdfDocument::parse(FlatOdf::document("<text:p>x[A]y[B]</text:p>"));
    document->fill(document->text(), QStringLiteral("[A]"), QStringLiteral("[B][B]"));
    const pugi::xml_node second = document->splitParagraph(document->firstParagraph(), 4);
    QCOMPARE(paragraphTexts(document->text()), list({"x[B]", "[B]y[B]"}));
    QCOMPARE(document->fill(document->text(), QStringLiteral("[B]"), QStringLiteral("b")), 1);
    QCOMPARE(paragraphTexts(document->text()), list({"x[B]", "[B]yb"}));
    QCOMPARE(paragraphIndex(*document, second), 1);
}

void TestOdfDocument::alignment()
{
    const QByteArray styles = "<office:automatic-styles><style:style style:name=\"T\" style:family=\"table\">"
                              "<style:table-properties style:width=\"5in\"/></style:style></office:automatic-styles>";
    const auto document = OdfDocument::parse(FlatOdf::document(
        table("A", "a", "T") + "<text:p/>" + table("B", "b", "T") + "<text:p/>" + table("C", "c", "T"), styles));
    const auto alignments = [](OdfDocument &model) {
        QStringList result;
        for (int i = 0; i < model.tableCount(); ++i)
            result.append(model.tableAlignment(model.table(i)));
        return result;
    };
    QCOMPARE(alignments(*document), list({"left", "left", "left"}));

    document->setTableAlignment(document->table(0), QStringLiteral("center"));
    QCOMPARE(alignments(*document), list({"center", "left", "left"}));
    document->setTableAlignment(document->table(1), QStringLiteral("center"));
    QCOMPARE(alignments(*document), list({"center", "center", "left"}));
    document->setTableAlignment(document->table(0), QStringLiteral("right"));
    QCOMPARE(alignments(*document), list({"right", "center", "left"}));
    document->setTableAlignment(document->table(1), QStringLiteral("left"));
    QCOMPARE(alignments(*document), list({"right", "left", "left"}));

    // The shared style itself is as it was; every table keeps its width.
    const pugi::xml_node shared = document->styleNamed(QStringLiteral("T"), "table");
    QVERIFY(!shared.child("style:table-properties").attribute("table:align"));
    for (int i = 0; i < document->tableCount(); ++i)
        QCOMPARE(effective(*document, styleOf(document->table(i), "table:style-name"), "table",
                           "style:table-properties", "style:width"),
                 QStringLiteral("5in"));

    const auto reread = OdfDocument::parse(document->serialize());
    QCOMPARE(alignments(*reread), list({"right", "left", "left"}));
    QStringList names;
    for (const pugi::xpath_node &style : reread->root().select_nodes("//style:style"))
        names.append(QString::fromUtf8(style.node().attribute("style:name").value()));
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
}

void TestOdfDocument::alignmentOfTablesWithoutOrWithCommonStyle()
{
    const QByteArray styles = "<office:styles><style:style style:name=\"Common\" style:family=\"table\">"
                              "<style:table-properties style:width=\"4in\" table:align=\"right\"/></style:style>"
                              "</office:styles>";
    const auto document = OdfDocument::parse(FlatOdf::document(
        table("A", "a") + "<text:p/>" + table("B", "b", "Common") + "<text:p/>" + table("C", "c", "Common"), styles));
    QCOMPARE(document->tableAlignment(document->table(0)), QStringLiteral("left"));
    QCOMPARE(document->tableAlignment(document->table(1)), QStringLiteral("right"));

    document->setTableAlignment(document->table(0), QStringLiteral("center"));
    document->setTableAlignment(document->table(1), QStringLiteral("center"));
    const auto reread = OdfDocument::parse(document->serialize());
    QCOMPARE(reread->tableAlignment(reread->table(0)), QStringLiteral("center"));
    QCOMPARE(reread->tableAlignment(reread->table(1)), QStringLiteral("center"));
    QCOMPARE(reread->tableAlignment(reread->table(2)), QStringLiteral("right"));
    // A table without a width spans the margins, where alignment would mean nothing: it gets one.
    const QString style = styleOf(reread->table(0), "table:style-name");
    QVERIFY(!effective(*reread, style, "table", "style:table-properties", "style:rel-width").isEmpty()
            || !effective(*reread, style, "table", "style:table-properties", "style:width").isEmpty());
    QCOMPARE(effective(*reread, styleOf(reread->table(1), "table:style-name"), "table", "style:table-properties",
                       "style:width"),
             QStringLiteral("4in"));
}

void TestOdfDocument::releaseKeeps()
{
    const QByteArray styles =
        "<office:styles><style:style style:name=\"Keep\" style:family=\"paragraph\">"
        "<style:paragraph-properties fo:keep-with-next=\"always\"/></style:style></office:styles>"
        "<office:automatic-styles>"
        "<style:style style:name=\"T\" style:family=\"table\"><style:table-properties style:width=\"6in\" "
        "table:align=\"center\" style:may-break-between-rows=\"false\"/></style:style>"
        "<style:style style:name=\"R\" style:family=\"table-row\"><style:table-row-properties "
        "fo:keep-together=\"always\"/></style:style>"
        "<style:style style:name=\"P1\" style:family=\"paragraph\" style:parent-style-name=\"Keep\">"
        "<style:text-properties fo:font-weight=\"bold\"/></style:style>"
        "</office:automatic-styles>";
    const QByteArray receipt = "<table:table table:name=\"%1\" table:style-name=\"T\"><table:table-column/>"
                               "<table:table-row table:style-name=\"R\"><table:table-cell>"
                               "<text:p text:style-name=\"Keep\">k</text:p><text:p text:style-name=\"P1\">b</text:p>"
                               "</table:table-cell></table:table-row>"
                               "<table:table-row table:style-name=\"R\"><table:table-cell>"
                               "<text:p text:style-name=\"P1\">c</text:p></table:table-cell></table:table-row>"
                               "</table:table>";
    const auto document = OdfDocument::parse(
        FlatOdf::document(QByteArray(receipt).replace("%1", "Tall") + "<text:p text:style-name=\"Keep\"/>"
                              + QByteArray(receipt).replace("%1", "Short") + "<text:p text:style-name=\"P1\"/>",
                          styles));

    document->releaseKeeps(document->table(0));
    const auto reread = OdfDocument::parse(document->serialize());
    for (OdfDocument *model : {document.get(), reread.get()}) {
        const auto check = [&](int index, const QString &mayBreak, const QString &keepTogether,
                               const QString &keepWithNext) {
            const pugi::xml_node table = model->table(index);
            QCOMPARE(effective(*model, styleOf(table, "table:style-name"), "table", "style:table-properties",
                               "style:may-break-between-rows"),
                     mayBreak);
            // What else the styles say stays.
            QCOMPARE(
                effective(*model, styleOf(table, "table:style-name"), "table", "style:table-properties", "table:align"),
                QStringLiteral("center"));
            for (const pugi::xpath_node &row : table.select_nodes("table:table-row"))
                QCOMPARE(effective(*model, styleOf(row.node(), "table:style-name"), "table-row",
                                   "style:table-row-properties", "fo:keep-together"),
                         keepTogether);
            OdfText::forEachParagraph(table, [&](const pugi::xml_node &p) {
                QCOMPARE(effective(*model, styleOf(p, "text:style-name"), "paragraph", "style:paragraph-properties",
                                   "fo:keep-with-next"),
                         keepWithNext);
            });
            QCOMPARE(effective(*model, styleOf(table.select_node(".//text:p[2]").node(), "text:style-name"),
                               "paragraph", "style:text-properties", "fo:font-weight"),
                     QStringLiteral("bold"));
        };
        check(0, QStringLiteral("true"), QStringLiteral("auto"), QStringLiteral("auto"));
        if (QTest::currentTestFailed())
            return;
        // The other table and the paragraphs outside keep what they had.
        check(1, QStringLiteral("false"), QStringLiteral("always"), QStringLiteral("always"));
        if (QTest::currentTestFailed())
            return;
        for (const pugi::xml_node &p : {model->text().child("text:p"), model->text().last_child()})
            QCOMPARE(effective(*model, styleOf(p, "text:style-name"), "paragraph", "style:paragraph-properties",
                               "fo:keep-with-next"),
                     QStringLiteral("always"));
    }
}

void TestOdfDocument::cellTexts()
{
    const auto document = OdfDocument::parse(FlatOdf::document(QByteArrayLiteral(
        "<table:table table:name=\"H\"><table:table-column table:number-columns-repeated=\"2\"/>"
        "<table:table-header-rows><table:table-row><table:table-cell><text:p>head</text:p></table:table-cell>"
        "<table:table-cell><text:p>h2</text:p></table:table-cell></table:table-row></table:table-header-rows>"
        "<table:table-row><table:table-cell table:number-columns-spanned=\"2\"><text:p>one</text:p>"
        "<text:p>two<text:line-break/>lines</text:p></table:table-cell><table:covered-table-cell/></table:table-row>"
        "<table:table-row><table:table-cell><text:p/></table:table-cell><table:table-cell><text:p>b</text:p>"
        "</table:table-cell></table:table-row></table:table>"
        "<table:table table:name=\"G\"><table:table-column/><table:table-rows><table:table-row><table:table-cell>"
        "<text:p>r1</text:p></table:table-cell></table:table-row><table:table-row><table:table-cell><text:p>r2</text:p>"
        "</table:table-cell></table:table-row></table:table-rows></table:table>"
        "<table:table table:name=\"R\"><table:table-column/><table:table-row-group><table:table-row><table:table-cell>"
        "<text:p>g1</text:p></table:table-cell></table:table-row></table:table-row-group><table:table-row>"
        "<table:table-cell><text:p>g2</text:p></table:table-cell></table:table-row></table:table>")));
    QCOMPARE(document->cellTexts(document->table(0)), rows({{"head", "h2"}, {"one\ntwo\nlines"}, {"", "b"}}));
    QCOMPARE(document->cellTexts(document->table(1)), rows({{"r1"}, {"r2"}}));
    QCOMPARE(document->cellTexts(document->table(2)), rows({{"g1"}, {"g2"}}));
}

void TestOdfDocument::lastParagraph_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("outline");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("style");

    QTest::newRow("a paragraph") << QByteArrayLiteral("<text:p>a</text:p>"
                                                      "<text:p text:style-name=\"E\">end</text:p>\n  ")
                                 << list({"a", "end"}) << QStringLiteral("end") << QStringLiteral("E");
    QTest::newRow("a table") << QByteArrayLiteral("<text:p text:style-name=\"A\">a</text:p>\n  ") + table("T", "t")
                                    + QByteArrayLiteral("\n")
                             << list({"a", "<table>", ""}) << QString() << QStringLiteral("A");
    QTest::newRow("a table only") << table("T", "t") << list({"<table>", ""}) << QString() << QString();
    QTest::newRow("nothing") << QByteArray() << list({""}) << QString() << QString();
}

void TestOdfDocument::lastParagraph()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, outline);
    QFETCH(QString, text);
    QFETCH(QString, style);

    const auto document = OdfDocument::parse(FlatOdf::document(body));
    const pugi::xml_node last = document->lastParagraph();
    QCOMPARE(document->outline(), outline);
    QCOMPARE(OdfText::read(last), text);
    QCOMPARE(styleOf(last, "text:style-name"), style);
    QCOMPARE(document->lastParagraph(), last);
}

void TestOdfDocument::firstParagraph()
{
    const auto empty = OdfDocument::parse(FlatOdf::document(QByteArray()));
    const pugi::xml_node made = empty->firstParagraph();
    QVERIFY(made);
    QCOMPARE(empty->outline(), list({""}));
    QCOMPARE(empty->firstParagraph(), made);

    const auto inTable = OdfDocument::parse(FlatOdf::document(table("T", "cell") + "<text:p>after</text:p>"));
    QCOMPARE(OdfText::read(inTable->firstParagraph()), QStringLiteral("cell"));
}

void TestOdfDocument::textAreaHeight_data()
{
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<double>("height");

    const auto layout = [](const QByteArray &height, const QByteArray &top, const QByteArray &bottom) {
        return "<office:automatic-styles><style:page-layout style:name=\"Other\"><style:page-layout-properties "
               "fo:page-height=\"2in\"/></style:page-layout><style:page-layout style:name=\"L\">"
               "<style:page-layout-properties fo:page-width=\"8.5in\" fo:page-height=\""
               + height + "\" fo:margin-top=\"" + top + "\" fo:margin-bottom=\"" + bottom
               + "\"/></style:page-layout></office:automatic-styles><office:master-styles><style:master-page "
                 "style:name=\"Standard\" style:page-layout-name=\"L\"/></office:master-styles>";
    };
    QTest::newRow("inches") << layout("11in", "1in", "1in") << 9.0;
    QTest::newRow("centimetres") << layout("29.7cm", "2cm", "2.54cm") << (29.7 - 2 - 2.54) / 2.54;
    QTest::newRow("millimetres and points") << layout("297mm", "72pt", "36pt") << 297 / 25.4 - 1.5;
    QTest::newRow("margins larger than the page") << layout("5in", "3in", "3in") << 9.0;
    QTest::newRow("no master page") << QByteArray() << 9.0;
    QTest::newRow("master page without its layout")
        << QByteArrayLiteral("<office:master-styles><style:master-page style:name=\"Standard\" "
                             "style:page-layout-name=\"Missing\"/></office:master-styles>")
        << 9.0;
    QTest::newRow("receipt template") << QByteArray("template") << 9.0;
}

void TestOdfDocument::textAreaHeight()
{
    QFETCH(QByteArray, head);
    QFETCH(double, height);
    const auto document =
        OdfDocument::parse(head == "template" ? templateSource() : FlatOdf::document("<text:p/>", head));
    QVERIFY(qAbs(document->textAreaHeight() - height) < 1e-9);
}

void TestOdfDocument::inches_data()
{
    QTest::addColumn<QString>("length");
    QTest::addColumn<double>("inches");

    QTest::newRow("in") << "1.25in" << 1.25;
    QTest::newRow("cm") << "2.54cm" << 1.0;
    QTest::newRow("mm") << "25.4mm" << 1.0;
    QTest::newRow("pt") << "72pt" << 1.0;
    QTest::newRow("pc") << "6pc" << 1.0;
    QTest::newRow("px") << "96px" << 1.0;
    QTest::newRow("blanks around") << " 0.5in " << 0.5;
    QTest::newRow("negative") << "-1in" << -1.0;
    QTest::newRow("no number") << "in" << 0.0;
    QTest::newRow("no unit") << "1.5" << 0.0;
    QTest::newRow("unknown unit") << "3em" << 0.0;
    QTest::newRow("percent") << "100%" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("words") << "thin" << 0.0;
}

void TestOdfDocument::inches()
{
    QFETCH(QString, length);
    QFETCH(double, inches);
    QVERIFY2(qAbs(OdfDocument::inches(length) - inches) < 1e-9,
             qPrintable(QString::number(OdfDocument::inches(length))));
}

void TestOdfDocument::estimatedHeight()
{
    const QByteArray source = templateSource();
    const auto document = OdfDocument::parse(source);
    const double page = document->textAreaHeight();
    const double receipt = document->estimatedHeight(document->table(0));
    QVERIFY2(receipt > 0.5 && receipt < page, qPrintable(QString::number(receipt)));

    // A long description makes it taller than a page; line breaks count as lines.
    const auto tall = document->clone();
    tall->fill(tall->table(0), QStringLiteral("[Description]"), QString(3000, QLatin1Char('x')));
    QVERIFY(tall->estimatedHeight(tall->table(0)) > page);
    const auto lines = document->clone();
    lines->fill(lines->table(0), QStringLiteral("[Description]"), QStringLiteral("a\nb\nc\nd\ne\nf\ng\nh\ni\nj"));
    const auto words = document->clone();
    words->fill(words->table(0), QStringLiteral("[Description]"), QStringLiteral("abcdefghij"));
    QVERIFY(lines->estimatedHeight(lines->table(0)) > words->estimatedHeight(words->table(0)));
}

void TestOdfDocument::receiptRun()
{
    const auto document = OdfDocument::parse(templateSource());
    QCOMPARE(document->tableCount(), 1);
    const QList<QStringList> templateCells = document->cellTexts(document->table(0));
    // The template holds every placeholder.
    const QString allCells = [&] {
        QStringList cells;
        for (const QStringList &row : templateCells)
            cells += row;
        return cells.join(QLatin1Char('|'));
    }();
    for (const QString &placeholder : kPlaceholders)
        QVERIFY2(allCells.contains(placeholder, Qt::CaseInsensitive), qPrintable(placeholder));

    constexpr int kReceipts = 3;
    const auto fragment = document->copyTable(document->table(0));
    for (int receipt = 1; receipt <= kReceipts; ++receipt) {
        fillReceipt(*document, document->table(receipt - 1), receiptValues(receipt));
        if (receipt < kReceipts) {
            pasteAtTheEnd(*document, *fragment);
            document->setTableAlignment(document->table(receipt), QStringLiteral("center"));
        }
    }
    for (int i = 0; i < document->tableCount(); ++i)
        document->setTableAlignment(document->table(i), QStringLiteral("center"));

    const auto reread = OdfDocument::parse(document->serialize());
    for (OdfDocument *model : {document.get(), reread.get()}) {
        OdfDocument &m = *model;
        QCOMPARE(m.outline(), list({"", "", "<table>", "", "", "<table>", "", "", "<table>", ""}));
        QCOMPARE(m.tableCount(), kReceipts);
        QStringList names;
        for (int i = 0; i < kReceipts; ++i) {
            QCOMPARE(m.cellTexts(m.table(i)), expectedCells(templateCells, receiptValues(i + 1)));
            QCOMPARE(m.tableAlignment(m.table(i)), QStringLiteral("center"));
            names.append(m.tableName(m.table(i)));
        }
        QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), kReceipts);
    }
    QCOMPARE(reread->serialize(), document->serialize());
}

void TestOdfDocument::receiptRunOfThousands()
{
    // Every step of a run costs the same at the last receipt as at the first; a step that grows with
    // the document makes this take hours instead of seconds.
    const auto document = OdfDocument::parse(templateSource());
    const auto fragment = document->copyTable(document->table(0));
    constexpr int kReceipts = 3000;
    for (int receipt = 1; receipt <= kReceipts; ++receipt) {
        const pugi::xml_node table = document->table(receipt - 1);
        for (int k = 0; k < kPlaceholders.size(); ++k)
            QCOMPARE(document->fill(table, kPlaceholders[k], QStringLiteral("%1-%2").arg(receipt).arg(k)), 1);
        if (receipt < kReceipts) {
            pasteAtTheEnd(*document, *fragment);
            document->setTableAlignment(document->table(receipt), QStringLiteral("center"));
        }
        QCOMPARE(document->tableCount(), qMin(receipt + 1, kReceipts));
    }
    QCOMPARE(document->outline().size(), 4 + 3 * (kReceipts - 1));
    for (const int receipt : {1, 1500, kReceipts}) {
        const QList<QStringList> cells = document->cellTexts(document->table(receipt - 1));
        QCOMPARE(cells.first(), QStringList()
                                    << QStringLiteral("%1-0").arg(receipt) << QStringLiteral("%1-1").arg(receipt));
        QCOMPARE(cells.last().last(), QStringLiteral("%1-13").arg(receipt));
    }
    const auto reread = OdfDocument::parse(document->serialize());
    QCOMPARE(reread->tableCount(), kReceipts);
    const QStringList names = allTableNames(*reread);
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), kReceipts);
}

PARVOLINE_TEST_GUILESS_MAIN(TestOdfDocument)
#include "tst_odfdocument.moc"
