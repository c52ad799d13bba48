#include "FlatOdf.h"
#include "OdfDocument.h"
#include "OdfText.h"
#include "TestMain.h"

#include <QTest>

namespace {
QStringList list(std::initializer_list<const char *> items)
{
    QStringList strings;
    for (const char *item : items)
        strings.append(QString::fromUtf8(item));
    return strings;
}

const QByteArray kSpan = QByteArrayLiteral("<text:span text:style-name=\"S\">");

// A document of one paragraph (style P) holding \a content.
std::unique_ptr<OdfDocument> paragraphDocument(const QByteArray &content)
{
    return OdfDocument::parse(FlatOdf::document(QByteArrayLiteral("<text:p text:style-name=\"P\">") + content
                                                + QByteArrayLiteral("</text:p>")));
}

pugi::xml_node onlyParagraph(const OdfDocument &document)
{
    return document.text().child("text:p");
}

QStringList paragraphTexts(const pugi::xml_node &scope)
{
    QStringList texts;
    OdfText::forEachParagraph(scope, [&](const pugi::xml_node &p) { texts.append(OdfText::read(p)); });
    return texts;
}
} // namespace

class TestOdfText : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void leavesCoverTheText();
    void filledNodesReadAsFilled();
    void replace_data();
    void replace();
    void value_data();
    void value();
    void replaceKeepsFilledMarksOnWhatStays();
    void split_data();
    void split();
    void splitKeepsFilledMarks();
    void storable_data();
    void storable();
    void paragraphsInDocumentOrder();
    void length_data();
    void length();
};

void TestOdfText::read_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");

    QTest::newRow("plain") << QByteArrayLiteral("abc") << QStringLiteral("abc");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("one blank") << QByteArrayLiteral("a<text:s/>b") << QStringLiteral("a b");
    QTest::newRow("counted blanks") << QByteArrayLiteral("a<text:s text:c=\"3\"/>b") << QStringLiteral("a   b");
    QTest::newRow("count below one is one") << QByteArrayLiteral("a<text:s text:c=\"0\"/>b") << QStringLiteral("a b");
    QTest::newRow("tab") << QByteArrayLiteral("a<text:tab/>b") << QStringLiteral("a\tb");
    QTest::newRow("line break") << QByteArrayLiteral("a<text:line-break/>b") << QStringLiteral("a\nb");
    QTest::newRow("span") << kSpan + QByteArrayLiteral("ab</text:span>c") << QStringLiteral("abc");
    QTest::newRow("nested spans") << kSpan + QByteArrayLiteral("a") + kSpan
                                         + QByteArrayLiteral("b</text:span>c</text:span>d")
                                  << QStringLiteral("abcd");
    QTest::newRow("hyperlink") << QByteArrayLiteral("a<text:a xlink:href=\"x\" xmlns:xlink=\"x\">b</text:a>c")
                               << QStringLiteral("abc");
    QTest::newRow("note left out") << QByteArrayLiteral(
        "a<text:note><text:note-citation>1</text:note-citation><text:note-body><text:p>n</text:p>"
        "</text:note-body></text:note>b")
                                   << QStringLiteral("ab");
    QTest::newRow("frame left out") << QByteArrayLiteral(
        "a<draw:frame><draw:text-box><text:p>f</text:p></draw:text-box>"
        "</draw:frame>b") << QStringLiteral("ab");
    QTest::newRow("annotation left out") << QByteArrayLiteral(
        "a<office:annotation><text:p>c</text:p></office:annotation>b")
                                         << QStringLiteral("ab");
    QTest::newRow("bookmark") << QByteArrayLiteral("a<text:bookmark text:name=\"m\"/>b") << QStringLiteral("ab");
    QTest::newRow("entities") << QByteArrayLiteral("&lt;a&gt; &amp; &quot;b&apos;") << QStringLiteral("<a> & \"b'");
    QTest::newRow("character references") << QByteArrayLiteral("&#x20AC;&#233;") << QStringLiteral("\u20AC\u00E9");
    QTest::newRow("outside the basic plane counts two")
        << QByteArrayLiteral("a\xF0\x9F\x98\x80") << QString::fromUtf8("a\xF0\x9F\x98\x80");
}

void TestOdfText::read()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    const auto document = paragraphDocument(content);
    QCOMPARE(OdfText::read(onlyParagraph(*document)), text);
}

