#pragma once

#include "OfficeDocument.h"
#include "WordAutomation.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <utility>

class LibreOfficeBackend;
class CheckedFile;
class ModelFile;
class OdfDocument;
class QFileInfo;
class OfficeDocument;

/// An open document. Its content lives in the program as an OdfDocument, which the objects reached
/// from it (tables, window, selection, find, range) edit directly; the office only writes it out and
/// lays it out for its picture. Those objects fail with a description once it is closed.
class ModelDocument final : public WordDocument, public std::enable_shared_from_this<ModelDocument>
{
public:
    /// Where the window's selection stands.
    struct Selection
    {
        enum class Kind {
            Point, ///< an insertion point in a paragraph
            Table, ///< a whole table
        };
        Kind kind = Kind::Point;
        pugi::xml_node paragraph;
        qsizetype offset = 0;
        pugi::xml_node table;
    };

    /// A document whose content is \a model. \a location is the file it is bound to (empty: untitled).
    ModelDocument(std::shared_ptr<LibreOfficeBackend> backend, std::unique_ptr<OdfDocument> model,
                  const QString &source, const QString &location);
    /// A document loaded in the office as it is: its content is read from there when first wanted.
    ModelDocument(std::shared_ptr<LibreOfficeBackend> backend, std::shared_ptr<OfficeDocument> loaded,
                  const QString &source, const QString &location);
    ~ModelDocument() override;

    std::shared_ptr<WordTables> Tables() override;
    std::shared_ptr<WordWindow> ActiveWindow() override;
    std::shared_ptr<WordRange> Range() override;
    /// Writes the document as a Word 97-2003 file: SaveAs2 with wdFormatDocument.
    void SaveAs(const QString &fileName) override;
    /// Writes the document in \a fileFormat. The office's output is checked to be a whole document of
    /// that format, then written beside \a fileName and put in place in one move once it is on disk, so
    /// a failure leaves no partial file and any earlier file as it was.
    void SaveAs2(const QString &fileName, int fileFormat) override;
    /// Writes the pages as a PDF file, checked and put in place as SaveAs2 does.
    void ExportAsFixedFormat(const QString &outputFileName, int exportFormat, int range, int from, int to) override;
    void Close() override;
    /// wdDoNotSaveChanges closes unsaved; wdSaveChanges saves to the file the document is bound to.
    void Close(int saveChanges) override;

    bool isOpen() const { return mOpen; }
    /// Closes unsaved, ignoring every failure.
    void closeQuietly() noexcept;
    /// Takes \a model as the content of this document loaded in the office, which holds the same.
    void takeContent(std::unique_ptr<OdfDocument> model);
    /// Throws AutomationError when the document is closed.
    void ensureOpen() const;

    /// The content, read from the office when this document came from there. Throws AutomationError.
    OdfDocument &model();
    /// Identifies the content that table nodes belong to.
    const OdfDocument *modelIdentity() const { return mModel.get(); }
    Selection &selection() { return mSelection; }
    /// Records that the content changed: the office's copy of it is out of date.
    void changed() { ++mRevision; }

    /// The document loaded in the office as it is now, loading it when the office's copy is out of
    /// date or lacks the pages asked for. Throws AutomationError.
    std::shared_ptr<OfficeDocument> loaded(const QString &what,
                                           OfficeDocument::Layout layout = OfficeDocument::Layout::Pages);
    LibreOfficeBackend &backend() const { return *mBackend; }
    std::shared_ptr<LibreOfficeBackend> sharedBackend() const { return mBackend; }
    QString source() const { return mSource; }
    /// The file the document is bound to; empty while it is untitled.
    QString location() const { return mLocation; }

private:
    void releaseTallReceipts();
    /// Readies the content for the office: tall receipts may break across pages, and no counts inherited
    /// from the template are told.
    void prepareForOffice();
    /// As loaded(); a load from a file of the model hands that file to \a written before the office reads
    /// it, for other work on the same content.
    std::shared_ptr<OfficeDocument> loaded(const QString &what, OfficeDocument::Layout layout,
                                           const std::function<void(const std::shared_ptr<ModelFile> &)> &written);
    /// Writes the content as flat OpenDocument text to \a fileName, without the office.
    void saveFlat(const QString &fileName, const QString &what);
    /// What the office makes of a loaded document, handed to a sink piece by piece.
    using Producer = std::function<void(OfficeDocument &office, const OfficeDocument::Sink &sink)>;
    /// What is wrong with written bytes; an empty text when they are a whole file.
    using Check = std::function<QString(QByteArrayView bytes)>;
    /// Writes what \a produce hands its sink from the loaded document to \a fileName as it comes,
    /// checked by \a check before it takes the file's place. Returns the loaded document and the digest
    /// of the bytes written.
    std::pair<std::shared_ptr<OfficeDocument>, QByteArray>
    writeOut(const QString &fileName, const QString &what, const Producer &produce, const Check &check,
             OfficeDocument::Layout layout = OfficeDocument::Layout::Pages);
    /// As writeOut(), from \a office to \a target; returns the digest of the bytes written.
    static QByteArray writeFrom(OfficeDocument &office, const QFileInfo &target, const QString &what,
                                const Producer &produce, const Check &check);
    /// As writeFrom() up to the check: the bytes are in \a file, and commit() puts them in place.
    static QByteArray writeChecked(OfficeDocument &office, CheckedFile &file, const QString &what,
                                   const Producer &produce, const Check &check);
    static void commit(CheckedFile &file, const QString &what);
    /// Lays the document out for \a fileName, the run's empty Word file, and leaves the writing for
    /// later (LibreOfficeBackend::setDeferWordFiles). False when \a fileName is no such file.
    bool deferWordFile(const QString &fileName, const QString &what);

    std::shared_ptr<LibreOfficeBackend> mBackend;
    std::unique_ptr<OdfDocument> mModel;
    std::shared_ptr<OfficeDocument> mLoaded;
    quint64 mRevision = 0;
    quint64 mLoadedRevision = 0;
    /// The content as it was when it was saved as a Word file, if it was.
    std::optional<quint64> mSavedRevision;
    Selection mSelection;
    QString mSource;
    QString mLocation;
    /// The format of the file the document is bound to, for saving it there again.
    int mFormat = wdFormatDocument;
    bool mOpen = true;
};
