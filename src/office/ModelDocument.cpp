#include "ModelDocument.h"

#include "BesideWrite.h"
#include "CheckedFile.h"
#include "GuardedProcedure.h"
#include "LibreOfficeBackend.h"
#include "LibreOfficeSession.h"
#include "ModelRange.h"
#include "ModelTables.h"
#include "ModelWindow.h"
#include "OdfDocument.h"
#include "OfficeDocument.h"
#include "PackageFile.h"
#include "PdfFile.h"
#include "ProgramFiles.h"
#include "RunLeftovers.h"
#include "Word97File.h"
#include "WriterOffice.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <iterator>

namespace {
constexpr int wdSaveChanges = -1;
} // namespace

// The document written as flat XML to a file of the program's temporary folder, for the office to read
// it from there: a document of thousands of receipts is then never held a second time in the program.
// The file goes with the last holder.
class ModelFile final
{
public:
    /// Null when no such file can be written.
    static std::shared_ptr<ModelFile> write(const OdfDocument &model)
    {
        QString folder;
        try {
            folder = TempFolder();
        } catch (...) {
            return nullptr;
        }
        auto file = std::shared_ptr<ModelFile>(new ModelFile(folder));
        if (!file->mFile.open())
            return nullptr;
        RunLeftovers::add(file->mFile.fileName());
        if (!model.serialize(file->mFile) || !file->mFile.flush())
            return nullptr;
        file->mFile.close();
        return file;
    }
    ~ModelFile()
    {
        const QString path = mFile.fileName();
        mFile.remove();
        if (!path.isEmpty())
            RunLeftovers::forget(path);
    }
    ModelFile(const ModelFile &) = delete;
    ModelFile &operator=(const ModelFile &) = delete;

    std::shared_ptr<OfficeDocument> load(const std::shared_ptr<LibreOfficeSession> &session, const QString &what,
                                         OfficeDocument::Layout layout) const
    {
        return OfficeDocument::loadFile(session, mFile.fileName(), mFile.size(),
                                        QLatin1String(OfficeDocument::kFlatXml), what, layout);
    }

private:
    explicit ModelFile(const QString &folder)
        : mFile(folder + QStringLiteral("/parvoline-document-XXXXXX.fodt"))
    {}

    QTemporaryFile mFile;
};

namespace {
// Hands \a model to the office through a file when one can be written (and to \a written before the
// office reads it), else in memory.
std::shared_ptr<OfficeDocument>
loadModel(const std::shared_ptr<LibreOfficeSession> &session, const OdfDocument &model, const QString &what,
          OfficeDocument::Layout layout,
          const std::function<void(const std::shared_ptr<ModelFile> &)> &written = nullptr)
{
    const std::shared_ptr<ModelFile> file = ModelFile::write(model);
    if (!file)
        return OfficeDocument::load(session, model.serialize(), QLatin1String(OfficeDocument::kFlatXml), what, layout);
    if (written)
        written(file);
    return file->load(session, what, layout);
}
} // namespace

ModelDocument::ModelDocument(std::shared_ptr<LibreOfficeBackend> backend, std::unique_ptr<OdfDocument> model,
                             const QString &source, const QString &location)
    : mBackend(std::move(backend))
    , mModel(std::move(model))
    , mSource(source)
    , mLocation(location)
{
    mSelection.paragraph = mModel->firstParagraph();
}

ModelDocument::ModelDocument(std::shared_ptr<LibreOfficeBackend> backend, std::shared_ptr<OfficeDocument> loaded,
                             const QString &source, const QString &location)
    : mBackend(std::move(backend))
    , mLoaded(std::move(loaded))
    , mSource(source)
    , mLocation(location)
{}

ModelDocument::~ModelDocument() = default;

OdfDocument &ModelDocument::model()
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

std::shared_ptr<WordTables> ModelDocument::Tables()
{
    model();
    return std::make_shared<ModelTables>(shared_from_this());
}

std::shared_ptr<WordWindow> ModelDocument::ActiveWindow()
{
    ensureOpen();
    return std::make_shared<ModelWindow>(shared_from_this());
}

std::shared_ptr<WordRange> ModelDocument::Range()
{
    ensureOpen();
    return std::make_shared<ModelRange>(shared_from_this());
}

void ModelDocument::prepareForOffice()
{
    releaseTallReceipts();
    // Whatever the document is written as, it tells no counts it inherited from its template.
    mModel->dropStatistics();
}

void ModelDocument::releaseTallReceipts()
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

std::shared_ptr<OfficeDocument> ModelDocument::loaded(const QString &what, OfficeDocument::Layout layout)
{
    return loaded(what, layout, nullptr);
}

