#include "OdfText.h"

#include "OdfNodes.h"

#include <QByteArray>

#include <cstring>

namespace {
using OdfNodes::named;

bool isText(const pugi::xml_node &node)
{
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

qsizetype blanks(const pugi::xml_node &node)
{
    return qMax(1, node.attribute("text:c").as_int(1));
}

void setBlanks(pugi::xml_node node, qsizetype count)
{
    if (count <= 1)
        node.remove_attribute("text:c");
    else if (pugi::xml_attribute c = node.attribute("text:c"))
        c.set_value(static_cast<long long>(count));
    else
        node.append_attribute("text:c").set_value(static_cast<long long>(count));
}

QString nodeText(const pugi::xml_node &node)
{
    return QString::fromUtf8(node.value());
}

void readInto(const pugi::xml_node &parent, const OdfFilledNodes *filled, std::vector<OdfText::Leaf> *leaves,
              QString &text)
{
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        qsizetype length = 0;
        bool leaf = true;
        if (isText(child)) {
            const QString value = nodeText(child);
            length = value.size();
            if (filled && filled->count(child.internal_object()))
                text.append(QString(length, QChar(OdfText::kFilled)));
            else
                text.append(value);
        } else if (named(child, "text:s")) {
            length = blanks(child);
            const QChar blank =
                filled && filled->count(child.internal_object()) ? QChar(OdfText::kFilled) : QChar(QLatin1Char(' '));
            text.append(QString(length, blank));
        } else if (named(child, "text:tab") || named(child, "text:line-break")) {
            length = 1;
            if (filled && filled->count(child.internal_object()))
                text.append(QChar(OdfText::kFilled));
            else
                text.append(named(child, "text:tab") ? QLatin1Char('\t') : QLatin1Char('\n'));
        } else if (child.type() == pugi::node_element && !OdfText::isOpaque(child)) {
            leaf = false;
            readInto(child, filled, leaves, text);
        } else {
            // Notes, frames, bookmarks and the like: part of the paragraph, but no text of it.
            leaf = false;
        }
        if (leaf && leaves)
            leaves->push_back({child, text.size() - length, length});
    }
}

void markLike(OdfFilledNodes *filled, const pugi::xml_node &original, const pugi::xml_node &copy)
{
    if (filled && filled->count(original.internal_object()))
        filled->insert(copy.internal_object());
}

// Makes \a position a boundary between two pieces, splitting the piece that spans it.
void splitAt(const pugi::xml_node &paragraph, qsizetype position, OdfFilledNodes *filled)
{
    std::vector<OdfText::Leaf> leaves;
    OdfText::read(paragraph, nullptr, &leaves);
    for (const OdfText::Leaf &leaf : leaves) {
        if (position <= leaf.start || position >= leaf.start + leaf.length)
            continue;
        const qsizetype at = position - leaf.start;
        pugi::xml_node node = leaf.node;
        if (isText(node)) {
            const QString value = nodeText(node);
            node.set_value(value.left(at).toUtf8().constData());
            pugi::xml_node rest = node.parent().insert_child_after(pugi::node_pcdata, node);
            rest.set_value(value.mid(at).toUtf8().constData());
            markLike(filled, node, rest);
        } else {
            const qsizetype count = blanks(node);
            setBlanks(node, at);
            pugi::xml_node rest = node.parent().insert_copy_after(node, node);
            setBlanks(rest, count - at);
            markLike(filled, node, rest);
        }
        return;
    }
}

std::vector<pugi::xml_node> insertValue(pugi::xml_node parent, const pugi::xml_node &before, const QString &value)
{
    std::vector<pugi::xml_node> nodes;
    const auto add = [&](pugi::xml_node_type type, const char *name = nullptr) {
        pugi::xml_node node = before ? parent.insert_child_before(type, before) : parent.append_child(type);
        if (name)
            node.set_name(name);
        nodes.push_back(node);
        return node;
    };
    const QString text = OdfText::storable(value);
    QString run;
    const auto flush = [&] {
        if (!run.isEmpty())
            add(pugi::node_pcdata).set_value(run.toUtf8().constData());
        run.clear();
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char(' ')) {
            qsizetype end = i;
            while (end < text.size() && text.at(end) == QLatin1Char(' '))
                ++end;
            const qsizetype count = end - i;
            // Readers collapse blanks in text: only a single blank between two other characters of
            // the value is safe as it is; every other blank is written as a counted run.
            const bool inner =
                count == 1 && i > 0 && end < text.size() && !text.at(i - 1).isSpace() && !text.at(end).isSpace();
            if (inner) {
                run.append(c);
            } else {
                flush();
                setBlanks(add(pugi::node_element, "text:s"), count);
            }
            i = end - 1;
        } else if (c == QLatin1Char('\t')) {
            flush();
            add(pugi::node_element, "text:tab");
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            flush();
            add(pugi::node_element, "text:line-break");
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
        } else {
            run.append(c);
        }
    }
    flush();
    return nodes;
}

