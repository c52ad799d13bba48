#include "TestMain.h"
// Joining one-receipt documents into one in which each begins a page: what may join, and what the joined
// document says about each one's first page.

#include "FlatOdf.h"
#include "OdfPageBatch.h"

#include <QSet>
#include <QTest>

#include <cstring>

namespace {
const QByteArray kMaster = "<office:master-styles><style:master-page style:name=\"Standard\" "
                           "style:page-layout-name=\"pm1\"/></office:master-styles>";
const QByteArray kStyles = "<style:style style:name=\"P1\" style:family=\"paragraph\" style:master-page-name=\"\">"
                           "<style:paragraph-properties fo:margin-top=\"0in\"/></style:style>"
                           "<style:style style:name=\"Table1\" style:family=\"table\">"
                           "<style:table-properties style:width=\"6in\"/></style:style>";
const QByteArray kBody = "<text:p text:style-name=\"P1\"/>"
                         "<table:table table:name=\"Table1\" table:style-name=\"Table1\"><table:table-row>"
                         "<table:table-cell><text:p>%1</text:p></table:table-cell></table:table-row></table:table>"
                         "<text:p/>";

QByteArray receipt(const QByteArray &text, const QByteArray &styles = kStyles, const QByteArray &master = kMaster,
                   const QByteArray &body = kBody)
{
    QByteArray filled = body;
    filled.replace("%1", text);
    return FlatOdf::document(filled, "<office:automatic-styles>" + styles + "</office:automatic-styles>" + master);
}

pugi::xml_node styleNamed(const pugi::xml_document &xml, const char *name)
{
    for (pugi::xml_node style : xml.document_element().child("office:automatic-styles").children()) {
        if (std::strcmp(style.attribute("style:name").value(), name) == 0)
            return style;
    }
    return {};
}
} // namespace

class tst_OdfPageBatch final : public QObject
{
    Q_OBJECT

private slots:
    void joinsOnlyWhatShowsTheSame_data();
    void joinsOnlyWhatShowsTheSame();
    void eachBeginsAPageOfItsOwn();
};

void tst_OdfPageBatch::joinsOnlyWhatShowsTheSame_data()
{
    QTest::addColumn<QList<QByteArray>>("documents");
    QTest::addColumn<int>("joined");

    QTest::newRow("one template, other values") << QList<QByteArray>{receipt("1"), receipt("2"), receipt("3")} << 3;
    QByteArray otherStyle = kStyles;
    otherStyle.replace("0in", "1in");
    QTest::newRow("a style of the same name that differs")
        << QList<QByteArray>{receipt("1"), receipt("2", otherStyle)} << 2;
    QByteArray otherPage = kMaster;
    otherPage.replace("pm1", "pm2");
    QTest::newRow("another page style") << QList<QByteArray>{receipt("1"), receipt("2", kStyles, otherPage)} << 1;
    QByteArray numbered = kMaster;
    numbered.replace("/></office:master-styles>",
                     "><style:footer><text:p><text:page-number/></text:p></style:footer></style:master-page>"
                     "</office:master-styles>");
    QTest::newRow("page numbers in the footer") << QList<QByteArray>{receipt("1", kStyles, numbered)} << 0;
    QTest::newRow("a page count in the text")
        << QList<QByteArray>{receipt("1"), receipt("<text:page-count>2</text:page-count>")} << 1;
    QByteArray leftAndRight = kMaster;
    leftAndRight.replace("/></office:master-styles>",
                         "><style:header><text:p>R</text:p></style:header><style:header-left><text:p>L</text:p>"
                         "</style:header-left></style:master-page></office:master-styles>");
    QTest::newRow("left pages told from right ones") << QList<QByteArray>{receipt("1", kStyles, leftAndRight)} << 0;
    QTest::newRow("no such first page style")
        << QList<QByteArray>{receipt("1", kStyles, "<office:master-styles/>")} << 0;
    QTest::newRow("a later one begins with a list")
        << QList<QByteArray>{receipt("1"), receipt("2", kStyles, kMaster,
                                                   "<text:list><text:list-item><text:p/></text:list-item>"
                                                   "</text:list>"
                                                       + kBody)}
        << 1;
    QTest::newRow("a later one begins with a table without a style")
        << QList<QByteArray>{receipt("1"), receipt("2", kStyles, kMaster, "<table:table table:name=\"T\"/>")} << 1;
    QTest::newRow("not a document") << QList<QByteArray>{receipt("1"), "<office:document"} << 1;
}

void tst_OdfPageBatch::joinsOnlyWhatShowsTheSame()
{
    QFETCH(QList<QByteArray>, documents);
    QFETCH(int, joined);

    OdfPageBatch batch;
    QString problem;
    int accepted = 0;
    for (const QByteArray &document : std::as_const(documents)) {
        if (!batch.append(document, problem))
            break;
        ++accepted;
    }
    QCOMPARE(accepted, joined);
    QCOMPARE(batch.count(), joined);
    QCOMPARE(problem.isEmpty(), joined == documents.size());
    // A refused document leaves the batch as it was: still whole, still holding the others.
    if (joined > 0) {
        pugi::xml_document xml;
        QVERIFY(xml.load_string(batch.serialize().constData()));
        QCOMPARE(int(xml.select_nodes("//office:text/table:table").size()), joined);
    }
}

void tst_OdfPageBatch::eachBeginsAPageOfItsOwn()
{
    QByteArray otherStyle = kStyles;
    otherStyle.replace("0in", "1in");
    OdfPageBatch batch;
    QString problem;
    QVERIFY(batch.append(receipt("first"), problem));
    QVERIFY(batch.append(receipt("second"), problem));
    QVERIFY(batch.append(receipt("third", otherStyle), problem));

    // Three paragraphs and tables each, counted as the office counts them.
    QVERIFY(batch.countable());
    QCOMPARE(batch.starts().size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(batch.starts().at(i).element, i * 3);
        QVERIFY(!batch.starts().at(i).table);
    }

    pugi::xml_document xml;
    QVERIFY(xml.load_string(batch.serialize().constData()));
    const pugi::xml_node text = xml.select_node("//office:text").node();
    QStringList names;
    QStringList startStyles;
    for (pugi::xml_node child : text.children()) {
        if (std::strcmp(child.name(), "table:table") == 0)
            names.append(QString::fromUtf8(child.attribute("table:name").value()));
        else if (child.attribute("text:style-name"))
            startStyles.append(QString::fromUtf8(child.attribute("text:style-name").value()));
    }
    // Every table keeps a name of its own.
    QCOMPARE(names.size(), 3);
    QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), 3);
    // The first begins the document as it did; the others begin a page of the first page's style, each
    // with the look of its own first paragraph, the third's differing one too.
    QCOMPARE(startStyles.value(0), QStringLiteral("P1"));
    for (int i = 1; i < 3; ++i) {
        const pugi::xml_node style = styleNamed(xml, startStyles.value(i).toUtf8().constData());
        QVERIFY2(style, qPrintable(startStyles.value(i)));
        QCOMPARE(style.attribute("style:master-page-name").value(), "Standard");
        QCOMPARE(style.child("style:paragraph-properties").attribute("fo:margin-top").value(), i == 2 ? "1in" : "0in");
    }
    QCOMPARE(styleNamed(xml, "P1").attribute("style:master-page-name").value(), "");
}

PARVOLINE_TEST_GUILESS_MAIN(tst_OdfPageBatch)
#include "tst_odfpagebatch.moc"
