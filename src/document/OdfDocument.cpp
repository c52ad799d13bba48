#include "OdfDocument.h"

#include "OdfNodes.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>

namespace {
// Holds, beside the document element, the copies that the clipboard took of this document's tables.
// Never written out.
constexpr char kKeptCopies[] = "parvoline:kept-copies";

quint64 nextSerial()
{
    static std::atomic<quint64> serial{0};
    return ++serial;
}

// The namespaces whose usual prefixes the model relies on.
constexpr std::pair<const char *, const char *> kNamespaces[] = {
    {"xmlns:office", "urn:oasis:names:tc:opendocument:xmlns:office:1.0"},
    {"xmlns:text", "urn:oasis:names:tc:opendocument:xmlns:text:1.0"},
    {"xmlns:table", "urn:oasis:names:tc:opendocument:xmlns:table:1.0"},
    {"xmlns:style", "urn:oasis:names:tc:opendocument:xmlns:style:1.0"},
    {"xmlns:fo", "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"},
};

using OdfNodes::attribute;
using OdfNodes::named;
using OdfNodes::setAttribute;

pugi::xml_node childNamed(pugi::xml_node node, const char *name, bool create)
{
    pugi::xml_node child = node.child(name);
    if (!child && create)
        child = node.append_child(name);
    return child;
}

// Copies the filled marks of \a from's subtree onto the same nodes of \a to, an exact copy of it.
void copyMarks(const pugi::xml_node &from, const pugi::xml_node &to, const OdfFilledNodes &source,
               OdfFilledNodes &target)
{
    if (source.empty())
        return;
    if (source.count(from.internal_object()))
        target.insert(to.internal_object());
    pugi::xml_node a = from.first_child();
    pugi::xml_node b = to.first_child();
    for (; a && b; a = a.next_sibling(), b = b.next_sibling())
        copyMarks(a, b, source, target);
}

// The rows of \a table (not of tables inside it), heading rows and grouped rows included.
void collectRows(const pugi::xml_node &table, std::vector<pugi::xml_node> &rows)
{
    for (pugi::xml_node child = table.first_child(); child; child = child.next_sibling()) {
        if (named(child, "table:table-row"))
            rows.push_back(child);
        else if (named(child, "table:table-header-rows") || named(child, "table:table-rows")
                 || named(child, "table:table-row-group"))
            collectRows(child, rows);
    }
}

// Elements whose content is elements only: blanks between their children are layout of the file.
bool holdsOnlyElements(const pugi::xml_node &node)
{
    const char *name = node.name();
    return std::strncmp(name, "table:", 6) == 0 || std::strcmp(name, "office:body") == 0
           || std::strcmp(name, "office:text") == 0 || std::strcmp(name, "text:section") == 0
           || std::strcmp(name, "text:list") == 0 || std::strcmp(name, "text:list-item") == 0;
}

bool isBlank(const pugi::xml_node &node)
{
    if (node.type() != pugi::node_pcdata)
        return false;
    for (const char *c = node.value(); *c; ++c) {
        if (*c != ' ' && *c != '\t' && *c != '\n' && *c != '\r')
            return false;
    }
    return true;
}

// Drops the indentation between the elements of the main text's structure (tables, rows, cells,
// sections, lists), never inside a paragraph. Readers ignore it, and a document of thousands of
// receipt copies would otherwise carry it in every copy.
void dropIndentation(pugi::xml_node node)
{
    const bool structural = holdsOnlyElements(node);
    for (pugi::xml_node child = node.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        if (structural && isBlank(child))
            node.remove_child(child);
        else if (child.type() == pugi::node_element && !OdfText::isParagraph(child) && !OdfText::isOpaque(child))
            dropIndentation(child);
        child = next;
    }
}

// Puts \a value wherever \a placeholder stands in \a scope, never inside nodes marked in \a filled, and
// marks what it put there. Returns how often it was found.
int fillIn(const pugi::xml_node &scope, const QString &placeholder, const QString &value, OdfFilledNodes &filled)
{
    int count = 0;
    OdfText::forEachParagraph(scope, [&](const pugi::xml_node &paragraph) {
        const QString text = OdfText::read(paragraph, &filled);
        // From the end, so that each fill leaves the positions of the ones before it valid.
        qsizetype from = text.size();
        while (from >= placeholder.size()) {
            const qsizetype at = text.lastIndexOf(placeholder, from - placeholder.size(), Qt::CaseInsensitive);
            if (at < 0)
                break;
            for (const pugi::xml_node &node : OdfText::replace(paragraph, at, placeholder.size(), value, &filled))
                filled.insert(node.internal_object());
            ++count;
            from = at;
        }
    });
    return count;
}

struct DeviceWriter : pugi::xml_writer
{
    explicit DeviceWriter(QIODevice &target)
        : device(target)
    {}
    QIODevice &device;
    bool ok = true;
    void write(const void *data, size_t size) override
    {
        if (ok)
            ok = device.write(static_cast<const char *>(data), static_cast<qint64>(size)) == qint64(size);
    }
};

struct StringWriter : pugi::xml_writer
{
    QByteArray bytes;
    void write(const void *data, size_t size) override
    {
        bytes.append(static_cast<const char *>(data), static_cast<qsizetype>(size));
    }
};

// The start tag of \a element as pugixml writes it when the element has children.
QByteArray startTag(const pugi::xml_node &element)
{
    pugi::xml_document scratch;
    pugi::xml_node copy = scratch.append_child(element.name());
    for (const pugi::xml_attribute &attribute : element.attributes())
        copy.append_copy(attribute);
    copy.append_child("x");
    StringWriter writer;
    copy.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    // What follows the start tag is known: the child and the end tag.
    return writer.bytes.chopped(qsizetype(std::strlen("<x/></>") + std::strlen(element.name())));
}
} // namespace

