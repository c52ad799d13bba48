#include "OdfPageBatch.h"

#include "OdfNodes.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace {
struct TextWriter : pugi::xml_writer
{
    std::string text;
    void write(const void *data, size_t size) override { text.append(static_cast<const char *>(data), size); }
};

std::string written(const pugi::xml_node &node)
{
    TextWriter writer;
    node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return writer.text;
}

using OdfNodes::attribute;
using OdfNodes::named;
using OdfNodes::setAttribute;

// What the main text declares before its content: fields, sequences, forms, tracked changes.
bool isDeclaration(const pugi::xml_node &node)
{
    const std::string_view name(node.name());
    return name.ends_with("-decls") || name == "office:forms" || name == "text:tracked-changes";
}

// A soft page break only records where the last layout broke; the office lays out anew.
bool isContent(const pugi::xml_node &node)
{
    return node.type() == pugi::node_element && !isDeclaration(node) && !named(node, "text:soft-page-break");
}

bool isCountable(const pugi::xml_node &node)
{
    return named(node, "text:p") || named(node, "text:h") || named(node, "table:table");
}

// The attribute that names the style of a first paragraph or table, and the style's family.
const char *styleAttributeOf(const pugi::xml_node &node, const char *&family)
{
    if (named(node, "table:table")) {
        family = "table";
        return "table:style-name";
    }
    if (named(node, "text:p") || named(node, "text:h")) {
        family = "paragraph";
        return "text:style-name";
    }
    return nullptr;
}

QString styleKey(const pugi::xml_node &style)
{
    return QStringLiteral("%1|%2|%3")
        .arg(QString::fromUtf8(style.name()), attribute(style, "style:family"), attribute(style, "style:name"));
}

QString styleKey(const char *family, const QString &name)
{
    return QStringLiteral("style:style|%1|%2").arg(QLatin1String(family), name);
}

// Rewrites the references of \a node's subtree to the styles in \a renamed.
void renameStyles(pugi::xml_node node, const QHash<QString, QString> &renamed)
{
    for (pugi::xml_attribute attribute : node.attributes()) {
        if (!std::string_view(attribute.name()).ends_with("style-name"))
            continue;
        const auto to = renamed.constFind(QString::fromUtf8(attribute.value()));
        if (to != renamed.cend())
            attribute.set_value(to->toUtf8().constData());
    }
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element)
            renameStyles(child, renamed);
    }
}

void collectTables(const pugi::xml_node &node, std::vector<pugi::xml_node> &tables)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        if (named(child, "table:table"))
            tables.push_back(child);
        collectTables(child, tables);
    }
}

// A page number or count in a header, a footer or the text would count the pages of all the documents
// together. (Numbering each anew from 1 would not do: the office keeps odd numbers on right pages, and
// puts in a blank page where a document would begin on a left one.)
bool countsPages(const pugi::xml_node &node)
{
    return node.find_node([](const pugi::xml_node &n) {
        return named(n, "text:page-number") || named(n, "text:page-count") || named(n, "text:page-continuation")
               || named(n, "text:page-variable-get");
    });
}

// Pages told apart as left and right: a document of the batch may begin on either.
bool hasLeftPages(const pugi::xml_node &root)
{
    for (const pugi::xml_node &master : root.child("office:master-styles").children("style:master-page")) {
        if (master.child("style:header-left") || master.child("style:footer-left"))
            return true;
    }
    for (const pugi::xml_node &layout : root.child("office:automatic-styles").children("style:page-layout")) {
        const std::string_view usage(layout.attribute("style:page-usage").as_string("all"));
        if (usage != "all")
            return true;
    }
    return false;
}

struct Parts
{
    pugi::xml_node root;
    pugi::xml_node automaticStyles;
    pugi::xml_node text;
};

bool partsOf(const pugi::xml_document &xml, Parts &parts, QString &problem)
{
    parts.root = xml.document_element();
    if (!named(parts.root, "office:document")) {
        problem = QStringLiteral("it is not a flat OpenDocument");
        return false;
    }
    parts.automaticStyles = parts.root.child("office:automatic-styles");
    parts.text = parts.root.child("office:body").child("office:text");
    if (!parts.text) {
        problem = QStringLiteral("it is not a text document");
        return false;
    }
    return true;
}

std::string frameOf(const Parts &parts)
{
    std::string frame;
    for (pugi::xml_node child = parts.root.first_child(); child; child = child.next_sibling()) {
        if (!named(child, "office:automatic-styles") && !named(child, "office:body"))
            frame += written(child);
    }
    return frame;
}

std::string declarationsOf(const Parts &parts)
{
    std::string declarations;
    for (pugi::xml_node child = parts.text.first_child(); child && !isContent(child); child = child.next_sibling()) {
        if (child.type() == pugi::node_element)
            declarations += written(child);
    }
    return declarations;
}

