#include "LibreOfficeApplication.h"

#include "LibreOfficeBackend.h"
#include "LibreOfficeDocument.h"
#include "LibreOfficeDocuments.h"

LibreOfficeApplication::LibreOfficeApplication(std::shared_ptr<LibreOfficeBackend> backend)
    : mBackend(backend)
    , mDocuments(std::make_shared<LibreOfficeDocuments>(std::move(backend)))
{}

LibreOfficeApplication::~LibreOfficeApplication()
{
    // An instance dropped without Quit must not leave its documents open in the warm office.
    mDocuments->closeAll();
}

std::shared_ptr<WordDocuments> LibreOfficeApplication::Documents()
{
    ensureRunning();
    return mDocuments;
}

std::shared_ptr<WordDocument> LibreOfficeApplication::ActiveDocument()
{
    ensureRunning();
    std::shared_ptr<LibreOfficeDocument> active = mDocuments->active();
    if (!active)
        throw AutomationError(QStringLiteral("This command is not available because no document is open."));
    return active;
}

void LibreOfficeApplication::setDisplayAlerts(bool displayAlerts)
{
    ensureRunning();
    // The office runs headless: it never shows a dialog, whatever this says.
    mDisplayAlerts = displayAlerts;
}

void LibreOfficeApplication::Quit()
{
    ensureRunning();
    mQuit = true;
    mDocuments->quit();
    mBackend->instanceQuit(mDocuments->openedAny());
}

void LibreOfficeApplication::ensureRunning() const
{
    if (mQuit)
        throw AutomationError(QStringLiteral("The word processor instance has quit."));
}