std::unique_ptr<OdfDocument> OdfDocument::parse(QByteArrayView flatXml)
{
    std::unique_ptr<OdfDocument> document(new OdfDocument());
    document->mSerial = nextSerial();
    // Whitespace-only text is kept: between two spans it is a blank of the text.
    const pugi::xml_parse_result result =
        document->mXml.load_buffer(flatXml.data(), static_cast<size_t>(flatXml.size()),
                                   pugi::parse_default | pugi::parse_ws_pcdata, pugi::encoding_utf8);
    if (!result)
        throw Error(std::string("The document cannot be read: ") + result.description() + " at byte "
                    + std::to_string(result.offset));
    const pugi::xml_node root = document->mXml.document_element();
    if (!named(root, "office:document"))
        throw Error("The document is not a flat OpenDocument file");
    for (pugi::xml_node after = root.next_sibling(); after; after = after.next_sibling()) {
        if (after.type() == pugi::node_element)
            throw Error("The document is not a flat OpenDocument file: it has more than one root element");
    }
    for (const auto &[name, uri] : kNamespaces) {
        if (std::strcmp(root.attribute(name).value(), uri) != 0)
            throw Error(std::string("The document does not declare ") + name + " as OpenDocument does");
    }
    document->mText = root.child("office:body").child("office:text");
    if (!document->mText)
        throw Error("The document is not a text document");
    dropIndentation(root.child("office:body"));
    document->index();
    // Every table's name is taken, nested ones and those in frames or headers too.
    for (const pugi::xpath_node &table : root.select_nodes(".//table:table"))
        document->mTableNames.insert(document->tableName(table.node()));
    return document;
}

