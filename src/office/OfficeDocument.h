#pragma once

#include <QByteArray>
#include <QList>
#include <QMarginsF>
#include <QString>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/Sequence.hxx>

#include <chrono>
#include <functional>
#include <memory>

class LibreOfficeSession;

/// A document loaded into the office, hidden, with its layout: what the office needs to write a
/// document out (a Word file, a PDF) or to read one in. The bytes go to and from the office in memory,
/// never through a file of the user's. Closed in the office when the last holder lets go.
class OfficeDocument final
{
public:
    /// Filters, by the office's names.
    static constexpr char kFlatXml[] = "OpenDocument Text Flat XML";
    static constexpr char kWord97[] = "MS Word 97";
    static constexpr char kWord2007[] = "MS Word 2007 XML";
    static constexpr char kOpenDocumentText[] = "writer8";
    static constexpr char kPdf[] = "writer_pdf_Export";

    /// Whether the office lays the document out in pages. Storing a Word or OpenDocument file needs no
    /// pages, and laying out thousands of them costs more than the store; a PDF or a picture needs them.
    enum class Layout {
        Pages,
        ModelOnly,
    };

    /// Loads \a bytes in \a filter's format (empty: the office finds out). Throws AutomationError
    /// (WordProcessorLost when the office went away, AutomationCancelled when cancelled). A model-only
    /// load needs a filter.
    static std::shared_ptr<OfficeDocument> load(std::shared_ptr<LibreOfficeSession> session, const QByteArray &bytes,
                                                const QString &filter, const QString &what,
                                                Layout layout = Layout::Pages);
    /// Loads the file \a path, which the office reads itself, in \a filter's format. Throws as load() does.
    static std::shared_ptr<OfficeDocument> loadFile(std::shared_ptr<LibreOfficeSession> session, const QString &path,
                                                    qsizetype size, const QString &filter, const QString &what,
                                                    Layout layout);
    ~OfficeDocument();
    OfficeDocument(const OfficeDocument &) = delete;
    OfficeDocument &operator=(const OfficeDocument &) = delete;

    /// Takes the office's output piece by piece.
    using Sink = std::function<void(QByteArrayView piece)>;

    /// The document in \a filter's format. Throws AutomationError.
    QByteArray store(const QString &filter, const QString &what);
    /// Hands the document in \a filter's format to \a sink as it comes from the office, never holding
    /// all of it: a document of thousands of receipts. \a sink runs on the thread that talks to the
    /// office and must not throw. Throws AutomationError.
    void storeInto(const QString &filter, const Sink &sink, const QString &what);
    /// A PDF of the pages \a pageRange, handed to \a sink as storeInto() does.
    void storePdfPagesInto(const QString &pageRange, const Sink &sink, const QString &what);
    /// A PDF of the pages \a pageRange ("2-5": the second to the fifth). Throws AutomationError.
    QByteArray storePdfPages(const QString &pageRange, const QString &what);
    /// A PDF of the document whose keywords carry \a keywords (the document's own are left as they were);
    /// of the pages \a pageRange only ("1-2,500") when one is given.
    QByteArray storePdf(const QString &keywords, const QString &what, const QString &pageRange = QString());
    /// The number of pages the office lays the document out in. Throws AutomationError.
    int pageCount(const QString &what);
    /// The page on which each of the paragraphs and tables of the main text's top level that \a elements
    /// numbers (from 0, ascending) begins; \a tables says which of them are tables. Empty when the main
    /// text does not hold them so. Throws AutomationError.
    QList<int> startPages(const QList<int> &elements, const QList<bool> &tables, const QString &what);
    /// The margins around the text area of the document's first page style, in points; a header or
    /// footer counts as margin. Throws AutomationError.
    QMarginsF textAreaMargins(const QString &what);

    /// True when the office laid the document out in pages: only then can it write a PDF of it.
    bool hasPages() const { return mLayout == Layout::Pages; }
    /// True while the office that holds the document runs.
    bool isAlive() const;
    LibreOfficeSession &session() const { return *mSession; }

    /// How long the office may take over a document of \a bytes: large documents take seconds.
    static std::chrono::milliseconds limitFor(qsizetype bytes, std::chrono::milliseconds base);

private:
    static std::shared_ptr<OfficeDocument> load(std::shared_ptr<LibreOfficeSession> session, const QByteArray *bytes,
                                                const QString &path, qsizetype size, const QString &filter,
                                                const QString &what, Layout layout);
    QByteArray store(const css::uno::Sequence<css::beans::PropertyValue> &arguments, const QString &what);
    /// How long a call on the document may take. Any call may have to wait while the office lays out
    /// thousands of pages in the background, so each is allowed what a store of the document is.
    std::chrono::milliseconds callLimit() const;
    /// Runs \a work in the office under the document's call limit: every call on the document goes here.
    template<typename Call>
    auto call(const QString &what, Call &&work);
    /// Calls \a sized with the length of the whole output, then \a sink with its pieces.
    void storeInto(const css::uno::Sequence<css::beans::PropertyValue> &arguments, const QString &what,
                   const std::function<void(qint64 length)> &sized, const Sink &sink);
    OfficeDocument(std::shared_ptr<LibreOfficeSession> session,
                   const css::uno::Reference<css::lang::XComponent> &component, qsizetype size, Layout layout);

    std::shared_ptr<LibreOfficeSession> mSession;
    css::uno::Reference<css::lang::XComponent> mComponent;
    qsizetype mSize = 0;
    Layout mLayout = Layout::Pages;
};
