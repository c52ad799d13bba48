#pragma once

#include "OdfText.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <pugixml.hpp>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>
#include <vector>

/// A text document held in the program as OpenDocument (its flat XML form): what the automation
/// interface's objects edit. The office only reads documents into it and writes them out of it, so
/// editing costs the same for the thousandth receipt as for the first.
///
/// Element and attribute names are matched by the prefixes that OpenDocument writers use (office:,
/// text:, table:, style:, fo:); parse() refuses a document that binds them to anything else.
class OdfDocument final
{
public:
    /// A document that cannot be read, or an edit that the document does not allow.
    class Error : public std::runtime_error
    {
    public:
        using std::runtime_error::runtime_error;
    };

    /// Copied content, as the clipboard holds it: whole tables, with their filled marks.
    struct Fragment
    {
        pugi::xml_document xml;
        OdfFilledNodes filled;
        /// The document it was copied from, and a copy kept there: pasting that one back into the
        /// same document shares the unchanged texts of the original instead of copying them.
        quint64 origin = 0;
        pugi::xml_node kept;
    };

    /// Reads a flat OpenDocument text. Throws Error.
    static std::unique_ptr<OdfDocument> parse(QByteArrayView flatXml);
    std::unique_ptr<OdfDocument> clone() const;
    /// The document as flat XML, UTF-8.
    QByteArray serialize() const;
    /// Writes the document as flat XML, UTF-8, to \a device as it goes, never holding all of it. False
    /// when a write failed.
    bool serialize(QIODevice &device) const;

    /// The main text (office:text). Every table in it is made whole first: its nodes are there to be
    /// walked.
    pugi::xml_node text() const;
    /// The whole document (office:document), for reading; whole as text() makes it.
    pugi::xml_node root() const;
    /// The style \a name of \a family ("paragraph", "table", "table-row" ...), automatic or common.
    pugi::xml_node styleNamed(const QString &name, const char *family) const;

    /// The tables of the main text in document order, tables inside tables left out.
    int tableCount();
    /// Table \a index (from 0). A held table (see insertFragment) is its element alone: fill(),
    /// cellTexts() and the like read it as if it were whole, and text() makes it whole.
    pugi::xml_node table(int index);
    QString tableName(const pugi::xml_node &table) const;

    /// The first paragraph of the main text (one is made when there is none).
    pugi::xml_node firstParagraph();
    /// The last paragraph of the main text; when the text ends in a table, an empty one is made after it.
    pugi::xml_node lastParagraph();

    /// Splits \a paragraph at \a position (see OdfText::split).
    pugi::xml_node splitParagraph(const pugi::xml_node &paragraph, qsizetype position);
    /// A new empty paragraph right after \a node (a paragraph or a table), styled like \a like.
    pugi::xml_node insertParagraphAfter(const pugi::xml_node &node, const pugi::xml_node &like);

    /// A copy of \a table for the clipboard.
    std::shared_ptr<const Fragment> copyTable(const pugi::xml_node &table);
    /// Inserts the tables of \a fragment into \a parent before \a before (at the end when null), each
    /// under a name that no other table of the document has. Returns the first inserted node.
    ///
    /// A table copied within this document goes in as its element only, holding its name and style,
    /// with the copy it came from and the fills made into it on the side; its rows are made when
    /// something wants them (see text()). A document of thousands of receipts then holds a few hundred
    /// bytes for each instead of a whole table of nodes. Written out, it is as if it had been whole.
    pugi::xml_node insertFragment(const Fragment &fragment, pugi::xml_node parent, const pugi::xml_node &before);

    /// Puts \a value, literally, wherever \a placeholder stands in \a scope (case ignored), but never
    /// inside what earlier fills put there. Returns how often it was found.
    int fill(const pugi::xml_node &scope, const QString &placeholder, const QString &value);

