#include "LibreOfficeDocument.h"

#include "CheckedFile.h"
#include "LibreOfficeBackend.h"
#include "LibreOfficeRange.h"
#include "LibreOfficeTables.h"
#include "LibreOfficeWindow.h"
#include "OdfDocument.h"
#include "OfficeDocument.h"
#include "Word97File.h"

#include <QDir>
#include <QFileInfo>

namespace {
constexpr int wdSaveChanges = -1;
} // namespace

LibreOfficeDocument::LibreOfficeDocument(std::shared_ptr<LibreOfficeBackend> backend,
                                         std::unique_ptr<OdfDocument> model, const QString &source,
                                         const QString &location)
    : mBackend(std::move(backend))
    , mModel(std::move(model))
    , mSource(source)
    , mLocation(location)
{
    mSelection.paragraph = mModel->firstParagraph();
}

LibreOfficeDocument::LibreOfficeDocument(std::shared_ptr<LibreOfficeBackend> backend,
                                         std::shared_ptr<OfficeDocument> loaded, const QString &source,
                                         const QString &location)
    : mBackend(std::move(backend))
    , mLoaded(std::move(loaded))
    , mSource(source)
    , mLocation(location)
{}

LibreOfficeDocument::~LibreOfficeDocument() = default;

OdfDocument &LibreOfficeDocument::model()
{
    ensureOpen();
    if (!mModel) {
        const QString what = QStringLiteral("Reading %1").arg(mSource);
        if (!mLoaded)
            throw AutomationError(QStringLiteral("%1: the document has no content.").arg(what));
        const QByteArray xml = mLoaded->store(QLatin1String(OfficeDocument::kFlatXml), what);
        try {
            mModel = OdfDocument::parse(xml);
        } catch (const OdfDocument::Error &error) {
            throw AutomationError(QStringLiteral("%1: %2").arg(what, QString::fromUtf8(error.what())));
        }
        mSelection = {};
        mSelection.paragraph = mModel->firstParagraph();
        // The office's copy is still what the content was read from.
        mLoadedRevision = mRevision;
    }
    return *mModel;
}

std::shared_ptr<WordTables> LibreOfficeDocument::Tables()
{
    model();
    return std::make_shared<LibreOfficeTables>(shared_from_this());
}

std::shared_ptr<WordWindow> LibreOfficeDocument::ActiveWindow()
{
    ensureOpen();
    return std::make_shared<LibreOfficeWindow>(shared_from_this());
}

std::shared_ptr<WordRange> LibreOfficeDocument::Range()
{
    ensureOpen();
    return std::make_shared<LibreOfficeRange>(shared_from_this());
}

void LibreOfficeDocument::releaseTallReceipts()
{
    if (!mModel)
        return;
    // A receipt taller than a page can only be laid out if it may break across pages; kept together,
    // the office would try for ever.
    const double page = mModel->textAreaHeight();
    for (int i = 0; i < mModel->tableCount(); ++i) {
        const pugi::xml_node table = mModel->table(i);
        if (mModel->estimatedHeight(table) > page) {
            mModel->releaseKeeps(table);
            changed();
        }
    }
}

std::shared_ptr<OfficeDocument> LibreOfficeDocument::loaded(const QString &what)
{
    ensureOpen();
    if (mLoaded && mLoadedRevision == mRevision && mLoaded->isAlive())
        return mLoaded;
    if (!mModel) {
        // Its content lived only in an office that has gone away.
        throw WordProcessorLost(QStringLiteral("%1: the word processor has stopped running.").arg(what));
    }
    releaseTallReceipts();
    mLoaded.reset();
    mLoaded =
        OfficeDocument::load(mBackend->session(), mModel->serialize(), QLatin1String(OfficeDocument::kFlatXml), what);
    mLoadedRevision = mRevision;
    return mLoaded;
}

void LibreOfficeDocument::SaveAs(const QString &fileName)
{
    ensureOpen();
    const QFileInfo target(fileName);
    const QString path = QDir::toNativeSeparators(target.absoluteFilePath());
    const QString what = QStringLiteral("Saving the document as %1").arg(path);
    if (fileName.isEmpty() || target.isDir())
        throw AutomationError(QStringLiteral("%1: this is not a file name.").arg(what));
    if (!target.absoluteDir().exists())
        throw AutomationError(QStringLiteral("%1: the folder does not exist.").arg(what));

    const std::shared_ptr<OfficeDocument> office = loaded(what);
    const QByteArray bytes = office->store(QLatin1String(OfficeDocument::kWord97), what);
    if (const QString problem = Word97File::problem(bytes); !problem.isEmpty())
        throw AutomationError(
            QStringLiteral("%1: the word processor's output is not a whole document (%2).").arg(what, problem));
    try {
        WriteFileChecked(bytes, target.absoluteFilePath());
    } catch (const Failure &failure) {
        throw AutomationError(QStringLiteral("%1: %2").arg(what, failure.description()));
    }
    mLocation = target.absoluteFilePath();
    mBackend->rememberSaved(mLocation, LibreOfficeBackend::digest(bytes), office);
}

void LibreOfficeDocument::Close()
{
    Close(wdDoNotSaveChanges);
}

void LibreOfficeDocument::Close(int saveChanges)
{
    ensureOpen();
    if (saveChanges != wdDoNotSaveChanges && saveChanges != wdSaveChanges)
        throw AutomationError(QStringLiteral("Closing the document: value out of range (%1).").arg(saveChanges));
    if (saveChanges == wdSaveChanges) {
        if (mLocation.isEmpty())
            throw AutomationError(
                QStringLiteral("Closing the document: it has no file of its own to save to; use SaveAs."));
        SaveAs(mLocation);
    }
    closeQuietly();
}

void LibreOfficeDocument::closeQuietly() noexcept
{
    mOpen = false;
    mSelection = {};
    // What the office holds for a saved document stays with the backend, for its picture.
    mLoaded.reset();
    mModel.reset();
}

void LibreOfficeDocument::ensureOpen() const
{
    if (!mOpen)
        throw AutomationError(QStringLiteral("The document %1 has been closed.").arg(mSource));
}
