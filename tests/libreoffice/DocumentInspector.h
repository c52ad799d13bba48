#pragma once

#include <QString>
#include <QStringList>

class WordDocument;

/// Reads a document of the LibreOffice backend directly, to check what the interface cannot show:
/// the order of paragraphs and tables, cell texts, table properties and styles.
class DocumentInspector final
{
public:
    /// \a document must come from the LibreOffice backend.
    explicit DocumentInspector(WordDocument &document);

    /// The main text in order: a paragraph as its text, a table as "<table>".
    QStringList outline() const;
    /// The cells of table \a n (from 1) as "A1=text", in the office's cell order.
    QStringList cells(int n) const;
    /// The text of cell \a name of table \a n.
    QString cell(int n, const QString &name) const;
    /// How many cells each row of table \a n has, top to bottom.
    QList<int> cellsPerRow(int n) const;
    /// The table's horizontal orientation (com.sun.star.text.HoriOrientation).
    int horizontalOrientation(int n) const;
    /// Whether any row of table \a n may break across pages.
    bool rowsMaySplit(int n) const;
    /// Whether the first paragraph of cell \a name keeps with the next paragraph.
    bool keepsWithNext(int n, const QString &name) const;
    /// The table's width in twips.
    int widthTwips(int n) const;
    bool hasParagraphStyle(const QString &name) const;
    /// Whether the document is bound to a file (a template opened read-only is not).
    bool hasLocation() const;

private:
    WordDocument &mDocument;
};