std::unique_ptr<OdfDocument> OdfDocument::clone() const
{
    std::unique_ptr<OdfDocument> copy(new OdfDocument());
    copy->mSerial = nextSerial();
    copy->mXml.reset(mXml);
    // The clipboard's copies belong to this document; the clone starts without any.
    while (pugi::xml_node kept = copy->mXml.child(kKeptCopies))
        copy->mXml.remove_child(kept);
    copy->mText = copy->mXml.document_element().child("office:body").child("office:text");
    copyMarks(mXml, copy->mXml, mFilled, copy->mFilled);
    if (!mHeld.empty()) {
        // The clone has no kept copies of its own to hold tables by: its tables are made whole.
        std::vector<std::pair<pugi::xml_node_struct *, pugi::xml_node>> held;
        const std::function<void(const pugi::xml_node &, const pugi::xml_node &)> pair = [&](const pugi::xml_node &from,
                                                                                             const pugi::xml_node &to) {
            if (isHeld(from)) {
                held.emplace_back(from.internal_object(), to);
                return;
            }
            pugi::xml_node a = from.first_child();
            pugi::xml_node b = to.first_child();
            for (; a && b; a = a.next_sibling(), b = b.next_sibling())
                pair(a, b);
        };
        pair(mText, copy->mText);
        for (const auto &[original, table] : held)
            make(mHeld.at(original), table, mFilled, copy->mFilled);
    }
    copy->mTableNames = mTableNames;
    copy->mNextTableNumber = mNextTableNumber;
    copy->mAlignedStyles = mAlignedStyles;
    copy->mReleasedStyles = mReleasedStyles;
    return copy;
}

QByteArray OdfDocument::serialize() const
{
    StringWriter writer;
    writer.bytes.reserve(1 << 16);
    write(writer);
    return writer.bytes;
}

bool OdfDocument::serialize(QIODevice &device) const
{
    DeviceWriter writer(device);
    write(writer);
    return writer.ok;
}

void OdfDocument::write(pugi::xml_writer &writer) const
{
    // As pugixml saves a whole document, raw (indentation would add blanks to the text), but without
    // the clipboard's copies.
    static constexpr char kDeclaration[] = "<?xml version=\"1.0\"?>";
    writer.write(kDeclaration, sizeof kDeclaration - 1);
    // The elements that have held tables inside them are written piece by piece, the held tables made
    // whole one at a time as they come.
    std::unordered_set<pugi::xml_node_struct *> holding;
    for (const auto &held : mHeld) {
        for (pugi::xml_node node = pugi::xml_node(held.first).parent();
             node && holding.insert(node.internal_object()).second; node = node.parent()) {
        }
    }
    for (pugi::xml_node node = mXml.first_child(); node; node = node.next_sibling()) {
        if (!named(node, kKeptCopies))
            writeNode(node, writer, holding);
    }
}

void OdfDocument::writeNode(const pugi::xml_node &node, pugi::xml_writer &writer,
                            const std::unordered_set<pugi::xml_node_struct *> &holding) const
{
    if (isHeld(node)) {
        pugi::xml_node whole = working(node);
        // Its name and style may have changed since it was made whole.
        while (pugi::xml_attribute attribute = whole.first_attribute())
            whole.remove_attribute(attribute);
        for (const pugi::xml_attribute &attribute : node.attributes())
            whole.append_copy(attribute);
        whole.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
        return;
    }
    if (!holding.count(node.internal_object())) {
        node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
        return;
    }
    const QByteArray start = startTag(node);
    writer.write(start.constData(), size_t(start.size()));
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        writeNode(child, writer, holding);
    const QByteArray end = QByteArrayLiteral("</") + node.name() + '>';
    writer.write(end.constData(), size_t(end.size()));
}