void TestOdfText::leavesCoverTheText()
{
    const auto document =
        paragraphDocument(QByteArrayLiteral("ab") + kSpan
                          + QByteArrayLiteral("c<text:s text:c=\"2\"/><text:tab/></text:span>"
                                              "<text:bookmark text:name=\"m\"/>d<text:line-break/>e"));
    std::vector<OdfText::Leaf> leaves;
    const QString text = OdfText::read(onlyParagraph(*document), nullptr, &leaves);
    QCOMPARE(text, QStringLiteral("abc  \td\ne"));

    QList<QPair<qsizetype, qsizetype>> pieces;
    for (const OdfText::Leaf &leaf : leaves) {
        pieces.append({leaf.start, leaf.length});
        QCOMPARE(OdfText::length(leaf.node), leaf.length);
    }
    const QList<QPair<qsizetype, qsizetype>> expected{{0, 2}, {2, 1}, {3, 2}, {5, 1}, {6, 1}, {7, 1}, {8, 1}};
    QCOMPARE(pieces, expected);
}

void TestOdfText::filledNodesReadAsFilled()
{
    const auto document = paragraphDocument(QByteArrayLiteral("a<text:s text:c=\"2\"/>b<text:tab/>c"));
    const pugi::xml_node paragraph = onlyParagraph(*document);
    std::vector<OdfText::Leaf> leaves;
    OdfText::read(paragraph, nullptr, &leaves);
    OdfFilledNodes filled{leaves[1].node.internal_object(), leaves[3].node.internal_object()};

    const QString f(QChar(OdfText::kFilled));
    QCOMPARE(OdfText::read(paragraph, &filled),
             QStringLiteral("a") + f + f + QStringLiteral("b") + f + QStringLiteral("c"));
    // Only the marked nodes are hidden; without the marks the text is the reader's.
    QCOMPARE(OdfText::read(paragraph), QStringLiteral("a  b\tc"));
}

void TestOdfText::replace_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("markup"); // empty: not compared

    QTest::newRow("inside one text") << QByteArrayLiteral("abcdef") << 2 << 2 << QStringLiteral("XY")
                                     << QStringLiteral("abXYef") << QStringLiteral("abXYef");
    QTest::newRow("across the end of a span")
        << kSpan + QByteArrayLiteral("[Fr</text:span>omPayee]") << 0 << 11 << QStringLiteral("Bob")
        << QStringLiteral("Bob") << QStringLiteral("<text:span text:style-name=\"S\">Bob</text:span>");
    QTest::newRow("into a span from before it takes the first character's look")
        << QByteArrayLiteral("ab") + kSpan + QByteArrayLiteral("cd</text:span>") << 1 << 2 << QStringLiteral("X")
        << QStringLiteral("aXd") << QStringLiteral("aX<text:span text:style-name=\"S\">d</text:span>");
    QTest::newRow("across two spans")
        << kSpan + QByteArrayLiteral("a[Fr</text:span><text:span text:style-name=\"T\">om]b</text:span>") << 1 << 6
        << QStringLiteral("V") << QStringLiteral("aVb")
        << QStringLiteral(
               "<text:span text:style-name=\"S\">aV</text:span><text:span text:style-name=\"T\">b</text:span>");
    QTest::newRow("inside a run of blanks")
        << QByteArrayLiteral("a<text:s text:c=\"4\"/>b") << 2 << 2 << QStringLiteral("X") << QStringLiteral("a X b")
        << QStringLiteral("a<text:s/>X<text:s/>b");
    QTest::newRow("a whole run of blanks") << QByteArrayLiteral("a<text:s text:c=\"3\"/>b") << 1 << 3
                                           << QStringLiteral("-") << QStringLiteral("a-b") << QStringLiteral("a-b");
    QTest::newRow("tab and line break") << QByteArrayLiteral("a<text:tab/>b<text:line-break/>c") << 1 << 3 << QString()
                                        << QStringLiteral("ac") << QStringLiteral("ac");
    QTest::newRow("insert at the start") << QByteArrayLiteral("abc") << 0 << 0 << QStringLiteral("X")
                                         << QStringLiteral("Xabc") << QStringLiteral("Xabc");
    QTest::newRow("insert at the end") << QByteArrayLiteral("abc") << 3 << 0 << QStringLiteral("X")
                                       << QStringLiteral("abcX") << QStringLiteral("abcX");
    QTest::newRow("insert into an empty paragraph")
        << QByteArray() << 0 << 0 << QStringLiteral("X") << QStringLiteral("X") << QStringLiteral("X");
    QTest::newRow("insert at a span's start goes into it")
        << QByteArrayLiteral("a") + kSpan + QByteArrayLiteral("bc</text:span>") << 1 << 0 << QStringLiteral("X")
        << QStringLiteral("aXbc") << QStringLiteral("a<text:span text:style-name=\"S\">Xbc</text:span>");
    QTest::newRow("an empty value removes") << QByteArrayLiteral("a") + kSpan + QByteArrayLiteral("bc</text:span>d")
                                            << 1 << 2 << QString() << QStringLiteral("ad") << QString();
    QTest::newRow("the whole paragraph") << QByteArrayLiteral("a<text:s/>b<text:tab/>c") << 0 << 5
                                         << QStringLiteral("new") << QStringLiteral("new") << QStringLiteral("new");
    QTest::newRow("a bookmark in the way stays")
        << QByteArrayLiteral("ab<text:bookmark text:name=\"m\"/>cd") << 1 << 2 << QStringLiteral("X")
        << QStringLiteral("aXd") << QStringLiteral("aX<text:bookmark text:name=\"m\"/>d");
    QTest::newRow("a note is no part of the text")
        << QByteArrayLiteral("a<text:note><text:note-body><text:p>n</text:p></text:note-body></text:note>bc") << 1 << 1
        << QStringLiteral("X") << QStringLiteral("aXc") << QString();
    QTest::newRow("after a character outside the basic plane")
        << QByteArrayLiteral("a\xF0\x9F\x98\x80[x]") << 3 << 3 << QStringLiteral("v")
        << QString::fromUtf8("a\xF0\x9F\x98\x80v") << QString::fromUtf8("a\xF0\x9F\x98\x80v");
}

