#include "LibreOfficeDocuments.h"

#include "LibreOfficeCall.h"
#include "LibreOfficeDocument.h"
#include "LibreOfficeSession.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/document/UpdateDocMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>

using namespace css;

LibreOfficeDocuments::LibreOfficeDocuments(std::shared_ptr<LibreOfficeSession> session)
    : mSession(std::move(session))
{}

std::shared_ptr<WordDocument> LibreOfficeDocuments::Open(const QString &fileName, bool readOnly)
{
    if (mQuit)
        throw AutomationError(QStringLiteral("The word processor instance has quit."));
    const QFileInfo file(fileName);
    const QString path = QDir::toNativeSeparators(file.absoluteFilePath());
    if (fileName.isEmpty() || !file.isFile())
        throw AutomationError(QStringLiteral("The document %1 could not be found.").arg(path));
    if (!file.isReadable())
        throw AutomationError(QStringLiteral("The document %1 cannot be read.").arg(path));

    const QString what = QStringLiteral("Opening %1").arg(path);
    uno::Reference<lang::XComponent> component = officeCall(*mSession, what, [&] {
        const uno::Reference<frame::XComponentLoader> loader(mSession->desktop(), uno::UNO_QUERY_THROW);
        const uno::Sequence<beans::PropertyValue> arguments = propertyList({
            {"Hidden", uno::Any(true)},
            {"MacroExecutionMode", uno::Any(document::MacroExecMode::NEVER_EXECUTE)},
            {"UpdateDocMode", uno::Any(document::UpdateDocMode::NO_UPDATE)},
            // A copy made from the file (untitled), so that nothing can write the file back.
            {"AsTemplate", uno::Any(readOnly)},
        });
        const OUString url = toOUString(QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded));
        return loader->loadComponentFromURL(url, OUString("_blank"), 0, arguments);
    });
    if (!component.is())
        throw AutomationError(QStringLiteral("%1: the word processor cannot read this file.").arg(what));
    if (!uno::Reference<text::XTextDocument>(component, uno::UNO_QUERY).is()) {
        try {
            uno::Reference<util::XCloseable>(component, uno::UNO_QUERY_THROW)->close(true);
        } catch (...) {
        }
        throw AutomationError(QStringLiteral("%1: the file is not a text document.").arg(what));
    }

    auto document = std::make_shared<LibreOfficeDocument>(mSession, component, path);
    mOpened.append(document);
    return document;
}

std::shared_ptr<LibreOfficeDocument> LibreOfficeDocuments::active() const
{
    for (auto it = mOpened.crbegin(); it != mOpened.crend(); ++it) {
        if ((*it)->isOpen())
            return *it;
    }
    return nullptr;
}

void LibreOfficeDocuments::closeAll() noexcept
{
    for (const auto &document : std::as_const(mOpened))
        document->closeQuietly();
    mOpened.clear();
}

void LibreOfficeDocuments::quit() noexcept
{
    closeAll();
    mQuit = true;
}
