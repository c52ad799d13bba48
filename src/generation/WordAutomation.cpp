#include "WordAutomation.h"

namespace {
WordApplicationFactory &factory()
{
    static WordApplicationFactory installed;
    return installed;
}

DeferredWordFiles &deferredWordFiles()
{
    static DeferredWordFiles installed;
    return installed;
}

ProgramClipboard *gInstalledClipboard = nullptr;
} // namespace

bool IsWordProcessorLost(const std::exception_ptr &error)
{
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const WordProcessorLost &) {
        return true;
    } catch (...) {
    }
    return false;
}

bool IsAutomationCancelled(const std::exception_ptr &error)
{
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const AutomationCancelled &) {
        return true;
    } catch (...) {
    }
    return false;
}

std::unique_ptr<WordApplication> CreateWordApplication()
{
    if (!factory())
        throw AutomationError(QStringLiteral("ActiveX component can't create object"));
    auto application = factory()();
    if (!application)
        throw AutomationError(QStringLiteral("ActiveX component can't create object"));
    return application;
}

void SetWordApplicationFactory(WordApplicationFactory newFactory)
{
    factory() = std::move(newFactory);
}

void SetDeferredWordFiles(DeferredWordFiles deferred)
{
    deferredWordFiles() = std::move(deferred);
}

WordFileDeferral::WordFileDeferral()
{
    if (deferredWordFiles().setDeferred)
        deferredWordFiles().setDeferred(true);
}

WordFileDeferral::~WordFileDeferral()
{
    try {
        if (deferredWordFiles().setDeferred)
            deferredWordFiles().setDeferred(false);
    } catch (...) {
        // Only what the backend holds is let go of; there is nothing to report.
    }
}

void WordFileDeferral::write(const QString &path)
{
    if (deferredWordFiles().write)
        deferredWordFiles().write(path);
}

void WordFileDeferral::expect(int receipts) noexcept
{
    try {
        if (deferredWordFiles().expect)
            deferredWordFiles().expect(receipts);
    } catch (...) {
        // Only a head start is lost.
    }
}

ProgramClipboard &ProgramClipboard::current()
{
    // Never destroyed: a picture still held at exit would otherwise be torn down after the libraries
    // it needs.
    static MemoryClipboard *memory = new MemoryClipboard();
    return gInstalledClipboard ? *gInstalledClipboard : *memory;
}

void ProgramClipboard::install(ProgramClipboard *clipboard)
{
    gInstalledClipboard = clipboard;
}

PagePicture MemoryClipboard::picture(int format)
{
    Q_UNUSED(format);
    return mPicture;
}

void MemoryClipboard::setPicture(const PagePicture &picture)
{
    mContent.reset();
    mPicture = picture;
}

std::shared_ptr<void> MemoryClipboard::content() const
{
    return mContent;
}

void MemoryClipboard::setContent(std::shared_ptr<void> content)
{
    mPicture = PagePicture();
    mContent = std::move(content);
}

void MemoryClipboard::clear()
{
    mPicture = PagePicture();
    mContent.reset();
}