void TestOdfText::replace()
{
    QFETCH(QByteArray, content);
    QFETCH(int, start);
    QFETCH(int, length);
    QFETCH(QString, value);
    QFETCH(QString, text);
    QFETCH(QString, markup);

    const auto document = paragraphDocument(content);
    const pugi::xml_node paragraph = onlyParagraph(*document);
    const std::vector<pugi::xml_node> inserted = OdfText::replace(paragraph, start, length, value);
    QCOMPARE(OdfText::read(paragraph), text);
    if (!markup.isEmpty())
        QCOMPARE(FlatOdf::innerXml(paragraph), markup);

    qsizetype insertedLength = 0;
    for (const pugi::xml_node &node : inserted)
        insertedLength += OdfText::length(node);
    QCOMPARE(insertedLength, value.size());

    // What an office reads from the written document is the same text.
    const auto reread = OdfDocument::parse(document->serialize());
    QCOMPARE(FlatOdf::readerText(onlyParagraph(*reread)), text);
}

void TestOdfText::value_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("text");

    const auto same = [](const QString &value) {
        QTest::newRow(qPrintable(QStringLiteral("'%1'").arg(value))) << value << value;
    };
    same(QStringLiteral("plain"));
    same(QStringLiteral("two words"));
    same(QStringLiteral("two  blanks"));
    same(QStringLiteral("many     blanks"));
    same(QStringLiteral(" leading"));
    same(QStringLiteral("   leading blanks"));
    same(QStringLiteral("trailing "));
    same(QStringLiteral("trailing blanks   "));
    same(QStringLiteral(" "));
    same(QStringLiteral("   "));
    same(QStringLiteral("a b c d"));
    same(QStringLiteral("<b>&amp;</b> \"q\" 'a' ]]> $1 \\n %s"));
    same(QStringLiteral("[Total]"));
    same(QString::fromUtf8("Zo\xC3\xAB \xE2\x82\xAC 5 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80"));
    same(QString::fromUtf8("no\xC2\xA0"
                           "break")); // a no-break space is no white space to XML
    QTest::newRow("tab") << QStringLiteral("a\tb") << QStringLiteral("a\tb");
    QTest::newRow("blank before a tab") << QStringLiteral("a \tb") << QStringLiteral("a \tb");
    QTest::newRow("blank after a line break") << QStringLiteral("a\n b") << QStringLiteral("a\n b");
    QTest::newRow("line feed") << QStringLiteral("a\nb") << QStringLiteral("a\nb");
    QTest::newRow("carriage return and line feed") << QStringLiteral("a\r\nb") << QStringLiteral("a\nb");
    QTest::newRow("carriage return") << QStringLiteral("a\rb") << QStringLiteral("a\nb");
    QTest::newRow("two line feeds") << QStringLiteral("a\n\nb") << QStringLiteral("a\n\nb");
    QTest::newRow("control characters") << QStringLiteral("a\x01"
                                                          "b\x1F"
                                                          "c\x7F"
                                                          "d\x1B"
                                                          "e")
                                        << QStringLiteral("abcde");
    QTest::newRow("nul") << QString(QStringLiteral("a")) + QChar(0) + QStringLiteral("b") << QStringLiteral("ab");
    QTest::newRow("only control characters") << QStringLiteral("\x01\x02") << QString();
    QTest::newRow("lone high surrogate") << QStringLiteral("a") + QChar(0xD83D) + QStringLiteral("b")
                                         << QStringLiteral("ab");
    QTest::newRow("lone low surrogate") << QStringLiteral("a") + QChar(0xDE00) + QStringLiteral("b")
                                        << QStringLiteral("ab");
    QTest::newRow("surrogates the wrong way round")
        << QStringLiteral("a") + QChar(0xDE00) + QChar(0xD83D) + QStringLiteral("b") << QStringLiteral("ab");
    QTest::newRow("high surrogate at the end") << QStringLiteral("a") + QChar(0xD83D) << QStringLiteral("a");
    QTest::newRow("non-characters") << QStringLiteral("a") + QChar(0xFFFE) + QChar(0xFFFF) + QStringLiteral("b")
                                    << QStringLiteral("ab");
    QTest::newRow("empty") << QString() << QString();
}