void OdfDocument::make(const Held &held, pugi::xml_node table, const OdfFilledNodes &sourceMarks,
                       OdfFilledNodes &marks) const
{
    // As a paste made it whole would have: the source's rows and marks, the tables inside renamed,
    // then the fills in their order.
    for (pugi::xml_node part = held.source.first_child(); part; part = part.next_sibling())
        copyMarks(part, table.append_copy(part), sourceMarks, marks);
    int nested = 0;
    for (pugi::xpath_node inner : table.select_nodes(".//table:table"))
        setAttribute(inner.node(), "table:name", held.nestedNames.value(nested++));
    if (held.fills.empty())
        return;
    std::vector<std::pair<QString, QString>> fills;
    qsizetype at = 0;
    for (const auto &[placeholder, length] : held.fills) {
        fills.emplace_back(mPlaceholders.at(qsizetype(placeholder)), held.values.mid(at, qsizetype(length)));
        at += qsizetype(length);
    }
    // In one walk: a fill changes only the paragraph it is made in, so each paragraph taking all the
    // fills in their order is what one walk per fill made of it.
    OdfText::forEachParagraph(table, [&](const pugi::xml_node &paragraph) {
        QString text = OdfText::read(paragraph, &marks);
        for (const auto &[placeholder, value] : fills) {
            bool changed = false;
            for (qsizetype from = text.size(); from >= placeholder.size();) {
                const qsizetype found = text.lastIndexOf(placeholder, from - placeholder.size(), Qt::CaseInsensitive);
                if (found < 0)
                    break;
                for (const pugi::xml_node &node : OdfText::replace(paragraph, found, placeholder.size(), value, &marks))
                    marks.insert(node.internal_object());
                changed = true;
                from = found;
            }
            if (changed)
                text = OdfText::read(paragraph, &marks);
        }
    });
}

pugi::xml_node OdfDocument::working(const pugi::xml_node &table) const
{
    if (mWorkOf == table.internal_object())
        return mWork.first_child();
    if (mWorkOf) {
        // Its height is known now at no cost; read again later, it would be made whole again.
        const auto held = mHeld.find(mWorkOf);
        if (held != mHeld.end())
            held->second.height = estimatedHeight(pugi::xml_node(mWorkOf));
    }
    mWork.reset();
    mWorkFilled.clear();
    mWorkOf = nullptr;
    pugi::xml_node copy = mWork.append_child(table.name());
    for (const pugi::xml_attribute &attribute : table.attributes())
        copy.append_copy(attribute);
    make(mHeld.at(table.internal_object()), copy, mFilled, mWorkFilled);
    mWorkOf = table.internal_object();
    return copy;
}

void OdfDocument::makeWhole(pugi::xml_node_struct *table) const
{
    const auto held = mHeld.find(table);
    if (held == mHeld.end())
        return;
    if (mWorkOf == table) {
        mWork.reset();
        mWorkFilled.clear();
        mWorkOf = nullptr;
    }
    const Held what = std::move(held->second);
    mHeld.erase(held);
    // The const readers make tables whole too: the content is the same, only how it is held changes.
    make(what, pugi::xml_node(table), mFilled, const_cast<OdfFilledNodes &>(mFilled));
}

void OdfDocument::makeWhole(const pugi::xml_node &scope) const
{
    if (mHeld.empty())
        return;
    if (isHeld(scope)) {
        makeWhole(scope.internal_object());
        return;
    }
    for (pugi::xml_node child = scope.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_element)
            makeWhole(child);
    }
}

void OdfDocument::makeAllWhole() const
{
    while (!mHeld.empty())
        makeWhole(mHeld.begin()->first);
}

pugi::xml_node OdfDocument::text() const
{
    makeAllWhole();
    return mText;
}

pugi::xml_node OdfDocument::root() const
{
    makeAllWhole();
    return mXml.document_element();
}

void OdfDocument::index()
{
    if (mIndexed)
        return;
    mTables.clear();
    collectTables(mText);
    mIndexed = true;
}

void OdfDocument::collectTables(const pugi::xml_node &node)
{
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
        OdfText::walkedNodes.fetch_add(1, std::memory_order_relaxed);
        if (child.type() != pugi::node_element || OdfText::isOpaque(child) || OdfText::isParagraph(child))
            continue;
        if (named(child, "table:table"))
            mTables.push_back(child);
        else
            collectTables(child);
    }
}

int OdfDocument::tableCount()
{
    index();
    return static_cast<int>(mTables.size());
}

pugi::xml_node OdfDocument::table(int index)
{
    this->index();
    if (index < 0 || index >= static_cast<int>(mTables.size()))
        return {};
    return mTables[static_cast<std::size_t>(index)];
}