std::shared_ptr<OfficeDocument>
ModelDocument::loaded(const QString &what, OfficeDocument::Layout layout,
                      const std::function<void(const std::shared_ptr<ModelFile> &)> &written)
{
    ensureOpen();
    const bool fits = !mLoaded || mLoaded->hasPages() || layout == OfficeDocument::Layout::ModelOnly;
    if (mLoaded && mLoadedRevision == mRevision && mLoaded->isAlive() && fits)
        return mLoaded;
    // Pages are wanted of what the office holds without them: its content is read back and laid out.
    if (!mModel && mLoaded && mLoaded->isAlive())
        model();
    if (!mModel) {
        // Its content lived only in an office that has gone away.
        throw WordProcessorLost(QStringLiteral("%1: the word processor has stopped running.").arg(what));
    }
    prepareForOffice();
    mLoaded.reset();
    mLoaded = loadModel(mBackend->session(), *mModel, what, layout, written);
    mLoadedRevision = mRevision;
    return mLoaded;
}

namespace {
struct OfficeFormat
{
    int fileFormat;
    const char *filter;
};

constexpr OfficeFormat kFormats[] = {
    {wdFormatDocument, OfficeDocument::kWord97},
    {wdFormatXMLDocument, OfficeDocument::kWord2007},
    {wdFormatOpenDocumentText, OfficeDocument::kOpenDocumentText},
    {wdFormatPDF, OfficeDocument::kPdf},
};

// What is wrong with \a bytes as a file of \a fileFormat; an empty text when they are a whole one.
QString outputProblem(int fileFormat, QByteArrayView bytes)
{
    switch (fileFormat) {
    case wdFormatDocument:
        return Word97File::problem(bytes);
    case wdFormatXMLDocument:
        return PackageFile::problem(bytes,
                                    {QStringLiteral("[Content_Types].xml"), QStringLiteral("word/document.xml")});
    case wdFormatOpenDocumentText:
        if (PackageFile::mimeType(bytes) != QLatin1String("application/vnd.oasis.opendocument.text"))
            return QStringLiteral("it is not an OpenDocument text");
        return PackageFile::problem(bytes, {QStringLiteral("content.xml")});
    case wdFormatPDF:
        return PdfFile::problem(bytes);
    default:
        return QStringLiteral("its format is unknown");
    }
}
} // namespace

void ModelDocument::SaveAs(const QString &fileName)
{
    SaveAs2(fileName, wdFormatDocument);
}

void ModelDocument::SaveAs2(const QString &fileName, int fileFormat)
{
    ensureOpen();
    const QString what = QStringLiteral("Saving the document as %1")
                             .arg(QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath()));
    if (fileFormat == wdFormatFlatOpenDocumentText) {
        saveFlat(fileName, what);
        return;
    }
    const auto format = std::find_if(std::begin(kFormats), std::end(kFormats),
                                     [&](const OfficeFormat &known) { return known.fileFormat == fileFormat; });
    if (format == std::end(kFormats))
        throw AutomationError(QStringLiteral("%1: file format out of range (%2).").arg(what).arg(fileFormat));

    // The window's Word file is written once the picture of its first pages shows.
    if (fileFormat == wdFormatDocument && mBackend->defersWordFiles() && deferWordFile(fileName, what))
        return;
    const auto [office, digest] = writeOut(
        fileName, what,
        [&](OfficeDocument &loaded, const OfficeDocument::Sink &sink) {
            loaded.storeInto(QLatin1String(format->filter), sink, what);
        },
        [&](QByteArrayView written) { return outputProblem(fileFormat, written); },
        fileFormat == wdFormatPDF ? OfficeDocument::Layout::Pages : OfficeDocument::Layout::ModelOnly);
    // A PDF is a picture of the pages: the document stays what it was.
    if (fileFormat == wdFormatPDF)
        return;
    mLocation = QFileInfo(fileName).absoluteFilePath();
    mFormat = fileFormat;
    // The program opens the Word file it saved last again, for its picture or a copy in another format.
    if (fileFormat == wdFormatDocument) {
        mBackend->rememberSaved(mLocation, digest, office);
        mSavedRevision = mRevision;
    }
}

void ModelDocument::saveFlat(const QString &fileName, const QString &what)
{
    const QFileInfo target(fileName);
    if (fileName.isEmpty() || target.isDir())
        throw AutomationError(QStringLiteral("%1: this is not a file name.").arg(what));
    // Prepared as for the office, so the file lays out as this document's PDF does.
    model();
    prepareForOffice();
    try {
        // Read back by the program at once: not worth waiting for the disk.
        WriteFileChecked(mModel->serialize(), target.absoluteFilePath(), CheckedFile::Mode::Replace, std::nullopt,
                         false);
    } catch (const Failure &failure) {
        throw AutomationError(QStringLiteral("%1: %2").arg(what, failure.description()));
    }
}

