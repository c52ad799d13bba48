#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <pugixml.hpp>

/// Flat OpenDocument texts made from one template, joined into one document in which each starts on a
/// page of its own, of its own first page's style: laid out once, the pages of each are then the pages it
/// has alone. Only documents that differ in their main text and its automatic styles join; anything else
/// about them (styles, page styles, headers and footers, settings) must be the same as the first one's,
/// and documents that show page numbers or tell left pages from right ones do not join at all.
class OdfPageBatch final
{
public:
    /// Adds \a flatXml as the next document. False, with \a problem and the batch unchanged, when it
    /// cannot join: a document whose pages could then differ from its own.
    bool append(QByteArrayView flatXml, QString &problem);
    /// How many documents the batch holds.
    int count() const { return static_cast<int>(mStarts.size()); }
    /// The joined document as flat XML, UTF-8.
    QByteArray serialize() const;

    /// Where a document begins, among the paragraphs and tables of the main text's top level.
    struct Start
    {
        /// Index from 0 of the document's first paragraph or table.
        int element = 0;
        bool table = false;
    };
    /// True when the main text's top level holds only paragraphs, headings and tables, so that the
    /// starts count what a word processor counts there.
    bool countable() const { return mCountable; }
    const QList<Start> &starts() const { return mStarts; }

private:
    bool begin(QByteArrayView flatXml, QString &problem);

    pugi::xml_document mXml;
    pugi::xml_node mText;
    pugi::xml_node mAutomaticStyles;
    /// What every document must share: all but the main text and the automatic styles.
    std::string mFrame;
    /// The declarations at the start of the main text.
    std::string mDeclarations;
    /// Automatic styles by element, family and name, as written.
    QHash<QString, std::string> mStyles;
    QSet<QString> mStyleNames;
    QSet<QString> mTableNames;
    /// The page-starting style made for a style of a document's first paragraph or table.
    QHash<QString, QString> mStartStyles;
    QString mFirstMasterPage;
    QList<Start> mStarts;
    int mElements = 0;
    bool mCountable = true;
};