QString OdfDocument::tableName(const pugi::xml_node &table) const
{
    return attribute(table, "table:name");
}

pugi::xml_node OdfDocument::firstParagraph()
{
    makeAllWhole();
    pugi::xml_node first;
    OdfText::forEachParagraph(mText, [&](const pugi::xml_node &paragraph) {
        if (!first)
            first = paragraph;
    });
    if (!first)
        first = mText.append_child("text:p");
    return first;
}

pugi::xml_node OdfDocument::lastParagraph()
{
    pugi::xml_node last = mText.last_child();
    while (last && last.type() != pugi::node_element)
        last = last.previous_sibling();
    if (last && OdfText::isParagraph(last))
        return last;
    pugi::xml_node paragraph = mText.append_child("text:p");
    // A document's last paragraph looks like the paragraphs around its tables.
    pugi::xml_node like = last ? last.previous_sibling("text:p") : pugi::xml_node();
    if (like && like.attribute("text:style-name"))
        paragraph.append_attribute("text:style-name").set_value(like.attribute("text:style-name").value());
    return paragraph;
}

pugi::xml_node OdfDocument::splitParagraph(const pugi::xml_node &paragraph, qsizetype position)
{
    return OdfText::split(paragraph, position, &mFilled);
}

pugi::xml_node OdfDocument::insertParagraphAfter(const pugi::xml_node &node, const pugi::xml_node &like)
{
    pugi::xml_node paragraph = pugi::xml_node(node).parent().insert_child_after("text:p", node);
    if (like && like.attribute("text:style-name"))
        paragraph.append_attribute("text:style-name").set_value(like.attribute("text:style-name").value());
    return paragraph;
}

std::shared_ptr<const OdfDocument::Fragment> OdfDocument::copyTable(const pugi::xml_node &table)
{
    makeWhole(table);
    auto fragment = std::make_shared<Fragment>();
    const pugi::xml_node copy = fragment->xml.append_copy(table);
    copyMarks(table, copy, mFilled, fragment->filled);
    // A copy within the document shares the texts the table was read with, and so do the copies made
    // from it: thousands of pasted receipts then hold only what was filled into them.
    pugi::xml_node holder = mXml.append_child(kKeptCopies);
    const pugi::xml_node kept = holder.append_copy(table);
    copyMarks(table, kept, mFilled, mFilled);
    fragment->origin = mSerial;
    fragment->kept = holder;
    return fragment;
}

QString OdfDocument::uniqueTableName()
{
    QString name;
    do {
        name = QStringLiteral("Table%1").arg(mNextTableNumber++);
    } while (mTableNames.contains(name));
    mTableNames.insert(name);
    return name;
}

