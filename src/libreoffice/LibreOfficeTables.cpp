#include "LibreOfficeTables.h"

#include "LibreOfficeCall.h"
#include "LibreOfficeDocument.h"
#include "LibreOfficeTable.h"

#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>

using namespace css;

namespace {
uno::Reference<container::XIndexAccess> tablesOf(const LibreOfficeDocument &document)
{
    const uno::Reference<text::XTextTablesSupplier> supplier(document.model(), uno::UNO_QUERY_THROW);
    return uno::Reference<container::XIndexAccess>(supplier->getTextTables(), uno::UNO_QUERY_THROW);
}
} // namespace

LibreOfficeTables::LibreOfficeTables(std::shared_ptr<LibreOfficeDocument> document)
    : mDocument(std::move(document))
{}

int LibreOfficeTables::Count()
{
    mDocument->ensureOpen();
    return officeCall(mDocument->session(), QStringLiteral("Counting the tables"),
                      [&] { return static_cast<int>(tablesOf(*mDocument)->getCount()); });
}

std::shared_ptr<WordTable> LibreOfficeTables::Item(int n)
{
    mDocument->ensureOpen();
    const QString what = QStringLiteral("Taking table %1").arg(n);
    const uno::Reference<text::XTextTable> table = officeCall(mDocument->session(), what, [&] {
        const uno::Reference<container::XIndexAccess> tables = tablesOf(*mDocument);
        if (n < 1 || n > tables->getCount())
            throw AutomationError(QStringLiteral("The requested member of the collection does not exist (the "
                                                 "document has %1 tables)")
                                      .arg(tables->getCount()));
        return uno::Reference<text::XTextTable>(tables->getByIndex(n - 1), uno::UNO_QUERY_THROW);
    });
    return std::make_shared<LibreOfficeTable>(mDocument, table);
}
