#include "DocumentInspector.h"

#include "LibreOfficeEngine.h"
#include "ModelDocument.h"
#include "OdfDocument.h"
#include "OfficeDocument.h"

#include <QFile>
#include <QTemporaryDir>

#include <stdexcept>

namespace {
// The reader's own office: a profile of its own, a process of its own.
struct Reader
{
    QTemporaryDir folder;
    std::unique_ptr<LibreOfficeEngine> engine;
};

std::unique_ptr<Reader> &reader()
{
    static std::unique_ptr<Reader> instance;
    return instance;
}

QString columnName(int index)
{
    return QString(QChar(u'A' + index));
}

QString attribute(const pugi::xml_node &node, const char *name)
{
    return QString::fromUtf8(node.attribute(name).value());
}

// A property of a style or of the styles it is based on.
QString styleProperty(const OdfDocument &model, QString style, const char *family, const char *properties,
                      const char *name)
{
    for (int depth = 0; depth < 16 && !style.isEmpty(); ++depth) {
        const pugi::xml_node node = model.styleNamed(style, family);
        if (!node)
            break;
        const pugi::xml_attribute value = node.child(properties).attribute(name);
        if (value)
            return QString::fromUtf8(value.value());
        style = attribute(node, "style:parent-style-name");
    }
    return {};
}

QList<pugi::xml_node> rowsOf(const pugi::xml_node &table)
{
    QList<pugi::xml_node> rows;
    for (pugi::xpath_node row : table.select_nodes(".//table:table-row"))
        rows.append(row.node());
    return rows;
}

QList<pugi::xml_node> cellsOf(const pugi::xml_node &row)
{
    QList<pugi::xml_node> cells;
    for (pugi::xml_node cell = row.child("table:table-cell"); cell; cell = cell.next_sibling("table:table-cell"))
        cells.append(cell);
    return cells;
}

QString cellText(const pugi::xml_node &cell)
{
    QStringList paragraphs;
    OdfText::forEachParagraph(cell, [&](const pugi::xml_node &p) { paragraphs.append(OdfText::read(p)); });
    return paragraphs.join(QLatin1Char('\n'));
}
} // namespace

DocumentInspector::DocumentInspector(WordDocument &document)
    : mDocument(&document)
{
    if (!dynamic_cast<ModelDocument *>(&document))
        throw std::logic_error("not a LibreOffice document");
}

DocumentInspector::~DocumentInspector() = default;
DocumentInspector::DocumentInspector(DocumentInspector &&) noexcept = default;

namespace {
Reader &startedReader()
{
    std::unique_ptr<Reader> &office = reader();
    if (!office) {
        office = std::make_unique<Reader>();
        LibreOfficeEngine::Settings settings;
        settings.profileFolder = office->folder.filePath(QStringLiteral("profile"));
        office->engine = std::make_unique<LibreOfficeEngine>(settings);
    }
    return *office;
}
} // namespace

DocumentInspector DocumentInspector::ofFile(const QString &path)
{
    Reader &office = startedReader();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path.toStdString());
    const QByteArray bytes = file.readAll();
    office.engine->createApplication(); // starts the reader's office
    const std::shared_ptr<OfficeDocument> loaded =
        OfficeDocument::load(office.engine->runningSession(), bytes, {}, QStringLiteral("Reading back"));
    DocumentInspector inspector;
    inspector.mOwn =
        OdfDocument::parse(loaded->store(QLatin1String(OfficeDocument::kFlatXml), QStringLiteral("Reading back")));
    return inspector;
}

QByteArray DocumentInspector::flatXml() const
{
    return model().serialize();
}

QByteArray DocumentInspector::convert(const QByteArray &bytes, const QString &filter)
{
    Reader &office = startedReader();
    office.engine->createApplication();
    const std::shared_ptr<OfficeDocument> loaded =
        OfficeDocument::load(office.engine->runningSession(), bytes, {}, QStringLiteral("Converting"));
    return loaded->store(filter, QStringLiteral("Converting"));
}