void ModelDocument::ExportAsFixedFormat(const QString &outputFileName, int exportFormat, int range, int from, int to)
{
    ensureOpen();
    const QString what = QStringLiteral("Exporting the document as %1")
                             .arg(QDir::toNativeSeparators(QFileInfo(outputFileName).absoluteFilePath()));
    if (exportFormat != wdExportFormatPDF)
        throw AutomationError(QStringLiteral("%1: export format out of range (%2).").arg(what).arg(exportFormat));
    if (range != wdExportAllDocument && range != wdExportFromTo)
        throw AutomationError(QStringLiteral("%1: range out of range (%2).").arg(what).arg(range));
    if (range == wdExportFromTo && (from < 1 || to < from))
        throw AutomationError(QStringLiteral("%1: the pages %2 to %3 are no range.").arg(what).arg(from).arg(to));

    writeOut(
        outputFileName, what,
        [&](OfficeDocument &loaded, const OfficeDocument::Sink &sink) {
            if (range == wdExportAllDocument)
                loaded.storeInto(QLatin1String(OfficeDocument::kPdf), sink, what);
            else
                loaded.storePdfPagesInto(QStringLiteral("%1-%2").arg(from).arg(to), sink, what);
        },
        [](QByteArrayView written) { return PdfFile::problem(written); });
}

std::pair<std::shared_ptr<OfficeDocument>, QByteArray>
ModelDocument::writeOut(const QString &fileName, const QString &what, const Producer &produce, const Check &check,
                        OfficeDocument::Layout layout)
{
    const QFileInfo target(fileName);
    if (fileName.isEmpty() || target.isDir())
        throw AutomationError(QStringLiteral("%1: this is not a file name.").arg(what));
    if (!target.absoluteDir().exists())
        throw AutomationError(QStringLiteral("%1: the folder does not exist.").arg(what));

    const std::shared_ptr<OfficeDocument> office = loaded(what, layout);
    return {office, writeFrom(*office, target, what, produce, check)};
}

QByteArray ModelDocument::writeFrom(OfficeDocument &office, const QFileInfo &target, const QString &what,
                                    const Producer &produce, const Check &check)
{
    CheckedFile file(target.absoluteFilePath());
    const QByteArray digest = writeChecked(office, file, what, produce, check);
    commit(file, what);
    return digest;
}

QByteArray ModelDocument::writeChecked(OfficeDocument &office, CheckedFile &file, const QString &what,
                                       const Producer &produce, const Check &check)
{
    // The office's output goes to the file as it comes: a document of thousands of receipts is never
    // held whole in the program. Until it is checked, the file is a partial one beside the target.
    QCryptographicHash digest(QCryptographicHash::Sha256);
    QString writeProblem;
    try {
        file.open();
    } catch (const Failure &failure) {
        throw AutomationError(QStringLiteral("%1: %2").arg(what, failure.description()));
    }
    produce(office, [&](QByteArrayView piece) {
        if (!writeProblem.isEmpty())
            return;
        try {
            file.write(piece);
            digest.addData(piece);
        } catch (const Failure &failure) {
            writeProblem = failure.description();
        } catch (...) {
            writeProblem = QStringLiteral("the file could not be written");
        }
    });
    if (!writeProblem.isEmpty())
        throw AutomationError(QStringLiteral("%1: %2").arg(what, writeProblem));

    // Read back where it was written, mapped: only the parts the check looks at are brought in.
    QFile written(file.partialPath());
    QString problem = QStringLiteral("it cannot be read back");
    if (written.open(QIODevice::ReadOnly)) {
        const qint64 size = written.size();
        if (size == 0) {
            problem = check(QByteArrayView());
        } else if (uchar *mapped = written.map(0, size)) {
            problem = check(QByteArrayView(mapped, qsizetype(size)));
            written.unmap(mapped);
        }
        written.close();
    }
    if (!problem.isEmpty())
        throw AutomationError(
            QStringLiteral("%1: the word processor's output is not a whole document (%2).").arg(what, problem));
    return digest.result();
}

void ModelDocument::commit(CheckedFile &file, const QString &what)
{
    try {
        file.commit();
    } catch (const Failure &failure) {
        throw AutomationError(QStringLiteral("%1: %2").arg(what, failure.description()));
    }
}

