#pragma once

// The word processor's automation interface: the objects and operations the program drives, named
// as the word processor names them. Generation, the page snapshot and the availability check use
// only this; a backend implements it (LibreOffice Writer over UNO in the program, a scripted
// stand-in in tests). Every operation either succeeds or throws AutomationError with a description.

#include "Failure.h"
#include "PagePicture.h"

#include <QString>

#include <exception>
#include <functional>
#include <memory>

/// A failure raised by the word processor, with its description.
class AutomationError : public Failure
{
public:
    using Failure::Failure;
};

/// The word processor itself went away (its process ended) during an operation: nothing more can be
/// done with this instance; a new one starts a fresh word processor.
class WordProcessorLost : public AutomationError
{
public:
    using AutomationError::AutomationError;
};

/// The user stopped the work (RequestRunCancel(), or ending the program) while the word processor was
/// at it: the operation ended without a result, and the word processor was stopped.
class AutomationCancelled : public AutomationError
{
public:
    using AutomationError::AutomationError;
};

/// True when \a error is a WordProcessorLost.
bool IsWordProcessorLost(const std::exception_ptr &error);
/// True when \a error is an AutomationCancelled.
bool IsAutomationCancelled(const std::exception_ptr &error);

// The values of the word processor's enumerations that the program passes.
inline constexpr int wdStory = 6;
inline constexpr int wdFindContinue = 1;
inline constexpr int wdAlignRowCenter = 1;
inline constexpr int wdDoNotSaveChanges = 0;
// File formats of SaveAs2.
inline constexpr int wdFormatDocument = 0;          ///< Word 97-2003 (.doc)
inline constexpr int wdFormatXMLDocument = 12;      ///< Word 2007 and later (.docx)
inline constexpr int wdFormatPDF = 17;              ///< PDF (.pdf)
inline constexpr int wdFormatOpenDocumentText = 23; ///< OpenDocument Text (.odt)
/// Not the word processor's: the content as flat OpenDocument text (.fodt), exactly as the word processor
/// is handed it to lay out its pages, written by the program alone. For joining many documents into one.
inline constexpr int wdFormatFlatOpenDocumentText = 1000;
// ExportAsFixedFormat: the format, and which pages.
inline constexpr int wdExportFormatPDF = 17;
inline constexpr int wdExportAllDocument = 0;
inline constexpr int wdExportFromTo = 3;

class WordReplacement
{
public:
    virtual ~WordReplacement() = default;
    virtual void ClearFormatting() = 0;
    virtual void setText(const QString &text) = 0;
};

/// The search options of a selection.
class WordFind
{
public:
    virtual ~WordFind() = default;
    virtual void ClearFormatting() = 0;
    virtual std::shared_ptr<WordReplacement> Replacement() = 0;
    virtual void setText(const QString &text) = 0;
    virtual void setForward(bool forward) = 0;
    virtual void setWrap(int wrap) = 0;
    virtual void setFormat(bool format) = 0;
    virtual void setMatchCase(bool matchCase) = 0;
    virtual void setMatchWholeWord(bool matchWholeWord) = 0;
    virtual void setMatchWildcards(bool matchWildcards) = 0;
    virtual void setMatchSoundsLike(bool matchSoundsLike) = 0;
    virtual void setMatchAllWordForms(bool matchAllWordForms) = 0;
};

class WordSelection
{
public:
    virtual ~WordSelection() = default;
    virtual std::shared_ptr<WordFind> Find() = 0;
    /// Copies the selection to the program's clipboard.
    virtual void Copy() = 0;
    /// Inserts the clipboard's content at the selection.
    virtual void Paste() = 0;
    /// Moves the insertion point to the end of \a unit (wdStory: the document's end).
    virtual void EndKey(int unit) = 0;
    /// Inserts a paragraph mark at the insertion point.
    virtual void TypeParagraph() = 0;
};

class WordWindow
{
public:
    virtual ~WordWindow() = default;
    virtual std::shared_ptr<WordSelection> Selection() = 0;
};

class WordRows
{
public:
    virtual ~WordRows() = default;
    /// wdAlignRowCenter centres the table between the margins.
    virtual void setAlignment(int alignment) = 0;
    virtual void setWrapAroundText(bool wrap) = 0;
};

class WordRange;

class WordTable
{
public:
    virtual ~WordTable() = default;
    /// The table's own text.
    virtual std::shared_ptr<WordRange> Range() = 0;
    /// Makes the whole table the selection of the document's window.
    virtual void Select() = 0;
    virtual std::shared_ptr<WordRows> Rows() = 0;
    /// Sets the value of the placeholder \a placeholder (case ignored) everywhere in this table,
    /// as literal text. Text that earlier fills put into the table is never searched, so a value
    /// that looks like a placeholder stays as it was typed.
    virtual void FillPlaceholder(const QString &placeholder, const QString &value) = 0;
};

class WordTables
{
public:
    virtual ~WordTables() = default;
    virtual int Count() = 0;
    /// Table \a n (from 1) in document order.
    virtual std::shared_ptr<WordTable> Item(int n) = 0;
};

class WordRange
{
public:
    virtual ~WordRange() = default;
    /// Puts a picture of the range on the program's clipboard.
    virtual void CopyAsPicture() = 0;
    /// The text of the range: paragraphs, and the cells of a table, each on a line of its own.
    virtual QString Text() = 0;
};

