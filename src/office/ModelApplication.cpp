#include "ModelApplication.h"

#include "LibreOfficeBackend.h"
#include "ModelDocument.h"
#include "ModelDocuments.h"

ModelApplication::ModelApplication(std::shared_ptr<LibreOfficeBackend> backend)
    : mBackend(backend)
    , mDocuments(std::make_shared<ModelDocuments>(std::move(backend)))
{}

ModelApplication::~ModelApplication()
{
    // An instance dropped without Quit must not leave its documents open in the warm office.
    mDocuments->closeAll();
}

std::shared_ptr<WordDocuments> ModelApplication::Documents()
{
    ensureRunning();
    return mDocuments;
}

std::shared_ptr<WordDocument> ModelApplication::ActiveDocument()
{
    ensureRunning();
    std::shared_ptr<ModelDocument> active = mDocuments->active();
    if (!active)
        throw AutomationError(QStringLiteral("This command is not available because no document is open."));
    return active;
}

void ModelApplication::setDisplayAlerts(bool displayAlerts)
{
    ensureRunning();
    // The office runs headless: it never shows a dialog, whatever this says.
    mDisplayAlerts = displayAlerts;
}

void ModelApplication::Quit()
{
    ensureRunning();
    mQuit = true;
    mDocuments->quit();
    mBackend->instanceQuit(mDocuments->openedAny());
}

void ModelApplication::ensureRunning() const
{
    if (mQuit)
        throw AutomationError(QStringLiteral("The word processor instance has quit."));
}