void TestOdfText::value()
{
    QFETCH(QString, value);
    QFETCH(QString, text);

    // Alone in its paragraph, between letters, and between blanks of the paragraph's own text.
    const QList<QPair<QByteArray, QByteArray>> places{{{}, {}}, {"x", "y"}, {"x<text:s/>", "<text:s/>y"}};
    for (const auto &[before, after] : places) {
        const auto document = paragraphDocument(before + QByteArrayLiteral("[P]") + after);
        const pugi::xml_node paragraph = onlyParagraph(*document);
        const QString prefix = OdfText::read(paragraph).section(QStringLiteral("[P]"), 0, 0);
        const QString suffix = OdfText::read(paragraph).section(QStringLiteral("[P]"), 1);
        const QString expected = prefix + text + suffix;
        OdfText::replace(paragraph, prefix.size(), 3, value);
        QCOMPARE(OdfText::read(paragraph), expected);

        const QByteArray written = document->serialize();
        QVERIFY2(QUtf8StringView(written).isValidUtf8(), written.constData());
        for (const char c : written)
            QVERIFY2(static_cast<unsigned char>(c) >= 0x20, "a control character in the written document");
        const auto reread = OdfDocument::parse(written);
        QCOMPARE(OdfText::read(onlyParagraph(*reread)), expected);
        QCOMPARE(FlatOdf::readerText(onlyParagraph(*reread)), expected);
    }
}

void TestOdfText::replaceKeepsFilledMarksOnWhatStays()
{
    // A replace that cuts into a filled value leaves the rest of it marked, and forgets the removed part.
    const auto document = paragraphDocument(QByteArrayLiteral("abcdef<text:s text:c=\"4\"/>g"));
    const pugi::xml_node paragraph = onlyParagraph(*document);
    std::vector<OdfText::Leaf> leaves;
    OdfText::read(paragraph, nullptr, &leaves);
    OdfFilledNodes filled{leaves[0].node.internal_object(), leaves[1].node.internal_object()};

    OdfText::replace(paragraph, 2, 6, QStringLiteral("XY"), &filled);
    const QString f(QChar(OdfText::kFilled));
    QCOMPARE(OdfText::read(paragraph), QStringLiteral("abXY  g"));
    QCOMPARE(OdfText::read(paragraph, &filled), f + f + QStringLiteral("XY") + f + f + QStringLiteral("g"));
    // Every mark is on a node of the paragraph: none of the removed ones is left behind.
    OdfText::read(paragraph, nullptr, &leaves);
    qsizetype marked = 0;
    for (const OdfText::Leaf &leaf : leaves)
        marked += filled.count(leaf.node.internal_object());
    QCOMPARE(qsizetype(filled.size()), marked);
}

