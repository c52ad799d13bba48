#include "ModelWindow.h"

#include "ModelDocument.h"
#include "ModelSelection.h"

ModelWindow::ModelWindow(std::shared_ptr<ModelDocument> document)
    : mDocument(std::move(document))
{}

std::shared_ptr<WordSelection> ModelWindow::Selection()
{
    mDocument->ensureOpen();
    return std::make_shared<ModelSelection>(mDocument);
}