pugi::xml_node OdfDocument::insertFragment(const Fragment &fragment, pugi::xml_node parent,
                                           const pugi::xml_node &before)
{
    pugi::xml_node first;
    std::vector<pugi::xml_node> inserted;
    const bool kept = fragment.origin == mSerial && fragment.kept;
    const pugi::xml_node source = kept ? fragment.kept : pugi::xml_node(fragment.xml);
    const OdfFilledNodes &marks = kept ? mFilled : fragment.filled;
    for (pugi::xml_node part = source.first_child(); part; part = part.next_sibling()) {
        pugi::xml_node copy;
        if (kept && named(part, "table:table")) {
            // Held: the element alone, its rows made from the kept copy when wanted.
            copy = before ? parent.insert_child_before(part.name(), before) : parent.append_child(part.name());
            for (const pugi::xml_attribute &attribute : part.attributes())
                copy.append_copy(attribute);
            Held held;
            held.source = part;
            setAttribute(copy, "table:name", uniqueTableName());
            for (qsizetype n = part.select_nodes(".//table:table").size(); n > 0; --n)
                held.nestedNames.append(uniqueTableName());
            mHeld.emplace(copy.internal_object(), std::move(held));
        } else {
            copy = before ? parent.insert_copy_before(part, before) : parent.append_copy(part);
            copyMarks(part, copy, marks, mFilled);
            // Every table of a document has a name of its own, the nested ones too.
            const auto rename = [&](pugi::xml_node table) {
                setAttribute(table, "table:name", uniqueTableName());
            };
            if (named(copy, "table:table"))
                rename(copy);
            for (pugi::xpath_node nested : copy.select_nodes(".//table:table"))
                rename(nested.node());
        }
        inserted.push_back(copy);
        if (!first)
            first = copy;
    }
    if (!first)
        throw Error("There is nothing to paste");

    // Tables that land after the last one known are simply the next; anything else is found anew.
    const bool onlyTables = std::all_of(inserted.begin(), inserted.end(),
                                        [](const pugi::xml_node &node) { return named(node, "table:table"); });
    if (mIndexed && onlyTables && first.parent() == mText) {
        pugi::xml_node lastTop = mTables.empty() ? pugi::xml_node() : mTables.back();
        while (lastTop && lastTop.parent() != mText)
            lastTop = lastTop.parent();
        bool after = !lastTop;
        for (pugi::xml_node node = lastTop ? lastTop.next_sibling() : pugi::xml_node(); node && !after;
             node = node.next_sibling()) {
            OdfText::walkedNodes.fetch_add(1, std::memory_order_relaxed);
            after = node == first;
        }
        if (after && (!lastTop || lastTop != first))
            mTables.insert(mTables.end(), inserted.begin(), inserted.end());
        else
            mIndexed = false;
    } else {
        mIndexed = false;
    }
    return first;
}

int OdfDocument::fill(const pugi::xml_node &scope, const QString &placeholder, const QString &value)
{
    if (placeholder.isEmpty())
        throw Error("The placeholder is empty");
    const auto held = mHeld.find(scope.internal_object());
    if (held == mHeld.end()) {
        makeWhole(scope);
        return fillIn(scope, placeholder, value, mFilled);
    }
    const int count = fillIn(working(scope), placeholder, value, mWorkFilled);
    // A fill that found nothing changed nothing, and need not be made again.
    if (count > 0) {
        qsizetype index = mPlaceholders.indexOf(placeholder);
        if (index < 0) {
            index = mPlaceholders.size();
            mPlaceholders.append(placeholder);
        }
        held->second.fills.emplace_back(quint32(index), quint32(value.size()));
        held->second.values.append(value);
        held->second.height = -1;
    }
    return count;
}

pugi::xml_node OdfDocument::automaticStyles()
{
    pugi::xml_node root = mXml.document_element();
    pugi::xml_node styles = root.child("office:automatic-styles");
    if (!styles) {
        // Before the body, where readers expect it.
        styles = root.insert_child_before("office:automatic-styles", root.child("office:body"));
    }
    return styles;
}

pugi::xml_node OdfDocument::styleNamed(const QString &name, const char *family) const
{
    const QByteArray wanted = name.toUtf8();
    const pugi::xml_node root = mXml.document_element();
    for (const char *container : {"office:automatic-styles", "office:styles"}) {
        for (pugi::xml_node style = root.child(container).child("style:style"); style;
             style = style.next_sibling("style:style")) {
            if (wanted == style.attribute("style:name").value()
                && std::strcmp(style.attribute("style:family").value(), family) == 0)
                return style;
        }
    }
    return {};
}

QString OdfDocument::uniqueStyleName(const QString &base) const
{
    const QByteArray prefix = base.toUtf8();
    QSet<QString> taken;
    const pugi::xml_node root = mXml.document_element();
    for (const char *container : {"office:automatic-styles", "office:styles"}) {
        for (pugi::xml_node style = root.child(container).child("style:style"); style;
             style = style.next_sibling("style:style"))
            taken.insert(attribute(style, "style:name"));
    }
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("%1_%2").arg(base).arg(n);
        if (!taken.contains(name))
            return name;
    }
}

QString OdfDocument::tableAlignment(const pugi::xml_node &table) const
{
    const pugi::xml_node style = styleNamed(attribute(table, "table:style-name"), "table");
    const QString align = attribute(style.child("style:table-properties"), "table:align");
    return align.isEmpty() ? QStringLiteral("left") : align;
}