void TestOdfText::split_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");

    QTest::newRow("in a text") << QByteArrayLiteral("abcd") << 2 << QStringLiteral("ab") << QStringLiteral("cd");
    QTest::newRow("at the start") << QByteArrayLiteral("abcd") << 0 << QString() << QStringLiteral("abcd");
    QTest::newRow("at the end") << QByteArrayLiteral("abcd") << 4 << QStringLiteral("abcd") << QString();
    QTest::newRow("in a span") << QByteArrayLiteral("a") + kSpan + QByteArrayLiteral("bc</text:span>d") << 2
                               << QStringLiteral("a<text:span text:style-name=\"S\">b</text:span>")
                               << QStringLiteral("<text:span text:style-name=\"S\">c</text:span>d");
    QTest::newRow("in nested spans")
        << kSpan + QByteArrayLiteral("ab<text:span text:style-name=\"T\">cd</text:span>ef</text:span>gh") << 3
        << QStringLiteral(
               "<text:span text:style-name=\"S\">ab<text:span text:style-name=\"T\">c</text:span></text:span>")
        << QStringLiteral(
               "<text:span text:style-name=\"S\"><text:span text:style-name=\"T\">d</text:span>ef</text:span>gh");
    QTest::newRow("in a run of blanks") << QByteArrayLiteral("a<text:s text:c=\"5\"/>b") << 3
                                        << QStringLiteral("a<text:s text:c=\"2\"/>")
                                        << QStringLiteral("<text:s text:c=\"3\"/>b");
    QTest::newRow("before a tab") << QByteArrayLiteral("a<text:tab/>b") << 1 << QStringLiteral("a")
                                  << QStringLiteral("<text:tab/>b");
    QTest::newRow("an identifier stays with its element")
        << QByteArrayLiteral("<text:span text:style-name=\"S\" xml:id=\"i1\">abcd</text:span>") << 2
        << QStringLiteral("<text:span text:style-name=\"S\" xml:id=\"i1\">ab</text:span>")
        << QStringLiteral("<text:span text:style-name=\"S\">cd</text:span>");
}

void TestOdfText::split()
{
    QFETCH(QByteArray, content);
    QFETCH(int, position);
    QFETCH(QString, first);
    QFETCH(QString, second);

    const auto document = OdfDocument::parse(
        FlatOdf::document(QByteArrayLiteral("<text:p text:style-name=\"P\" xml:id=\"p1\">") + content
                          + QByteArrayLiteral("</text:p><text:p text:style-name=\"Q\">next</text:p>")));
    const pugi::xml_node paragraph = document->text().child("text:p");
    const QString whole = OdfText::read(paragraph);
    const pugi::xml_node made = OdfText::split(paragraph, position);

    QCOMPARE(FlatOdf::innerXml(paragraph), first);
    QCOMPARE(FlatOdf::innerXml(made), second);
    QCOMPARE(OdfText::read(paragraph) + OdfText::read(made), whole);
    QCOMPARE(OdfText::read(paragraph).size(), qsizetype(position));
    // Right after the paragraph, in its style, without its identifier.
    QCOMPARE(paragraph.next_sibling(), made);
    QCOMPARE(QString::fromUtf8(made.name()), QStringLiteral("text:p"));
    QCOMPARE(QString::fromUtf8(made.attribute("text:style-name").value()), QStringLiteral("P"));
    QVERIFY(!made.attribute("xml:id"));
    QCOMPARE(OdfText::read(made.next_sibling()), QStringLiteral("next"));
}