pugi::xml_node firstContent(const Parts &parts)
{
    pugi::xml_node child = parts.text.first_child();
    while (child && !isContent(child))
        child = child.next_sibling();
    return child;
}

bool parse(pugi::xml_document &xml, QByteArrayView flatXml, QString &problem)
{
    const pugi::xml_parse_result result =
        xml.load_buffer(flatXml.data(), static_cast<size_t>(flatXml.size()),
                        pugi::parse_default | pugi::parse_ws_pcdata, pugi::encoding_utf8);
    if (!result)
        problem = QStringLiteral("it cannot be read: %1").arg(QString::fromUtf8(result.description()));
    return bool(result);
}
} // namespace

bool OdfPageBatch::begin(QByteArrayView flatXml, QString &problem)
{
    if (!parse(mXml, flatXml, problem))
        return false;
    Parts parts;
    if (!partsOf(mXml, parts, problem))
        return false;
    if (countsPages(parts.root)) {
        problem = QStringLiteral("it numbers its pages");
        return false;
    }
    if (hasLeftPages(parts.root)) {
        problem = QStringLiteral("its left and right pages differ");
        return false;
    }
    mText = parts.text;
    mAutomaticStyles = parts.automaticStyles;
    if (!mAutomaticStyles)
        mAutomaticStyles = parts.root.insert_child_before("office:automatic-styles", parts.root.child("office:body"));
    mFrame = frameOf(parts);
    mDeclarations = declarationsOf(parts);
    for (pugi::xml_node style = mAutomaticStyles.first_child(); style; style = style.next_sibling()) {
        if (style.type() != pugi::node_element)
            continue;
        mStyles.insert(styleKey(style), written(style));
        mStyleNames.insert(attribute(style, "style:name"));
    }
    std::vector<pugi::xml_node> tables;
    collectTables(mText, tables);
    for (const pugi::xml_node &table : tables)
        mTableNames.insert(attribute(table, "table:name"));

    // Each later document starts on the page style its first page has here.
    const pugi::xml_node first = firstContent(parts);
    const char *family = nullptr;
    if (!first || !styleAttributeOf(first, family)) {
        problem = QStringLiteral("its text begins with neither a paragraph nor a table");
        return false;
    }
    const QString firstStyle = attribute(first, styleAttributeOf(first, family));
    for (pugi::xml_node style = mAutomaticStyles.first_child(); style; style = style.next_sibling()) {
        if (style.type() != pugi::node_element)
            continue;
        if (styleKey(style) == styleKey(family, firstStyle))
            mFirstMasterPage = attribute(style, "style:master-page-name");
    }
    // Without a page style of its own the first page has the default one.
    if (mFirstMasterPage.isEmpty())
        mFirstMasterPage = QStringLiteral("Standard");
    bool known = false;
    for (pugi::xml_node master : parts.root.child("office:master-styles").children("style:master-page"))
        known = known || attribute(master, "style:name") == mFirstMasterPage;
    if (!known) {
        problem = QStringLiteral("its first page style is not among its page styles");
        return false;
    }

    for (pugi::xml_node child = mText.first_child(); child; child = child.next_sibling()) {
        if (!isContent(child))
            continue;
        if (isCountable(child))
            ++mElements;
        else
            mCountable = false;
    }
    mStarts.append({0, named(first, "table:table")});
    return true;
}

