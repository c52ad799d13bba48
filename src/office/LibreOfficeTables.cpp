#include "LibreOfficeTables.h"

#include "LibreOfficeDocument.h"
#include "LibreOfficeTable.h"
#include "OdfDocument.h"

LibreOfficeTables::LibreOfficeTables(std::shared_ptr<LibreOfficeDocument> document)
    : mDocument(std::move(document))
{}

int LibreOfficeTables::Count()
{
    return mDocument->model().tableCount();
}

std::shared_ptr<WordTable> LibreOfficeTables::Item(int n)
{
    OdfDocument &model = mDocument->model();
    if (n < 1 || n > model.tableCount())
        throw AutomationError(
            QStringLiteral("The requested member of the collection does not exist (the document has %1 tables)")
                .arg(model.tableCount()));
    return std::make_shared<LibreOfficeTable>(mDocument, model.table(n - 1));
}
