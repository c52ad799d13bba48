#include "FlatOdf.h"

#include "OdfText.h"

#include <cstring>

namespace {
struct StringWriter : pugi::xml_writer
{
    QByteArray bytes;
    void write(const void *data, size_t size) override
    {
        bytes.append(static_cast<const char *>(data), static_cast<qsizetype>(size));
    }
};

bool named(const pugi::xml_node &node, const char *name)
{
    return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

void readInto(const pugi::xml_node &parent, QString &text, bool &afterBlank)
{
    for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) {
            for (const QChar c : QString::fromUtf8(child.value())) {
                const bool blank =
                    c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r');
                if (blank && afterBlank)
                    continue;
                text.append(blank ? QChar(QLatin1Char(' ')) : c);
                afterBlank = blank;
            }
        } else if (named(child, "text:s")) {
            text.append(QString(qMax(1, child.attribute("text:c").as_int(1)), QLatin1Char(' ')));
            afterBlank = false;
        } else if (named(child, "text:tab")) {
            text.append(QLatin1Char('\t'));
            afterBlank = false;
        } else if (named(child, "text:line-break")) {
            text.append(QLatin1Char('\n'));
            afterBlank = false;
        } else if (child.type() == pugi::node_element && !OdfText::isOpaque(child)) {
            readInto(child, text, afterBlank);
        }
    }
}
} // namespace

QByteArray FlatOdf::document(const QByteArray &body, const QByteArray &head)
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
                             "<office:document"
                             " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
                             " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
                             " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
                             " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\""
                             " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
                             " xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\""
                             " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
                             " office:version=\"1.3\" office:mimetype=\"application/vnd.oasis.opendocument.text\">")
           + head + QByteArrayLiteral("<office:body><office:text>") + body
           + QByteArrayLiteral("</office:text></office:body></office:document>");
}

QString FlatOdf::readerText(const pugi::xml_node &paragraph)
{
    QString text;
    bool afterBlank = true;
    readInto(paragraph, text, afterBlank);
    return text;
}

QString FlatOdf::innerXml(const pugi::xml_node &node)
{
    StringWriter writer;
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        child.print(writer, "", pugi::format_raw);
    return QString::fromUtf8(writer.bytes);
}