bool OdfPageBatch::append(QByteArrayView flatXml, QString &problem)
{
    if (mStarts.isEmpty()) {
        if (begin(flatXml, problem))
            return true;
        // Left as it was: empty.
        mXml.reset();
        *this = OdfPageBatch();
        return false;
    }
    pugi::xml_document xml;
    Parts parts;
    if (!parse(xml, flatXml, problem) || !partsOf(xml, parts, problem))
        return false;
    if (frameOf(parts) != mFrame) {
        problem = QStringLiteral("its styles, page styles or settings are not the first document's");
        return false;
    }
    if (declarationsOf(parts) != mDeclarations) {
        problem = QStringLiteral("its declarations are not the first document's");
        return false;
    }
    if (countsPages(parts.text)) {
        problem = QStringLiteral("it numbers its pages");
        return false;
    }
    const pugi::xml_node first = firstContent(parts);
    const char *family = nullptr;
    const char *styleAttribute = first ? styleAttributeOf(first, family) : nullptr;
    if (!styleAttribute) {
        problem = QStringLiteral("its text begins with neither a paragraph nor a table");
        return false;
    }

    // Its automatic styles: those the batch has are shared, others are added, and one that differs
    // from the batch's under the same name joins under a new name.
    QHash<QString, int> nameUses;
    for (pugi::xml_node style : parts.automaticStyles.children()) {
        if (style.type() == pugi::node_element)
            ++nameUses[attribute(style, "style:name")];
    }
    QHash<QString, QString> renamed;
    std::vector<std::pair<pugi::xml_node, QString>> added;
    QSet<QString> takenNames = mStyleNames;
    for (pugi::xml_node style = parts.automaticStyles.first_child(); style; style = style.next_sibling()) {
        if (style.type() != pugi::node_element)
            continue;
        const QString key = styleKey(style);
        const auto known = mStyles.constFind(key);
        if (known != mStyles.cend() && *known == written(style))
            continue;
        QString name = attribute(style, "style:name");
        if (known != mStyles.cend()) {
            // Master pages name page layouts, and the master pages are the first document's.
            if (named(style, "style:page-layout") || nameUses.value(name) > 1) {
                problem = QStringLiteral("its style %1 cannot be told apart from the first document's").arg(name);
                return false;
            }
            QString fresh;
            for (int n = 2; fresh.isEmpty() || takenNames.contains(fresh); ++n)
                fresh = QStringLiteral("%1_%2").arg(name).arg(n);
            renamed.insert(name, fresh);
            name = fresh;
        }
        takenNames.insert(name);
        added.emplace_back(style, name);
    }
    QString firstStyle = attribute(first, styleAttribute);
    firstStyle = renamed.value(firstStyle, firstStyle);
    const QString firstKey = styleKey(family, firstStyle);
    bool firstIsAutomatic = mStyles.contains(firstKey);
    for (const auto &[style, name] : added)
        firstIsAutomatic = firstIsAutomatic
                           || (named(style, "style:style") && name == firstStyle
                               && attribute(style, "style:family") == QLatin1String(family));
    if (named(first, "table:table") && !firstIsAutomatic) {
        problem = QStringLiteral("its first table has no style of its own");
        return false;
    }

    // Checked: from here on the batch takes the document.
    for (const auto &[style, name] : added) {
        pugi::xml_node copy = mAutomaticStyles.append_copy(style);
        setAttribute(copy, "style:name", name);
        renameStyles(copy, renamed);
        mStyles.insert(styleKey(copy), written(copy));
        mStyleNames.insert(name);
    }
    renameStyles(parts.text, renamed);

    // The first paragraph or table starts a page of the first page's style: a style like its own that says so.
    QString startStyle = mStartStyles.value(firstKey);
    if (startStyle.isEmpty()) {
        pugi::xml_node start;
        if (firstIsAutomatic) {
            for (pugi::xml_node style = mAutomaticStyles.first_child(); style && !start; style = style.next_sibling()) {
                if (styleKey(style) == firstKey)
                    start = mAutomaticStyles.append_copy(style);
            }
        } else {
            start = mAutomaticStyles.append_child("style:style");
            setAttribute(start, "style:family", QLatin1String(family));
            if (!firstStyle.isEmpty())
                setAttribute(start, "style:parent-style-name", firstStyle);
        }
        for (int n = 1; startStyle.isEmpty() || mStyleNames.contains(startStyle); ++n)
            startStyle =
                QStringLiteral("%1_page%2").arg(firstStyle.isEmpty() ? QStringLiteral("P") : firstStyle).arg(n);
        setAttribute(start, "style:name", startStyle);
        if (attribute(start, "style:master-page-name").isEmpty())
            setAttribute(start, "style:master-page-name", mFirstMasterPage);
        mStyles.insert(styleKey(start), written(start));
        mStyleNames.insert(startStyle);
        mStartStyles.insert(firstKey, startStyle);
    }
    setAttribute(first, styleAttribute, startStyle);

    // Every table keeps a name of its own.
    std::vector<pugi::xml_node> tables;
    collectTables(parts.text, tables);
    for (pugi::xml_node &table : tables) {
        const QString name = attribute(table, "table:name");
        QString unique = name;
        for (int n = 2; mTableNames.contains(unique); ++n)
            unique = QStringLiteral("%1_%2").arg(name).arg(n);
        mTableNames.insert(unique);
        setAttribute(table, "table:name", unique);
    }

    mStarts.append({mElements, named(first, "table:table")});
    for (pugi::xml_node child = parts.text.first_child(); child; child = child.next_sibling()) {
        if (!isContent(child))
            continue;
        mText.append_copy(child);
        if (isCountable(child))
            ++mElements;
        else
            mCountable = false;
    }
    return true;
}

QByteArray OdfPageBatch::serialize() const
{
    TextWriter writer;
    writer.text = "<?xml version=\"1.0\"?>";
    for (pugi::xml_node node = mXml.first_child(); node; node = node.next_sibling())
        node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return QByteArray::fromStdString(writer.text);
}
