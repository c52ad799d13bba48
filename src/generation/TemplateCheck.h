#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

/// What checking a receipt template found.
struct TemplateReview
{
    /// Why the template cannot be used, in one sentence; empty when it can.
    QString refusal;
    /// The placeholders that its receipt table lacks: nothing is filled in for them.
    QStringList missing;
    /// Bracketed texts of the table that look like misspelt placeholders, each with the placeholder it
    /// resembles: "[Totl] (for [Total])".
    QStringList misspelt;

    bool usable() const { return refusal.isEmpty(); }
    /// The warning about the template \a shownName, one sentence a line; empty when there is none.
    QString warning(const QString &shownName) const;
};

/// What the last check of a template through the word processor found, so that checking the same file
/// with the same bytes again needs no word processor.
struct CheckedTemplate
{
    QString path;
    QByteArray digest;
    TemplateReview review;
};

/// Checks a template of the user's own before any receipt is made from it. A template is any Word or
/// OpenDocument text document (.doc, .dot, .docx, .dotx, .odt, .ott) whose first table is the receipt,
/// holding some or all of the fourteen placeholders.
class TemplateCheck final
{
public:
    /// The largest template read: a receipt template is a few hundred kilobytes even with pictures.
    static constexpr qint64 kMaxTemplateBytes = 64 * 1024 * 1024;

    /// Reviews the text of a template's receipt table: which placeholders it holds, as the run finds
    /// them (case ignored, also inside longer text), which it lacks, and what looks misspelt. Refuses a
    /// table without any placeholder.
    static TemplateReview reviewTable(const QString &tableText, const QString &shownName);

    /// True when \a bytes start as a Word 97-2003 file or a zipped package (Word 2007 and later,
    /// OpenDocument) does: anything else is no word-processing document at all.
    static bool looksLikeDocument(const QByteArray &bytes);

    /// Reads the template at \a path, puts a copy in the temporary folder under the safety rules of the
    /// built-in one, opens that copy in the word processor and reviews its first table. The user's file
    /// is only read. \a bytes receives what was read, so that a run uses exactly what was checked.
    /// Throws Failure when the word processor itself fails (that is no fault of the template).
    /// With \a last, a file whose path and bytes are those last checked gets the same review without the
    /// word processor, and a file checked through it is kept there.
    static TemplateReview checkFile(const QString &path, QByteArray &bytes, CheckedTemplate *last = nullptr);
};