void DocumentInspector::shutdownReader()
{
    reader().reset();
}

OdfDocument &DocumentInspector::model() const
{
    OdfDocument &document = mOwn ? *mOwn : static_cast<ModelDocument *>(mDocument)->model();
    // The inspection walks the tables' rows: they are made whole first.
    document.text();
    return document;
}

QStringList DocumentInspector::outline() const
{
    return model().outline();
}

int DocumentInspector::tableCount() const
{
    return model().tableCount();
}

QStringList DocumentInspector::cells(int n) const
{
    QStringList result;
    const QList<pugi::xml_node> rows = rowsOf(model().table(n - 1));
    for (int r = 0; r < rows.size(); ++r) {
        const QList<pugi::xml_node> cells = cellsOf(rows.at(r));
        for (int c = 0; c < cells.size(); ++c)
            result.append(columnName(c) + QString::number(r + 1) + QLatin1Char('=') + cellText(cells.at(c)));
    }
    return result;
}

QString DocumentInspector::cell(int n, const QString &name) const
{
    const int column = name.at(0).unicode() - u'A';
    const int row = name.mid(1).toInt() - 1;
    const QList<pugi::xml_node> rows = rowsOf(model().table(n - 1));
    if (row < 0 || row >= rows.size())
        return QStringLiteral("<no such cell>");
    const QList<pugi::xml_node> cells = cellsOf(rows.at(row));
    if (column < 0 || column >= cells.size())
        return QStringLiteral("<no such cell>");
    return cellText(cells.at(column));
}

QList<int> DocumentInspector::cellsPerRow(int n) const
{
    QList<int> counts;
    for (const pugi::xml_node &row : rowsOf(model().table(n - 1)))
        counts.append(int(cellsOf(row).size()));
    return counts;
}

QString DocumentInspector::alignment(int n) const
{
    return model().tableAlignment(model().table(n - 1));
}

bool DocumentInspector::rowsMaySplit(int n) const
{
    for (const pugi::xml_node &row : rowsOf(model().table(n - 1))) {
        if (styleProperty(model(), attribute(row, "table:style-name"), "table-row", "style:table-row-properties",
                          "fo:keep-together")
            != QLatin1String("always"))
            return true;
    }
    return false;
}

bool DocumentInspector::keepsWithNext(int n, const QString &name) const
{
    const int column = name.at(0).unicode() - u'A';
    const int row = name.mid(1).toInt() - 1;
    const pugi::xml_node cell = cellsOf(rowsOf(model().table(n - 1)).at(row)).at(column);
    pugi::xml_node first;
    OdfText::forEachParagraph(cell, [&](const pugi::xml_node &p) {
        if (!first)
            first = p;
    });
    return styleProperty(model(), attribute(first, "text:style-name"), "paragraph", "style:paragraph-properties",
                         "fo:keep-with-next")
           == QLatin1String("always");
}

int DocumentInspector::widthTwips(int n) const
{
    const QString width = styleProperty(model(), attribute(model().table(n - 1), "table:style-name"), "table",
                                        "style:table-properties", "style:width");
    return int(OdfDocument::inches(width) * 1440.0 + 0.5);
}

bool DocumentInspector::hasParagraphStyle(const QString &name) const
{
    const QByteArray wanted = name.toUtf8();
    for (pugi::xml_node style = model().root().child("office:styles").child("style:style"); style;
         style = style.next_sibling("style:style")) {
        if (std::strcmp(style.attribute("style:family").value(), "paragraph") == 0
            && (wanted == style.attribute("style:name").value()
                || wanted == style.attribute("style:display-name").value()))
            return true;
    }
    return false;
}

bool DocumentInspector::hasLocation() const
{
    return mDocument && !static_cast<ModelDocument *>(mDocument)->location().isEmpty();
}