class WordDocument
{
public:
    virtual ~WordDocument() = default;
    virtual std::shared_ptr<WordTables> Tables() = 0;
    virtual std::shared_ptr<WordWindow> ActiveWindow() = 0;
    /// The whole main text.
    virtual std::shared_ptr<WordRange> Range() = 0;
    /// Saves as a Word 97-2003 document under \a fileName; an existing file is replaced.
    virtual void SaveAs(const QString &fileName) = 0;
    /// Saves under \a fileName in \a fileFormat (wdFormatDocument, wdFormatXMLDocument,
    /// wdFormatOpenDocumentText or wdFormatPDF); an existing file is replaced. The document is then
    /// bound to that file, except for a PDF, which is only a picture of its pages.
    virtual void SaveAs2(const QString &fileName, int fileFormat) = 0;
    /// Writes pages as a PDF file (\a exportFormat wdExportFormatPDF): all of them with \a range
    /// wdExportAllDocument, pages \a from to \a to (from 1) with wdExportFromTo. The document stays
    /// bound to its own file.
    virtual void ExportAsFixedFormat(const QString &outputFileName, int exportFormat, int range, int from, int to) = 0;
    virtual void Close() = 0;
    virtual void Close(int saveChanges) = 0;
};

class WordDocuments
{
public:
    virtual ~WordDocuments() = default;
    /// Opens a document, which becomes the active one. A template opened read-only gives a new,
    /// untitled document made from it; the template file itself is never written.
    virtual std::shared_ptr<WordDocument> Open(const QString &fileName, bool readOnly = false) = 0;
};

/// One instance of the word processor, invisible. Quit closes every document it opened.
class WordApplication
{
public:
    virtual ~WordApplication() = default;
    virtual std::shared_ptr<WordDocuments> Documents() = 0;
    virtual std::shared_ptr<WordDocument> ActiveDocument() = 0;
    virtual void setDisplayAlerts(bool displayAlerts) = 0;
    virtual void Quit() = 0;
};

using WordApplicationFactory = std::function<std::unique_ptr<WordApplication>()>;

/// A new instance of the word processor. Throws AutomationError when none can be had.
std::unique_ptr<WordApplication> CreateWordApplication();
/// Installs the backend that CreateWordApplication uses; an empty factory removes it.
void SetWordApplicationFactory(WordApplicationFactory factory);

/// How a backend puts off writing the Word files it saves: see WordFileDeferral. Installed with the
/// backend; empty functions remove it.
struct DeferredWordFiles
{
    /// From now on (true) Word files are written when asked for, or (false) at once; false also drops a
    /// file whose writing is still put off.
    std::function<void(bool defer)> setDeferred;
    /// Writes the Word file saved at a path now, when its writing was put off; throws AutomationError.
    std::function<void(const QString &path)> write;
    /// A run of about this many receipts may come soon; never throws.
    std::function<void(int receipts)> expect;
};
void SetDeferredWordFiles(DeferredWordFiles deferred);

/// While one lives, the word processor may leave a Word file it saves to be written when write() asks:
/// the window has the picture of a long document's first pages made from what the office laid out for
/// the file, and shown, before the file is written. A backend that cannot wait writes at once, and
/// write() then has nothing left to do.
class WordFileDeferral final
{
public:
    WordFileDeferral();
    /// A file still unwritten is dropped: whoever made the run had to give it up.
    ~WordFileDeferral();
    WordFileDeferral(const WordFileDeferral &) = delete;
    WordFileDeferral &operator=(const WordFileDeferral &) = delete;

    /// Writes the Word file saved at \a path now, when its writing was put off. Throws AutomationError.
    void write(const QString &path);

    /// Tells the word processor that a run of about \a receipts receipts may come soon (a list was
    /// imported, a run starts): a backend that writes a long run's file beside its pages may get ready
    /// for it meanwhile. Never throws.
    static void expect(int receipts) noexcept;
};

/// The program's own clipboard. What the word processor copies (a table, a page picture) stays in
/// the program: the desktop clipboard, and what the user copied there, is never touched.
class ProgramClipboard
{
public:
    virtual ~ProgramClipboard() = default;

    /// The picture on the clipboard in \a format (0: whatever picture it holds); a null picture when it
    /// holds none. Throws AutomationError when the read itself fails.
    virtual PagePicture picture(int format) = 0;
    virtual void setPicture(const PagePicture &picture) = 0;

    /// Content only the backend that put it there understands (a copied table).
    virtual std::shared_ptr<void> content() const = 0;
    virtual void setContent(std::shared_ptr<void> content) = 0;

    virtual void clear() = 0;

    /// The clipboard in use: an in-memory one unless a test installed its own.
    static ProgramClipboard &current();
    /// Installs \a clipboard (not owned); nullptr restores the in-memory one.
    static void install(ProgramClipboard *clipboard);
};

/// The clipboard the program uses: a picture or a backend's content, held in memory.
class MemoryClipboard : public ProgramClipboard
{
public:
    PagePicture picture(int format) override;
    void setPicture(const PagePicture &picture) override;
    std::shared_ptr<void> content() const override;
    void setContent(std::shared_ptr<void> content) override;
    void clear() override;

private:
    PagePicture mPicture;
    std::shared_ptr<void> mContent;
};
