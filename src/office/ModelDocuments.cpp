#include "ModelDocuments.h"

#include "LibreOfficeBackend.h"
#include "ModelDocument.h"
#include "OdfDocument.h"
#include "OfficeDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

ModelDocuments::ModelDocuments(std::shared_ptr<LibreOfficeBackend> backend)
    : mBackend(std::move(backend))
{}

std::shared_ptr<WordDocument> ModelDocuments::Open(const QString &fileName, bool readOnly)
{
    if (mQuit)
        throw AutomationError(QStringLiteral("The word processor instance has quit."));
    const QFileInfo file(fileName);
    const QString absolute = file.absoluteFilePath();
    const QString path = QDir::toNativeSeparators(absolute);
    if (fileName.isEmpty() || !file.isFile())
        throw AutomationError(QStringLiteral("The document %1 could not be found.").arg(path));
    QFile input(absolute);
    if (!input.open(QIODevice::ReadOnly))
        throw AutomationError(QStringLiteral("The document %1 cannot be read.").arg(path));
    const QByteArray bytes = input.readAll();
    if (input.error() != QFileDevice::NoError)
        throw AutomationError(QStringLiteral("The document %1 cannot be read: %2").arg(path, input.errorString()));
    input.close();

    const QString what = QStringLiteral("Opening %1").arg(path);
    const QByteArray digest = LibreOfficeBackend::digest(bytes);
    // An untitled copy is not bound to the file it came from.
    const QString location = readOnly ? QString() : absolute;
    std::shared_ptr<ModelDocument> document;
    if (!readOnly) {
        if (std::shared_ptr<OfficeDocument> saved = mBackend->savedDocument(absolute, digest)) {
            document = std::make_shared<ModelDocument>(mBackend, saved, path, location);
            document->takeContent(mBackend->takeSavedModel());
        }
    } else if (std::shared_ptr<const OdfDocument> model = mBackend->templateModel(digest)) {
        document = std::make_shared<ModelDocument>(mBackend, model->clone(), path, location);
    }

    if (!document) {
        const std::shared_ptr<OfficeDocument> office = OfficeDocument::load(mBackend->session(), bytes, {}, what);
        if (!readOnly) {
            // Loaded as it is: its picture needs no second load, its content is read when wanted.
            document = std::make_shared<ModelDocument>(mBackend, office, path, location);
        } else {
            std::unique_ptr<OdfDocument> model;
            try {
                model = OdfDocument::parse(office->store(QLatin1String(OfficeDocument::kFlatXml), what));
            } catch (const OdfDocument::Error &error) {
                throw AutomationError(QStringLiteral("%1: %2").arg(what, QString::fromUtf8(error.what())));
            }
            mBackend->keepTemplateModel(digest, std::shared_ptr<const OdfDocument>(model->clone()));
            document = std::make_shared<ModelDocument>(mBackend, std::move(model), path, location);
        }
    }
    mOpened.append(document);
    mOpenedAny = true;
    return document;
}

std::shared_ptr<ModelDocument> ModelDocuments::active() const
{
    for (auto it = mOpened.crbegin(); it != mOpened.crend(); ++it) {
        if ((*it)->isOpen())
            return *it;
    }
    return nullptr;
}

void ModelDocuments::closeAll() noexcept
{
    for (const auto &document : std::as_const(mOpened))
        document->closeQuietly();
    mOpened.clear();
}

void ModelDocuments::quit() noexcept
{
    closeAll();
    mQuit = true;
}
