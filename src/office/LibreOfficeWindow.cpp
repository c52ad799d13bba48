#include "LibreOfficeWindow.h"

#include "LibreOfficeDocument.h"
#include "LibreOfficeSelection.h"

LibreOfficeWindow::LibreOfficeWindow(std::shared_ptr<LibreOfficeDocument> document)
    : mDocument(std::move(document))
{}

std::shared_ptr<WordSelection> LibreOfficeWindow::Selection()
{
    mDocument->ensureOpen();
    return std::make_shared<LibreOfficeSelection>(mDocument);
}
