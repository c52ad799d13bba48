#include "ModelTables.h"

#include "ModelDocument.h"
#include "ModelTable.h"
#include "OdfDocument.h"

ModelTables::ModelTables(std::shared_ptr<ModelDocument> document)
    : mDocument(std::move(document))
{}

int ModelTables::Count()
{
    return mDocument->model().tableCount();
}

std::shared_ptr<WordTable> ModelTables::Item(int n)
{
    OdfDocument &model = mDocument->model();
    if (n < 1 || n > model.tableCount())
        throw AutomationError(
            QStringLiteral("The requested member of the collection does not exist (the document has %1 tables)")
                .arg(model.tableCount()));
    return std::make_shared<ModelTable>(mDocument, model.table(n - 1));
}