void OdfDocument::setTableAlignment(const pugi::xml_node &table, const QString &alignment)
{
    if (tableAlignment(table) == alignment)
        return;
    const QString base = attribute(table, "table:style-name");
    const QString key = base + QLatin1Char('|') + alignment;
    QString name = mAlignedStyles.value(key);
    if (name.isEmpty()) {
        pugi::xml_node styles = automaticStyles();
        const pugi::xml_node original = styleNamed(base, "table");
        pugi::xml_node style = original ? styles.append_copy(original) : styles.append_child("style:style");
        name = uniqueStyleName(base.isEmpty() ? QStringLiteral("Table") : base);
        setAttribute(style, "style:name", name);
        setAttribute(style, "style:family", QStringLiteral("table"));
        pugi::xml_node properties = childNamed(style, "style:table-properties", true);
        setAttribute(properties, "table:align", alignment);
        // Without a width of its own a table spans the margins, and alignment means nothing.
        if (!properties.attribute("style:width") && !properties.attribute("style:rel-width"))
            setAttribute(properties, "style:rel-width", QStringLiteral("100%"));
        mAlignedStyles.insert(key, name);
    }
    setAttribute(table, "table:style-name", name);
}

void OdfDocument::releaseKeeps(const pugi::xml_node &table)
{
    // Each style in the table that keeps things together gets a released twin, made once.
    const auto released = [&](const QString &base, const char *family, const char *propertiesName, const char *keep,
                              const char *value) {
        const QString key = QString::fromLatin1(family) + QLatin1Char('|') + base;
        QString name = mReleasedStyles.value(key);
        if (!name.isEmpty())
            return name;
        // A table released before already has its released styles.
        for (auto it = mReleasedStyles.cbegin(); it != mReleasedStyles.cend(); ++it) {
            if (it.value() == base && it.key().startsWith(QString::fromLatin1(family) + QLatin1Char('|')))
                return base;
        }
        pugi::xml_node styles = automaticStyles();
        const pugi::xml_node original = styleNamed(base, family);
        pugi::xml_node style;
        name = uniqueStyleName(base.isEmpty() ? QStringLiteral("Released") : base);
        if (original && original.parent() == styles) {
            style = styles.append_copy(original);
        } else {
            // A common style stays as it is; an automatic one based on it overrides the keep.
            style = styles.append_child("style:style");
            setAttribute(style, "style:family", QString::fromLatin1(family));
            if (!base.isEmpty())
                setAttribute(style, "style:parent-style-name", base);
        }
        setAttribute(style, "style:name", name);
        setAttribute(childNamed(style, propertiesName, true), keep, QString::fromLatin1(value));
        mReleasedStyles.insert(key, name);
        return name;
    };

    makeWhole(table);
    pugi::xml_node tableNode = table;
    setAttribute(tableNode, "table:style-name",
                 released(attribute(table, "table:style-name"), "table", "style:table-properties",
                          "style:may-break-between-rows", "true"));
    for (pugi::xpath_node row : tableNode.select_nodes(".//table:table-row")) {
        pugi::xml_node node = row.node();
        setAttribute(node, "table:style-name",
                     released(attribute(node, "table:style-name"), "table-row", "style:table-row-properties",
                              "fo:keep-together", "auto"));
    }
    OdfText::forEachParagraph(table, [&](const pugi::xml_node &paragraph) {
        setAttribute(paragraph, "text:style-name",
                     released(attribute(paragraph, "text:style-name"), "paragraph", "style:paragraph-properties",
                              "fo:keep-with-next", "auto"));
    });
}

void OdfDocument::dropStatistics()
{
    pugi::xml_node meta = mXml.document_element().child("office:meta");
    while (pugi::xml_node statistics = meta.child("meta:document-statistic"))
        meta.remove_child(statistics);
}

