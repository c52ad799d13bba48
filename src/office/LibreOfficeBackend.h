#pragma once

#include "WriterOffice.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <utility>

class LibreOfficeSession;
class OdfDocument;
class OfficeDocument;

/// What the backend's objects share for as long as the program runs: the way to the warm office, the
/// documents read from templates (a template is read by the office once, then copied in the program),
/// and the document saved last, still loaded in the office, so that its picture costs no second load.
class LibreOfficeBackend final
{
public:
    using SessionSource = std::function<std::shared_ptr<LibreOfficeSession>()>;

    explicit LibreOfficeBackend(SessionSource source);
    ~LibreOfficeBackend();
    LibreOfficeBackend(const LibreOfficeBackend &) = delete;
    LibreOfficeBackend &operator=(const LibreOfficeBackend &) = delete;

    /// The office, running and answering; started when it is not. Throws AutomationError.
    std::shared_ptr<LibreOfficeSession> session();

    /// The document read from a template file with \a digest; null when none was read yet.
    std::shared_ptr<const OdfDocument> templateModel(const QByteArray &digest) const;
    void keepTemplateModel(const QByteArray &digest, std::shared_ptr<const OdfDocument> model);

    /// Remembers that the file at \a path, with content \a digest, is what \a loaded wrote.
    void rememberSaved(const QString &path, const QByteArray &digest, std::shared_ptr<OfficeDocument> loaded);
    /// The loaded document that wrote the file at \a path, when the file still holds exactly what it
    /// wrote (\a digest) and the office still runs; null otherwise.
    std::shared_ptr<OfficeDocument> savedDocument(const QString &path, const QByteArray &digest) const;
    /// Keeps \a model, the content of the document saved last, which \a loaded wrote, for whoever opens
    /// that file next: reading it back from the office costs more than laying it out. Never throws.
    void keepSavedModel(const std::shared_ptr<OfficeDocument> &loaded, std::unique_ptr<OdfDocument> model) noexcept;
    /// The kept content of the document saved last, for the one who opened its file; null when none is kept.
    std::unique_ptr<OdfDocument> takeSavedModel() noexcept;
    /// Lets go of the saved document, which closes it in the office when nobody else holds it.
    void forgetSaved();
    /// True while the document saved last has not been opened again: its picture is still to come.
    bool savedDocumentPending() const { return mSaved && !mSavedOpened; }
    /// Whether the document saved last is kept at all (by default it is). Work that never asks for its
    /// picture keeps none: the office would hold each document until the next is saved, and could not be
    /// given a fresh start between them.
    void setKeepSaved(bool keep) { mKeepSaved = keep; }

    /// While on, a Word file that is saved is laid out in pages and written only when writeDeferred()
    /// asks for it: the window's picture of its first pages then comes first, and needs no second load.
    /// Turned off, a file whose writing is still put off is dropped.
    void setDeferWordFiles(bool defer);
    bool defersWordFiles() const { return mDeferWordFiles; }
    /// Puts off \a write, which writes the Word file at \a path and returns the digest of what it wrote,
    /// until writeDeferred(\a path).
    void deferWrite(const QString &path, std::function<QByteArray()> write);
    /// Writes the Word file at \a path now when its writing was put off; does nothing otherwise. Throws
    /// AutomationError; a write that failed is not tried again.
    void writeDeferred(const QString &path);
    bool writeDeferredPending() const { return static_cast<bool>(mDeferredWrite); }

    /// Where a long run's Word file is written while this office lays the document out: the second office
    /// for a document of \a tables tables, or none (no valid session) when this one writes it.
    using WriterSource = std::function<WriterOffice::Session(int tables)>;
    void setWriterSource(WriterSource source, std::function<void()> workDone);
    WriterOffice::Session writerOffice(int tables) const;
    /// Called once the second office is done with a file (or failed to write it).
    void writerWorkDone() noexcept;

    /// A page picture holds a document in the office while it has pages of it made: the office is not
    /// given a fresh start meanwhile. Letting go of the last one counts as an instance quitting.
    void pictureHolds() { ++mPictureDocuments; }
    void pictureLetGo() noexcept;
    bool pictureDocumentsHeld() const { return mPictureDocuments > 0; }

    /// Called whenever an instance that opened documents quits, once they are closed.
    void setQuitHook(std::function<void()> hook) { mQuitHook = std::move(hook); }
    void instanceQuit(bool openedDocuments);

    /// Lets go of everything held in the office. Never throws.
    void clear() noexcept;
    /// Lets go of everything and of the office itself: from now on session() fails. Never throws.
    void close() noexcept;

    /// The digest that identifies file contents here.
    static QByteArray digest(const QByteArray &bytes);

private:
    SessionSource mSource;
    QList<std::pair<QByteArray, std::shared_ptr<const OdfDocument>>> mTemplates;
    QString mSavedPath;
    QByteArray mSavedDigest;
    std::shared_ptr<OfficeDocument> mSaved;
    std::unique_ptr<OdfDocument> mSavedModel;
    mutable bool mSavedOpened = false;
    bool mKeepSaved = true;
    std::function<void()> mQuitHook;
    WriterSource mWriterSource;
    std::function<void()> mWriterDone;
    int mPictureDocuments = 0;
    bool mDeferWordFiles = false;
    QString mDeferredPath;
    std::function<QByteArray()> mDeferredWrite;
};
