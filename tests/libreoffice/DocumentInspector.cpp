#include "DocumentInspector.h"

#include "LibreOfficeCall.h"
#include "LibreOfficeDocument.h"

#include <QMap>

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XTextTable.hpp>
#include <com/sun/star/text/XTextTablesSupplier.hpp>

#include <stdexcept>

using namespace css;

namespace {
const LibreOfficeDocument &backend(WordDocument &document)
{
    auto *ours = dynamic_cast<LibreOfficeDocument *>(&document);
    if (!ours)
        throw std::logic_error("not a LibreOffice document");
    return *ours;
}

uno::Reference<text::XTextTable> tableOf(WordDocument &document, int n)
{
    const uno::Reference<text::XTextTablesSupplier> supplier(backend(document).model(), uno::UNO_QUERY_THROW);
    const uno::Reference<container::XIndexAccess> tables(supplier->getTextTables(), uno::UNO_QUERY_THROW);
    return uno::Reference<text::XTextTable>(tables->getByIndex(n - 1), uno::UNO_QUERY_THROW);
}

uno::Any tableProperty(WordDocument &document, int n, const char *name)
{
    const uno::Reference<beans::XPropertySet> properties(tableOf(document, n), uno::UNO_QUERY_THROW);
    return properties->getPropertyValue(OUString::createFromAscii(name));
}
} // namespace

DocumentInspector::DocumentInspector(WordDocument &document)
    : mDocument(document)
{}

QStringList DocumentInspector::outline() const
{
    QStringList items;
    const uno::Reference<container::XEnumerationAccess> text(backend(mDocument).model()->getText(),
                                                             uno::UNO_QUERY_THROW);
    const uno::Reference<container::XEnumeration> parts = text->createEnumeration();
    while (parts->hasMoreElements()) {
        const uno::Reference<lang::XServiceInfo> part(parts->nextElement(), uno::UNO_QUERY_THROW);
        if (part->supportsService("com.sun.star.text.TextTable"))
            items.append(QStringLiteral("<table>"));
        else
            items.append(toQString(uno::Reference<text::XTextRange>(part, uno::UNO_QUERY_THROW)->getString()));
    }
    return items;
}

QStringList DocumentInspector::cells(int n) const
{
    QStringList result;
    const uno::Reference<text::XTextTable> t = tableOf(mDocument, n);
    const uno::Sequence<OUString> names = t->getCellNames();
    for (const OUString &name : names) {
        const uno::Reference<text::XText> cellText(t->getCellByName(name), uno::UNO_QUERY_THROW);
        result.append(toQString(name) + QLatin1Char('=') + toQString(cellText->getString()));
    }
    return result;
}

QString DocumentInspector::cell(int n, const QString &name) const
{
    const uno::Reference<text::XText> cellText(tableOf(mDocument, n)->getCellByName(toOUString(name)),
                                               uno::UNO_QUERY_THROW);
    return toQString(cellText->getString());
}

QList<int> DocumentInspector::cellsPerRow(int n) const
{
    QMap<int, int> rows;
    const uno::Sequence<OUString> names = tableOf(mDocument, n)->getCellNames();
    for (const OUString &name : names) {
        QString text = toQString(name);
        while (!text.isEmpty() && text.at(0).isLetter())
            text.remove(0, 1);
        rows[text.toInt()] += 1;
    }
    return rows.values();
}

int DocumentInspector::horizontalOrientation(int n) const
{
    sal_Int16 value = -1;
    tableProperty(mDocument, n, "HoriOrient") >>= value;
    return value;
}

bool DocumentInspector::rowsMaySplit(int n) const
{
    const uno::Reference<container::XIndexAccess> rows(tableOf(mDocument, n)->getRows(), uno::UNO_QUERY_THROW);
    for (sal_Int32 i = 0; i < rows->getCount(); ++i) {
        const uno::Reference<beans::XPropertySet> row(rows->getByIndex(i), uno::UNO_QUERY_THROW);
        bool allowed = true;
        row->getPropertyValue("IsSplitAllowed") >>= allowed;
        if (allowed)
            return true;
    }
    return false;
}

bool DocumentInspector::keepsWithNext(int n, const QString &name) const
{
    const uno::Reference<text::XText> cellText(tableOf(mDocument, n)->getCellByName(toOUString(name)),
                                               uno::UNO_QUERY_THROW);
    const uno::Reference<beans::XPropertySet> paragraph(cellText->createTextCursor(), uno::UNO_QUERY_THROW);
    bool keep = false;
    paragraph->getPropertyValue("ParaKeepTogether") >>= keep;
    return keep;
}

int DocumentInspector::widthTwips(int n) const
{
    sal_Int32 width = 0;
    tableProperty(mDocument, n, "Width") >>= width;
    return static_cast<int>(width * 1440.0 / 2540.0 + 0.5);
}

bool DocumentInspector::hasParagraphStyle(const QString &name) const
{
    const uno::Reference<style::XStyleFamiliesSupplier> families(backend(mDocument).model(), uno::UNO_QUERY_THROW);
    const uno::Reference<container::XNameAccess> styles(families->getStyleFamilies()->getByName("ParagraphStyles"),
                                                        uno::UNO_QUERY_THROW);
    return styles->hasByName(toOUString(name));
}

bool DocumentInspector::hasLocation() const
{
    const uno::Reference<frame::XStorable> storable(backend(mDocument).model(), uno::UNO_QUERY_THROW);
    return storable->hasLocation();
}
