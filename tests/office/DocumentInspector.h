#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

class OdfDocument;
class WordDocument;

/// Reads a document to check what the automation interface cannot show: the order of paragraphs and
/// tables, cell texts, table properties and styles. Cells are named as word processors name them:
/// the column's letter, counting the cells of the row, and the row's number ("A1", "C7").
class DocumentInspector final
{
public:
    /// The content of an open document of the LibreOffice backend.
    explicit DocumentInspector(WordDocument &document);
    /// A saved file, read by an office of its own that has nothing to do with the one that wrote it.
    static DocumentInspector ofFile(const QString &path);
    ~DocumentInspector();
    DocumentInspector(DocumentInspector &&) noexcept;

    /// The main text in order: a paragraph as its text, a table as "<table>".
    QStringList outline() const;
    /// The number of tables of the main text.
    int tableCount() const;
    /// The cells of table \a n (from 1) as "A1=text", row by row.
    QStringList cells(int n) const;
    /// The text of cell \a name of table \a n.
    QString cell(int n, const QString &name) const;
    /// How many cells each row of table \a n has, top to bottom.
    QList<int> cellsPerRow(int n) const;
    /// The table's alignment: "left", "center", "right" or "margins".
    QString alignment(int n) const;
    /// Whether any row of table \a n may break across pages.
    bool rowsMaySplit(int n) const;
    /// Whether the first paragraph of cell \a name keeps with the next paragraph.
    bool keepsWithNext(int n, const QString &name) const;
    /// The table's width in twips.
    int widthTwips(int n) const;
    bool hasParagraphStyle(const QString &name) const;
    /// Whether the document is bound to a file (a template opened read-only is not).
    bool hasLocation() const;

    /// The whole document as flat OpenDocument XML: page styles, headers, pictures and all.
    QByteArray flatXml() const;

    /// \a bytes, a document in any format the office reads, written by the reading office with the
    /// filter \a filter ("MS Word 2007 XML", "writer8", "MS Word 97"): files made as a word processor
    /// would make them.
    static QByteArray convert(const QByteArray &bytes, const QString &filter);

    /// Stops the office that reads saved files, if one was started.
    static void shutdownReader();

private:
    DocumentInspector() = default;
    OdfDocument &model() const;

    WordDocument *mDocument = nullptr;
    std::unique_ptr<OdfDocument> mOwn;
};
