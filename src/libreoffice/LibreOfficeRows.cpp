#include "LibreOfficeRows.h"

#include "LibreOfficeCall.h"
#include "LibreOfficeDocument.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/text/HoriOrientation.hpp>

using namespace css;

namespace {
constexpr int wdAlignRowLeft = 0;
constexpr int wdAlignRowRight = 2;
} // namespace

LibreOfficeRows::LibreOfficeRows(std::shared_ptr<LibreOfficeDocument> document,
                                 const uno::Reference<text::XTextTable> &table)
    : mDocument(std::move(document))
    , mTable(table)
{}

void LibreOfficeRows::setAlignment(int alignment)
{
    mDocument->ensureOpen();
    sal_Int16 orientation = 0;
    switch (alignment) {
    case wdAlignRowLeft:
        orientation = text::HoriOrientation::LEFT;
        break;
    case wdAlignRowCenter:
        orientation = text::HoriOrientation::CENTER;
        break;
    case wdAlignRowRight:
        orientation = text::HoriOrientation::RIGHT;
        break;
    default:
        throw AutomationError(QStringLiteral("Aligning the rows: value out of range (%1).").arg(alignment));
    }
    officeCall(mDocument->session(), QStringLiteral("Aligning the rows"), [&] {
        const uno::Reference<beans::XPropertySet> properties(mTable, uno::UNO_QUERY_THROW);
        properties->setPropertyValue("HoriOrient", uno::Any(orientation));
    });
}

void LibreOfficeRows::setWrapAroundText(bool wrap)
{
    mDocument->ensureOpen();
    if (wrap)
        throw AutomationError(QStringLiteral("Text wrapping around a table is not supported by the word processor."));
}