bool ModelDocument::deferWordFile(const QString &fileName, const QString &what)
{
    const QFileInfo target(fileName);
    // Only the run's own reservation waits: anything else is written as it is saved.
    if (fileName.isEmpty() || !target.isFile() || target.size() != 0)
        return false;
    const auto storeWord = [what](OfficeDocument &loaded, const OfficeDocument::Sink &sink) {
        loaded.storeInto(QLatin1String(OfficeDocument::kWord97), sink, what);
    };
    const auto checkWord = [](QByteArrayView written) {
        return Word97File::problem(written);
    };

    // Laid out in pages, for the picture that comes first. The Word file is stored from a load of the
    // same file without pages: storing it from thousands of laid-out pages takes twice as long. A long
    // document's is stored by a second office at the same time, as soon as the file is there.
    std::shared_ptr<ModelFile> file;
    std::shared_ptr<BesideWrite> beside;
    const auto written = [&](const std::shared_ptr<ModelFile> &modelFile) {
        file = modelFile;
        const WriterOffice::Session writer = mBackend->writerOffice(mModel->tableCount());
        if (!writer.valid())
            return;
        const std::weak_ptr<LibreOfficeBackend> backend = mBackend;
        beside = std::make_shared<BesideWrite>(
            writer, target.absoluteFilePath(),
            [modelFile, what, storeWord, checkWord](const std::shared_ptr<LibreOfficeSession> &office,
                                                    CheckedFile &out) {
                const std::shared_ptr<OfficeDocument> source =
                    modelFile->load(office, what, OfficeDocument::Layout::ModelOnly);
                return writeChecked(*source, out, what, storeWord, checkWord);
            },
            [backend] {
                if (const std::shared_ptr<LibreOfficeBackend> held = backend.lock())
                    held->writerWorkDone();
            });
    };
    mLoaded.reset();
    const std::shared_ptr<OfficeDocument> office = loaded(what, OfficeDocument::Layout::Pages, written);
    mLocation = target.absoluteFilePath();
    mFormat = wdFormatDocument;
    mBackend->rememberSaved(mLocation, LibreOfficeBackend::digest(QByteArray()), office);
    mSavedRevision = mRevision;
    const std::shared_ptr<LibreOfficeBackend> backend = mBackend;
    mBackend->deferWrite(mLocation, [backend, office, file, beside, target, what, storeWord, checkWord] {
        if (beside) {
            try {
                const QByteArray digest = beside->wait();
                commit(beside->file(), what);
                return digest;
            } catch (const AutomationCancelled &) {
                throw;
            } catch (...) {
                // The second office could not write it: the first one does, as it would have alone. What
                // went wrong is for the error output; a fault of the file shows again below.
                qWarning("The second office did not write the Word file; the first writes it: %s",
                         qUtf8Printable(DescribeException(std::current_exception())));
            }
        }
        const std::shared_ptr<OfficeDocument> source =
            file ? file->load(backend->session(), what, OfficeDocument::Layout::ModelOnly) : office;
        return writeFrom(*source, target, what, storeWord, checkWord);
    });
    return true;
}

void ModelDocument::Close()
{
    Close(wdDoNotSaveChanges);
}

void ModelDocument::Close(int saveChanges)
{
    ensureOpen();
    if (saveChanges != wdDoNotSaveChanges && saveChanges != wdSaveChanges)
        throw AutomationError(QStringLiteral("Closing the document: value out of range (%1).").arg(saveChanges));
    if (saveChanges == wdSaveChanges) {
        if (mLocation.isEmpty())
            throw AutomationError(
                QStringLiteral("Closing the document: it has no file of its own to save to; use SaveAs."));
        SaveAs2(mLocation, mFormat);
    }
    closeQuietly();
}

void ModelDocument::closeQuietly() noexcept
{
    mOpen = false;
    mSelection = {};
    // What the office holds for a saved document stays with the backend, for its picture, and so does
    // the content it was made from, so that the picture need not read it back from the office.
    if (mModel && mSavedRevision == mRevision && mLoadedRevision == mRevision)
        mBackend->keepSavedModel(mLoaded, std::move(mModel));
    mLoaded.reset();
    mModel.reset();
}

void ModelDocument::takeContent(std::unique_ptr<OdfDocument> model)
{
    if (!model)
        return;
    mModel = std::move(model);
    mSelection = {};
    mSelection.paragraph = mModel->firstParagraph();
    mLoadedRevision = mRevision;
}

void ModelDocument::ensureOpen() const
{
    if (!mOpen)
        throw AutomationError(QStringLiteral("The document %1 has been closed.").arg(mSource));
}