QStringList OdfDocument::outline() const
{
    QStringList lines;
    for (pugi::xml_node child = mText.first_child(); child; child = child.next_sibling()) {
        if (OdfText::isParagraph(child))
            lines.append(OdfText::read(child));
        else if (named(child, "table:table"))
            lines.append(QStringLiteral("<table>"));
    }
    return lines;
}

QList<QStringList> OdfDocument::cellTexts(const pugi::xml_node &table) const
{
    QList<QStringList> rows;
    // In document order: an XPath union would give the heading rows after the others.
    std::vector<pugi::xml_node> tableRows;
    collectRows(isHeld(table) ? working(table) : table, tableRows);
    for (const pugi::xml_node &row : tableRows) {
        QStringList cells;
        for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling()) {
            if (!named(cell, "table:table-cell"))
                continue;
            QStringList paragraphs;
            OdfText::forEachParagraph(cell, [&](const pugi::xml_node &p) { paragraphs.append(OdfText::read(p)); });
            cells.append(paragraphs.join(QLatin1Char('\n')));
        }
        rows.append(cells);
    }
    return rows;
}

double OdfDocument::inches(const QString &length)
{
    static const std::pair<const char *, double> units[] = {
        {"in", 1.0}, {"cm", 1.0 / 2.54}, {"mm", 1.0 / 25.4}, {"pt", 1.0 / 72.0}, {"pc", 1.0 / 6.0}, {"px", 1.0 / 96.0},
    };
    const QString text = length.trimmed();
    for (const auto &[unit, factor] : units) {
        if (text.endsWith(QLatin1String(unit))) {
            bool ok = false;
            const double value = text.chopped(2).toDouble(&ok);
            return ok ? value * factor : 0.0;
        }
    }
    return 0.0;
}

double OdfDocument::textAreaHeight() const
{
    constexpr double kDefault = 9.0;
    const pugi::xml_node root = mXml.document_element();
    const pugi::xml_node master = root.child("office:master-styles").child("style:master-page");
    const QByteArray layoutName = master.attribute("style:page-layout-name").value();
    for (pugi::xml_node layout = root.child("office:automatic-styles").child("style:page-layout"); layout;
         layout = layout.next_sibling("style:page-layout")) {
        if (layoutName != layout.attribute("style:name").value())
            continue;
        const pugi::xml_node properties = layout.child("style:page-layout-properties");
        const double height = inches(attribute(properties, "fo:page-height"));
        const double top = inches(attribute(properties, "fo:margin-top"));
        const double bottom = inches(attribute(properties, "fo:margin-bottom"));
        return height - top - bottom > 0 ? height - top - bottom : kDefault;
    }
    return kDefault;
}

double OdfDocument::estimatedHeight(const pugi::xml_node &table) const
{
    // Narrow cells of small type: about 30 characters a line, five lines an inch, and some room for
    // each row's padding. Overestimating only lets a very long receipt break where it could have fitted.
    constexpr double kCharactersPerLine = 30.0;
    constexpr double kLinesPerInch = 5.0;
    constexpr double kRowPadding = 0.15;
    if (const auto held = mHeld.find(table.internal_object()); held != mHeld.end()) {
        if (held->second.height >= 0)
            return held->second.height;
        const double height = estimatedHeight(working(table));
        held->second.height = height;
        return height;
    }
    double height = 0;
    for (pugi::xpath_node row : table.select_nodes(".//table:table-row")) {
        double tallest = 0;
        for (pugi::xml_node cell = row.node().child("table:table-cell"); cell;
             cell = cell.next_sibling("table:table-cell")) {
            double lines = 0;
            OdfText::forEachParagraph(cell, [&](const pugi::xml_node &paragraph) {
                const QString text = OdfText::read(paragraph);
                for (const QString &line : text.split(QLatin1Char('\n')))
                    lines += std::max(1.0, std::ceil(double(line.size()) / kCharactersPerLine));
            });
            tallest = std::max(tallest, lines / kLinesPerInch);
        }
        height += tallest + kRowPadding;
    }
    return height;
}