void copyAttributes(const pugi::xml_node &from, pugi::xml_node to)
{
    for (const pugi::xml_attribute &attribute : from.attributes()) {
        // An identifier names one element only.
        if (std::strcmp(attribute.name(), "xml:id") == 0 || std::strcmp(attribute.name(), "text:id") == 0)
            continue;
        to.append_attribute(attribute.name()).set_value(attribute.value());
    }
}
} // namespace

bool OdfText::isParagraph(const pugi::xml_node &node)
{
    return named(node, "text:p") || named(node, "text:h");
}

bool OdfText::isOpaque(const pugi::xml_node &node)
{
    return named(node, "text:note") || named(node, "draw:frame") || named(node, "draw:a")
           || named(node, "office:annotation") || named(node, "office:annotation-end") || named(node, "text:ruby")
           || named(node, "draw:custom-shape") || named(node, "draw:rect") || named(node, "draw:g")
           || named(node, "text:tracked-changes");
}

qsizetype OdfText::length(const pugi::xml_node &node)
{
    if (isText(node))
        return nodeText(node).size();
    if (named(node, "text:s"))
        return blanks(node);
    if (named(node, "text:tab") || named(node, "text:line-break"))
        return 1;
    return 0;
}

QString OdfText::read(const pugi::xml_node &paragraph, const OdfFilledNodes *filled, std::vector<Leaf> *leaves)
{
    QString text;
    if (leaves)
        leaves->clear();
    readInto(paragraph, filled, leaves, text);
    return text;
}

std::vector<pugi::xml_node> OdfText::replace(const pugi::xml_node &paragraph, qsizetype start, qsizetype length,
                                             const QString &value, OdfFilledNodes *filled)
{
    const qsizetype end = start + length;
    // The end first: splitting there leaves every position before it where it was.
    splitAt(paragraph, end, filled);
    splitAt(paragraph, start, filled);
    std::vector<Leaf> leaves;
    read(paragraph, nullptr, &leaves);

    std::vector<pugi::xml_node> doomed;
    pugi::xml_node anchorParent = paragraph;
    pugi::xml_node anchor;
    for (const Leaf &leaf : leaves) {
        if (leaf.length > 0 && leaf.start >= start && leaf.start + leaf.length <= end)
            doomed.push_back(leaf.node);
        else if (!anchor && leaf.start >= end)
            anchor = leaf.node; // with nothing to replace, the value goes before what follows
    }
    if (!doomed.empty()) {
        anchor = doomed.front();
        anchorParent = anchor.parent();
    } else if (anchor) {
        anchorParent = anchor.parent();
    }
    std::vector<pugi::xml_node> inserted = insertValue(anchorParent, anchor, value);
    for (const pugi::xml_node &node : doomed) {
        if (filled)
            filled->erase(node.internal_object());
        pugi::xml_node(node).parent().remove_child(node);
    }
    return inserted;
}

pugi::xml_node OdfText::split(const pugi::xml_node &paragraph, qsizetype position, OdfFilledNodes *filled)
{
    pugi::xml_node next = paragraph.parent().insert_child_after(pugi::node_element, paragraph);
    next.set_name(paragraph.name());
    copyAttributes(paragraph, next);

    splitAt(paragraph, position, filled);
    std::vector<Leaf> leaves;
    read(paragraph, nullptr, &leaves);
    pugi::xml_node first;
    for (const Leaf &leaf : leaves) {
        if (leaf.start >= position && leaf.length > 0) {
            first = leaf.node;
            break;
        }
    }
    if (!first)
        return next;

    // The path from the paragraph down to the first piece that moves: every element on it is
    // split in two, the new half (same name and attributes) going into the new paragraph.
    std::vector<pugi::xml_node> path;
    for (pugi::xml_node node = first; node != paragraph; node = node.parent())
        path.insert(path.begin(), node);
    pugi::xml_node target = next;
    for (std::size_t level = 0; level < path.size(); ++level) {
        const pugi::xml_node &node = path[level];
        const bool last = level + 1 == path.size();
        // Everything after this node moves, and the node itself when it is the moving piece.
        pugi::xml_node from = last ? node : node.next_sibling();
        pugi::xml_node halfOfNode;
        if (!last) {
            halfOfNode = target.append_child(node.name());
            copyAttributes(node, halfOfNode);
        }
        for (pugi::xml_node moving = from; moving;) {
            pugi::xml_node following = moving.next_sibling();
            target.append_move(moving);
            moving = following;
        }
        if (!last)
            target = halfOfNode;
    }
    return next;
}

QString OdfText::storable(const QString &value)
{
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate()) {
            result.append(c);
            result.append(value.at(++i));
            continue;
        }
        if (c.isSurrogate() || u == 0xFFFE || u == 0xFFFF)
            continue;
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0x7F)
            continue;
        result.append(c);
    }
    return result;
}