    /// Aligns \a table: "left", "center" or "right". Tables that share its style keep theirs.
    void setTableAlignment(const pugi::xml_node &table, const QString &alignment);
    /// How \a table is aligned ("left" when its style says nothing).
    QString tableAlignment(const pugi::xml_node &table) const;
    /// Lets the rows and paragraphs of \a table break across pages: for a receipt taller than a page,
    /// which could otherwise never be laid out.
    void releaseKeeps(const pugi::xml_node &table);

    /// Removes the counts of pages, words, tables and so on that the document carries about itself:
    /// those of a template say nothing true about what is made from it. Writers then count anew or
    /// write none.
    void dropStatistics();

    /// The main text, for reading: a paragraph as its text, a table as "<table>".
    QStringList outline() const;
    /// The texts of the cells of \a table, row by row; a cell's paragraphs joined by "\n".
    QList<QStringList> cellTexts(const pugi::xml_node &table) const;

    /// The height of the text area of the document's first page style, in inches (9 when the document
    /// does not say).
    double textAreaHeight() const;
    /// A generous estimate of \a table's height in inches, from the length of its text: more than a
    /// page means its rows cannot all be kept together.
    double estimatedHeight(const pugi::xml_node &table) const;

    /// A length such as "1.25in", "2.5cm", "30mm" or "72pt" in inches; 0 when it is none of these.
    static double inches(const QString &length);

    /// How many tables are held as their copy and fills, their rows not yet made.
    std::size_t heldTables() const { return mHeld.size(); }

private:
    /// A pasted table kept as the copy it came from and what was filled into it.
    struct Held
    {
        pugi::xml_node source;
        /// The names given to the tables inside it, in document order.
        QStringList nestedNames;
        /// The fills in the order they were made: the placeholder (in mPlaceholders) and the value's
        /// length in values, which holds the values one after the other.
        std::vector<std::pair<quint32, quint32>> fills;
        QString values;
        /// Its estimated height once known; negative while not.
        double height = -1;
    };

    OdfDocument() = default;
    void write(pugi::xml_writer &writer) const;
    void writeNode(const pugi::xml_node &node, pugi::xml_writer &writer,
                   const std::unordered_set<pugi::xml_node_struct *> &holding) const;
    bool isHeld(const pugi::xml_node &node) const { return mHeld.count(node.internal_object()) != 0; }
    /// Makes the rows of \a held in \a table, an element with its name and style; \a sourceMarks are
    /// the filled marks of its source's document, \a marks those of \a table's.
    void make(const Held &held, pugi::xml_node table, const OdfFilledNodes &sourceMarks, OdfFilledNodes &marks) const;
    /// \a table, which is held, made whole on its own, its fills to come going on there.
    pugi::xml_node working(const pugi::xml_node &table) const;
    /// Makes every held table in \a scope whole in the document.
    void makeWhole(const pugi::xml_node &scope) const;
    void makeWhole(pugi::xml_node_struct *table) const;
    void makeAllWhole() const;
    void index();
    void collectTables(const pugi::xml_node &node);
    pugi::xml_node automaticStyles();
    QString uniqueStyleName(const QString &base) const;
    QString uniqueTableName();

    pugi::xml_document mXml;
    // Tells documents apart for as long as the program runs, also one made where another was.
    quint64 mSerial = 0;
    pugi::xml_node mText;
    std::vector<pugi::xml_node> mTables;
    bool mIndexed = false;
    QSet<QString> mTableNames;
    int mNextTableNumber = 1;
    OdfFilledNodes mFilled;
    // A style with its alignment changed, for every table that shared it: base|alignment -> name.
    QMap<QString, QString> mAlignedStyles;
    QMap<QString, QString> mReleasedStyles;
    // Held tables are made whole by what reads them, the const readers included.
    mutable std::unordered_map<pugi::xml_node_struct *, Held> mHeld;
    QStringList mPlaceholders;
    // The held table last filled or read, made whole in a document of its own.
    mutable pugi::xml_document mWork;
    mutable pugi::xml_node_struct *mWorkOf = nullptr;
    mutable OdfFilledNodes mWorkFilled;
};
