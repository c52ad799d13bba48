#pragma once

#include "WordAutomation.h"

#include <QString>

#include <optional>

/// A format the generated document can be saved in.
struct SaveFormat
{
    int fileFormat;        ///< the word processor's value (wdFormatDocument ...)
    const char *extension; ///< the file name's extension, without the dot
    const char *filter;    ///< the save dialog's entry
};

/// Every format, the Word 97-2003 one first.
inline constexpr SaveFormat kSaveFormats[] = {
    {wdFormatDocument, "doc", "Word Files (*.doc)"},
    {wdFormatXMLDocument, "docx", "Word 2007-365 (*.docx)"},
    {wdFormatOpenDocumentText, "odt", "OpenDocument Text (*.odt)"},
    {wdFormatPDF, "pdf", "PDF (*.pdf)"},
};

/// The save dialog's filter: one entry per format, the first one chosen unless the user picks another.
QString SaveDialogFilter();

/// The format that \a path's extension names, case ignored; none for any other extension.
std::optional<int> FileFormatOfName(const QString &path);

/// The format of the save dialog's entry \a filter; Word 97-2003 for anything else.
int FileFormatOfFilter(const QString &filter);

/// Where a save goes, and in which format.
struct SaveTarget
{
    QString path;
    int fileFormat = wdFormatDocument;
};

/// The save that the user asked for: an extension they typed names the format, whatever the chosen
/// entry of the dialog; otherwise the entry does, and a name without extension gets the entry's. Any
/// other extension is kept as typed. An empty path stays empty.
SaveTarget ChooseSaveTarget(const QString &typed, const QString &selectedFilter);

/// Copies \a source to \a target byte for byte. The copy is written next to the target and takes the
/// target's place only when complete, so an existing target is either replaced whole or left exactly as
/// it was, and a failed copy leaves no partial file. A link at \a target is followed and stays; a target
/// the user protected is refused (CheckedFile::Mode::Save). Throws Failure with the reason.
void CopyFileReplacing(const QString &source, const QString &target);

/// Saves the generated document \a document at \a target in \a fileFormat: a Word 97-2003 copy byte
/// for byte, any other format written by an instance of the word processor of its own. Either way the
/// target is replaced whole or left as it was; a link there is followed, a protected target refused, as
/// CopyFileReplacing does. Throws Failure (AutomationError from the word processor).
void SaveDocumentCopy(const QString &document, const QString &target, int fileFormat);

/// Writes pages \a from to \a to (from 1) of \a document as a PDF file at \a target, as SaveDocumentCopy
/// does; every page when \a from is 0. Throws Failure.
void ExportDocumentPages(const QString &document, const QString &target, int from, int to);
