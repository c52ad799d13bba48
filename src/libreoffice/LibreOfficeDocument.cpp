#include "LibreOfficeDocument.h"

#include "LibreOfficeCall.h"
#include "LibreOfficeRange.h"
#include "LibreOfficeSession.h"
#include "LibreOfficeTables.h"
#include "LibreOfficeWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/CloseVetoException.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

using namespace css;

namespace {
constexpr int wdSaveChanges = -1;

// A new file gets the permissions any new file of the user would get.
QFileDevice::Permissions defaultPermissions()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const mode_t mode = 0666 & ~mask;
    QFileDevice::Permissions permissions;
    if (mode & S_IRUSR)
        permissions |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
    if (mode & S_IWUSR)
        permissions |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
    if (mode & S_IRGRP)
        permissions |= QFileDevice::ReadGroup;
    if (mode & S_IWGRP)
        permissions |= QFileDevice::WriteGroup;
    if (mode & S_IROTH)
        permissions |= QFileDevice::ReadOther;
    if (mode & S_IWOTH)
        permissions |= QFileDevice::WriteOther;
    return permissions;
}
} // namespace

LibreOfficeDocument::LibreOfficeDocument(std::shared_ptr<LibreOfficeSession> session,
                                         const uno::Reference<lang::XComponent> &component, const QString &source)
    : mSession(std::move(session))
    , mModel(component, uno::UNO_QUERY)
    , mSource(source)
{}

std::shared_ptr<WordTables> LibreOfficeDocument::Tables()
{
    ensureOpen();
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

    // Written beside the target and renamed over it once complete.
    QTemporaryFile partial(target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    if (!partial.open())
        throw AutomationError(QStringLiteral("%1: %2").arg(what, partial.errorString()));
    partial.close();

    officeCall(*mSession, what, [&] {
        const uno::Reference<frame::XStorable> storable(mModel, uno::UNO_QUERY_THROW);
        const OUString url = toOUString(QUrl::fromLocalFile(partial.fileName()).toString(QUrl::FullyEncoded));
        storable->storeToURL(
            url, propertyList({{"FilterName", uno::Any(OUString("MS Word 97"))}, {"Overwrite", uno::Any(true)}}));
    });
    if (QFileInfo(partial.fileName()).size() <= 0)
        throw AutomationError(QStringLiteral("%1: the word processor wrote nothing.").arg(what));

    QFile::setPermissions(partial.fileName(),
                          target.exists() ? QFile::permissions(target.absoluteFilePath()) : defaultPermissions());
    const QByteArray from = QFile::encodeName(partial.fileName());
    const QByteArray to = QFile::encodeName(target.absoluteFilePath());
    if (std::rename(from.constData(), to.constData()) != 0)
        throw AutomationError(QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno))));
    partial.setAutoRemove(false);
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
    const QString what = QStringLiteral("Closing the document");
    if (saveChanges == wdSaveChanges) {
        officeCall(*mSession, what, [&] {
            const uno::Reference<frame::XStorable> storable(mModel, uno::UNO_QUERY_THROW);
            if (!storable->hasLocation() || storable->isReadonly())
                throw AutomationError(QStringLiteral("the document has no file of its own to save to; use SaveAs"));
            storable->store();
        });
    }
    // Closed as far as the program is concerned, even when the office fails to answer.
    mOpen = false;
    mFills.clear();
    officeCall(*mSession, what, [&] {
        const uno::Reference<util::XCloseable> closeable(mModel, uno::UNO_QUERY_THROW);
        try {
            closeable->close(true);
        } catch (const util::CloseVetoException &) {
            uno::Reference<lang::XComponent>(mModel, uno::UNO_QUERY_THROW)->dispose();
        }
    });
}

void LibreOfficeDocument::closeQuietly() noexcept
{
    if (!mOpen)
        return;
    mOpen = false;
    mFills.clear();
    try {
        const uno::Reference<util::XCloseable> closeable(mModel, uno::UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
    } catch (...) {
        try {
            const uno::Reference<lang::XComponent> component(mModel, uno::UNO_QUERY);
            if (component.is())
                component->dispose();
        } catch (...) {
        }
    }
}

void LibreOfficeDocument::ensureOpen() const
{
    if (!mOpen)
        throw AutomationError(QStringLiteral("The document %1 has been closed.").arg(mSource));
}

uno::Reference<frame::XController> LibreOfficeDocument::controller() const
{
    ensureOpen();
    const uno::Reference<frame::XModel> model(mModel, uno::UNO_QUERY_THROW);
    uno::Reference<frame::XController> controller = model->getCurrentController();
    if (!controller.is())
        throw AutomationError(QStringLiteral("The document %1 has no window.").arg(mSource));
    return controller;
}