void TestOdfText::splitKeepsFilledMarks()
{
    // A filled value cut in two stays filled on both sides.
    const auto document = paragraphDocument(QByteArrayLiteral("ab[x]cd"));
    const pugi::xml_node paragraph = onlyParagraph(*document);
    OdfFilledNodes filled;
    for (const pugi::xml_node &node : OdfText::replace(paragraph, 2, 3, QStringLiteral("[y]  [z]"), &filled))
        filled.insert(node.internal_object());
    const pugi::xml_node made = OdfText::split(paragraph, 4, &filled);

    const QString f(QChar(OdfText::kFilled));
    QCOMPARE(OdfText::read(paragraph, &filled), QStringLiteral("ab") + f + f);
    QCOMPARE(OdfText::read(made, &filled), QString(6, QChar(OdfText::kFilled)) + QStringLiteral("cd"));
    QCOMPARE(OdfText::read(made), QStringLiteral("]  [z]cd"));
}

void TestOdfText::storable_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("stored");

    QTest::newRow("plain") << QStringLiteral("abc") << QStringLiteral("abc");
    QTest::newRow("tab and line breaks stay") << QStringLiteral("a\tb\nc\rd") << QStringLiteral("a\tb\nc\rd");
    QTest::newRow("C0 controls") << QStringLiteral("\x01"
                                                   "a\x08"
                                                   "b\x0B"
                                                   "c\x0C"
                                                   "d\x1F")
                                 << QStringLiteral("abcd");
    QTest::newRow("delete") << QStringLiteral("a\x7F"
                                              "b")
                            << QStringLiteral("ab");
    QTest::newRow("pair kept") << QString::fromUtf8("\xF0\x9F\x98\x80") << QString::fromUtf8("\xF0\x9F\x98\x80");
    QTest::newRow("two pairs") << QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x81")
                               << QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x81");
    QTest::newRow("high then high then low")
        << QString(QChar(0xD83D)) + QChar(0xD83D) + QChar(0xDE00) << QString(QChar(0xD83D)) + QChar(0xDE00);
    QTest::newRow("low alone") << QString(QChar(0xDE00)) << QString();
    QTest::newRow("non-characters") << QString(QChar(0xFFFE)) + QChar(0xFFFF) << QString();
    QTest::newRow("the character before them") << QString(QChar(0xFFFD)) << QString(QChar(0xFFFD));
}

void TestOdfText::storable()
{
    QFETCH(QString, value);
    QFETCH(QString, stored);
    QCOMPARE(OdfText::storable(value), stored);
}

void TestOdfText::paragraphsInDocumentOrder()
{
    const auto document = OdfDocument::parse(FlatOdf::document(QByteArrayLiteral(
        "<text:sequence-decls/>"
        "<text:h>1</text:h>"
        "<text:p>2<text:note><text:note-body><text:p>note</text:p></text:note-body></text:note></text:p>"
        "<table:table table:name=\"T\"><table:table-row>"
        "<table:table-cell><text:p>3</text:p><text:p>4</text:p></table:table-cell>"
        "<table:table-cell><table:table table:name=\"N\"><table:table-row><table:table-cell><text:p>5</text:p>"
        "</table:table-cell></table:table-row></table:table><text:p>6</text:p></table:table-cell>"
        "</table:table-row></table:table>"
        "<text:section><text:p>7</text:p></text:section>"
        "<text:list><text:list-item><text:p>8</text:p></text:list-item></text:list>"
        "<text:p><draw:frame><draw:text-box><text:p>frame</text:p></draw:text-box></draw:frame>9</text:p>")));
    QCOMPARE(paragraphTexts(document->text()), list({"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
}

void TestOdfText::length_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("length");

    QTest::newRow("text") << QByteArrayLiteral("abc") << 3;
    QTest::newRow("blanks") << QByteArrayLiteral("<text:s text:c=\"7\"/>") << 7;
    QTest::newRow("tab") << QByteArrayLiteral("<text:tab/>") << 1;
    QTest::newRow("line break") << QByteArrayLiteral("<text:line-break/>") << 1;
    QTest::newRow("span is no piece") << kSpan + QByteArrayLiteral("abc</text:span>") << 0;
    QTest::newRow("bookmark") << QByteArrayLiteral("<text:bookmark text:name=\"m\"/>") << 0;
}

void TestOdfText::length()
{
    QFETCH(QByteArray, content);
    QFETCH(int, length);
    const auto document = paragraphDocument(content);
    QCOMPARE(OdfText::length(onlyParagraph(*document).first_child()), qsizetype(length));
}

PARVOLINE_TEST_GUILESS_MAIN(TestOdfText)
#include "tst_odftext.moc"
