#include "LibreOfficeBackend.h"

#include "OdfDocument.h"
#include "OfficeDocument.h"
#include "WordAutomation.h"

#include <QCryptographicHash>

#include <utility>

namespace {
// Templates read in one run: the program has one, tests a few.
constexpr qsizetype kTemplatesKept = 4;
} // namespace

LibreOfficeBackend::LibreOfficeBackend(SessionSource source)
    : mSource(std::move(source))
{}

LibreOfficeBackend::~LibreOfficeBackend() = default;

std::shared_ptr<LibreOfficeSession> LibreOfficeBackend::session()
{
    if (!mSource)
        throw AutomationError(QStringLiteral("The word processor is no longer available."));
    return mSource();
}

std::shared_ptr<const OdfDocument> LibreOfficeBackend::templateModel(const QByteArray &digest) const
{
    for (const auto &[key, model] : mTemplates) {
        if (key == digest)
            return model;
    }
    return nullptr;
}

void LibreOfficeBackend::keepTemplateModel(const QByteArray &digest, std::shared_ptr<const OdfDocument> model)
{
    mTemplates.prepend({digest, std::move(model)});
    while (mTemplates.size() > kTemplatesKept)
        mTemplates.removeLast();
}

void LibreOfficeBackend::rememberSaved(const QString &path, const QByteArray &digest,
                                       std::shared_ptr<OfficeDocument> loaded)
{
    mSavedModel.reset();
    mSavedOpened = false;
    if (!mKeepSaved) {
        mSaved.reset();
        mSavedPath.clear();
        mSavedDigest.clear();
        return;
    }
    mSavedPath = path;
    mSavedDigest = digest;
    mSaved = std::move(loaded);
}

void LibreOfficeBackend::keepSavedModel(const std::shared_ptr<OfficeDocument> &loaded,
                                        std::unique_ptr<OdfDocument> model) noexcept
{
    if (loaded && loaded == mSaved && !mSavedOpened)
        mSavedModel = std::move(model);
}

std::unique_ptr<OdfDocument> LibreOfficeBackend::takeSavedModel() noexcept
{
    return std::move(mSavedModel);
}

std::shared_ptr<OfficeDocument> LibreOfficeBackend::savedDocument(const QString &path, const QByteArray &digest) const
{
    if (!mSaved || path != mSavedPath || digest != mSavedDigest || !mSaved->isAlive())
        return nullptr;
    mSavedOpened = true;
    return mSaved;
}

void LibreOfficeBackend::forgetSaved()
{
    mDeferredWrite = nullptr;
    mDeferredPath.clear();
    mSaved.reset();
    mSavedModel.reset();
    mSavedPath.clear();
    mSavedDigest.clear();
}

void LibreOfficeBackend::setDeferWordFiles(bool defer)
{
    mDeferWordFiles = defer;
    if (!defer) {
        mDeferredWrite = nullptr;
        mDeferredPath.clear();
    }
}

void LibreOfficeBackend::deferWrite(const QString &path, std::function<QByteArray()> write)
{
    mDeferredPath = path;
    mDeferredWrite = std::move(write);
}

void LibreOfficeBackend::writeDeferred(const QString &path)
{
    if (!mDeferredWrite || path != mDeferredPath)
        return;
    const std::function<QByteArray()> write = std::exchange(mDeferredWrite, nullptr);
    mDeferredPath.clear();
    const QByteArray written = write();
    // Whoever opens the file next finds the document that wrote it still loaded.
    if (path == mSavedPath)
        mSavedDigest = written;
    // The write was the last of the run's work unless a picture still has pages made.
    if (!pictureDocumentsHeld())
        instanceQuit(true);
}

void LibreOfficeBackend::clear() noexcept
{
    try {
        forgetSaved();
        mTemplates.clear();
    } catch (...) {
    }
}

QByteArray LibreOfficeBackend::digest(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

void LibreOfficeBackend::close() noexcept
{
    clear();
    mSource = nullptr;
    mQuitHook = nullptr;
    mWriterSource = nullptr;
    mWriterDone = nullptr;
}

void LibreOfficeBackend::setWriterSource(WriterSource source, std::function<void()> workDone)
{
    mWriterSource = std::move(source);
    mWriterDone = std::move(workDone);
}

WriterOffice::Session LibreOfficeBackend::writerOffice(int tables) const
{
    if (!mWriterSource)
        return {};
    try {
        return mWriterSource(tables);
    } catch (...) {
        // No second office: the first writes the file.
        return {};
    }
}

void LibreOfficeBackend::writerWorkDone() noexcept
{
    try {
        if (mWriterDone)
            mWriterDone();
    } catch (...) {
    }
}

void LibreOfficeBackend::pictureLetGo() noexcept
{
    if (mPictureDocuments > 0 && --mPictureDocuments == 0)
        instanceQuit(true);
}

void LibreOfficeBackend::instanceQuit(bool openedDocuments)
{
    if (!mQuitHook || !openedDocuments)
        return;
    try {
        mQuitHook();
    } catch (...) {
        // Looking after the office must never fail the work that is done.
    }
}
